#!/usr/bin/env bash
# Types into the real program's number fields on a real X server (Xvfb, windows managed by openbox) with xdotool,
# and checks what the fields hold afterwards: letters typed with Alt or Super (Meta) held, letters and signs typed
# plainly, digits and a point. The preloaded driver (PALL_DRIVER=type-fields) focuses the count field and reports
# "ready=1", and the fields' texts at the closing F12.
# Usage: type_under_xvfb.sh PROGRAM DRIVER REPORT. Exits 77 (skipped) where Xvfb, openbox or xdotool is missing.
set -u
program=$1 driver=$2 report=$3
source "$(dirname "$0")/xvfb_session.sh"

start_calculator
# No key here is one of openbox's own bindings (Super+E would start a file manager and take the focus).
xdotool key --delay 30 alt+z super+z
xdotool type --delay 30 'a-1'
xdotool key --delay 30 Tab alt+z super+x
xdotool type --delay 30 'b.5,'
close_calculator

for expected in "Nvariables=1" "ErrorFld=.5"; do
  grep -qx "$expected" "$report" || fail "expected $expected in the driver's report"
done
echo "fields as typed under X:"
grep -E '^(Nvariables|ErrorFld)=' "$report"
