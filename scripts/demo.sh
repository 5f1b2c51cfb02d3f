#!/usr/bin/env bash
# Runs the program on the built-in simulated meter: installs what is
# missing, builds if needed, then starts it in build/demo, where it keeps
# its settings (KORUDL.ini) and temporary files.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VT640_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
# The program keeps its settings and temporary files in the folder it runs
# in: a scratch folder of the build's, not the clone.
scratch="$build/demo"
mkdir -p "$scratch"
# A file named on the command line is found from where the script was run.
args=()
for a in "$@"; do
  if [ -e "$a" ] && [ "${a#/}" = "$a" ]; then a="$PWD/$a"; fi
  args+=("$a")
done
set -- "${args[@]+"${args[@]}"}"
cd "$scratch"
if [ -x "$build/src/app/vt640-recorder" ]; then
  exec "$build/src/app/vt640-recorder" --demo "$@"
fi
exec "$build/tools/vt640-tool" watch --demo "$@"
