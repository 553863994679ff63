#!/bin/bash
# vorpi.scr under Wine on a private Xvfb, one Wine prefix for all the cases:
# errors shown in a message box, /s full screen and what ends it, a resize,
# /p inside another program's window, /c and the registry, and the drawing
# against the native build's.
# Usage: wine-tests.sh WINDOWS_BUILD VORPI_RENDER. Exits 77 (skipped) when
# the Windows build (scripts/build-windows) or Wine is missing.
set -u
build=$1 render=$2
programs=$build/tests/hosts/windows/programs
scr=$build/src/hosts/windows/vorpi.scr probe=$programs/saver-probe.exe
for file in "$scr" "$probe" "$programs/dib-check.exe" "$programs/vorpi-trace.exe" "$programs/syscommand-hook.dll"; do
    [ -f "$file" ] || { echo "skipped: no Windows build in $build (scripts/build-windows makes one)"; exit 77; }
done
for tool in wine wineserver Xvfb xdotool xwd convert; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (scripts/install-deps --windows installs it)"; exit 77; }
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

# Waits up to $1 seconds for the saver to end (a zombie has ended), then ends it; its status goes to $status.
status=
saver_ends_within() {
    local ticks=0
    while [ -d "/proc/$saver_pid" ] && [ "$(cut -d' ' -f3 "/proc/$saver_pid/stat" 2>/dev/null)" != Z ]; do
        ((ticks++ < $1 * 20)) && sleep 0.05 || break
    done
    kill -9 "$saver_pid" 2>/dev/null
    wait "$saver_pid"
    status=$? saver_pid=
    echo "  status: $status"
    [ "$status" -eq 0 ]
}

# Starts the saver and waits up to 20 s for its window, named $1; the window's id goes to $window.
window=
start_saver() { # start_saver WINDOW-NAME ARGUMENTS...
    wine "$scr" "${@:2}" >/dev/null 2>&1 &
    saver_pid=$!
    for _ in $(seq 100); do
        window=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && sleep 1 && return 0
        sleep 0.2
    done
    return 1
}

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
timeout 120 wineboot -i >/dev/null 2>&1
timeout 60 wineserver -w

# What a user can get wrong: the reason in a message box, and the status kept.
for case in "2 /p 0|/p needs a window handle" "1 /p 12345|there is no window 12345" "1 /c:12345|there is no window 12345"; do
    read -r expected arguments <<<"${case%|*}"
    start_saver vorpi $arguments
    said=$(timeout 30 wine "$probe" dismiss | tr -d '\r')
    saver_ends_within 5
    check "$arguments shows '${case#*|}' and ends with status $expected" \
        test "$status" = "$expected" -a -n "$(grep -F "${case#*|}" <<<"$said")"
done

# /s. While no Wine program runs, xdotool cannot move Xvfb's pointer from the
# centre of the screen: the jitter is relative to where the pointer is.
check "/s opens a full-screen window" start_saver vorpi /s
check "/s lets monitor power requests through and holds back another screen saver" \
    timeout 30 wine "$probe" syscommands "Z:${programs//\//\\}\\syscommand-hook.dll"
xdotool mousemove_relative 2 0 sleep 0.2 mousemove_relative -- -2 2 sleep 0.2 mousemove_relative 1 -2
sleep 0.5
check "a 2-pixel jitter does not end /s" test -d "/proc/$saver_pid"
check "a key ends /s with status 0 within a second" eval 'xdotool windowfocus --sync "$window" key a; saver_ends_within 1'
for ender in "click 1" "mousemove 100 100"; do
    start_saver vorpi /s
    check "$ender ends /s with status 0 within a second" eval "xdotool $ender; saver_ends_within 1"
done

# /p inside a window of another program: the probe plays Screen Saver Settings.
check "/p draws as a child at its parent's size, 30 frames a second only while shown, and ends with it" \
    timeout 60 wine "$probe" preview "Z:${scr//\//\\}"

# A seed and a delay in the registry: /s draws what that seed draws anywhere,
# and resized after its first frame, draws on with the same random streams as
# a picture reshaped by hand (dib-check, which holds what DibImage presents
# against the canvas after every frame).
wine reg add 'HKCU\Software\vorpi' /v Seed /t REG_DWORD /d 5 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\vorpi' /v Delay /t REG_DWORD /d 2000000 /f >/dev/null 2>&1
start_saver vorpi /s
check "/s resized between its first and second frame" timeout 30 wine "$probe" resize 640 360
xwd -root -silent | convert xwd:- -crop 640x360+0+0 rgb:"$work/shown.rgb"
xdotool mousemove_relative 200 200 && saver_ends_within 5 >/dev/null
check "DibImage presents the canvas exactly" timeout 60 wine "$programs/dib-check.exe" 7 333 187 250 301 60
timeout 60 wine "$programs/dib-check.exe" 5 800 600 640 360 2 'C:\reshaped.rgb' >/dev/null
check "seeded /s draws on after a resize as a picture reshaped by hand" \
    cmp -s "$work/shown.rgb" "$WINEPREFIX/drive_c/reshaped.rgb"

# /c shows what the registry holds, a scale it does not offer too, and saves it on Return.
wine reg add 'HKCU\Software\vorpi' /v Scale /d 2.2 /f >/dev/null 2>&1
check "/c opens the settings dialog" start_saver "vorpi settings" /c
check "Return closes the dialog with status 0 within a second" \
    eval 'xdotool mousemove --window "$window" 10 10 windowfocus --sync "$window" key Return; saver_ends_within 1'
saved=$(wine reg query 'HKCU\Software\vorpi' 2>/dev/null | tr -s ' \r' ' ')
check "the dialog saved what it showed" \
    test "$(grep -c -e "Scale REG_SZ 2.2" -e "Seed REG_DWORD 0x5" -e "Delay REG_DWORD 0x1e8480" <<<"$saved")" = 3

# The same seed draws the same frames on Wine as on Linux: no departure was
# measured over 300 frames (README, "Windows"), and none is allowed.
timeout 60 wine "$programs/vorpi-trace.exe" 42 1920 1080 300 'C:\trace.txt'
"$render" --quiet --seed 42 --size 1920x1080 --frames 300 --trace "$work/native.txt"
check "the Windows trace of a seeded run is the native one" cmp "$work/native.txt" "$WINEPREFIX/drive_c/trace.txt"

[ "$failures" -eq 0 ]
