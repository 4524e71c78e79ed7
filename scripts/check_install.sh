#!/usr/bin/env bash
# Installs the build in DIR (default build) to a temporary folder and checks
# what a desktop reads of it with the desktop's own validators, so that a
# broken launcher, software-centre entry or manual page fails the tests
# rather than a user's menu. The launcher must find its icon in every size,
# and the entry the launcher it names.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/${1:-build}"

stage="$(mktemp -d /tmp/quorvel-install.XXXXXX)"
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" >/dev/null
share="$stage/usr/share"

desktop-file-validate "$share"/applications/*.desktop
appstreamcli validate --no-net --pedantic "$share"/metainfo/*.metainfo.xml >/dev/null ||
    appstreamcli validate --no-net --pedantic "$share"/metainfo/*.metainfo.xml
icon="$(sed -n 's/^Icon=//p' "$share"/applications/*.desktop)"
for f in scalable/apps/"$icon".svg {48x48,128x128,256x256}/apps/"$icon".png; do
    if [ ! -s "$share/icons/hicolor/$f" ]; then
        echo "The launcher's icon is not installed: $f" >&2
        exit 1
    fi
done
launcher="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$share"/metainfo/*.metainfo.xml)"
if [ ! -e "$share/applications/$launcher" ]; then
    echo "The software-centre entry names no installed launcher: $launcher" >&2
    exit 1
fi
warnings="$(man --warnings -l "$share/man/man1/quorvel.1" 2>&1 >/dev/null)"
if [ -n "$warnings" ]; then
    echo "The manual page has faults:" >&2
    echo "$warnings" >&2
    exit 1
fi
echo "Installed launcher, icons, software-centre entry and manual page are valid."
