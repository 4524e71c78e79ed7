#!/usr/bin/env bash
# The first command: install what is missing, build, and start the program.
# Started outside a ledger's directory, the program itself uses the household
# ledger, making it on the first start:
#   QUORVEL_HOME  where the ledger lives (default: ~/Quorvel)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/scripts/deps.sh" run
"$top/scripts/build.sh" -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: start it on a desktop, or headless with: xvfb-run -a $top/build/app/quorvel"
    exit 0
fi
# A running fcitx5 that the session did not announce to Qt is used anyway,
# so that names can be typed in Chinese.
if [ -z "${QT_IM_MODULE:-}" ] && command -v pgrep >/dev/null && pgrep -x fcitx5 >/dev/null; then
    export QT_IM_MODULE=fcitx
fi
# Started from the home folder, as from the application menu, not from
# wherever this command was typed: a pb.ini there would be taken as the ledger.
if [ -n "${QUORVEL_HOME:-}" ]; then
    QUORVEL_HOME="$(realpath -m "$QUORVEL_HOME")"
    export QUORVEL_HOME
fi
cd "$HOME"
exec "$top/build/app/quorvel"
