#!/bin/sh
# How much of one processor core vorpi and its X server use together while
# vorpi draws 30 frames a second over a whole Xvfb screen, with XScreenSaver's
# attraction hack (when installed) run the same way at the same time as a
# yardstick, at 1920x1080 and at 3840x2160; and each one's peak resident
# memory. The machine may be busy: the ratio within one run is what counts.
# A benchmark, not a test: it only reports.
#
# usage: bench/x11-cpu.sh [VORPI] [SECONDS] [BASELINE]
#   VORPI     the program (default build/src/hosts/x11/vorpi)
#   SECONDS   how long to measure at each size, after 2 s of warm-up (default 20)
#   BASELINE  another build of vorpi (an older one, say), run the same way at the same time
set -eu

vorpi=${1:-build/src/hosts/x11/vorpi}
seconds=${2:-20}
baseline=${3:-}
attraction=${ATTRACTION:-/usr/libexec/xscreensaver/attraction}
[ -x "$vorpi" ] || { echo "x11-cpu.sh: no program at $vorpi (build it first)" >&2; exit 1; }
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "x11-cpu.sh: no program at $baseline" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "x11-cpu.sh: Xvfb is missing (scripts/install-deps)" >&2; exit 1; }
[ -x "$attraction" ] || { echo "x11-cpu.sh: no $attraction (xscreensaver-data-extra); measuring vorpi alone" >&2; attraction=; }

work=$(mktemp -d)
pids=
finish() {
    for pid in $pids; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM

# Starts an Xvfb of size $1 that picks a free display itself; sets $display and $server.
# Programs go to the front of $pids, so that each ends before its server.
start_xvfb() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -br -noreset 3>"$work/display" 2>/dev/null &
    server=$!
    pids="$server $pids"
    tries=0
    until grep -q . "$work/display" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || { echo "x11-cpu.sh: Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    display=:$(head -n 1 "$work/display")
}

# utime + stime, fields 14 and 15 of /proc/PID/stat, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
peak() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

for size in 1920x1080 3840x2160; do
    start_xvfb "$size"
    vorpi_server=$server
    DISPLAY=$display "$vorpi" -root -seed 1 &
    vorpi_client=$!
    pids="$vorpi_client $pids"
    watched="vorpi $vorpi_client $vorpi_server"
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

    set -- $watched
    before=
    while [ $# -gt 0 ]; do before="$before $(ticks "$2") $(ticks "$3")"; shift 3; done
    wall_before=$(awk '{ print $1 }' /proc/uptime)
    sleep "$seconds"
    wall_after=$(awk '{ print $1 }' /proc/uptime)
    set -- $watched
    after=
    while [ $# -gt 0 ]; do after="$after $(ticks "$2") $(ticks "$3") $(peak "$2")"; shift 3; done

    echo "$size Xvfb, $(awk -v a="$wall_before" -v b="$wall_after" 'BEGIN { printf "%.1f", b - a }') s measured, % of one core:"
    echo "$watched | $before | $after" | awk -v hz="$(getconf CLK_TCK)" -v w0="$wall_before" -v w1="$wall_after" '
    {
        split($0, part, "|")
        n = split(part[1], name, " ")
        split(part[2], start, " ")
        split(part[3], end, " ")
        wall = w1 - w0
        printf "  %-12s %7s %7s %7s %12s\n", "", "client", "X", "total", "peak RSS"
        for (i = 0; i * 3 < n; i++) {
            client = 100 * (end[i * 3 + 1] - start[i * 2 + 1]) / hz / wall
            server = 100 * (end[i * 3 + 2] - start[i * 2 + 2]) / hz / wall
            total[i] = client + server
            printf "  %-12s %6.1f%% %6.1f%% %6.1f%% %9.1f MB\n", name[i * 3 + 1], client, server, total[i], end[i * 3 + 3]
        }
        last = n / 3 - 1
        if (name[last * 3 + 1] == "attraction" && total[last] > 0)
            printf "  vorpi / attraction: %.2f\n", total[0] / total[last]
    }'

    for pid in $pids; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    pids=
done
