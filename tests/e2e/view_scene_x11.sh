#!/usr/bin/env bash
# view-scene as a person uses it, on Xvfb with openbox: keys fly the camera,
# C prints it, P saves the picture that render-frame gives for that camera
# and time, an edit of the file shows, a broken one keeps the window up with
# the error, Escape and the close button exit 0, a bad file opens nothing.
#   view_scene_x11.sh VIEW_SCENE RENDER_FRAME SCENES_DIR
set -u
viewer=$1
render_frame=$2
scenes=$3
for tool in Xvfb openbox xdotool wmctrl xwininfo import compare convert; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/x_session.sh"
start_x
cd "$work" || exit 1

# The viewer's window, found by the file name in its title.
find_viewer() {
    local id="" tries=0
    while [[ -z "$id" && $tries -lt 100 ]]; do
        id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n1)
        [[ -z "$id" ]] && sleep 0.1
        tries=$((tries + 1))
    done
    echo "$id"
}
# Waits up to 5 s for a line matching $2 in file $1.
wait_for() {
    local tries=0
    until grep -q -- "$2" "$1" 2>/dev/null; do
        sleep 0.1
        tries=$((tries + 1))
        [[ $tries -gt 50 ]] && return 1
    done
    return 0
}
# The last camera snippet printed in file $1: its time, then the [camera] table.
last_snippet() { awk '/^# saved /{next} /^# [^ ]+ at time /{s=""} {s = s $0 "\n"} END {printf "%s", s}' "$1"; }

echo "== keys, C and P"
cp "$scenes/orbits.toml" orbits.toml
# Appended to, so that the test can empty them while the program writes.
"$viewer" --threads 2 orbits.toml >>out.txt 2>>err.txt &
pid=$!
id=$(find_viewer orbits.toml)
if [[ -z "$id" ]]; then
    fail "no window titled orbits.toml appeared; stderr: $(cat err.txt)"
    finish "view-scene under X"
fi
size=$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ "$size" == "480x270" ]] || fail "client area is $size, not the file's 480x270"
xdotool windowactivate --sync "$id" 2>/dev/null
sleep 0.5
xdotool key space            # pause the motion
sleep 0.5
xdotool key c
wait_for out.txt '^fov_degrees' || fail "C printed no camera: $(cat out.txt)"
last_snippet out.txt >before.toml
import -window "$id" before.png
xdotool keydown w
sleep 0.6
xdotool keyup w
sleep 1.5                    # the full frame once the camera stands still
import -window "$id" after.png
differing=$(compare -metric AE before.png after.png null: 2>&1)
[[ "$differing" =~ ^[0-9]+$ && "$differing" -gt 1000 ]] || fail "W changed only $differing pixels of the picture"
: >out.txt
xdotool key c
wait_for out.txt '^fov_degrees' || fail "C printed no camera after W: $(cat out.txt)"
last_snippet out.txt >after.toml
grep -q '^kind = "pinhole"$' after.toml || fail "the snippet is not a pinhole camera: $(cat after.toml)"
# Forward is toward the target: the eye came nearer to it.
t0=$(sed -n 's/^# .* at time //p' before.toml)
t1=$(sed -n 's/^# .* at time //p' after.toml)
vector() { sed -n "s/^$1 = \\[\\(.*\\)\\]\$/\\1/p" "$2" | tr -d ' '; }
[[ "$t0" == "$t1" ]] || fail "the time went on while paused: $t0 then $t1"
nearer=$(awk -v e0="$(vector eye before.toml)" -v e1="$(vector eye after.toml)" -v g="$(vector target before.toml)" 'BEGIN {
    split(e0, a, ","); split(e1, b, ","); split(g, c, ",");
    d0 = (a[1]-c[1])^2 + (a[2]-c[2])^2 + (a[3]-c[3])^2; d1 = (b[1]-c[1])^2 + (b[2]-c[2])^2 + (b[3]-c[3])^2;
    print (d1 < d0 - 0.01) ? "yes" : "no" }')
[[ "$nearer" == "yes" ]] || fail "after W the eye did not come nearer the target: $(cat before.toml after.toml)"

xdotool key p
wait_for out.txt '^# saved ' || fail "P saved nothing: $(cat out.txt) $(cat err.txt)"
saved=$(awk '/^# saved /{print $3}' out.txt | tail -n1)
time=$(awk '/^# saved /{print $NF}' out.txt | tail -n1)
[[ -f "$saved" && "$saved" == "orbits-0001.png" ]] || fail "P's file is '$saved', not orbits-0001.png"
[[ "$time" == "$t1" ]] || fail "P's time $time is not C's $t1"
# The file with its camera replaced by the printed one, through render-frame.
awk '/^\[camera\]/{skip=1; next} /^\[/{skip=0} !skip' orbits.toml >printed.toml
cat after.toml >>printed.toml
"$render_frame" --scene printed.toml --time "$time" --out expected.png || fail "render-frame refused the printed camera"
differing=$(compare -metric AE "$saved" expected.png null: 2>&1)
[[ "$differing" == "0" ]] || fail "P's picture differs from render-frame's in $differing pixels"
xdotool key p
wait_for out.txt 'orbits-0002.png' || fail "a second P did not take the next free name: $(cat out.txt)"

