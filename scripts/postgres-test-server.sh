#!/usr/bin/env bash
# A private PostgreSQL 15 cluster for the tests of the shared store.
#
#   postgres-test-server.sh start DIR   starts it in DIR (made if missing) unless it already runs there,
#                                       and prints the settings the tests read, one NAME=VALUE a line
#   postgres-test-server.sh stop DIR    stops the cluster started in DIR; DIR itself is left
#
# The cluster lives in DIR/data and listens only on a Unix socket in DIR (no TCP at all), with one
# database "velmora" for the office and trust authentication on that socket, whose folder only its
# owner and root can enter. It never touches the machine's own clusters. As root (CI) the cluster runs
# as the system user velmora-test, made here when missing, since PostgreSQL refuses to run as root;
# otherwise it runs as the calling user. Exit status 77 means this machine cannot run it (PostgreSQL
# 15 not installed, or no unprivileged user to run it); the reason is on standard error.
set -euo pipefail

command=${1:-}
dir=${2:-}
if [ -z "$command" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
bin=/usr/lib/postgresql/15/bin
database=velmora
role=velmora
port=5432

cannot() {
    echo "postgres-test-server: $*" >&2
    exit 77
}

# Runs a command as the owner of the cluster.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=velmora-test --regid=velmora-test --init-groups -- "$@"
    else
        "$@"
    fi
}

running() {
    [ -f "$dir/data/postmaster.pid" ] && as_owner "$bin/pg_ctl" status -D "$dir/data" >/dev/null 2>&1
}

report() {
    echo "VELMORA_PG_TEST_DIR=$dir"
    echo "VELMORA_PG_TEST_SERVER=host=$dir port=$port dbname=$database user=$role"
}

stop() {
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_owner "$bin/pg_ctl" stop -D "$dir/data" -m fast -w -t 30 >/dev/null 2>&1 || true
    fi
}

case $command in
stop)
    stop
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac

[ -x "$bin/initdb" ] && [ -x "$bin/pg_ctl" ] ||
    cannot "PostgreSQL 15 is not installed (Debian package postgresql-15)"
if [ "$(id -u)" -eq 0 ]; then
    if ! id velmora-test >/dev/null 2>&1; then
        useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            velmora-test >/dev/null 2>&1 || cannot "the system user velmora-test could not be made"
    fi
    chown velmora-test:velmora-test "$dir"
fi
chmod 0700 "$dir"

# Two test programs may ask for the same cluster at once: one starts it, the other waits.
exec 9>>"$dir/.lock"
flock 9
if running; then
    report
    exit 0
fi

if [ ! -f "$dir/data/PG_VERSION" ]; then
    rm -rf "$dir/data"
    # A UTF-8 character type, so that the server's matching ignores the case of letters beyond ASCII.
    as_owner "$bin/initdb" -D "$dir/data" -U "$role" --auth=trust --encoding=UTF8 --locale=C.UTF-8 \
        --no-sync >"$dir/initdb.log" 2>&1 ||
        cannot "initdb failed: $(tail -n 5 "$dir/initdb.log" | tr '\n' ' ')"
    cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
unix_socket_permissions = 0700
port = $port
fsync = off
full_page_writes = off
synchronous_commit = off
max_connections = 200
logging_collector = off
EOF
fi
stop # a cluster that died leaves its pid file behind
rm -f "$dir/data/postmaster.pid"
# The server must not inherit the descriptor of the lock above, or it would hold it for its lifetime.
as_owner "$bin/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 60 >/dev/null 2>&1 9>&- ||
    cannot "the server did not start: $(tail -n 5 "$dir/server.log" 2>/dev/null | tr '\n' ' ')"
if ! as_owner "$bin/psql" -h "$dir" -p "$port" -U "$role" -d postgres -XAtqc \
    "SELECT 1 FROM pg_database WHERE datname = '$database'" | grep -q 1; then
    as_owner "$bin/createdb" -h "$dir" -p "$port" -U "$role" "$database" >>"$dir/server.log" 2>&1 || {
        stop
        cannot "the database $database could not be made: $(tail -n 3 "$dir/server.log" | tr '\n' ' ')"
    }
fi
report
