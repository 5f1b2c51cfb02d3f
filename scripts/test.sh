#!/usr/bin/env bash
# Runs the whole test suite on a fresh Debian 12 machine: installs what is
# missing, builds, and runs every test through ctest.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VT640_BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j2 --timeout 300 "$@"
