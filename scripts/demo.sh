#!/usr/bin/env bash
# Runs the program on the built-in simulated meter: installs what is
# missing, builds if needed, then starts it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VT640_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
if [ -x "$build/src/app/vt640-recorder" ]; then
  exec "$build/src/app/vt640-recorder" --demo "$@"
fi
exec "$build/tools/vt640-tool" watch --demo "$@"
