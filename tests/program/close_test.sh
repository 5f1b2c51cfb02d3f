#!/usr/bin/env bash
# The real program, closed as a user closes it: started on the simulated
# meter under a window manager, made to log a few records, then its main
# window closed with Alt+F4 and the save question answered.
#
#   close_test.sh RECORDER no|cancel|yes
#
# Run under an X server (xvfb-run -a). Exits non-zero with a reason when the
# program does not end as it should.
set -u
recorder=$1
answer=$2

# shellcheck source=harness.sh
. "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

"$recorder" --demo >"$work/out.txt" 2>&1 &
app=$!

main=$(window '^Vt640 Meter Data Recorder$') || fail "no main window"
recorder_window=$(window '^Graphical Recorder$') || fail "no recorder window"

# Start logging (F9) once the first reading has arrived, then wait for a
# few records in the temporary file.
sleep 1.5
xdotool windowactivate --sync "$recorder_window" key F9
for _ in $(seq 150); do
    size=$(stat -c %s "$work/~KRMDL1.TMP" 2>/dev/null || echo 0)
    [ "$size" -ge 384 ] && break
    sleep 0.1
done
[ "${size:-0}" -ge 384 ] || fail "no records logged (temporary file: ${size:-none} bytes)"

close_main() {
    xdotool windowactivate --sync "$main" key alt+F4
    question=$(window '^Warning\[W8003\]$') || fail "no save question"
}

close_main
case "$answer" in
no)
    xdotool windowactivate --sync "$question" key alt+n
    ;;
cancel)
    xdotool windowactivate --sync "$question" key Escape
    sleep 2
    kill -0 "$app" 2>/dev/null || fail "the program ended although the close was cancelled"
    xdotool search --onlyvisible --name '^Vt640 Meter Data Recorder$' >/dev/null || fail "main window gone after Cancel"
    # Closing again and answering No ends it.
    close_main
    xdotool windowactivate --sync "$question" key alt+n
    ;;
yes)
    xdotool windowactivate --sync "$question" key alt+y
    dialog=$(window '^Save As') || fail "no save dialog"
    xdotool windowactivate --sync "$dialog" key ctrl+a type --delay 20 "$work/saved.640"
    xdotool key Return
    ;;
esac

ended "$app" 100 || fail "the program is still running 10 s after its main window was closed"
app=
[ "$status" -eq 0 ] || fail "exit status $status"
[ -f KORUDL.ini ] || fail "KORUDL.ini was not written"
[ "$(grep -c '=' KORUDL.ini)" -eq 3 ] || fail "KORUDL.ini does not hold three settings"
ls ~KRMDL*.TMP >/dev/null 2>&1 && fail "temporary files left behind: $(ls ~KRMDL*.TMP)"
if [ "$answer" = yes ]; then
    saved=$(stat -c %s saved.640 2>/dev/null || echo 0)
    [ "$saved" -ge 384 ] && [ $((saved % 128)) -eq 0 ] || fail "saved.640 holds $saved bytes"
fi
echo "ok: closed with '$answer', exit status 0, settings written, no temporary files"
cleanup
exit 0
