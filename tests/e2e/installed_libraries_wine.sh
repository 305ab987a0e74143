#!/usr/bin/env bash
# The Windows libraries as another program meets them: the cross build
# installed into a fresh prefix, the examples cross-built against the package
# and again with nothing but pkg-config, own-scene's picture under Wine held
# against the golden one, and canvas-tour's window closed through the window
# manager.
#   installed_libraries_wine.sh WIN32_BUILD_DIR
set -u
source "$(dirname "$0")/installed_prefix.sh"

# Libraries, package and headers; libpng and zlib come along, as MinGW has none.
for library in tracer timing canvas bmpwindow png libpng zlib; do
    [[ -f "$prefix/lib/libraytracer-$library.a" ]] || fail "lib/libraytracer-$library.a is not installed"
done
for file in cmake/raytracer/raytracerConfig.cmake cmake/raytracer/raytracerConfigVersion.cmake \
            pkgconfig/raytracer-bmpwindow.pc; do
    [[ -f "$prefix/lib/$file" ]] || fail "lib/$file is not installed"
done
[[ -f "$prefix/include/raytracer/bmpwindow/bmp_window.h" ]] || fail "bmpwindow/bmp_window.h is not installed"
for header in bmpwindow/window_proc_win32.h bmpwindow/window_proc_sdl.h timing/clock_win32.h; do
    [[ ! -e "$prefix/include/raytracer/$header" ]] || fail "the private $header is installed"
done

# The MinGW toolchain confines find_package to its own root, so the package is named directly.
echo "== examples/ cross-built with find_package"
cmake -S "$root/examples" -B "$work/examples" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release -Draytracer_DIR="$prefix/lib/cmake/raytracer" >"$work/examples.log" 2>&1 &&
    cmake --build "$work/examples" -j "$jobs" >>"$work/examples.log" 2>&1 ||
    fail "the examples do not cross-build against the prefix: $(tail -n 30 "$work/examples.log")"

echo "== own-scene cross-built with pkg-config --cflags --libs"
cxx=$(command -v i686-w64-mingw32-g++-posix || command -v i686-w64-mingw32-g++)
# shellcheck disable=SC2046
PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" "$cxx" -static -o "$work/own-scene-pc.exe" "$root/examples/own_scene.cpp" \
    $(PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" pkg-config --cflags --libs raytracer-render raytracer-png) >"$work/pc.log" 2>&1 ||
    fail "own-scene does not cross-build with pkg-config: $(head -n 20 "$work/pc.log")"

start_x
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed: $(cat "$work/wineboot.log")"; exit 1; }

echo "== own-scene.exe under Wine"
for exe in "$work/examples/own-scene.exe" "$work/own-scene-pc.exe"; do
    [[ -f "$exe" ]] || continue
    name=$(basename "$exe" .exe)
    (cd "$work" && wine "$exe" "$name.png") >"$work/$name.log" 2>&1 || { fail "$name.exe: $(cat "$work/$name.log")"; continue; }
    differing=$(compare -metric AE "$work/$name.png" "$golden" null: 2>&1)
    [[ "$differing" == "0" ]] || fail "$name.exe: $differing pixels differ from tests/golden/own-scene.png"
done

echo "== canvas-tour.exe under Wine"
if [[ -f "$work/examples/canvas-tour.exe" ]]; then
    wine "$work/examples/canvas-tour.exe" >"$work/tour.log" 2>&1 &
    pid=$!
    id=$(find_window 30)
    if [[ -z "$id" ]]; then
        fail "canvas-tour.exe opened no window titled Window: $(cat "$work/tour.log")"
        kill "$pid" 2>/dev/null
    else
        sleep 2
        import -window "$id" "$work/tour.png"
        [[ -n "${SCREENSHOT_OUT:-}" ]] && cp "$work/tour.png" "$SCREENSHOT_OUT"
        panel=$(pixel_of "$work/tour.png" 60 50)
        [[ "$panel" == "255 127 0" ]] || fail "the panel's pixel is ($panel), not orange (255 127 0)"
        wmctrl -c Window
        wait_exit "$pid" 10
        [[ "$exit_code" == "0" ]] || fail "after wmctrl -c canvas-tour.exe gave '$exit_code' within 10 s, not exit code 0"
    fi
fi

echo "== paint.exe under Wine"
if [[ -f "$work/examples/paint.exe" ]]; then
    wine "$work/examples/paint.exe" >"$work/paint.log" 2>&1 &
    pid=$!
    id=$(find_window 30)
    if [[ -z "$id" ]]; then
        fail "paint.exe opened no window titled Window: $(cat "$work/paint.log")"
        kill "$pid" 2>/dev/null
    else
        read -r cx cy < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
        xdotool windowactivate --sync "$id" 2>/dev/null
        sleep 1
        xdotool key 2 mousemove $((cx + 100)) $((cy + 100)) sleep 0.3 mousedown 1 sleep 0.3
        for x in $(seq 110 10 300); do xdotool mousemove $((cx + x)) $((cy + 100)) sleep 0.03; done
        xdotool mouseup 1 sleep 0.5
        import -window "$id" "$work/paint.png"
        [[ $(pixel_of "$work/paint.png" 200 100) == "255 0 0" ]] ||
            fail "paint.exe's stroke shows ($(pixel_of "$work/paint.png" 200 100)) at (200, 100), not red"
        xdotool key Escape
        wait_exit "$pid" 10
        [[ "$exit_code" == "0" ]] || fail "after Escape paint.exe gave '$exit_code' within 10 s, not exit code 0"
    fi
fi

finish "installed Windows libraries under Wine"
