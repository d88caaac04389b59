#!/bin/bash
# The test rig's Wine environment: a private prefix, a private Xvfb display and a
# persistent wineserver, all kept under one rig folder inside the build tree.
#
#   wine-rig.sh start RIG_DIR [DPI]  make sure all three are there; DPI (96 unless
#                                    given) is kept in RIG_DIR for later calls
#   wine-rig.sh stop RIG_DIR         stop the wineserver and the display
#   wine-rig.sh env RIG_DIR          print the environment (for eval)
#
# Wine's helper processes inherit the standard streams of whoever starts them
# and keep them open while the wineserver lives, so nothing here lets a Wine
# process see a pipe: every stream goes to a file or /dev/null.
set -u

rig_paths() {
    RIG_DIR=$(mkdir -p "$1" && cd "$1" && pwd)
    export WINEPREFIX="$RIG_DIR/prefix"
    export WINEDEBUG=-all
    export LANG=C.UTF-8
    export LC_ALL=C.UTF-8
    export WINELOADER=/usr/lib/wine/wine64
    WINESERVER_BIN=/usr/lib/wine/wineserver64
    [ -x "$WINELOADER" ] || WINELOADER=$(command -v wine64 || command -v wine)
    [ -x "$WINESERVER_BIN" ] || WINESERVER_BIN=$(command -v wineserver)
    export WINESERVER="$WINESERVER_BIN"
    LOCK="$RIG_DIR/rig.lock"
    DISPLAY_FILE="$RIG_DIR/display"
    LOG="$RIG_DIR/rig.log"
    DPI_FILE="$RIG_DIR/dpi"
}

# The DPI asked for now, else the one recorded by an earlier start, else 96.
rig_dpi() {
    local asked=${1:-}
    if [ -n "$asked" ]; then
        case "$asked" in *[!0-9]*) echo "wine-rig: DPI must be a number" >&2; return 1 ;; esac
        echo "$asked" >"$DPI_FILE"
    fi
    [ -f "$DPI_FILE" ] || echo 96 >"$DPI_FILE"
    RIG_DPI=$(cat "$DPI_FILE")
}

display_alive() {
    [ -f "$DISPLAY_FILE" ] || return 1
    local number
    number=$(cat "$DISPLAY_FILE")
    [ -S "/tmp/.X11-unix/X${number#:}" ] && kill -0 "$(cat "$RIG_DIR/xvfb.pid" 2>/dev/null)" 2>/dev/null
}

start_display() {
    display_alive && return 0
    local number
    for number in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        setsid Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >>"$LOG" 2>&1 </dev/null &
        echo $! >"$RIG_DIR/xvfb.pid"
        for _ in $(seq 1 100); do
            [ -S "/tmp/.X11-unix/X$number" ] && break
            sleep 0.05
        done
        if [ -S "/tmp/.X11-unix/X$number" ]; then
            echo ":$number" >"$DISPLAY_FILE"
            return 0
        fi
        kill "$(cat "$RIG_DIR/xvfb.pid")" 2>/dev/null
    done
    echo "wine-rig: no Xvfb display could be started" >&2
    return 1
}

# Wine 8 takes the system DPI from HKCU\Control Panel\Desktop LogPixels when a
# process starts (a value only under HKCC\Software\Fonts changes nothing while
# the user's is there); both places Windows keeps it get the value.
set_prefix_dpi() {
    [ "$(cat "$WINEPREFIX/.rig-dpi" 2>/dev/null)" = "$RIG_DPI" ] && return 0
    "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$RIG_DPI" /f >>"$LOG" 2>&1 </dev/null
    "$WINELOADER" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$RIG_DPI" /f >>"$LOG" 2>&1 </dev/null
    echo "$RIG_DPI" >"$WINEPREFIX/.rig-dpi"
}

create_prefix() {
    [ -f "$WINEPREFIX/.rig-ready" ] && { set_prefix_dpi; return 0; }
    rm -rf "$WINEPREFIX"
    # wineboot creates the prefix folder itself; creating it first makes Wine run
    # a second prefix update at the same time.
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINELOADER" wineboot -i >>"$LOG" 2>&1 </dev/null
    # Without a window manager Wine waits 2 s whenever a managed window hides.
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$LOG" 2>&1 </dev/null
    # A crashing test program must fail its test, not wait in a crash dialog.
    "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$LOG" 2>&1 </dev/null
    set_prefix_dpi
    "$WINESERVER_BIN" -w >>"$LOG" 2>&1 </dev/null
    touch "$WINEPREFIX/.rig-ready"
}

start_server() {
    # Persistent for a while after the last program ends, so each test start does
    # not pay for a new server; fails harmlessly when one is already running.
    "$WINESERVER_BIN" -p60 >>"$LOG" 2>&1 </dev/null || true
}

rig_start() {
    exec 9>"$LOCK"
    flock 9
    rig_dpi "${1:-}" || return 1
    start_display || return 1
    export DISPLAY=$(cat "$DISPLAY_FILE")
    create_prefix
    start_server
    flock -u 9
}

rig_stop() {
    "$WINESERVER_BIN" -k >/dev/null 2>&1 </dev/null || true
    if [ -f "$RIG_DIR/xvfb.pid" ]; then
        kill "$(cat "$RIG_DIR/xvfb.pid")" 2>/dev/null || true
        rm -f "$RIG_DIR/xvfb.pid" "$DISPLAY_FILE"
    fi
}

command=${1:-}
[ $# -ge 2 ] || { echo "usage: wine-rig.sh start|stop|env RIG_DIR [DPI]" >&2; exit 2; }
rig_paths "$2"
case "$command" in
    start) rig_start "${3:-}" ;;
    stop) rig_stop ;;
    env)
        rig_start >/dev/null || exit 1
        # JL_RIG_DPI lets a test check that its process really sees the rig's DPI.
        printf 'export WINEPREFIX=%q WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8 WINELOADER=%q WINESERVER=%q DISPLAY=%q JL_RIG_DPI=%q\n' \
            "$WINEPREFIX" "$WINELOADER" "$WINESERVER_BIN" "$(cat "$DISPLAY_FILE")" "$RIG_DPI"
        ;;
    *) echo "wine-rig: unknown command $command" >&2; exit 2 ;;
esac
