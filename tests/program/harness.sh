# What the real-program tests share: a scratch home of their own, openbox
# on the X server they run under, and waits for windows and for the program
# to end. Sourced by the tests; `recorder` names the program.

fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/out.txt" ] && { echo "--- the program said:" >&2; tail -40 "$work/out.txt" >&2; }
    cleanup
    exit 1
}
cleanup() {
    [ -n "${app:-}" ] && kill -9 "$app" 2>/dev/null
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    cd / && rm -rf "$work"
}

work=$(mktemp -d)
cd "$work" || exit 1
# The test suite runs on the offscreen platform; this test needs the X server.
export QT_QPA_PLATFORM=xcb
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 700 run

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 0.5

# Waits for a window whose title matches the pattern; prints its id.
window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}
# Waits up to $2 tenths of a second for the program to end; sets $status.
ended() {
    for _ in $(seq "$2"); do
        if ! kill -0 "$1" 2>/dev/null; then wait "$1"; status=$?; return 0; fi
        sleep 0.1
    done
    return 1
}

