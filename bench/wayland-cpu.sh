#!/bin/sh
# How much of one processor core vorpi-wayland and its compositor use together
# while it draws 30 frames a second over a whole output of a headless sway,
# side by side with vorpi -root on an Xvfb screen of the same size (client and
# X server), at 1920x1080 and at 3840x2160; and each program's peak resident
# memory. The machine may be busy: the ratio within one run is what counts.
# A benchmark, not a test: it only reports.
#
# usage: bench/wayland-cpu.sh [BUILD] [SECONDS]
#   BUILD    the build folder (default build)
#   SECONDS  how long to measure at each size, after 2 s of warm-up (default 20)
set -eu

build=${1:-build}
seconds=${2:-20}
wayland=$build/src/hosts/wayland/vorpi-wayland
x11=$build/src/hosts/x11/vorpi
for program in "$wayland" "$x11"; do
    [ -x "$program" ] || { echo "wayland-cpu.sh: no program at $program (build it first)" >&2; exit 1; }
done
for tool in sway Xvfb; do
    command -v $tool >/dev/null || { echo "wayland-cpu.sh: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done

. "$(dirname "$0")/cpu-share.sh"
# sway's runtime folder lies inside, where sway (nobody) must reach it.
chmod 755 "$work"

# A headless sway with one output of size $1, in a runtime folder of its own;
# as nobody when run as root (sway refuses root). Sets $runtime, $socket and $server.
start_sway() {
    runtime=$work/sway-$1
    mkdir -m 700 "$runtime"
    printf 'output HEADLESS-1 mode %s\nxwayland disable\n' "$1" >"$runtime/config"
    as=
    if [ "$(id -u)" -eq 0 ]; then
        chown -R 65534:65534 "$runtime"
        as="setpriv --reuid=65534 --regid=65534 --clear-groups"
    fi
    $as env -i PATH=/usr/bin:/bin HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$runtime/config" >/dev/null 2>&1 &
    server=$!
    pids="$server $pids"
    rm -f "$work/socket"
    (while ! ls "$runtime" | grep -x 'wayland-[0-9]*'; do sleep 0.1; done) >"$work/socket" &
    pids="$! $pids"
    await sway "$work/socket"
    socket=$(head -n 1 "$work/socket")
}

for size in 1920x1080 3840x2160; do
    start_sway "$size"
    XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket "$wayland" --seed 1 &
    pids="$! $pids"
    watched="vorpi-wayland $! $server"
    start_xvfb "$size"
    DISPLAY=$display "$x11" -root -seed 1 &
    pids="$! $pids"
    watched="$watched vorpi $! $server"
    sleep 2
    measure "$size" "$seconds" $watched
    stop_all
done
