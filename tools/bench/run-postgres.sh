#!/usr/bin/env bash
# Runs jeonpyo-bench against a throwaway PostgreSQL 15 server: makes a cluster,
# starts the server on 127.0.0.1 on a free port (as the postgres user when run
# as root), runs the bench with --postgres and the given arguments, and stops
# the server however the bench ends.
#
#   tools/bench/run-postgres.sh BENCH [ARGUMENTS...]
#   e.g. tools/bench/run-postgres.sh build/tools/jeonpyo-bench --json
#        tools/bench/run-postgres.sh build/tools/jeonpyo-bench --clerks 8 --vouchers 3000
#
# The cluster lives in a temporary folder removed at the end, unless
# JEONPYO_BENCH_PGDATA names a folder to keep it in: then the store built in it
# is reused by the next run. The server keeps PostgreSQL's durable defaults
# (fsync, synchronous commit, full page writes), as a shared server would, and
# runs each statement on one core (no parallel workers), as the figures are
# taken; JEONPYO_BENCH_PGPARALLEL=1 leaves parallel query at its default.
set -euo pipefail

if [[ $# -lt 1 || ! -x "$1" ]]; then
    echo "usage: $0 PATH/TO/jeonpyo-bench [ARGUMENTS...]" >&2
    exit 2
fi
bench=$(realpath "$1")
shift
bin=/usr/lib/postgresql/15/bin
for tool in initdb pg_ctl createdb; do
    [[ -x "$bin/$tool" ]] || { echo "$bin/$tool is not installed" >&2; exit 2; }
done

# As root, the server's programs run as postgres (the server refuses root).
as_server() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

keep=${JEONPYO_BENCH_PGDATA:-}
if [[ -n "$keep" ]]; then
    folder=$keep
    mkdir -p "$folder"
else
    folder=$(mktemp -d /tmp/jeonpyo-bench-pg-XXXXXX)
fi
[[ $(id -u) -eq 0 ]] && chown postgres: "$folder"
data=$folder/data

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
started=
cleanup() {
    if [[ -n "$started" ]]; then
        as_server "$bin/pg_ctl" -D "$data" -m fast -w stop >/dev/null || true
    fi
    [[ -z "$keep" ]] && rm -rf "$folder"
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The C order for every listing, and a character type that counts Hangul as
# letters, so that the server makes trigrams of Hangul names.
if [[ ! -f "$data/PG_VERSION" ]]; then
    as_server "$bin/initdb" -D "$data" -U postgres -E UTF8 --locale=C --lc-ctype=C.UTF-8 -A trust \
        >"$folder/initdb.log"
fi
settings="-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories=''"
[[ "${JEONPYO_BENCH_PGPARALLEL:-}" == 1 ]] || settings+=" -c max_parallel_workers_per_gather=0"
as_server "$bin/pg_ctl" -D "$data" -l "$folder/server.log" -w -t 60 -o "$settings" start >/dev/null
started=yes
as_server "$bin/createdb" -h 127.0.0.1 -p "$port" -U postgres bench 2>/dev/null || true

"$bench" --postgres "postgresql://postgres@127.0.0.1:$port/bench" "$@"
