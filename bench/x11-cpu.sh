#!/bin/sh
# How much of one processor core vorpi and the X server use together while
# vorpi draws 30 frames a second over a whole 1920x1080 Xvfb screen, and
# vorpi's peak resident memory. A benchmark, not a test: it only reports.
#
# usage: bench/x11-cpu.sh [VORPI] [SECONDS] [WIDTHxHEIGHT]
#   VORPI    the program (default build/src/hosts/x11/vorpi)
#   SECONDS  how long to measure, after 2 s of warm-up (default 20)
set -eu

vorpi=${1:-build/src/hosts/x11/vorpi}
seconds=${2:-20}
size=${3:-1920x1080}
[ -x "$vorpi" ] || { echo "x11-cpu.sh: no program at $vorpi (build it first)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "x11-cpu.sh: Xvfb is missing (scripts/install-deps)" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
saver=
finish() {
    [ -n "$saver" ] && kill "$saver" 2>/dev/null && wait "$saver" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM

# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -br -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
tries=0
until grep -q . "$work/display" 2>/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || { echo "x11-cpu.sh: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
display=:$(head -n 1 "$work/display")

DISPLAY=$display "$vorpi" -root -seed 1 &
saver=$!
sleep 2

# utime + stime, fields 14 and 15 of /proc/PID/stat, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
uptime() { awk '{ print $1 }' /proc/uptime; }
peak() { awk '/^VmHWM:/ { printf "%.1f MB", $2 / 1024 }' "/proc/$1/status"; }

saver_before=$(ticks "$saver")
xvfb_before=$(ticks "$xvfb")
wall_before=$(uptime)
sleep "$seconds"
saver_after=$(ticks "$saver")
xvfb_after=$(ticks "$xvfb")
wall_after=$(uptime)

awk -v s0="$saver_before" -v s1="$saver_after" -v x0="$xvfb_before" -v x1="$xvfb_after" \
    -v w0="$wall_before" -v w1="$wall_after" -v hz="$(getconf CLK_TCK)" -v size="$size" '
BEGIN {
    wall = w1 - w0
    saver = 100 * (s1 - s0) / hz / wall
    server = 100 * (x1 - x0) / hz / wall
    printf "vorpi -root on a %s Xvfb, %.1f s measured:\n", size, wall
    printf "  vorpi          %5.1f %% of one core\n", saver
    printf "  X server       %5.1f %% of one core\n", server
    printf "  together       %5.1f %% of one core\n", saver + server
}'
echo "  vorpi peak RSS  $(peak "$saver")"
echo "  Xvfb peak RSS   $(peak "$xvfb")"
