#!/usr/bin/env bash
# The real program in a real window: Xvfb with openbox, closed through the
# window manager as a user would close it.
set -u
program=$1
source "$(dirname "$0")/x_session.sh"
start_x

# An idle run: the window, its picture, and a prompt close.
"$program" 2>"$work/stderr" &
pid=$!
id=$(find_window 10)
if [[ -z "$id" ]]; then
    fail "no window titled Window appeared; stderr: $(cat "$work/stderr")"
    finish "raytracer under X"
fi

class=$(xprop -id "$id" WM_CLASS)
[[ "$class" == *'"Library_BMP_Window"'* ]] || fail "window class is $class"
size=$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ "$size" == "400x400" ]] || fail "client area is $size, not 400x400"
resizable=$(xprop -id "$id" WM_NORMAL_HINTS)
[[ "$resizable" == *"minimum size: 400 by 400"* && "$resizable" == *"maximum size: 400 by 400"* ]] ||
    fail "the window can be resized: $resizable"
# The frame's top-left corner is where the program put the window.
read -r left _ top _ < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
read -r cx cy < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
[[ $((cx - left)) -eq 30 && $((cy - top)) -eq 30 ]] || fail "window at ($((cx - left)), $((cy - top))), not (30, 30)"

sleep 0.5
import -window "$id" "$work/first.png"
sleep 0.7
import -window "$id" "$work/second.png"
corner=$(pixel_of "$work/first.png" 0 0)
[[ "$corner" == "51 51 51" ]] || fail "top-left pixel is ($corner), not the background (51 51 51)"
differing=$(compare -metric AE "$work/first.png" "$work/second.png" null: 2>&1)
[[ "$differing" =~ ^[0-9]+$ && "$differing" -gt 0 ]] || fail "two frames 0.7 s apart do not differ ($differing)"
[[ -n "${SCREENSHOT_OUT:-}" ]] && cp "$work/second.png" "$SCREENSHOT_OUT"

wmctrl -c Window
wait_exit "$pid" 3
[[ "$exit_code" == "0" ]] || fail "after wmctrl -c the program gave '$exit_code' within 3 s, not exit code 0"

# A flood of pointer motion over the window, then the close: input the
# program does not handle must not hold the close back.
"$program" 2>"$work/stderr" &
pid=$!
id=$(find_window 10)
if [[ -n "$id" ]]; then
    read -r cx cy < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
    moves=()
    for i in $(seq 1 20000); do moves+=(mousemove $((cx + 10 + i % 300)) $((cy + 10 + (i * 7) % 300))); done
    xdotool "${moves[@]}"
    kill -0 "$pid" 2>/dev/null || fail "the program ended during the pointer motions"
    wmctrl -c Window
    wait_exit "$pid" 5
    [[ "$exit_code" == "0" ]] ||
        fail "after 20000 pointer motions and a close the program gave '$exit_code' within 5 s, not exit code 0"
else
    fail "no window for the pointer motions"
fi

# No display: one line that says why, exit code 1.
env -u DISPLAY -u WAYLAND_DISPLAY "$program" 2>"$work/stderr"
code=$?
[[ $code -eq 1 ]] || fail "without a display the exit code is $code, not 1"
[[ $(wc -l <"$work/stderr") -eq 1 ]] && grep -q '^raytracer: ' "$work/stderr" ||
    fail "without a display stderr is: $(cat "$work/stderr")"

# The display goes away under the window: one line and exit code 1, at once,
# not a process left waiting on a dead server.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/lost-display" >/dev/null 2>&1 &
doomed=$!
for _ in $(seq 1 50); do [[ -s "$work/lost-display" ]] && break; sleep 0.1; done
DISPLAY=:$(cat "$work/lost-display") "$program" 2>"$work/lost.err" &
pid=$!
sleep 1.5
kill "$doomed"
wait_exit "$pid" 3
[[ "$exit_code" == "1" ]] || fail "after its X server went away the program gave '$exit_code' within 3 s, not 1"
grep -q '^raytracer: the connection to the display was lost$' "$work/lost.err" ||
    fail "after its X server went away stderr is: $(cat "$work/lost.err")"

finish "raytracer under X"
