#!/usr/bin/env bash
# A throw-away PostgreSQL cluster on loopback for the server tests.
#   pgcluster.sh start DIR   initialises and starts it, prints the connection URL
#   pgcluster.sh stop DIR    stops it and removes DIR
# initdb and pg_ctl refuse root, so as root they run as the postgres user.
set -euo pipefail
cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "pgcluster: PostgreSQL server not installed" >&2; exit 1; }
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$cmd" in
start)
    mkdir -p "$dir"
    # The cluster owner must reach DIR: make it private to that user only.
    [ "$(id -u)" -eq 0 ] && { chmod 755 "$dir"; chown postgres "$dir"; }
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    as_owner "$bin/initdb" -D "$dir/data" -U varo --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir -c fsync=off" start >/dev/null
    as_owner "$bin/createdb" -h 127.0.0.1 -p "$port" -U varo varotest
    echo "postgresql://varo@127.0.0.1:$port/varotest"
    ;;
stop)
    [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
