#!/usr/bin/env bash
# render-animation's command line: frames bit for bit render-frame's, the
# same with any number of jobs, one WebP, the progress line on a terminal
# only, exit 2 with a usage line for bad arguments, exit 1 with the reason
# and no cut-short file for output that cannot be written, Ctrl-C, a run
# stopped and finished with --skip-existing, and --help and --version.
#   render_animation_cli.sh RENDER_ANIMATION RENDER_FRAME VERSION
set -u
tool=$1
frame_tool=$2
version=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Frame k's time as the tool works it out, in double, to hand to render-frame.
time_of() { awk -v from="$1" -v fps="$2" -v k="$3" 'BEGIN { printf "%.17g", from + k / fps }'; }

# The frames, against render-frame, at a rate whose times are not round.
mkdir "$dir/seq"
"$tool" --from 0.1 --to 1.2 --fps 3 --jobs 2 --out "$dir/seq/f-%03d.png" 2>"$dir/err" || fail "a PNG sequence"
# Not a terminal: no progress line, only the summary.
[[ "$(cat "$dir/err")" =~ ^render-animation:\ 4\ frames\ written\ to\ .*seq.*\ in\ [0-9]+\ s$ ]] ||
    fail "stderr is no terminal, yet it printed more than the summary: $(cat -v "$dir/err")"
[[ $(ls "$dir/seq") == $'f-000.png\nf-001.png\nf-002.png\nf-003.png' ]] || fail "files for 0.1 + k/3 < 1.2: $(ls "$dir/seq" | tr '\n' ' ')"
for k in 0 2 3; do
    "$frame_tool" --time "$(time_of 0.1 3 $k)" --out "$dir/single-$k.png"
    cmp -s "$dir/single-$k.png" "$dir/seq/f-00$k.png" || fail "frame $k is not render-frame --time $(time_of 0.1 3 $k)"
done

# One job or three: the same bytes.
mkdir "$dir/one"
"$tool" --from 0.1 --to 1.2 --fps 3 --jobs 1 --out "$dir/one/f-%03d.png" || fail "--jobs 1"
diff -r "$dir/seq" "$dir/one" >/dev/null || fail "one job and two jobs wrote different files"

# A slice, and a pattern whose names are not zero-padded.
mkdir "$dir/slice"
"$tool" --from 0.1 --to 1.2 --fps 3 --frames 2:4 --out "$dir/slice/%d.png" || fail "--frames 2:4"
[[ $(ls "$dir/slice") == $'2.png\n3.png' ]] || fail "--frames 2:4 wrote $(ls "$dir/slice" | tr '\n' ' ')"
cmp -s "$dir/slice/3.png" "$dir/seq/f-003.png" || fail "frame 3 of a slice differs from frame 3 of the whole"

# One WebP: its frames, shown from round(k * 1000 / 6) ms, looping for ever, the first frame exact.
"$tool" --from 0 --to 1 --fps 6 --out "$dir/a.webp" || fail "a WebP"
info=$(webpmux -info "$dir/a.webp" 2>&1)
grep -q 'Number of frames: 6' <<<"$info" || fail "the WebP's frames: $info"
grep -q 'Loop Count : 0' <<<"$info" || fail "the WebP does not loop for ever: $info"
durations=$(awk '/^ *[0-9]+:/ {print $7}' <<<"$info" | tr '\n' ' ')
[[ "$durations" == "167 166 167 167 166 167 " ]] || fail "the frames' durations in ms: $durations"
webpmux -get frame 1 "$dir/a.webp" -o "$dir/first.webp" >/dev/null 2>&1 && dwebp -quiet "$dir/first.webp" -o "$dir/first.png" ||
    fail "cannot take the WebP's first frame out"
"$frame_tool" --time 0 --out "$dir/t0.png"
differing=$(compare -metric AE "$dir/first.png" "$dir/t0.png" null: 2>&1)
[[ "$differing" == "0" ]] || fail "the WebP's first frame differs from render-frame --time 0 in $differing pixels"

# The progress line, on a terminal only, and not with --quiet. One job and
# enough frames that the run outlasts the first redraw interval on any machine.
script -qec "'$tool' --jobs 1 --from 0 --to 1 --fps 100 --out '$dir/tty-%d.png'" /dev/null >"$dir/tty" 2>&1
grep -q 'frames/s, .* left' "$dir/tty" || fail "no progress on a terminal: $(cat -v "$dir/tty")"
grep -Eq 'render-animation: 100 frames written to .*tty-0.png to .*tty-99.png in [0-9]+ s' "$dir/tty" ||
    fail "no closing line on a terminal: $(cat -v "$dir/tty")"
