#!/usr/bin/env bash
# Types into the real program's number fields on a real X server (Xvfb, windows managed by openbox) with xdotool,
# and checks what the fields hold afterwards: letters typed with Alt or Super (Meta) held, letters and signs typed
# plainly, digits and a point. The preloaded driver (PALL_DRIVER=type-fields) focuses the count field and reports
# the fields' texts at the closing F12.
# Usage: type_under_xvfb.sh PROGRAM DRIVER REPORT. Exits 77 (skipped) where Xvfb, openbox or xdotool is missing.
set -u
program=$1 driver=$2 report=$3

for tool in Xvfb openbox xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/install-deps installs xvfb, openbox and xdotool)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  for log in "$work"/*.log "$report"; do
    [[ -s "$log" ]] && { echo "--- $log"; cat "$log"; }
  done
  exit 1
}

# Polls a condition, up to the given number of seconds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 30 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 30 xdotool get_num_desktops >/dev/null 2>&1 || fail "openbox did not start"

rm -f "$report"
# The driver goes into the program only, not into the X server or the window manager.
env QT_QPA_PLATFORM=xcb LD_PRELOAD="$driver" PALL_DRIVER=type-fields PALL_DRIVER_REPORT="$report" \
  "$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
# The splash window hands over after 4 s; under the sanitizers the program starts slower.
wait_for 90 grep -q '^ready=1' "$report" 2>/dev/null || fail "the calculator never had the focus in Nvariables"
# Qt may count the window active before the X server sends it the keys; xdotool types to the X input focus.
calculator_has_x_focus() { [[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" == Control ]]; }
wait_for 30 calculator_has_x_focus || fail "the calculator never had the X input focus"

# No key here is one of openbox's own bindings (Super+E would start a file manager and take the focus).
xdotool key --delay 30 alt+z super+z
xdotool type --delay 30 'a-1'
xdotool key --delay 30 Tab alt+z super+x
xdotool type --delay 30 'b.5,'
xdotool key F12

program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wait_for 60 program_ended || fail "the program did not end after F12"
wait "$program_pid"
code=$?
[[ $code -eq 0 ]] || fail "the program ended with $code, not 0"

for expected in "Nvariables=1" "ErrorFld=.5"; do
  grep -qx "$expected" "$report" || fail "expected $expected in the driver's report"
done
echo "fields as typed under X:"
grep -E '^(Nvariables|ErrorFld)=' "$report"
