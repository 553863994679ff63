# What the processor-share benchmarks (x11-cpu.sh, wayland-cpu.sh) share:
# sourced by them, not run. Private display servers, and each program's and
# server's share of one core and peak resident memory, read from /proc.
# Sourcing it makes a scratch folder, $work, and ends every process in $pids
# and removes the folder when the script exits.

# Ends every process in $pids, the latest started first, and forgets them.
stop_all() {
    for pid in $pids; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    pids=
}

work=$(mktemp -d)
pids=
finish() {
    stop_all
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM

# Waits up to 10 s for server $1 to write a line to file $2.
await() {
    tries=0
    until grep -q . "$2" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || { echo "$(basename "$0"): $1 did not start" >&2; exit 1; }
        sleep 0.1
    done
}

# An Xvfb of size $1 and depth $2 (default 24) that picks a free display itself; sets $display and $server.
start_xvfb() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${1}x${2:-24}" -nolisten tcp -br -noreset 3>"$work/display" 2>/dev/null &
    server=$!
    pids="$server $pids"
    await Xvfb "$work/display"
    display=:$(head -n 1 "$work/display")
}

# utime + stime, fields 14 and 15 of /proc/PID/stat, in clock ticks; the peak resident set in MB.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
peak() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# usage: measure SIZE SECONDS NAME CLIENT SERVER [NAME CLIENT SERVER]...
# Prints each client's and server's share of one core over SECONDS and their
# peak resident memory, then each pair's total over the last one's.
measure() {
    label=$1 span=$2
    shift 2
    watched="$*"
    before=
    while [ $# -gt 0 ]; do before="$before $(ticks "$2") $(ticks "$3")"; shift 3; done
    wall_before=$(awk '{ print $1 }' /proc/uptime)
    sleep "$span"
    wall_after=$(awk '{ print $1 }' /proc/uptime)
    set -- $watched
    after=
    while [ $# -gt 0 ]; do after="$after $(ticks "$2") $(ticks "$3") $(peak "$2") $(peak "$3")"; shift 3; done

    echo "$label, $(awk -v a="$wall_before" -v b="$wall_after" 'BEGIN { printf "%.1f", b - a }') s measured, % of one core:"
    echo "$watched | $before | $after" | awk -v hz="$(getconf CLK_TCK)" -v w0="$wall_before" -v w1="$wall_after" '
    {
        split($0, part, "|")
        n = split(part[1], name, " ")
        split(part[2], start, " ")
        split(part[3], end, " ")
        wall = w1 - w0
        printf "  %-14s %7s %7s %7s %11s %11s\n", "", "client", "server", "total", "client RSS", "server RSS"
        for (i = 0; i * 3 < n; i++) {
            client = 100 * (end[i * 4 + 1] - start[i * 2 + 1]) / hz / wall
            server = 100 * (end[i * 4 + 2] - start[i * 2 + 2]) / hz / wall
            total[i] = client + server
            printf "  %-14s %6.1f%% %6.1f%% %6.1f%% %8.1f MB %8.1f MB\n", name[i * 3 + 1], client, server, total[i],
                end[i * 4 + 3], end[i * 4 + 4]
        }
        last = int((n - 1) / 3)
        for (i = 0; i < last && total[last] > 0; i++)
            printf "  %s / %s, client and server together: %.2f\n", name[i * 3 + 1], name[last * 3 + 1], total[i] / total[last]
    }'
}
