#!/usr/bin/env bash
# The window's input state on a real X server, as xdotool and XTest send it,
# the close after floods of input, and fatalError's box.
#   input_x11.sh WINDOW_PROBE RAYTRACER
set -u
probe=$1
program=$2
source "$(dirname "$0")/x_session.sh"
start_x
window_wait=10
close_bound=500
run_probe() { "$probe" >"$1" 2>"$work/probe.err" & pid=$!; }
run_demo() { "$program" >"$1" 2>&1 & pid=$!; }
source "$(dirname "$0")/input_checks.sh"

echo "== input states"
check_input_states
echo "== floods"
check_floods

echo "== fatalError"
# SDL's box on X: a window titled with the caption, up until a key dismisses
# it; then the exit code 666, which a POSIX parent sees as 154.
"$probe" --fatal "out of pixels" >"$work/fatal.log" 2>&1 &
pid=$!
box=""
for _ in $(seq 1 100); do
    box=$(wmctrl -l | awk '$4 == "Error" && NF == 4 {print $1}' | head -n1)
    [[ -n "$box" ]] && break
    sleep 0.1
done
if [[ -z "$box" ]]; then
    fail "no window titled Error appeared; windows: $(wmctrl -l)"
    kill "$pid" 2>/dev/null
else
    grep -q "^Error: out of pixels$" "$work/fatal.log" || fail "stderr does not carry the message: $(cat "$work/fatal.log")"
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "the program ended with the box still up"
    xdotool windowactivate --sync "$box" 2>/dev/null
    xdotool key Return
    wait_exit "$pid" 5
    [[ "$exit_code" == "154" ]] || fail "after a key in the box the exit code is '$exit_code', not 154 (666)"
    [[ -z "$(wmctrl -l | awk '$4 == "Error"')" ]] || fail "the box is still shown"
fi

finish "input under X"
