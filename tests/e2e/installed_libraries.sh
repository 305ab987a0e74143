#!/usr/bin/env bash
# The libraries as another program meets them: installed into a fresh
# prefix, the examples built against it with find_package and again with
# nothing but pkg-config, own-scene's picture held against the golden one,
# and canvas-tour's window on a private X server, closed through the window
# manager.
#   installed_libraries.sh BUILD_DIR
set -u
source "$(dirname "$0")/installed_prefix.sh"

# The public headers are there, the platform seam's are not.
for header in math/vector3.h geometry/sphere.h scene/scene.h timing/stopwatch.h bmpwindow/canvas.h \
              bmpwindow/memory_canvas.h bmpwindow/bmp_window.h png/png_image.h raytracer_version.h \
              render/camera.h render/demo_camera.h render/pinhole_camera.h render/scene_renderer.h \
              scenefile/scene_file.h scenefile/scene_animation.h scenefile/motion.h; do
    [[ -f "$prefix/include/raytracer/$header" ]] || fail "include/raytracer/$header is not installed"
done
for header in bmpwindow/window_platform.h bmpwindow/default_font.h bmpwindow/window_proc_win32.h \
              timing/clock_win32.h; do
    [[ ! -e "$prefix/include/raytracer/$header" ]] || fail "the private $header is installed"
done
# Nor the renderer's machinery, nor anything that includes it.
[[ ! -e "$prefix/include/raytracer/render/fast" ]] || fail "the renderer's fast path is installed"
[[ ! -e "$prefix/include/raytracer/scene/shading_steps.h" ]] || fail "the lighting model's steps are installed"
while read -r f; do
    fail "the installed ${f#"$prefix"/} includes a private header"
done < <(grep -rlE '#include "(render/fast/|scene/shading_steps)' "$prefix/include/raytracer")
grep -q '^#define RAYTRACER_VERSION "1\.0\.0"$' "$prefix/include/raytracer/raytracer_version.h" ||
    fail "the version header does not say 1.0.0"

# own-scene's picture, pixel for pixel.
check_picture() {
    local how=$1 picture=$2 differing
    differing=$(compare -metric AE "$picture" "$golden" null: 2>&1)
    [[ "$differing" == "0" ]] || fail "own-scene built with $how: $differing pixels differ from tests/golden/own-scene.png"
}

# With find_package, as a project of its own.
echo "== examples/ with find_package"
if cmake -S "$root/examples" -B "$work/examples" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$work/examples.log" 2>&1 &&
   cmake --build "$work/examples" -j "$jobs" >>"$work/examples.log" 2>&1; then
    grep -q -- "-I$root/src\|-isystem $root/src" "$work/examples/compile_commands.json" &&
        fail "the examples were compiled against the source tree, not the prefix"
    grep -i 'warning' "$work/examples.log" && fail "warnings building the examples"
    "$work/examples/own-scene" "$work/own-scene.png" 2>"$work/own-scene.err" ||
        fail "own-scene failed: $(cat "$work/own-scene.err")"
    check_picture find_package "$work/own-scene.png"
else
    fail "the examples do not build against the prefix: $(tail -n 30 "$work/examples.log")"
fi

# A headless program that names its components, where any look for the
# window system's packages fails the configuration: a Find module of each
# name that stops with an error comes first on the module path, before
# CMake's own modules and any package's config file.
echo "== a headless program with find_package COMPONENTS render png"
mkdir -p "$work/poison" "$work/headless"
for dependency in SDL2 SDL2_ttf Fontconfig X11; do
    echo "message(FATAL_ERROR \"looked for $dependency\")" >"$work/poison/Find$dependency.cmake"
done
cat >"$work/headless/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(headless LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(raytracer 1.0 REQUIRED COMPONENTS \${COMPONENTS})
foreach(library tracer timing canvas render png bmpwindow)
  if(TARGET raytracer::\${library})
    list(APPEND loaded \${library})
  endif()
endforeach()
message(STATUS "loaded: \${loaded}")
if(TARGET raytracer::render AND TARGET raytracer::png)
  add_executable(own-scene $root/examples/own_scene.cpp)
  target_link_libraries(own-scene PRIVATE raytracer::render raytracer::png)
