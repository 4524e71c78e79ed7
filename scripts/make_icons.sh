#!/usr/bin/env bash
# Renders the program's icon, resources/desktop/org.quorvel.quorvel.svg, to
# the PNG sizes that desktops without SVG icons look for. The PNGs are
# committed, so that neither a build nor the package needs a renderer; run
# this again after changing the SVG. It needs rsvg-convert (Debian package
# librsvg2-bin).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
svg="$top/resources/desktop/org.quorvel.quorvel.svg"
if ! command -v rsvg-convert >/dev/null; then
    echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2
    exit 1
fi
for size in 48 128 256; do
    dir="$top/resources/desktop/icons/${size}x${size}"
    mkdir -p "$dir"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$dir/org.quorvel.quorvel.png"
done