echo "== reload"
sed -i 's/^fov_degrees = 50$/fov_degrees = 30/' orbits.toml
xdotool key r                # the file's camera, to see its new field of view
sleep 1.5
import -window "$id" reloaded.png
: >out.txt
xdotool key c
wait_for out.txt '^fov_degrees = 30$' || fail "the edited field of view was not read: $(cat out.txt)"
echo 'radius = ' >>orbits.toml
wait_for err.txt '^orbits.toml:[0-9]*:[0-9]*: ' || fail "a broken edit printed no error line: $(cat err.txt)"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "a broken edit ended the program"
import -window "$id" broken.png
differing=$(compare -metric AE reloaded.png broken.png null: 2>&1)
[[ "$differing" =~ ^[0-9]+$ && "$differing" -gt 100 ]] || fail "the error is not shown in the window ($differing pixels changed)"
sed -i '$d' orbits.toml
wait_for err.txt 'read again without errors' || fail "the mended file was not read again: $(cat err.txt)"
xdotool key Escape
wait_exit "$pid" 5
[[ "$exit_code" == "0" ]] || fail "after Escape the exit code is '$exit_code', not 0"

echo "== coarse frames while turning, the full one after"
# On one thread a full frame of the sphere field takes a few hundred ms:
# while the view turns the picture is coarse (blocks of at least 2 x 2),
# once it stops the full picture follows, and it is render-frame's.
"$viewer" --threads 1 "$scenes/sphere-field.toml" >>field.txt 2>err.txt &
pid=$!
id=$(find_viewer sphere-field.toml)
[[ -n "$id" ]] || fail "no window titled sphere-field.toml; stderr: $(cat err.txt)"
xdotool windowactivate --sync "$id" 2>/dev/null
sleep 2
xdotool keydown Right
sleep 1
import -window "$id" turning.png
xdotool keyup Right
convert turning.png -sample 50% -sample 200% blocks.png
differing=$(compare -metric AE turning.png blocks.png null: 2>&1)
[[ "$differing" == "0" ]] || fail "while turning the picture is not made of 2 x 2 blocks ($differing pixels differ)"
sleep 3
xdotool key c p
wait_for field.txt '^# saved sphere-field-0001.png' || fail "P saved nothing: $(cat field.txt)"
last_snippet field.txt >field-camera.toml
awk '/^\[camera\]/{skip=1; next} /^\[/{skip=0} !skip' "$scenes/sphere-field.toml" >field-printed.toml
cat field-camera.toml >>field-printed.toml
"$render_frame" --scene field-printed.toml --time 0 --out field-expected.png || fail "render-frame refused $(cat field-camera.toml)"
differing=$(compare -metric AE sphere-field-0001.png field-expected.png null: 2>&1)
[[ "$differing" == "0" ]] || fail "after turning, P's picture differs from render-frame's in $differing pixels"
xdotool key Escape
wait_exit "$pid" 5
[[ "$exit_code" == "0" ]] || fail "after Escape the exit code is '$exit_code', not 0"

echo "== P with the motion playing, and the close button"
"$viewer" "$scenes/demo.toml" >>demo.txt 2>err.txt &
pid=$!
id=$(find_viewer demo.toml)
[[ -n "$id" ]] || fail "no window titled demo.toml; stderr: $(cat err.txt)"
xdotool windowactivate --sync "$id" 2>/dev/null
sleep 0.5
xdotool key p
wait_for demo.txt '^# saved demo-0001.png at time ' || fail "P saved nothing while playing: $(cat demo.txt)"
time=$(awk '/^# saved /{print $NF}' demo.txt)
"$render_frame" --scene "$scenes/demo.toml" --time "$time" --out demo-expected.png
differing=$(compare -metric AE demo-0001.png demo-expected.png null: 2>&1)
[[ "$differing" == "0" ]] || fail "P's picture at $time differs from render-frame's in $differing pixels"
wmctrl -c demo.toml
wait_exit "$pid" 5
[[ "$exit_code" == "0" ]] || fail "after wmctrl -c the exit code is '$exit_code', not 0"

echo "== bad files"
printf 'format = 1\n[camera]\nkind = "pinhole"\neye = [0, 0\n' >bad.toml
"$viewer" bad.toml >/dev/null 2>err.txt
code=$?
[[ $code -eq 2 ]] || fail "a file in error gave exit code $code, not 2"
grep -q '^bad.toml:[0-9]*:[0-9]*: ' err.txt || fail "a file in error printed: $(cat err.txt)"
"$viewer" missing.toml >/dev/null 2>err.txt
code=$?
[[ $code -eq 1 ]] || fail "a missing file gave exit code $code, not 1"
[[ -z "$(xdotool search --name 'bad.toml|missing.toml' 2>/dev/null)" ]] || fail "a window was left behind"
env -u DISPLAY -u WAYLAND_DISPLAY "$viewer" "$scenes/demo.toml" 2>err.txt
code=$?
[[ $code -eq 1 && $(wc -l <err.txt) -eq 1 ]] || fail "without a display: exit code $code, stderr $(cat err.txt)"

finish "view-scene under X"
