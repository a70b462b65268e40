#!/usr/bin/env bash
# Pastes into the real program's ErrorFld and InputFld1 on a real X server, with Ctrl+V and with the Edit menu opened
# from the keyboard, while the clipboard belongs to an xclip that serves one to four requests and then leaves, as
# scripts and short-lived programs hand over a value.
# The program must live through every paste, each of which inserts what it got of the text or nothing; a last paste
# from an owner that stays goes in whole.
# Usage: paste_under_xvfb.sh PROGRAM DRIVER REPORT. Exits 77 (skipped) where a tool is missing.
set -u
program=$1 driver=$2 report=$3
xvfb_tools=xclip
source "$(dirname "$0")/xvfb_session.sh"

# Owns the clipboard with TEXT for at most LOOPS requests, then pastes it with KEYS. xclip returns once it owns the
# clipboard, leaving a process of its own to serve it; that one is ended after a second if the paste asked less.
paste_from_leaving_owner() {
  local text=$1 loops=$2 keys=$3
  printf '%s' "$text" | xclip -display "$DISPLAY" -selection clipboard -loops "$loops" 2>>"$work/xclip.log" ||
    fail "xclip did not take the clipboard"
  xdotool key --delay 100 $keys
  owner_gone() { ! pgrep -f "^xclip -display $DISPLAY " >/dev/null; }
  wait_for 1 owner_gone || pkill -f "^xclip -display $DISPLAY "
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended during the paste of '$text' (owner serving $loops)"
}

start_calculator
# Ctrl+V, then Edit > Paste (Alt+E, then P), into each field.
xdotool key Tab
for loops in 1 2 3 4; do paste_from_leaving_owner "$loops" "$loops" ctrl+v; done
for loops in 1 2 3 4; do paste_from_leaving_owner "$((loops + 4))" "$loops" "alt+e p"; done
xdotool key Tab
for loops in 1 2 3 4; do paste_from_leaving_owner ".0$loops" "$loops" ctrl+v; done
for loops in 1 2 3 4; do paste_from_leaving_owner ".0$((loops + 4))" "$loops" "alt+e p"; done
# Owners that stay until the paste is done, with each way of pasting.
paste_from_leaving_owner ".09" 10 ctrl+v
paste_from_leaving_owner ".1" 10 "alt+e p"
close_calculator

grep -qE '^ErrorFld=1?2?3?4?5?6?7?8?$' "$report" || fail "ErrorFld holds more than whole pastes"
grep -qE '^InputFld1=(\.01)?(\.02)?(\.03)?(\.04)?(\.05)?(\.06)?(\.07)?(\.08)?\.09\.1$' "$report" ||
  fail "InputFld1 holds more than whole pastes, or misses the last two"
echo "fields after the pastes under X:"
grep -E '^(ErrorFld|InputFld1)=' "$report"