endif()
EOF
configure_headless() {  # configure_headless NAME COMPONENTS
    cmake -S "$work/headless" -B "$work/headless-$1" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_MODULE_PATH="$work/poison" -DCOMPONENTS="$2" >"$work/headless-$1.log" 2>&1
}
if configure_headless render-png "render;png" &&
   cmake --build "$work/headless-render-png" >>"$work/headless-render-png.log" 2>&1; then
    grep -q -- "-- loaded: tracer;canvas;render;png$" "$work/headless-render-png.log" ||
        fail "COMPONENTS render png loaded $(grep -- '-- loaded:' "$work/headless-render-png.log")"
    grep -lE 'SDL2|fontconfig|libX11|-lX11' "$work/headless-render-png/CMakeFiles/own-scene.dir/"{flags.make,link.txt} &&
        fail "the headless program is compiled or linked with the window system's libraries"
    "$work/headless-render-png/own-scene" "$work/own-scene-headless.png" || fail "the headless own-scene failed"
    check_picture "COMPONENTS render png" "$work/own-scene-headless.png"
else
    fail "COMPONENTS render png does not build with the window system's packages out of reach:" \
         "$(tail -n 20 "$work/headless-render-png.log")"
fi
# The same trap catches bmpwindow, which does need them; a component of no
# such name is refused.
configure_headless bmpwindow bmpwindow && fail "COMPONENTS bmpwindow configured without SDL2"
grep -q "looked for SDL2" "$work/headless-bmpwindow.log" || fail "COMPONENTS bmpwindow did not look for SDL2"
configure_headless nosuch "png;nosuch" && fail "COMPONENTS png nosuch configured"
grep -q "There is no component nosuch" "$work/headless-nosuch.log" ||
    fail "COMPONENTS nosuch does not say so: $(tail -n 10 "$work/headless-nosuch.log")"

# With pkg-config alone.
echo "== examples with pkg-config --cflags --libs"
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name raytracer-tracer.pc)")
for example in own-scene:own_scene:"raytracer-render raytracer-png" \
               canvas-tour:canvas_tour:"raytracer-bmpwindow raytracer-timing" paint:paint:raytracer-bmpwindow \
               scene-file:scene_file:"raytracer-scenefile raytracer-png"; do
    IFS=: read -r name source modules <<<"$example"
    # shellcheck disable=SC2046,SC2086
    c++ -o "$work/$name-pc" "$root/examples/$source.cpp" $(pkg-config --cflags --libs $modules) \
        >"$work/$name-pc.log" 2>&1 || fail "$name does not build with pkg-config: $(head -n 20 "$work/$name-pc.log")"
done
# The README's programs, as they are printed there: each is built with every
# library, and those that write a picture are run.
awk -v dir="$work" '/^```cpp$/ {n++; out = dir "/readme-" n ".cpp"; next} /^```$/ {out = ""} out {print > out}' \
    "$root/README.md"
