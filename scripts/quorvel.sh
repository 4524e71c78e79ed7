#!/usr/bin/env bash
# The first command: install what is missing, build, create the household
# ledger if there is none, and start the program in the ledger's directory.
#   QUORVEL_HOME  where the ledger lives (default: ~/Quorvel)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
home="${QUORVEL_HOME:-$HOME/Quorvel}"

"$top/scripts/deps.sh" run
"$top/scripts/build.sh" -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF

mkdir -p "$home"
cd "$home"
# Pictures and the manual are refreshed; the ledger and pb.ini never are.
for f in "$top"/resources/images/*.bmp "$top"/resources/images/*.ico; do
    [ -e "$f" ] && cp -f "$f" "$home/"
done
if [ -d "$top/resources/help" ]; then
    mkdir -p "$home/help" && cp -rf "$top/resources/help/." "$home/help/"
fi
if [ ! -e pb.ini ]; then
    printf '[database]\ndbms=SQLite\ndatabase=ledger.db\n\n[other]\ncsh=0\nver=1.0.0\n' > pb.ini
fi
if grep -qi '^[[:space:]]*dbms[[:space:]]*=[[:space:]]*sqlite' pb.ini; then
    db="$(sed -n 's/^[[:space:]]*database[[:space:]]*=[[:space:]]*//Ip' pb.ini | head -n1 | tr -d '\r')"
    if [ -n "$db" ] && [ ! -e "$db" ]; then
        "$top/build/app/quorvel" --init-db
    fi
fi
echo "Ledger: $home"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: start it on a desktop, or headless with: cd $home && xvfb-run -a $top/build/app/quorvel"
    exit 0
fi
# A running fcitx5 that the session did not announce to Qt is used anyway,
# so that names can be typed in Chinese.
if [ -z "${QT_IM_MODULE:-}" ] && command -v pgrep >/dev/null && pgrep -x fcitx5 >/dev/null; then
    export QT_IM_MODULE=fcitx
fi
exec "$top/build/app/quorvel"