script -qec "'$tool' --quiet --from 0 --to 1 --fps 4 --out '$dir/quiet-%d.png'" /dev/null >"$dir/quiet" 2>&1
[[ -s "$dir/quiet" ]] && fail "--quiet printed: $(cat -v "$dir/quiet")"

# Bad arguments: a usage line, exit 2, no file.
expect() {  # expect CODE PATTERN ARGS...
    local code=$1 pattern=$2
    shift 2
    "$tool" "$@" >"$dir/out" 2>"$dir/err"
    local got=$?
    if [[ $got -ne $code ]] || ! grep -q -- "$pattern" "$dir/err"; then
        fail "render-animation $* gave $got, stderr: $(cat "$dir/err")"
    fi
}
mkdir "$dir/bad"
good=(--from 0 --to 1 --fps 10)
expect 2 usage
expect 2 usage --from 0 --to 1 --fps 10
expect 2 usage --from 0 --to 1 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --out "$dir/bad/%d.png" --verbose
expect 2 usage "${good[@]}" --out "$dir/bad/%d.png" --jobs
expect 2 usage --from abc --to 1 --fps 10 --out "$dir/bad/%d.png"
expect 2 usage --from nan --to 1 --fps 10 --out "$dir/bad/%d.png"
expect 2 usage --from 0 --to inf --fps 10 --out "$dir/bad/%d.png"
expect 2 usage --from 0 --to 1e300 --fps 10 --out "$dir/bad/%d.png"
expect 2 usage --from 1 --to 1 --fps 10 --out "$dir/bad/%d.png"
expect 2 usage --from 2 --to 1 --fps 10 --out "$dir/bad/%d.png"
expect 2 usage --from 0 --to 1 --fps 0 --out "$dir/bad/%d.png"
expect 2 usage --from 0 --to 1 --fps 1001 --out "$dir/bad/%d.png"
expect 2 usage --from 0 --to 1 --fps -1 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --out "$dir/bad/frame.png"
expect 2 usage "${good[@]}" --out "$dir/bad/%d-%d.png"
expect 2 usage "${good[@]}" --out "$dir/bad/%s.png"
expect 2 usage "${good[@]}" --out "$dir/bad/%n.png"
expect 2 usage --from 0 --to 1000.01 --fps 1000 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --frames 5:11 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --frames 3:3 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --frames 3 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --frames 0:5 --out "$dir/bad/a.webp"
expect 2 usage "${good[@]}" --jobs 0 --out "$dir/bad/%d.png"
expect 2 usage "${good[@]}" --skip-existing --out "$dir/bad/a.webp"
expect 2 usage "${good[@]}" --skip-existing --skip-existing --out "$dir/bad/%d.png"
expect 2 usage --verbose --help
[[ -z "$(ls -A "$dir/bad")" ]] && [[ ! -e "$dir/bad/a.webp" ]] || fail "bad arguments left files: $(ls "$dir/bad")"

# Output that cannot be written: the reason, exit 1, nothing cut short.
expect 1 "No such file or directory" "${good[@]}" --out "$dir/missing/%d.png"
expect 1 "No such file or directory" "${good[@]}" --out "$dir/missing/a.webp"
mkdir -p "$dir/taken/0.png"
expect 1 "Is a directory" "${good[@]}" --out "$dir/taken/%d.png"
if [[ $(id -u) -ne 0 ]]; then  # root may write anywhere
    mkdir "$dir/locked" && chmod a-w "$dir/locked"
    expect 1 "Permission denied" "${good[@]}" --out "$dir/locked/%d.png"
fi
# A full disk, as a limit on the size of a file (1 KiB, below one frame):
# what the tool sees when a write fails part way.
for out in "$dir/full/%d.png" "$dir/full/a.webp"; do
    rm -rf "$dir/full" && mkdir "$dir/full"
    (ulimit -f 1; trap '' XFSZ; exec "$tool" "${good[@]}" --out "$out") >/dev/null 2>"$dir/err"
    code=$?
    [[ $code -eq 1 ]] && grep -q "File too large" "$dir/err" || fail "a full disk for $out gave $code: $(cat "$dir/err")"
    [[ -z "$(ls -A "$dir/full")" ]] || fail "a full disk left $(ls "$dir/full" | tr '\n' ' ')"
done