readme_programs=("$work"/readme-*.cpp)
[[ ${#readme_programs[@]} -ge 2 ]] || fail "the README shows ${#readme_programs[@]} programs, not at least 2"
for program in "${readme_programs[@]}"; do
    name=$(basename "$program" .cpp)
    # shellcheck disable=SC2046
    if ! c++ -o "$work/$name" "$program" $(pkg-config --cflags --libs raytracer-scenefile raytracer-png raytracer-bmpwindow \
            raytracer-timing) >"$work/$name.log" 2>&1; then
        fail "the README's $name does not build: $(head -n 20 "$work/$name.log")"
    elif grep -q '\.png"' "$program"; then
        (cd "$work" && "./$name") || fail "the README's $name failed"
    fi
done
[[ -f "$work/picture.png" && $(pixel_of "$work/picture.png" 20 20) == "255 127 0" ]] ||
    fail "the README's drawing program did not draw its orange rectangle"
# The scene's sphere stands in the middle of the picture, lit, not the grey of the sky.
[[ -f "$work/scene.png" && $(identify -format %wx%h "$work/scene.png") == "640x480" ]] ||
    fail "the README's renderer program wrote no 640 x 480 scene.png"
[[ $(pixel_of "$work/scene.png" 320 200) != "51 51 51" ]] ||
    fail "the README's renderer program shows the background where its sphere is"
if [[ -x "$work/own-scene-pc" ]]; then
    "$work/own-scene-pc" "$work/own-scene-pc.png" || fail "own-scene (pkg-config) failed"
    check_picture pkg-config "$work/own-scene-pc.png"
fi

# scene-file renders the installed demo scene as the built-in demo draws it.
if [[ -x "$work/examples/scene-file" ]]; then
    "$work/examples/scene-file" "$prefix/share/raytracer/scenes/demo.toml" 2.5 "$work/demo-2.5.png" ||
        fail "scene-file could not render the installed demo.toml"
    differing=$(compare -metric AE "$work/demo-2.5.png" "$root/tests/golden/frame-2.5.png" null: 2>&1)
    [[ "$differing" == "0" ]] || fail "scene-file's demo.toml at 2.5 s: $differing pixels differ from frame-2.5.png"
fi

# canvas-tour in a real window.
echo "== canvas-tour under X"
tour="$work/examples/canvas-tour"
if [[ -x "$tour" ]]; then
    start_x
    "$tour" 2>"$work/tour.err" &
    pid=$!
    id=$(find_window 10)
    if [[ -z "$id" ]]; then
        fail "canvas-tour opened no window titled Window; stderr: $(cat "$work/tour.err")"
        kill "$pid" 2>/dev/null
    else
        size=$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
        [[ "$size" == "480x320" ]] || fail "the client area is $size, not 480x320"
        sleep 0.5
        import -window "$id" "$work/tour-first.png"
        sleep 0.7
        import -window "$id" "$work/tour-second.png"
        [[ -n "${SCREENSHOT_OUT:-}" ]] && cp "$work/tour-second.png" "$SCREENSHOT_OUT"
        panel=$(pixel_of "$work/tour-first.png" 60 50)
        [[ "$panel" == "255 127 0" ]] || fail "the panel's pixel is ($panel), not orange (255 127 0)"
        # setPixelRgb(x, y, 40, 80, phase) shows as red = phase, green 80, blue 40.
        read -r _ green blue < <(pixel_of "$work/tour-first.png" $((480 - 84 + 10)) 40)
        [[ "$green $blue" == "80 40" ]] || fail "the byte patch shows green $green, blue $blue, not 80 and 40"
        differing=$(compare -metric AE "$work/tour-first.png" "$work/tour-second.png" null: 2>&1)
        [[ "$differing" =~ ^[0-9]+$ && "$differing" -gt 0 ]] || fail "two frames 0.7 s apart do not differ ($differing)"
        wmctrl -c Window
        wait_exit "$pid" 3
        [[ "$exit_code" == "0" ]] || fail "after wmctrl -c canvas-tour gave '$exit_code' within 3 s, not exit code 0"
    fi
fi

# paint: a stroke with the left button, then Escape.
echo "== paint under X"
if [[ -x "$work/examples/paint" ]]; then
    "$work/examples/paint" 2>"$work/paint.err" &
    pid=$!
    id=$(find_window 10)
    if [[ -z "$id" ]]; then
        fail "paint opened no window titled Window; stderr: $(cat "$work/paint.err")"
        kill "$pid" 2>/dev/null
    else
        read -r cx cy < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
        xdotool windowactivate --sync "$id" 2>/dev/null
        xdotool key 2 mousemove $((cx + 100)) $((cy + 100)) sleep 0.2 mousedown 1 sleep 0.2
        for x in $(seq 110 10 300); do xdotool mousemove $((cx + x)) $((cy + 100)) sleep 0.02; done
        xdotool mouseup 1 sleep 0.3
        import -window "$id" "$work/paint.png"
        [[ $(pixel_of "$work/paint.png" 200 100) == "255 0 0" ]] ||
            fail "paint's stroke shows ($(pixel_of "$work/paint.png" 200 100)) at (200, 100), not red"
        [[ $(pixel_of "$work/paint.png" 200 200) == "0 0 0" ]] || fail "paint drew away from the stroke"
        xdotool key Escape
        wait_exit "$pid" 3
        [[ "$exit_code" == "0" ]] || fail "after Escape paint gave '$exit_code' within 3 s, not exit code 0"
    fi
fi

finish "installed libraries"
