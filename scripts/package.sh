#!/usr/bin/env bash
# Builds the Debian package build/vt640_<version>_amd64.deb from a Release
# build of the programs alone (no tests, no benchmarks), made in build/release.
# Install it with: sudo apt-get install ./build/vt640_*.deb
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
release="$here/build/release"

# The package puts its files under /usr, and the menu entry names the
# launcher by its full path, so the build must be made for that place.
args="-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DVT640_TESTS=OFF -DVT640_BENCH=OFF"

# Installs what the build needs (dpkg-shlibdeps comes with build-essential)
# and builds the release tree.
VT640_BUILD_DIR="$release" VT640_CMAKE_ARGS="$args ${VT640_CMAKE_ARGS:-}" "$here/scripts/setup.sh"
# Again, for a release tree configured earlier with other settings.
cmake "$release" $args ${VT640_CMAKE_ARGS:-} >/dev/null
cmake --build "$release" -j"$(nproc)"

(cd "$release" && cpack -G DEB)
deb=$(cd "$release" && ls -t vt640_*.deb | head -n 1)
cp "$release/$deb" "$here/build/$deb"
echo "$here/build/$deb"
