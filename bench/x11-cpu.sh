#!/bin/sh
# How much of one processor core vorpi and its X server use together while
# vorpi draws 30 frames a second over a whole Xvfb screen, with XScreenSaver's
# attraction hack (when installed) run the same way at the same time as a
# yardstick, at 1920x1080 and at 3840x2160; and each one's peak resident
# memory. The machine may be busy: the ratio within one run is what counts.
# A benchmark, not a test: it only reports.
#
# usage: bench/x11-cpu.sh [VORPI] [SECONDS] [DEPTHS] [BASELINE]
#   VORPI    the program (default build/src/hosts/x11/vorpi)
#   SECONDS  how long to measure at each size, after 2 s of warm-up (default 20)
#   DEPTHS   the screen depths to run vorpi at, each on a screen of its own at
#            the same time (default 24); "24 16" shows what converting the
#            picture to a 16-bit screen's pixels costs
#   BASELINE another build of vorpi (an older one, say), run the same way at the
#            same time at 24 bits
set -eu

vorpi=${1:-build/src/hosts/x11/vorpi}
seconds=${2:-20}
depths=${3:-24}
baseline=${4:-}
attraction=${ATTRACTION:-/usr/libexec/xscreensaver/attraction}
[ -x "$vorpi" ] || { echo "x11-cpu.sh: no program at $vorpi (build it first)" >&2; exit 1; }
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "x11-cpu.sh: no program at $baseline" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "x11-cpu.sh: Xvfb is missing (scripts/install-deps)" >&2; exit 1; }
[ -x "$attraction" ] || { echo "x11-cpu.sh: no $attraction (xscreensaver-data-extra); measuring vorpi alone" >&2; attraction=; }

. "$(dirname "$0")/cpu-share.sh"

for size in 1920x1080 3840x2160; do
    watched=
    for depth in $depths; do
        start_xvfb "$size" "$depth"
        DISPLAY=$display "$vorpi" -root -seed 1 &
        pids="$! $pids"
        name=vorpi
        [ "$depths" = 24 ] || name=vorpi@$depth
        watched="$watched $name $! $server"
    done
    if [ -n "$baseline" ]; then
        start_xvfb "$size"
        DISPLAY=$display "$baseline" -root -seed 1 &
        pids="$! $pids"
        watched="$watched baseline $! $server"
    fi
    if [ -n "$attraction" ]; then
        start_xvfb "$size"
        DISPLAY=$display "$attraction" -root &
        pids="$! $pids"
        watched="$watched attraction $! $server"
    fi
    sleep 2
    measure "$size Xvfb" "$seconds" $watched
    stop_all
done
