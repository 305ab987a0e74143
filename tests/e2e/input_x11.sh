#!/usr/bin/env bash
# The window's input state on a real X server, as xdotool and XTest send it,
# and the close after floods of input.
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

finish "input under X"
