#!/usr/bin/env bash
# The 32-bit Windows build under Wine on a private X server: its test
# programs, its frames (one by one and on two threads) against the Linux
# build's, and from the zip that cpack made of it, its frames and the program itself.
#   windows_wine.sh WIN32_BUILD_DIR LINUX_RENDER_FRAME LINUX_RENDER_ANIMATION ZIP
set -u
build=$(realpath "$1")
linux_render=$(realpath "$2")
linux_animation=$(realpath "$3")
zip=$(realpath "$4")
root=$(realpath "$(dirname "$0")/../..")
source "$(dirname "$0")/x_session.sh"
start_x

# The zip: the programs, README and LICENSE in one folder named for it.
echo "== ${zip##*/}"
folder=$(basename "$zip" .zip)
expected=("$folder/LICENSE" "$folder/README.md" "$folder/bin/raytracer.exe" "$folder/bin/render-frame.exe"
          "$folder/bin/view-scene.exe")
[[ -f "$build/tools/render-animation.exe" ]] && expected+=("$folder/bin/render-animation.exe")
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
echo "$listed"
[[ "$listed" == "$(printf '%s\n' "${expected[@]}" | sort)" ]] ||
    fail "the zip holds $(echo $listed), not $(echo "${expected[@]}")"
mkdir -p "$work/unzipped"
(cd "$work/unzipped" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
unzipped="$work/unzipped/$folder"
cmp -s "$unzipped/LICENSE" "$root/LICENSE" || fail "the zip's LICENSE is not the project's"
cmp -s "$unzipped/README.md" "$root/README.md" || fail "the zip's README.md is not the project's"

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed: $(cat "$work/wineboot.log")"; exit 1; }

# What the programs are, and that they need no DLLs beyond the system's.
# (The zip's copies are stripped, which file notes after the kind.)
kind() { file -b "$1" | cut -d, -f1 | sed 's/ (stripped to external PDB)$//'; }
for exe in "$build/src/raytracer.exe" "$unzipped/bin/raytracer.exe"; do
    [[ $(kind "$exe") == "PE32 executable (GUI) Intel 80386" ]] || fail "${exe#"$work/"} is $(kind "$exe")"
done
for exe in "$build"/{tools/render-frame.exe,tools/render-animation.exe,tests/unit_tests.exe,tests/window_tests.exe} \
           "$unzipped/bin/render-frame.exe" "$unzipped/bin/view-scene.exe"; do
    [[ $(kind "$exe") == "PE32 executable (console) Intel 80386" ]] || fail "${exe#"$work/"} is $(kind "$exe")"
done
for exe in "$build"/{src/raytracer.exe,tools/render-frame.exe,tools/render-animation.exe,tests/unit_tests.exe} \
           "$build/tests/window_tests.exe" "$unzipped"/bin/*.exe; do
    extra=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' |
        grep -v -i -x -E 'kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|advapi32.dll|shell32.dll|ws2_32.dll' || true)
    [[ -z "$extra" ]] || fail "${exe#"$work/"} needs $(echo $extra)"
done

# The test programs.
for exe in unit_tests window_tests; do
    echo "== $exe.exe under Wine"
    (cd "$build/tests" && wine "$exe.exe") >"$work/$exe.log" 2>&1
    code=$?
    tail -n 3 "$work/$exe.log"
    [[ $code -eq 0 ]] || { fail "$exe.exe exited $code"; grep -E -A8 '^\[ RUN|Failure' "$work/$exe.log" | head -n 60; }
done

# Frames: the zip's render-frame.exe against the Linux build.
echo "== the zip's render-frame.exe against the Linux render-frame"
for t in 0 2.5 20; do
    (cd "$work" && wine "$unzipped/bin/render-frame.exe" --time "$t" --out "win-$t.png") >"$work/render.log" 2>&1 ||
        { fail "render-frame.exe --time $t: $(cat "$work/render.log")"; continue; }
    "$linux_render" --time "$t" --out "$work/linux-$t.png" || { fail "render-frame --time $t"; continue; }
    differing=$(compare -metric AE "$work/win-$t.png" "$work/linux-$t.png" null: 2>&1)
    largest=$(compare -metric PAE "$work/win-$t.png" "$work/linux-$t.png" null: 2>&1 | awk '{print int($1 / 257 + 0.5)}')
    echo "t = $t: $differing pixels differ, largest channel difference $largest"
    [[ "$differing" == "0" ]] || fail "the Windows frame at t = $t differs from the Linux one"
done

# Frames on two threads: the Windows build against the Linux build.
echo "== render-animation.exe --jobs 2 against the Linux render-animation"
mkdir -p "$work/animation-win" "$work/animation-linux"
sequence=(--from 0.5 --to 2 --fps 3 --jobs 2)
(cd "$work" && wine "$build/tools/render-animation.exe" "${sequence[@]}" --out "animation-win/f-%02d.png") \
    >"$work/animation.log" 2>&1 || fail "render-animation.exe: $(cat "$work/animation.log")"
"$linux_animation" "${sequence[@]}" --out "$work/animation-linux/f-%02d.png" || fail "render-animation"
[[ $(ls "$work/animation-win") == "$(ls "$work/animation-linux")" ]] ||
    fail "render-animation.exe wrote $(ls "$work/animation-win" | tr '\n' ' '), Linux $(ls "$work/animation-linux" | tr '\n' ' ')"
for frame in "$work"/animation-linux/*.png; do
    name=$(basename "$frame")
    differing=$(compare -metric AE "$work/animation-win/$name" "$frame" null: 2>&1)
    echo "$name: $differing pixels differ"
    [[ "$differing" == "0" ]] || fail "the Windows $name differs from the Linux one"
done
# No WebP in this build: said so as a usage error.
(cd "$work" && wine "$build/tools/render-animation.exe" "${sequence[@]}" --out a.webp) >"$work/webp.log" 2>&1
code=$?
[[ $code -eq 2 ]] && grep -q "PNG files only" "$work/webp.log" || fail "render-animation.exe --out a.webp gave $code: $(cat "$work/webp.log")"

# The zip's program: its window, its picture, and closing it through the window manager.
echo "== the zip's raytracer.exe"
wine "$unzipped/bin/raytracer.exe" >"$work/raytracer.log" 2>&1 &
pid=$!
id=$(find_window 30)
if [[ -z "$id" ]]; then
    fail "raytracer.exe opened no window titled Window: $(cat "$work/raytracer.log")"
else
    sleep 2
    import -window "$id" "$work/wine-first.png"
    sleep 0.7
    import -window "$id" "$work/wine-second.png"
    [[ -n "${SCREENSHOT_OUT:-}" ]] && cp "$work/wine-second.png" "$SCREENSHOT_OUT"
    corner=$(pixel_of "$work/wine-first.png" 0 0)
    [[ "$corner" == "51 51 51" ]] || fail "top-left client pixel is ($corner), not the background (51 51 51)"
    differing=$(compare -metric AE "$work/wine-first.png" "$work/wine-second.png" null: 2>&1)
    [[ "$differing" =~ ^[0-9]+$ && "$differing" -gt 0 ]] || fail "two frames 0.7 s apart do not differ ($differing)"
    wmctrl -c Window
    wait_exit "$pid" 10
    [[ "$exit_code" == "0" ]] || fail "after wmctrl -c raytracer.exe gave '$exit_code' within 10 s, not exit code 0"
fi

# The zip's view-scene.exe: a scene file in a window, P's picture against the
# Linux render-frame at the printed time, and closing it through the window manager.
echo "== the zip's view-scene.exe"
(cd "$work" && wine "$unzipped/bin/view-scene.exe" --threads 2 "Z:$root/scenes/demo.toml") \
    >"$work/view-scene.out" 2>"$work/view-scene.err" &
pid=$!
id=""
for _ in $(seq 1 300); do
    id=$(xdotool search --onlyvisible --name '^demo.toml' 2>/dev/null | head -n1)
    [[ -n "$id" ]] && break
    sleep 0.1
done
if [[ -z "$id" ]]; then
    fail "view-scene.exe opened no window titled demo.toml: $(cat "$work/view-scene.err")"
else
    xdotool windowactivate --sync "$id" 2>/dev/null
    sleep 2
    xdotool key space p
    for _ in $(seq 1 100); do grep -q '^# saved ' "$work/view-scene.out" && break; sleep 0.1; done
    saved=$(tr -d '\r' <"$work/view-scene.out" | awk '/^# saved /{print $3}')
    time=$(tr -d '\r' <"$work/view-scene.out" | awk '/^# saved /{print $NF}')
    if [[ -z "$saved" ]]; then
        fail "P in view-scene.exe saved nothing: $(cat "$work/view-scene.out" "$work/view-scene.err")"
    else
        "$linux_render" --scene "$root/scenes/demo.toml" --time "$time" --out "$work/view-linux.png"
        differing=$(compare -metric AE "$work/$saved" "$work/view-linux.png" null: 2>&1)
        [[ "$differing" == "0" ]] || fail "view-scene.exe's picture at $time differs from Linux render-frame's ($differing)"
    fi
    wmctrl -c demo.toml
    wait_exit "$pid" 10
    [[ "$exit_code" == "0" ]] || fail "after wmctrl -c view-scene.exe gave '$exit_code' within 10 s, not exit code 0"
fi

finish "Windows build under Wine"
