#!/bin/sh
# The PNG of one seeded run must keep its SHA-256, with the blend kernel that
# VORPI_RASTER_SIMD picks. When pixels change on purpose, renew the sum in
# CMakeLists.txt with: vorpi-render --seed 1 --size 640x360 --frames 300 --output x.png && sha256sum x.png
# usage: golden-png.sh VORPI_RENDER SHA256
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$1" --seed 1 --size 640x360 --frames 300 --quiet --output "$work/run.png"
sum=$(sha256sum "$work/run.png" | cut -d' ' -f1)
[ "$sum" = "$2" ] || { echo "golden-png.sh: the run's PNG has SHA-256 $sum, not $2" >&2; exit 1; }
