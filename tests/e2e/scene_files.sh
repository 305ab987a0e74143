#!/usr/bin/env bash
# Scene files through the tools: the demo's file gives the demo's bytes (the
# golden frames, and render-animation's frames), every shipped scene renders,
# and a file in error or one that cannot be read exits 2 or 1 with the reason.
#   scene_files.sh RENDER_FRAME RENDER_ANIMATION SCENES_DIR GOLDEN_DIR
set -u
frame=$1 animation=$2 scenes=$3 golden=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for t in 0 2.5 20; do
    "$frame" --scene "$scenes/demo.toml" --time "$t" --out "$dir/scene-$t.png" || fail "demo.toml at $t"
    "$frame" --time "$t" --out "$dir/demo-$t.png" || fail "the demo at $t"
    cmp -s "$dir/scene-$t.png" "$dir/demo-$t.png" || fail "demo.toml at $t: not the bytes of render-frame --time $t"
    cmp -s "$dir/scene-$t.png" "$golden/frame-$t.png" || fail "demo.toml at $t: not the bytes of frame-$t.png"
done

mkdir "$dir/a" "$dir/b"
"$animation" --scene "$scenes/demo.toml" --from 0 --to 1 --fps 6 --jobs 2 --quiet --out "$dir/a/f-%02d.png" ||
    fail "render-animation --scene demo.toml"
"$animation" --from 0 --to 1 --fps 6 --jobs 2 --quiet --out "$dir/b/f-%02d.png" || fail "render-animation"
[[ $(ls "$dir/a" | wc -l) -eq 6 ]] || fail "render-animation --scene wrote $(ls "$dir/a" | wc -l) frames, not 6"
diff -r "$dir/a" "$dir/b" >/dev/null || fail "render-animation --scene demo.toml differs from the demo's frames"

count=0
for scene in "$scenes"/*.toml; do
    name=$(basename "$scene" .toml)
    count=$((count + 1))
    if "$frame" --scene "$scene" --time 1.5 --size 96x54 --out "$dir/$name.png" 2>"$dir/err"; then
        file "$dir/$name.png" | grep -q 'PNG image data, 96 x 54, 8-bit/color RGB' ||
            fail "$name.toml at --size 96x54: $(file "$dir/$name.png")"
    else
        fail "$name.toml did not render: $(cat "$dir/err")"
    fi
done
[[ $count -ge 4 ]] || fail "only $count scenes in $scenes"
# Without --size the file's own size.
"$frame" --scene "$scenes/orbits.toml" --time 0 --out "$dir/own-size.png" &&
    file "$dir/own-size.png" | grep -q '480 x 270' || fail "orbits.toml is not 480 x 270 at its own size"
"$animation" --scene "$scenes/mirror-box.toml" --from 0 --to 0.5 --fps 4 --quiet --out "$dir/box-%d.png" &&
    file "$dir/box-1.png" | grep -q '480 x 360' || fail "render-animation --scene mirror-box.toml: not 480 x 360"

expect() {  # expect CODE PATTERN TOOL ARGS...
    local code=$1 pattern=$2 tool=$3
    shift 3
    "$tool" "$@" >/dev/null 2>"$dir/err"
    local got=$?
    if [[ $got -ne $code ]] || ! grep -q -- "$pattern" "$dir/err"; then
        fail "$(basename "$tool") $* gave $got, stderr: $(cat "$dir/err")"
    fi
}
printf 'format = 1\n[camera]\nkind = "demo"\neye = [0, 0, 0]\ncolour = 1\n' >"$dir/bad.toml"
expect 2 "^$dir/bad.toml:5:1: unknown key \"colour\" in camera" "$frame" --scene "$dir/bad.toml" --time 0 --out "$dir/x.png"
expect 2 "^$dir/bad.toml:5:1: " "$animation" --scene "$dir/bad.toml" --from 0 --to 1 --fps 1 --out "$dir/x-%d.png"
expect 1 "missing.toml: cannot read: No such file or directory" "$frame" --scene "$dir/missing.toml" --time 0 --out "$dir/x.png"
expect 1 "cannot read: Is a directory" "$animation" --scene "$dir" --from 0 --to 1 --fps 1 --out "$dir/x-%d.png"
expect 2 usage "$frame" --time 0 --size 10x10 --out "$dir/x.png"
expect 2 usage "$frame" --scene "$scenes/demo.toml" --time 0 --size 10x --out "$dir/x.png"
expect 2 usage "$frame" --scene "$scenes/demo.toml" --time 0 --size 0x10 --out "$dir/x.png"
[[ -e "$dir/x.png" ]] && fail "a file was written for a bad scene or bad arguments"

if [[ $failures -ne 0 ]]; then echo "$failures scene file checks failed"; exit 1; fi
echo "scene files: all checks passed"
