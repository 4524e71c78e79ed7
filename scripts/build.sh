#!/usr/bin/env bash
# Configures and builds into build/, or the folder named first
# (Release-with-debug-info, Ninja).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
# Usage: build.sh [DIR] [cmake options]; DIR defaults to build.
dir=build
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    dir="$1"
    shift
fi
# ccache, where a developer has it, makes the second build of the test
# command and every rebuild cheap; nothing needs it.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$top/$dir" --parallel "$(nproc)"
