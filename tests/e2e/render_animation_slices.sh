#!/usr/bin/env bash
# A render split into slices (--frames) run side by side through GNU parallel,
# as on several machines, gives byte for byte the files of one whole run.
#   render_animation_slices.sh RENDER_ANIMATION
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sequence=(--from 0 --to 2 --fps 7)  # 14 frames

mkdir "$dir/whole" "$dir/slices"
"$tool" "${sequence[@]}" --out "$dir/whole/frame-%05d.png" || { echo "FAIL: the whole run"; exit 1; }

# Uneven slices, more of them than jobs, each run on one thread.
HOME="$dir" parallel --will-cite --halt now,fail=1 -j 2 \
    "$tool" "${sequence[@]}" --jobs 1 --frames {} --out "$dir/slices/frame-%05d.png" ::: 0:5 5:6 6:11 11:14 ||
    { echo "FAIL: a slice failed"; exit 1; }

if ! diff -r "$dir/whole" "$dir/slices"; then
    echo "FAIL: the slices differ from the whole run"
    exit 1
fi
echo "render-animation slices through parallel: $(ls "$dir/slices" | wc -l) frames, byte for byte the whole run's"
