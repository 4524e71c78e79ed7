#!/usr/bin/env bash
# Installs the Debian 12 packages the program needs, only those missing.
# Usage: deps.sh run|test|package
set -euo pipefail

run_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-charts-dev libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc libgl-dev libsqlite3-dev
    fonts-noto-cjk xvfb xauth
    # Qt's own dialogs (files, printing, print preview) and the edit menu of
    # text fields in Chinese like the rest of the program
    qt6-translations-l10n
    # report windows export spreadsheets as .xlsx through this library,
    # which links zlib (the tests also read the workbooks back with it)
    libxlsxwriter-dev zlib1g-dev
    # unixODBC's headers: the program asks the driver manager whether an
    # ODBC connection has died, so that it can reconnect
    unixodbc-dev
    # 导入礼单 reads gift lists people keep in spreadsheets: .xlsx is a zip
    # archive (libzip unpacks it, Qt reads its XML), .xls the older binary
    # format that only a library made for it reads reliably (libfreexl)
    libzip-dev libfreexl-dev
)
test_packages=(
    googletest libgtest-dev postgresql sqlite3 poppler-utils
    # dbms=ODBC is tested against the throw-away PostgreSQL server through
    # unixODBC and Debian's PostgreSQL ODBC driver
    unixodbc odbc-postgresql
    # the installed launcher and software-centre entry are checked with the
    # desktop's own validators, so that a broken one fails the tests
    desktop-file-utils appstream
)
# cpack -G DEB names the Debian packages of the libraries the program links
# through dpkg-shlibdeps.
package_packages=(dpkg-dev)

# Chinese names are typed through the desktop's input method. Qt programs
# reach fcitx5 only through its Qt 6 front end; ibus needs nothing extra.
if dpkg-query -W -f='${Status}' fcitx5 2>/dev/null | grep -q "install ok installed"; then
    run_packages+=(fcitx5-frontend-qt6)
fi

wanted=("${run_packages[@]}")
case "${1:-run}" in
test) wanted+=("${test_packages[@]}") ;;
package) wanted+=("${package_packages[@]}") ;;
esac

missing=()
for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Some packages are missing; run this command as root (or with sudo)." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
fi
