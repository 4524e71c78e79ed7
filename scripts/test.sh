#!/usr/bin/env bash
# The second command: install what is missing, build, and run every test
# headless, on SQLite and on a PostgreSQL server started here for the run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/scripts/deps.sh" test
"$top/scripts/build.sh" build -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCH=ON
# The same tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: a heap fault or undefined behaviour then fails
# a test even where the program would have run on by luck.
"$top/scripts/build.sh" build-asan -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCH=OFF \
    -DQUORVEL_SANITIZE=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"

# The installed launcher, icons, software-centre entry and manual page.
"$top/scripts/check_install.sh" build

# A throw-away PostgreSQL cluster on a Unix socket in a temporary directory.
pgbin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n1)"
pgdir="$(mktemp -d /tmp/quorvel-pg.XXXXXX)"
runas=()
if [ "$(id -u)" -eq 0 ]; then
    # The server refuses to run as root.
    chown postgres:postgres "$pgdir"
    runas=(runuser -u postgres --)
fi
cleanup() {
    "${runas[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$pgdir"
}
trap cleanup EXIT
"${runas[@]}" "$pgbin/initdb" -D "$pgdir/data" -U postgres -E UTF8 --locale=C.UTF-8 -A trust >/dev/null
"${runas[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w \
    -o "-k $pgdir -c listen_addresses='' -p 54329 -c fsync=off" start >/dev/null

export QUORVEL_TEST_PG_HOST="$pgdir"
export QUORVEL_TEST_PG_PORT=54329
export QUORVEL_TEST_PG_USER=postgres
export QT_QPA_PLATFORM=offscreen

# dbms=ODBC is tested against the same server through Debian's PostgreSQL
# ODBC driver, named by its library path in the connection string: no data
# source has to be set up on the machine.
odbc_driver="$(dpkg -L odbc-postgresql 2>/dev/null | grep '/psqlodbcw\.so$' | head -n1 || true)"
if [ -n "$odbc_driver" ]; then
    export QUORVEL_TEST_ODBC_DRIVER="$odbc_driver"
else
    echo "odbc-postgresql is not installed: the ODBC tests are skipped" >&2
fi

cd "$top/build"
# Two at a time: the tests keep to their own temporary folders and databases.
ctest --output-on-failure --parallel 2 --timeout 900 "$@"

# Qt and the font libraries keep some memory until the process ends; only
# faults count, not what is left at exit.
cd "$top/build-asan"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure --parallel 2 --timeout 1800 "$@"
