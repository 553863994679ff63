#!/bin/bash
# vorpi.scr under Wine on a private Xvfb, one Wine prefix for all the cases:
# /s full screen and what ends it, /p inside another program's window, /c and
# the registry, and the drawing against the native build's.
# Usage: wine-tests.sh WINDOWS_BUILD VORPI_RENDER. Exits 77 (skipped) when
# the Windows build (scripts/build-windows) or Wine is missing.
set -u
build=$1 render=$2
here=$(cd "$(dirname "$0")" && pwd)
scr=$build/src/hosts/windows/vorpi.scr
probe=$build/tests/hosts/windows/programs/saver-probe.exe
tracer=$build/tests/hosts/windows/programs/vorpi-trace.exe
if [ ! -f "$scr" ] || [ ! -f "$probe" ] || [ ! -f "$tracer" ]; then
    echo "skipped: no Windows build in $build (scripts/build-windows makes one)"
    exit 77
fi
for tool in wine wineserver Xvfb xdotool xwd convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (scripts/install-deps --windows installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid= saver_pid=
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    if [ -n "$saver_pid" ]; then kill -9 "$saver_pid" 2>/dev/null; wait "$saver_pid" 2>/dev/null; fi
    timeout 10 wineserver -k 2>/dev/null
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}

quietly() { "$@" >/dev/null 2>&1; }

# Waits up to $2 seconds for process $1 to end (a zombie has ended); its status goes to $status.
status=
wait_end() {
    local pid=$1 deadline=$((SECONDS + $2 * 20)) ticks=0
    while [ -d "/proc/$pid" ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ]; do
        if [ $ticks -ge $(($2 * 20)) ]; then
            kill -9 "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            status=timeout
            return 1
        fi
        sleep 0.05
        ticks=$((ticks + 1))
    done
    wait "$pid"
    status=$?
    [ "$status" -eq 0 ]
}

# Waits up to 20 s for a window whose name is $1; its id goes to $window.
window=
wait_window() {
    local tries
    for tries in $(seq 100); do
        window=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && return 0
        sleep 0.2
    done
    return 1
}

start_saver() {
    wine "$scr" "$@" >/dev/null 2>&1 &
    saver_pid=$!
}

# The full-screen saver drew creatures: more than 1 % of the screen is lit.
screen_shows_creatures() {
    local lit
    lit=$(xwd -root -silent | convert xwd:- -colorspace gray -threshold 8% -format '%[fx:mean]' info:)
    echo "  lit share of the screen: $lit"
    awk -v lit="$lit" 'BEGIN { exit !(lit > 0.01) }'
}

frame_rate_between() { # frame_rate_between LOW HIGH
    local rate
    rate=$(timeout 20 wine "$probe" rate 2000 | tr -d '\r')
    echo "  frames per second: $rate"
    awk -v rate="$rate" -v low="$1" -v high="$2" 'BEGIN { exit !(rate >= low && rate <= high) }'
}

ends_within_a_second() { # ends_within_a_second XDOTOOL-ARGUMENTS...
    xdotool "$@"
    wait_end "$saver_pid" 1
    local ended=$?
    saver_pid=
    echo "  status: $status"
    return $ended
}

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for tries in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
timeout 120 wineboot -i >/dev/null 2>&1
timeout 60 wineserver -w

# Bad input: a clear line and a non-zero status.
message=$(timeout 30 wine "$scr" /p 0 2>&1)
check "/p 0 is refused with a reason" test $? -eq 2 -a -n "$(echo "$message" | grep 'vorpi: /p needs a window handle')"

# /s. Wine starts out believing the pointer is at the centre of the screen and
# tells the saver so in its first mouse message: the pointer rests there.
xdotool mousemove 400 300
start_saver /s
check "/s opens a full-screen window" wait_window vorpi
sleep 1.5
check "/s draws the creatures" screen_shows_creatures
check "/s runs at the view's 30 frames a second" frame_rate_between 24 36
xdotool mousemove 402 300 sleep 0.2 mousemove 400 302 sleep 0.2 mousemove 401 300
sleep 0.5
check "a 2-pixel jitter does not end /s" test -d "/proc/$saver_pid"
check "a key ends /s with status 0 within a second" \
    ends_within_a_second mousemove --window "$window" 401 300 windowfocus --sync "$window" key a

start_saver /s
wait_window vorpi && sleep 1
check "a click ends /s with status 0 within a second" ends_within_a_second click 1

start_saver /s
wait_window vorpi && sleep 1
check "a large mouse move ends /s with status 0 within a second" ends_within_a_second mousemove 100 100

# /p inside a window of another program: the probe plays Screen Saver Settings.
check "/p draws as a child at its parent's size, only while shown, and ends with it" \
    timeout 60 wine "$probe" preview "Z:${scr//\//\\}"

# /c: the dialog saves on Return; a delay in the registry paces /s.
start_saver /c
check "/c opens the settings dialog" wait_window "vorpi settings"
check "Return closes the dialog with status 0 within a second" \
    ends_within_a_second mousemove --window "$window" 10 10 windowfocus --sync "$window" key Return
check "the dialog saved its settings" quietly timeout 30 wine reg query 'HKCU\Software\vorpi' /v Scale
timeout 30 wine reg add 'HKCU\Software\vorpi' /v Delay /t REG_DWORD /d 200000 /f >/dev/null 2>&1
start_saver /s
wait_window vorpi && sleep 1
check "a delay of 0.2 s in the registry gives /s 5 frames a second" frame_rate_between 3.5 6
xdotool mousemove 400 300 sleep 0.3 mousemove 100 100
wait_end "$saver_pid" 5
saver_pid=

# The same seed draws the same frames run after run; against the native build,
# no departure was measured over 300 frames (README, "Windows").
timeout 60 wine "$tracer" 42 1920 1080 300 'C:\trace1.txt' && timeout 60 wine "$tracer" 42 1920 1080 300 'C:\trace2.txt'
check "the same seed gives the same trace on Wine" cmp -s "$WINEPREFIX/drive_c/trace1.txt" "$WINEPREFIX/drive_c/trace2.txt"
"$render" --quiet --seed 42 --size 1920x1080 --frames 300 --trace "$work/native.txt"
check "the Windows trace departs from the native one no more than measured" \
    python3 "$here/compare-traces.py" "$work/native.txt" "$WINEPREFIX/drive_c/trace1.txt" 0 0

[ "$failures" -eq 0 ]
