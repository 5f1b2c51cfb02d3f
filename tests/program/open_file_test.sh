#!/usr/bin/env bash
# The real program handed a logger file on its command line, as a file
# manager hands it one: the file is open once the windows are up (closing
# then asks to save its records), and a file that cannot be read gets Open's
# error box.
#
#   open_file_test.sh RECORDER
#
# Run under an X server (xvfb-run -a). Exits non-zero with a reason when the
# program does not behave as it should.
set -u
recorder=$1

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
export QT_QPA_PLATFORM=xcb
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 700 run

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 0.5

window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}
ended() {
    for _ in $(seq "$2"); do
        if ! kill -0 "$1" 2>/dev/null; then wait "$1"; status=$?; return 0; fi
        sleep 0.1
    done
    return 1
}

# Three records, named relative to the folder the program starts in. The
# simulated meter stands in for a port, so that no port error comes first.
head -c 384 /dev/zero >given.640

"$recorder" --demo given.640 >"$work/out.txt" 2>&1 &
app=$!
main=$(window '^Vt640 Meter Data Recorder$') || fail "no main window"
window '^Graphical Recorder$' >/dev/null || fail "no recorder window"
# The records opened count as unsaved: closing asks.
xdotool windowactivate --sync "$main" key alt+F4
question=$(window '^Warning\[W8003\]$') || fail "no save question: the file was not opened"
xdotool windowactivate --sync "$question" key alt+n
ended "$app" 100 || fail "still running after No"
app=
[ "$status" -eq 0 ] || fail "exit status $status"

"$recorder" --demo missing.640 >"$work/out.txt" 2>&1 &
app=$!
error=$(window '^Error\[E9004\]$') || fail "no E9004 for a missing file"
xdotool windowactivate --sync "$error" key Return
main=$(window '^Vt640 Meter Data Recorder$') || fail "no main window"
# Nothing was opened: closing asks nothing.
xdotool windowactivate --sync "$main" key alt+F4
ended "$app" 100 || fail "still running after its main window was closed"
app=
[ "$status" -eq 0 ] || fail "exit status $status"

echo "ok: the file given was opened, a missing one reported"
cleanup
exit 0
