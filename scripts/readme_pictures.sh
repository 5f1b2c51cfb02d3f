#!/usr/bin/env bash
# Makes the README's pictures (docs/recorder.png, docs/views_dcv.png,
# docs/views_watts.png) again from the program as it is now: builds the
# picture maker and runs it. It draws on Qt's offscreen platform, so no
# display is needed, and the same sources give the same pictures.
#
#   scripts/readme_pictures.sh            # into docs/
#   scripts/readme_pictures.sh OUTDIR     # somewhere else, to compare first
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VT640_BUILD_DIR:-$here/build}"
out="${1:-$here/docs}"

VT640_TARGETS=vt640-readme-pictures "$here/scripts/setup.sh"
"$build/docs/pictures/vt640-readme-pictures" "$out"
