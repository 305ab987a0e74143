#!/usr/bin/env bash
# render-frame's command line: a PNG for good arguments, exit 2 with a usage
# line for bad ones, exit 1 with the reason when the file cannot be written,
# --help and --version on stdout with exit 0.
#   render_frame_cli.sh RENDER_FRAME VERSION
set -u
tool=$1
version=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect() {  # expect CODE PATTERN ARGS...
    local code=$1 pattern=$2
    shift 2
    "$tool" "$@" >"$dir/out" 2>"$dir/err"
    local got=$?
    if [[ $got -ne $code ]] || ! grep -q -- "$pattern" "$dir/err"; then
        echo "FAIL: render-frame $* gave $got, stderr: $(cat "$dir/err")"
        failures=$((failures + 1))
    fi
}

"$tool" --time 1.5 --out "$dir/a.png" || { echo "FAIL: good arguments"; failures=$((failures + 1)); }
"$tool" --out "$dir/b.png" --time 1.5 || { echo "FAIL: arguments in the other order"; failures=$((failures + 1)); }
if ! file "$dir/a.png" | grep -q 'PNG image data, 400 x 400, 8-bit/color RGB'; then
    echo "FAIL: not a 400 x 400 RGB PNG: $(file "$dir/a.png")"
    failures=$((failures + 1))
fi
cmp -s "$dir/a.png" "$dir/b.png" || { echo "FAIL: same time, different frames"; failures=$((failures + 1)); }

out=$("$tool" --time 1.5 --repeat 3 --out "$dir/r.png") || { echo "FAIL: --repeat 3"; failures=$((failures + 1)); }
if ! grep -Eq '^median ms per frame: [0-9.]+ \(min [0-9.]+, max [0-9.]+\)$' <<<"$out"; then
    echo "FAIL: --repeat printed: $out"
    failures=$((failures + 1))
fi
cmp -s "$dir/a.png" "$dir/r.png" || { echo "FAIL: a repeated frame differs"; failures=$((failures + 1)); }

expect 2 usage
expect 2 usage --time 1
expect 2 usage --out "$dir/c.png"
expect 2 usage --time abc --out "$dir/c.png"
expect 2 usage --time 1x --out "$dir/c.png"
expect 2 usage --time "" --out "$dir/c.png"
expect 2 usage --time nan --out "$dir/c.png"
expect 2 usage --time inf --out "$dir/c.png"
expect 2 usage --time 1e300 --out "$dir/c.png"
expect 2 usage --time 1 --out "$dir/c.png" --verbose
expect 2 usage --time 1 --time 2 --out "$dir/c.png"
expect 2 usage --time 1 --out
expect 2 usage --time 1 --repeat 0 --out "$dir/c.png"
expect 2 usage --time 1 --repeat -3 --out "$dir/c.png"
expect 2 usage --time 1 --repeat 2x --out "$dir/c.png"
expect 2 usage --time 1 --repeat 2 --repeat 2 --out "$dir/c.png"
[[ -e "$dir/c.png" ]] && { echo "FAIL: a file was written for bad arguments"; failures=$((failures + 1)); }
expect 1 "No such file or directory" --time 1 --out "$dir/missing/c.png"

# --help: the usage, then one line per option, on stdout only; wherever an
# option may stand. --version: the project's version.
for args in "--help" "--time 1 --help" "--version" "--time 1 --out $dir/h.png --version"; do
    # shellcheck disable=SC2086
    "$tool" $args >"$dir/out" 2>"$dir/err"
    code=$?
    [[ $code -eq 0 && ! -s "$dir/err" ]] || fail "render-frame $args gave $code, stderr: $(cat "$dir/err")"
    if [[ $args == *--help ]]; then
        [[ $(head -n 1 "$dir/out") == "usage: render-frame [--scene FILE.toml [--size WxH]] --time SECONDS [--repeat N] --out FILE.png" ]] ||
            fail "render-frame $args does not start with the usage: $(head -n 1 "$dir/out")"
        for option in --time --repeat --out --help --version; do
            [[ $(grep -c -- "^  $option " "$dir/out") -eq 1 ]] || fail "render-frame $args has no one line for $option"
        done
    else
        [[ $(cat "$dir/out") == "render-frame (raytracer) $version" ]] ||
            fail "render-frame $args printed $(cat "$dir/out"), not version $version"
    fi
done
[[ -e "$dir/h.png" ]] && fail "a file was written with --version"
expect 1 "Is a directory" --time 1 --out "$dir"

if [[ $failures -ne 0 ]]; then echo "$failures render-frame checks failed"; exit 1; fi
echo "render-frame command line: all checks passed"
