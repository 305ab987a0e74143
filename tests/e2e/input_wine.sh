#!/usr/bin/env bash
# The Windows build's input state under Wine, as xdotool and XTest send it,
# the close after floods of input, and fatalError's box.
#   input_wine.sh WIN32_BUILD_DIR
set -u
build=$(realpath "$1")
source "$(dirname "$0")/x_session.sh"
start_x
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed: $(cat "$work/wineboot.log")"; exit 1; }
window_wait=30
close_bound=500
# Not yet 0.5 s: Wine's X11 driver turns the flood's X key events into
# Windows messages slowly, and the close, which comes after them from the
# X server, waits 2 to 12 s. The bound catches a close that is lost.
keys_close_bound=30000
run_probe() { wine "$build/tests/window_probe.exe" >"$1" 2>"$work/probe.err" & pid=$!; }
run_demo() { wine "$build/src/raytracer.exe" >"$1" 2>&1 & pid=$!; }
source "$(dirname "$0")/input_checks.sh"

echo "== input states"
check_input_states
echo "== floods"
check_floods

echo "== fatalError"
wine "$build/tests/window_probe.exe" --fatal "out of pixels" >"$work/fatal.log" 2>&1 &
pid=$!
box=""
for _ in $(seq 1 300); do
    box=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -n1)
    [[ -n "$box" ]] && break
    sleep 0.1
done
if [[ -z "$box" ]]; then
    fail "no box titled Error appeared"
else
    # The box is as wide as its text needs: a longer message makes a wider box.
    width=$(xwininfo -id "$box" | awk '/Width:/ {print $2}')
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "the program ended with the box still up"
    xdotool windowactivate --sync "$box" 2>/dev/null
    xdotool key Return
    wait_exit "$pid" 10
    [[ "$exit_code" == "154" ]] || fail "after the box the exit code is '$exit_code', not 154 (666)"
    wine "$build/tests/window_probe.exe" --fatal "out of pixels, out of memory, out of time and out of luck" \
        >"$work/fatal2.log" 2>&1 &
    pid=$!
    wide=""
    for _ in $(seq 1 300); do
        wide=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -n1)
        [[ -n "$wide" ]] && break
        sleep 0.1
    done
    if [[ -n "$wide" ]]; then
        wider=$(xwininfo -id "$wide" | awk '/Width:/ {print $2}')
        [[ $wider -gt $width ]] || fail "a longer message gives a box $wider wide, not wider than $width"
        xdotool windowactivate --sync "$wide" 2>/dev/null
        xdotool key Return
    fi
    wait_exit "$pid" 10
fi

finish "input under Wine"
