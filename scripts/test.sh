#!/usr/bin/env bash
# The second command: install what is missing, build, and run every test
# headless, on SQLite and on a PostgreSQL server started here for the run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/scripts/deps.sh" test
"$top/scripts/build.sh" -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCH=ON

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

cd "$top/build"
ctest --output-on-failure --timeout 900 "$@"
