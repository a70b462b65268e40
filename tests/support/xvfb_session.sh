# Sourced by the tests that drive the real program on a real X server: starts Xvfb on a free display with openbox
# managing its windows, exports DISPLAY, and ends both (and every process added to `pids`) at exit. Defines
# `fail` (prints the logs in $work and the report, exits 1) and `wait_for SECONDS COMMAND...` (polls a condition).
# Exits 77 (skipped) where Xvfb, openbox, xdotool or one of the extra tools named in `xvfb_tools` is missing.

for tool in Xvfb openbox xdotool ${xvfb_tools:-}; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/install-deps installs xvfb, openbox, xdotool and xclip)"
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
  for log in "$work"/*.log "${report:-}"; do
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

# Starts the program with the preloaded driver in type-fields mode (the driver goes into the program only, not into
# the X server or the window manager) and waits until the calculator has the focus in Nvariables, for Qt and for the
# X server alike. Sets program_pid.
start_calculator() {
  rm -f "$report"
  env QT_QPA_PLATFORM=xcb LD_PRELOAD="$driver" PALL_DRIVER=type-fields PALL_DRIVER_REPORT="$report" \
    "$program" >"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=($program_pid)
  # The splash window hands over after 4 s; under the sanitizers the program starts slower.
  wait_for 90 grep -q '^ready=1' "$report" 2>/dev/null || fail "the calculator never had the focus in Nvariables"
  # Qt may count the window active before the X server sends it the keys; xdotool types to the X input focus.
  calculator_has_x_focus() { [[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" == Control ]]; }
  wait_for 30 calculator_has_x_focus || fail "the calculator never had the X input focus"
}

# Sends the closing F12 (the driver reports the fields and closes the calculator) and checks that the program ends
# with exit code 0.
close_calculator() {
  xdotool key F12
  program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
  wait_for 60 program_ended || fail "the program did not end after F12"
  wait "$program_pid"
  local code=$?
  [[ $code -eq 0 ]] || fail "the program ended with $code, not 0"
}
