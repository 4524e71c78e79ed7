#!/usr/bin/env bash
# Builds the Debian package of the program into build-deb/ and prints its
# name; install it with: apt install ./build-deb/quorvel_*.deb
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/scripts/deps.sh" package
"$top/scripts/build.sh" build-deb -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF
cd "$top/build-deb"
rm -f quorvel_*.deb
cpack -G DEB >/dev/null
ls "$top"/build-deb/quorvel_*.deb
