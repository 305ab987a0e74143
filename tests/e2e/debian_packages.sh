#!/usr/bin/env bash
# The Debian packages as a user meets them: made with cpack from BUILD_DIR
# (configured with -DCMAKE_INSTALL_PREFIX=/usr), their contents and
# dependencies, lintian, then installed with apt-get: the programs on the
# PATH, render-frame's golden frame, examples/ built against the installed
# libraries alone; then removed, with nothing left behind.
#   debian_packages.sh BUILD_DIR
# Installing needs root: as another user it goes through sudo. Packages of
# these names that an earlier, interrupted run left installed are removed
# first.
set -u
build=$(realpath "$1")
root=$(realpath "$(dirname "$0")/../..")
export TMPDIR="$build"
source "$(dirname "$0")/x_session.sh"
jobs=$(nproc 2>/dev/null || echo 2)
as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900)
packages=(raytracer libraytracer-dev)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)

known() { dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null | grep -qvx not-installed; }
# Ours, and what apt pulled in for them; also when the test stops half-way.
pulled=()
remove_ours() {
    local present=() p
    for p in "${packages[@]}" "${pulled[@]}"; do known "$p" && present+=("$p"); done
    [[ ${#present[@]} -eq 0 ]] || "${apt[@]}" purge -y "${present[@]}" >>"$work/remove.log" 2>&1
}
trap 'remove_ours; cleanup' EXIT
remove_ours

echo "== cpack"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { echo "cpack failed: $(tail -n 30 "$work/cpack.log")"; exit 1; }
grep -i 'warning' "$work/cpack.log" && fail "cpack warned"
declare -A deb
for p in "${packages[@]}"; do
    deb[$p]="$build/packages/${p}_${version}_${arch}.deb"
    [[ -f "${deb[$p]}" ]] || { echo "no ${deb[$p]##*/}; made: $(ls "$build/packages")"; exit 1; }
done

echo "== contents"
contents() { dpkg-deb -c "${deb[$1]}" | awk '{print $6}' | sed 's|^\./|/|; s|/$||'; }
has() {  # has PACKAGE PATH...
    local p=$1 path
    shift
    for path in "$@"; do contents "$p" | grep -qx -- "$path" || fail "$p lacks $path"; done
}
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
has raytracer /usr/bin/raytracer /usr/bin/render-frame /usr/bin/view-scene /usr/share/man/man1/view-scene.1.gz \
    /usr/share/man/man1/raytracer.1.gz /usr/share/man/man1/render-frame.1.gz \
    /usr/share/applications/raytracer.desktop /usr/share/raytracer/scenes/demo.toml \
    /usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/raytracer.png \
    /usr/share/doc/raytracer/copyright /usr/share/doc/raytracer/changelog.gz
if [[ -x "$build/tools/render-animation" ]]; then
    has raytracer /usr/bin/render-animation /usr/share/man/man1/render-animation.1.gz
fi
has libraytracer-dev /usr/include/raytracer/scene/scene.h /usr/include/raytracer/render/scene_renderer.h \
    /usr/include/raytracer/raytracer_version.h \
    /usr/lib/"$multiarch"/libraytracer-{tracer,timing,canvas,render,bmpwindow,png}.a \
    /usr/lib/"$multiarch"/cmake/raytracer/raytracerConfig.cmake \
    /usr/lib/"$multiarch"/pkgconfig/raytracer-{tracer,timing,canvas,render,bmpwindow,png}.pc \
    /usr/share/doc/libraytracer-dev/copyright /usr/share/doc/libraytracer-dev/changelog.gz
# Read in this shell, not a pipe's, so that the failures count.
while read -r f; do fail "raytracer holds $f"; done < <(contents raytracer | grep -E '^/usr/(include|lib)' | head -n 3)
while read -r f; do fail "libraytracer-dev holds $f"; done < <(contents libraytracer-dev |
    grep -E '^/usr/bin|^/usr/share/(man|applications|icons)|/render/fast' | head -n 3)
cmp -s <(dpkg-deb --fsys-tarfile "${deb[raytracer]}" | tar -xO ./usr/share/doc/raytracer/copyright) "$root/LICENSE" ||
    fail "raytracer's copyright file is not LICENSE"
for size in 48 128 256; do
    got=$(dpkg-deb --fsys-tarfile "${deb[raytracer]}" | tar -xO "./usr/share/icons/hicolor/${size}x${size}/apps/raytracer.png" |
        identify -format '%wx%h' -)
    [[ "$got" == "${size}x${size}" ]] || fail "the ${size}x${size} icon is $got"
done

echo "== dependencies"
depends() { dpkg-deb -f "${deb[$1]}" Depends; }
echo "raytracer: $(depends raytracer)"
echo "libraytracer-dev: $(depends libraytracer-dev)"
# What dpkg-shlibdeps found the programs linking.
for lib in libc6 libstdc\\+\\+6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1 libpng16-16; do
    depends raytracer | grep -Eq "(^|, )$lib( |,|$)" || fail "raytracer does not depend on $lib"
done
for dev in libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libpng-dev; do
    depends libraytracer-dev | grep -Eq "(^|, )$dev( |,|$)" || fail "libraytracer-dev does not depend on $dev"
done

echo "== lintian"
lintian --info "${deb[raytracer]}" "${deb[libraytracer-dev]}" >"$work/lintian.log" 2>&1
cat "$work/lintian.log"
grep -q '^E: ' "$work/lintian.log" && fail "lintian found errors"

echo "== manual pages"
dpkg-deb -x "${deb[raytracer]}" "$work/unpacked"
for page in "$work"/unpacked/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "${page##*/}: $warnings"
done

echo "== apt-get install"
before=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' | sort)
# What apt would pull in beside ours, to take out again afterwards.
mapfile -t pulled < <("${apt[@]}" install --simulate "${deb[@]}" 2>/dev/null | awk '/^Inst / {print $2}' |
    grep -v -x -e raytracer -e libraytracer-dev)
"${apt[@]}" install -y "${deb[@]}" >"$work/install.log" 2>&1 || fail "apt-get install failed: $(tail -n 20 "$work/install.log")"
[[ ${#pulled[@]} -eq 0 ]] || echo "apt also installed: ${pulled[*]}"
for p in "${packages[@]}"; do
    dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || fail "$p is not installed"
done
files=$(dpkg -L "${packages[@]}" 2>/dev/null)

for program in raytracer render-frame; do
    [[ $(command -v "$program") == "/usr/bin/$program" ]] || fail "$program on the PATH is '$(command -v "$program")'"
done
(cd "$work" && render-frame --time 2.5 --out installed-2.5.png) || fail "the installed render-frame failed"
differing=$(compare -metric AE "$work/installed-2.5.png" "$root/tests/golden/frame-2.5.png" null: 2>&1)
[[ "$differing" == "0" ]] || fail "the installed render-frame's frame at t = 2.5: $differing pixels differ from the golden one"
env -u DISPLAY -u WAYLAND_DISPLAY raytracer 2>"$work/raytracer.err"
code=$?
[[ $code -eq 1 ]] && grep -q '^raytracer: ' "$work/raytracer.err" ||
    fail "the installed raytracer without a display gave $code: $(cat "$work/raytracer.err")"

echo "== examples/ against the installed libraries"
if cmake -S "$root/examples" -B "$work/examples" -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        >"$work/examples.log" 2>&1 && cmake --build "$work/examples" -j "$jobs" >>"$work/examples.log" 2>&1; then
    grep -q '/usr/lib/.*/cmake/raytracer' "$work/examples/CMakeCache.txt" ||
        fail "the examples did not find the package in /usr: $(grep raytracer_DIR "$work/examples/CMakeCache.txt")"
    grep -q -- "$root/src" "$work/examples/compile_commands.json" &&
        fail "the examples were compiled against the source tree"
    grep -i 'warning' "$work/examples.log" && fail "warnings building the examples"
    "$work/examples/own-scene" "$work/own-scene.png" || fail "own-scene failed"
    differing=$(compare -metric AE "$work/own-scene.png" "$root/tests/golden/own-scene.png" null: 2>&1)
    [[ "$differing" == "0" ]] || fail "own-scene: $differing pixels differ from tests/golden/own-scene.png"
else
    fail "the examples do not build against the installed package: $(tail -n 30 "$work/examples.log")"
fi
# shellcheck disable=SC2046
c++ -o "$work/own-scene-pc" "$root/examples/own_scene.cpp" $(env -u PKG_CONFIG_PATH pkg-config --cflags --libs raytracer-render raytracer-png) \
    >"$work/pc.log" 2>&1 || fail "own-scene does not build with pkg-config: $(head -n 20 "$work/pc.log")"
if [[ -x "$work/own-scene-pc" ]]; then
    "$work/own-scene-pc" "$work/own-scene-pc.png" || fail "own-scene (pkg-config) failed"
    cmp -s "$work/own-scene.png" "$work/own-scene-pc.png" || fail "own-scene's pictures by CMake and pkg-config differ"
fi

echo "== removal"
remove_ours
for p in "${packages[@]}" "${pulled[@]}"; do known "$p" && fail "$p is still known to dpkg"; done
# Every file is gone; every folder is gone or another package's.
left=0
while read -r path; do
    [[ -z "$path" || ! -e "$path" ]] && continue
    if [[ -d "$path" && ! -L "$path" ]] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    fail "left behind: $path"
    left=$((left + 1))
done <<<"$files"
echo "$(wc -l <<<"$files") paths installed, $left left behind"
after=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' | sort)
[[ "$before" == "$after" ]] || fail "the installed packages differ from before: $(diff <(echo "$before") <(echo "$after") | head)"

finish "Debian packages"
