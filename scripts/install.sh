#!/usr/bin/env bash
# Builds Twinscript as a Debian package and installs it with apt-get: the program, the command-line tool,
# the menu entry, the icon, the AppStream metainfo and the man page. `apt-get remove twinscript` removes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
version=$(sed -n 's/^project(Twinscript VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
(cd build && cpack -G DEB >/dev/null)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$PWD/build/twinscript_${version}_$(dpkg --print-architecture).deb"
