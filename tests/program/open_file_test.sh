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

# shellcheck source=harness.sh
. "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

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