# Ctrl-C: the run stops at once, as interrupted, with whole frames only.
mkdir "$dir/stop"
set -m  # a job of its own, which takes Ctrl-C as a terminal would send it
"$tool" --from 0 --to 1000 --fps 10 --jobs 2 --out "$dir/stop/%06d.png" 2>"$dir/err" &
pid=$!
set +m
for _ in $(seq 100); do [[ $(ls "$dir/stop" | wc -l) -ge 3 ]] && break; sleep 0.1; done
kill -INT "$pid"
start=$(date +%s%N)
wait "$pid"
code=$?
waited=$((($(date +%s%N) - start) / 1000000))
[[ $code -eq 130 ]] || fail "after Ctrl-C the exit status is $code, not 130 (killed by SIGINT)"
[[ $waited -lt 2000 ]] || fail "Ctrl-C took $waited ms to stop the run"
ls "$dir/stop" | grep -qv '^[0-9]\{6\}\.png$' && fail "Ctrl-C left $(ls "$dir/stop" | grep -v 'png$')"
last=$(ls "$dir/stop" | tail -n 1)
count=$(ls "$dir/stop" | wc -l)
[[ "$last" == "$(printf '%06d.png' $((count - 1)))" ]] || fail "the frames before Ctrl-C are not 0 to $((count - 1))"
"$frame_tool" --time "$(time_of 0 10 $((count - 1)))" --out "$dir/last.png"
cmp -s "$dir/last.png" "$dir/stop/$last" || fail "the last frame before Ctrl-C, $last, is not whole"

# A run stopped with Ctrl-C part way and finished with --skip-existing: the
# files those of one whole run, byte for byte, and the frames already there
# left untouched.
whole=(--from 0 --to 12 --fps 10 --jobs 2)
total=120
mkdir "$dir/whole" "$dir/resumed"
"$tool" "${whole[@]}" --out "$dir/whole/%03d.png" 2>/dev/null || fail "the whole run for resuming"
set -m
"$tool" "${whole[@]}" --out "$dir/resumed/%03d.png" 2>/dev/null &
pid=$!
set +m
for _ in $(seq 200); do [[ $(ls "$dir/resumed" | wc -l) -ge 20 ]] && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
code=$?
stopped=$(ls "$dir/resumed" | wc -l)
[[ $code -eq 130 && $stopped -ge 20 && $stopped -lt $total ]] ||
    fail "the run to resume gave $code with $stopped of $total frames, not 130 part way"
# Frames made now are newer than this; those kept stay as old.
touch -d '2001-01-01' "$dir/resumed"/*.png
made_now() { find "$dir/resumed" -name '*.png' -newermt '2002-01-01' | wc -l; }
"$tool" "${whole[@]}" --skip-existing --out "$dir/resumed/%03d.png" 2>"$dir/err" || fail "--skip-existing: $(cat "$dir/err")"
diff -r "$dir/whole" "$dir/resumed" >/dev/null || fail "a stopped run finished with --skip-existing differs from a whole run"
[[ $(made_now) -eq $((total - stopped)) ]] ||
    fail "--skip-existing wrote $(made_now) files, not the $((total - stopped)) that were missing"
grep -q "^render-animation: $((total - stopped)) frames written to .*, $stopped were there already$" "$dir/err" ||
    fail "the closing line after resuming: $(cat "$dir/err")"
"$tool" "${whole[@]}" --skip-existing --out "$dir/resumed/%03d.png" 2>"$dir/err" || fail "--skip-existing with nothing left"
grep -q "^render-animation: all $total frames were there already$" "$dir/err" || fail "nothing left to make: $(cat "$dir/err")"
[[ $(made_now) -eq $((total - stopped)) ]] || fail "--skip-existing with every frame there wrote files"

# --help: the usage, then one line per option, on stdout only.
# --version: the project's version.
for args in "--help" "--from 0 --help" "--version" "--jobs 2 --version"; do
    # shellcheck disable=SC2086
    "$tool" $args >"$dir/out" 2>"$dir/err"
    code=$?
    [[ $code -eq 0 && ! -s "$dir/err" ]] || fail "render-animation $args gave $code, stderr: $(cat "$dir/err")"
    if [[ $args == *--help ]]; then
        head -n 1 "$dir/out" | grep -q '^usage: render-animation --from T0 --to T1 --fps F --out' ||
            fail "render-animation $args does not start with the usage: $(head -n 1 "$dir/out")"
        for option in --from --to --fps --out --frames --jobs --skip-existing --quiet --help --version; do
            [[ $(grep -c -- "^  $option " "$dir/out") -eq 1 ]] || fail "render-animation $args has no one line for $option"
        done
    else
        [[ $(cat "$dir/out") == "render-animation (raytracer) $version" ]] ||
            fail "render-animation $args printed $(cat "$dir/out"), not version $version"
    fi
done

if [[ $failures -ne 0 ]]; then echo "$failures render-animation checks failed"; exit 1; fi
echo "render-animation command line: all checks passed"
