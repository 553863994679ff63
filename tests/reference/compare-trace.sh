#!/bin/sh
# Compares vorpi-render's trace of a seeded run, byte for byte, with the one
# the independent model prints. Usage: compare-trace.sh VORPI_RENDER SEED WxH FRAMES
set -eu
render=$1 seed=$2 size=$3 frames=$4
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$render" --quiet --seed "$seed" --size "$size" --frames "$frames" --trace "$work/program.txt"
python3 "$here/vorpi_reference.py" "$seed" "${size%x*}" "${size#*x}" "$frames" > "$work/model.txt"
if ! cmp -s "$work/program.txt" "$work/model.txt"; then
    echo "traces differ for seed $seed, size $size; first difference:" >&2
    diff "$work/program.txt" "$work/model.txt" | head -n 4 >&2
    exit 1
fi
echo "traces agree: seed $seed, size $size, $frames frames, $(wc -l < "$work/model.txt") lines"
