#!/bin/bash
# How both programs end when the world around them fails: a stopped X server,
# a stopped ffmpeg, a stopped trace reader, a full disk (a small tmpfs, only
# when run as root), a video over a good one on a full disk, standard output
# closed, a file size limit and SIGTERM at random moments. Prints one row per case:
# its exit status (128 + N for death by signal N), the time from the signal
# (or the start) to the exit, and the files left in its output directory. A
# maintainer's script, not a test: it only reports.
#
# usage: bench/reliability.sh [BUILD] [RANDOM_RUNS]
#   BUILD        the build directory (default build)
#   RANDOM_RUNS  how many runs get SIGTERM at a random moment (default 10)
set -u

build=${1:-build}
runs=${2:-10}
vorpi=$build/src/hosts/x11/vorpi
render=$(realpath "$build/src/hosts/render/vorpi-render")
for program in "$vorpi" "$render"; do
    [ -x "$program" ] || { echo "reliability.sh: no program at $program (build it first)" >&2; exit 1; }
done
for tool in Xvfb ffmpeg; do
    command -v $tool >/dev/null || { echo "reliability.sh: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do
        kill -CONT "$pid" 2>/dev/null
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    mountpoint -q "$work/full" 2>/dev/null && umount "$work/full"
    mountpoint -q "$work/small" 2>/dev/null && umount "$work/small"
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM

now() { date +%s%N; }
printf '%-40s %7s %9s  %s\n' case status "exit ms" "files left"
row() { # case, status, start in ns, directory; the end is when reap saw the exit
    local left
    left=$(cd "$4" && ls -A | tr '\n' ' ')
    printf '%-40s %7s %9d  %s\n' "$1" "$2" $(((ended - $3) / 1000000)) "${left:--}"
}
# Waits up to 10 s for process $1 to end and sets $status; kills it if it does not.
reap() {
    local waited=0
    while kill -0 "$1" 2>/dev/null && [ $waited -lt 2000 ]; do
        sleep 0.005
        waited=$((waited + 1))
    done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    status=$?
    ended=$(now)
}
fresh() { rm -rf "$work/out" && mkdir "$work/out"; }

# --- vorpi under a stopped and a vanished X server (bash's notes on killed jobs left out)
for shm in yes no; do
    for ending in stopped killed; do
        extension=()
        [ $shm = no ] && extension=(-extension MIT-SHM)
        Xvfb -displayfd 3 "${extension[@]}" -screen 0 800x600x24 -nolisten tcp -br -noreset 3>"$work/display" 2>/dev/null &
        xvfb=$!
        pids+=("$xvfb")
        for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
        fresh
        DISPLAY=:$(cat "$work/display") "$vorpi" -root 2>"$work/out/stderr" &
        saver=$!
        sleep 1
        if [ $ending = stopped ]; then
            kill -STOP "$xvfb"
            sleep 0.3
            start=$(now)
            kill -TERM "$saver"
        else
            start=$(now)
            kill -KILL "$xvfb"
        fi
        reap "$saver"
        rm -f "$work/out/stderr"
        row "vorpi, X server $ending, shm $shm" "$status" "$start" "$work/out"
        { kill -CONT "$xvfb"; kill -KILL "$xvfb"; wait "$xvfb"; } 2>/dev/null
        : >"$work/display"
    done
done 2>/dev/null

# --- vorpi-render with ffmpeg stopped, and with the trace's reader stopped
fresh
(cd "$work/out" && exec "$render" --size 320x240 --frames 100000 --seed 1 --quiet --output v.mp4 2>/dev/null) &
renderer=$!
sleep 1
ffmpeg=$(cat "/proc/$renderer/task/$renderer/children" 2>/dev/null)
[ -n "$ffmpeg" ] && kill -STOP -- "-$ffmpeg"
sleep 0.5
start=$(now)
kill -TERM "$renderer"
reap "$renderer"
[ -n "$ffmpeg" ] && { kill -CONT -- "-$ffmpeg"; kill -KILL -- "-$ffmpeg"; } 2>/dev/null
row "vorpi-render, ffmpeg stopped, SIGTERM" "$status" "$start" "$work/out"

fresh
mkfifo "$work/trace"
# Opened for reading and writing, so that neither side waits in open().
sleep 100 <>"$work/trace" &
reader=$!
pids+=("$reader")
(cd "$work/out" && exec "$render" --frames 100000 --seed 1 --quiet --trace - >"$work/trace" 2>/dev/null) &
renderer=$!
kill -STOP "$reader"
sleep 0.5
start=$(now)
kill -TERM "$renderer"
reap "$renderer"
rm -f "$work/trace"
row "vorpi-render, trace reader stopped" "$status" "$start" "$work/out"

# --- vorpi-render onto a full disk
if [ "$(id -u)" = 0 ] && mkdir "$work/full" && mount -t tmpfs -o size=16k tmpfs "$work/full" 2>/dev/null; then
    for output in a.png v.mp4 t.txt; do
        option=--output
        [ $output = t.txt ] && option=--trace
        start=$(now)
        (cd "$work/full" && exec "$render" --size 640x480 --frames 300 --seed 1 --quiet $option $output 2>"$work/message")
        status=$?
        ended=$(now)
        row "vorpi-render, full disk, $output" "$status" "$start" "$work/full"
        [ -s "$work/message" ] && printf '    %s\n' "$(head -c 120 "$work/message")"
        rm -rf "${work:?}/full/"*
    done
else
    echo "(full disk: skipped, it needs root to mount a small tmpfs)"
fi

# --- vorpi-render: what a failed write leaves (a truncated video, standard output closed, a file size limit)
size() { stat -c %s "$1" 2>/dev/null || echo none; }
if [ "$(id -u)" = 0 ] && mkdir -p "$work/small" && mount -t tmpfs -o size=160k tmpfs "$work/small" 2>/dev/null; then
    (cd "$work/small" && exec "$render" --size 320x240 --frames 60 --seed 1 --quiet --output v.mp4 2>/dev/null)
    before=$(size "$work/small/v.mp4")
    start=$(now)
    (cd "$work/small" && exec "$render" --size 320x240 --frames 60 --seed 2 --quiet --output v.mp4 2>"$work/message")
    status=$?
    ended=$(now)
    row "vorpi-render, video over a good one, full" "$status" "$start" "$work/small"
    printf '    v.mp4: %s B before, %s B after; %s\n' "$before" "$(size "$work/small/v.mp4")" "$(head -c 100 "$work/message")"
    umount "$work/small"
else
    echo "(video over a good one: skipped, it needs root to mount a small tmpfs)"
fi
cases=("stdout closed, --trace -|--size 8x8 --frames 3 --trace - --output a.png >&-"
    "ulimit -f 16, a.png|--size 640x480 --frames 300 --output a.png"
    "ulimit -f 64, v.mp4|--size 640x480 --frames 300 --output v.mp4")
for case in "${cases[@]}"; do
    fresh
    limit=unlimited
    [[ $case == ulimit* ]] && limit=${case#ulimit -f } && limit=${limit%%,*}
    start=$(now)
    (cd "$work/out" && ulimit -f "$limit" && eval "exec \"\$render\" --seed 1 --quiet ${case#*|}" 2>"$work/message")
    status=$?
    ended=$(now)
    row "vorpi-render, ${case%%|*}" "$status" "$start" "$work/out"
    [ -s "$work/message" ] && printf '    %s\n' "$(head -c 120 "$work/message")"
done

# --- vorpi-render, SIGTERM at random moments
for run in $(seq "$runs"); do
    fresh
    (cd "$work/out" && exec "$render" --size 160x120 --frames 120 --seed "$run" --quiet \
        --output v.mp4 --output last.png --output f%03d.png --trace t.txt 2>/dev/null) &
    renderer=$!
    sleep "0.$((RANDOM % 1000))"
    start=$(now)
    kill -TERM "$renderer" 2>/dev/null
    reap "$renderer"
    frames=$(find "$work/out" -name 'f[0-9]*.png' | wc -l)
    find "$work/out" -name 'f[0-9]*.png' -delete
    row "vorpi-render, SIGTERM at random ($run)" "$status" "$start" "$work/out"
    echo "    and $frames frame images, each put in place whole"
done

# ---------------------------------------------------------------------------
# vorpi's shared memory and vorpi-xscreensaver-add's file promises: a block of
# its own. The shmget stand-in the X11 tests build stops or kills the X server
# right after vorpi has made its segment, before the server has attached it;
# each row counts the segments vorpi made that are still there. Then runs of
# vorpi-xscreensaver-add at once, and on a full disk (as root).
x11AndListRows() (
    shim=$build/tests/hosts/x11/libstop_server_at_shmget.so
    add=$build/data/vorpi-xscreensaver-add
    fixture=$(dirname "$0")/../tests/hosts/x11/fixtures/xscreensaver-6.06
    trap 'mountpoint -q "$work/small" && umount "$work/small"' EXIT
    trap 'exit 1' INT TERM
    segmentsOf() { awk -v pid="$1" 'NR > 1 && $5 == pid' /proc/sysvipc/shm | wc -l; }
    if [ -f "$shim" ]; then
        for signal in STOP KILL; do
            : >"$work/display"
            Xvfb -displayfd 3 -screen 0 3840x2160x24 -nolisten tcp -br -noreset 3>"$work/display" 2>/dev/null &
            xvfb=$!
            for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
            start=$(now)
            STOP_SERVER_AT_SHMGET="$xvfb $(kill -l $signal) 1" LD_PRELOAD=$shim DISPLAY=:$(cat "$work/display") \
                "$vorpi" -root 2>/dev/null &
            saver=$!
            if [ $signal = STOP ]; then
                for _ in $(seq 200); do grep -q ') T ' "/proc/$xvfb/stat" && break; sleep 0.01; done
                start=$(now)
                kill -TERM "$saver"
            fi
            reap "$saver"
            kill -CONT "$xvfb" 2>/dev/null
            for _ in $(seq 100); do [ "$(segmentsOf "$saver")" = 0 ] && break; sleep 0.02; done
            printf '%-40s %7s %9d  %s\n' "vorpi, server $signal at its shmget, 4K" "$status" $(((ended - start) / 1000000)) \
                "segments left: $(segmentsOf "$saver")"
            { kill -KILL "$xvfb"; wait "$xvfb"; } 2>/dev/null
        done 2>/dev/null
    else
        echo "(shared memory: skipped, it needs the shmget stand-in the tests build: $shim)"
    fi

    home=$work/home
    worst=0 whole=0 once=0
    start=$(now)
    for _ in $(seq 10); do
        rm -rf "$home" && mkdir "$home" && cp "$fixture" "$home/.xscreensaver"
        runs=()
        for _ in $(seq 12); do HOME=$home "$add" >/dev/null 2>&1 & runs+=($!); done
        for run in "${runs[@]}"; do
            wait "$run" || worst=$(($? > worst ? $? : worst))
        done
        cmp -s "$fixture" "$home/.xscreensaver.before-vorpi" && whole=$((whole + 1))
        [ "$(grep -c 'vorpi --root' "$home/.xscreensaver")" = 1 ] && once=$((once + 1))
    done
    printf '%-40s %7s %9d  %s\n' "xscreensaver-add, 12 at once, 10 times" "$worst" $((($(now) - start) / 1000000)) \
        "backup whole: $whole/10, Vorpi once: $once/10"

    if [ "$(id -u)" = 0 ] && mkdir -p "$work/small" && mount -t tmpfs -o size=64k tmpfs "$work/small" 2>/dev/null; then
        home=$work/small
        cp "$fixture" "$home/.xscreensaver"
        cat /dev/zero >"$home/fill" 2>/dev/null
        steps=0 lost=0 lines=0
        start=$(now)
        until HOME=$home "$add" >/dev/null 2>"$work/message"; do
            steps=$((steps + 1))
            cmp -s "$fixture" "$home/.xscreensaver" || lost=$((lost + 1))
            [ "$(wc -l <"$work/message")" = 1 ] && lines=$((lines + 1))
            truncate -s -4096 "$home/fill" || break
        done
        cmp -s "$fixture" "$home/.xscreensaver.before-vorpi" || lost=$((lost + 1))
        # Status 1 at each size too small, then 0.
        printf '%-40s %7s %9d  %s\n' "xscreensaver-add, full disk" "1..0" $((($(now) - start) / 1000000)) \
            "$steps failures, $lines in one line; lost: $lost; left: $(cd "$home" && ls -A | tr '\n' ' ')"
    else
        echo "(xscreensaver-add on a full disk: skipped, it needs root to mount a small tmpfs)"
    fi
)
x11AndListRows
