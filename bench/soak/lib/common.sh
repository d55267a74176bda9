# Shared by every experiment: a private home, the peers (nginx, tinyproxy, the
# Gateway) started on ephemeral loopback ports, readiness checks, process
# figures, and the result rows. Source it; it needs SOAK_BUILD (the build tree)
# and SOAK_RESULTS (the file the rows go to), which bench/soak/run sets.
set -euo pipefail

SOAK_TOOLS="$SOAK_BUILD/bench/soak"
VEILPORTCTL="$SOAK_BUILD/veilportctl"
SOAK_DIR="$(mktemp -d "${TMPDIR:-/tmp}/veilport-soak.XXXXXX")"
SOAK_PIDS=()
SOAK_EXPERIMENT="$(basename "$0" .sh)"
SOAK_EXPERIMENT="${SOAK_EXPERIMENT#[0-9][0-9]-}"

export VEILPORT_HOME="$SOAK_DIR/home"
export HOME="$SOAK_DIR/home"
export XDG_CONFIG_HOME="$SOAK_DIR/home/.config"
export XDG_DATA_HOME="$SOAK_DIR/home/.local/share"
export XDG_CACHE_HOME="$SOAK_DIR/home/.cache"
export XDG_RUNTIME_DIR="$SOAK_DIR/run"
mkdir -p "$VEILPORT_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Everything an experiment started is stopped when it ends, however it ends:
# SIGTERM first, SIGKILL for what is still there a few seconds later.
soak_cleanup() {
    local pid
    for pid in "${SOAK_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${SOAK_PIDS[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    SOAK_PIDS=()
    if [[ "${SOAK_KEEP:-0}" == 1 ]]; then
        echo "soak: kept $SOAK_DIR" >&2
    else
        rm -rf "$SOAK_DIR"
    fi
}
trap soak_cleanup EXIT
trap 'exit 130' INT TERM

# start NAME COMMAND...: runs COMMAND in the background, output to NAME.log.
# The process id is left in LAST_PID (and remembered for the clean-up).
start() {
    local name="$1"
    shift
    "$@" >"$SOAK_DIR/$name.log" 2>&1 &
    LAST_PID=$!
    SOAK_PIDS+=("$LAST_PID")
}

# stop PID: ends one started process now and waits for it.
stop() {
    kill -TERM "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# wait_until SECONDS COMMAND...: true as soon as COMMAND succeeds, false when it
# has not within SECONDS. It re-checks a condition; it never waits blindly.
wait_until() {
    local limit="$1"
    shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

accepts() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
alive() { kill -0 "$1" 2>/dev/null; }
free_port() { "$SOAK_TOOLS/soak_freeport"; }

# Threads and open descriptors of a process.
threads_of() { awk '/^Threads:/ {print $2}' "/proc/$1/status"; }
fds_of() { find "/proc/$1/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l; }

# The value of KEY in a line of key=value words (what the tools print).
field() { tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n 1; }

# report FIGURE AIM PASSED [ROW]: one row of the final table. PASSED is a shell
# truth (0 passes) or "skip". ROW names the row below the experiment (load.leaks).
report() {
    local figure="$1" aim="$2" passed="$3" row="${4:-}"
    local id="$SOAK_EXPERIMENT${row:+.$row}"
    local result=fail
    [[ "$passed" == 0 ]] && result=pass
    [[ "$passed" == skip ]] && result=skipped
    printf '%s\t%s\t%s\t%s\n' "$id" "$figure" "$aim" "$result" >>"$SOAK_RESULTS"
    printf 'soak: %-22s %-6s %s\n' "$id" "$result" "$figure" >&2
}

# check EXPRESSION: 0 when the expression holds, else 1 (for report). It is
# evaluated by awk, so it may compare fractions (seconds): "$a >= 59.5 && $b == 0".
check() { if awk "BEGIN { exit !($*) }" 2>/dev/null; then echo 0; else echo 1; fi; }

# nginx serving ROOT as static files; sets NGINX_PORT.
start_nginx() {
    local root="$1" conf="$SOAK_DIR/nginx"
    mkdir -p "$conf/tmp"
    local user_line=""
    ((EUID == 0)) && user_line="user root;"
    local attempt
    for attempt in 1 2 3 4 5; do
        NGINX_PORT="$(free_port)"
        cat >"$conf/nginx.conf" <<EOF
$user_line
worker_processes 1;
daemon off;
error_log $conf/error.log error;
pid $conf/nginx.pid;
worker_rlimit_nofile 16384;
events { worker_connections 8192; }
http {
    access_log off;
    client_body_temp_path $conf/tmp/body;
    proxy_temp_path $conf/tmp/proxy;
    fastcgi_temp_path $conf/tmp/fastcgi;
    uwsgi_temp_path $conf/tmp/uwsgi;
    scgi_temp_path $conf/tmp/scgi;
    default_type application/octet-stream;
    sendfile on;
    server {
        listen 127.0.0.1:$NGINX_PORT backlog=4096;
        root $root;
    }
}
EOF
        start nginx nginx -e "$conf/error.log" -p "$conf" -c "$conf/nginx.conf"
        NGINX_PID=$LAST_PID
        if wait_until 10 accepts "$NGINX_PORT" && alive "$NGINX_PID"; then return 0; fi
        stop "$NGINX_PID"
    done
    echo "soak: nginx did not start: $(cat "$conf/error.log" 2>/dev/null)" >&2
    return 1
}

# tinyproxy as the upstream proxy; sets TINYPROXY_PORT.
start_tinyproxy() {
    local conf="$SOAK_DIR/tinyproxy.conf" attempt
    for attempt in 1 2 3 4 5; do
        TINYPROXY_PORT="$(free_port)"
        cat >"$conf" <<EOF
Port $TINYPROXY_PORT
Listen 127.0.0.1
Timeout 600
MaxClients 4096
LogLevel Critical
Allow 127.0.0.1
DisableViaHeader Yes
EOF
        start tinyproxy tinyproxy -d -c "$conf"
        TINYPROXY_PID=$LAST_PID
        if wait_until 10 accepts "$TINYPROXY_PORT" && alive "$TINYPROXY_PID"; then return 0; fi
        stop "$TINYPROXY_PID"
    done
    echo "soak: tinyproxy did not start" >&2
    return 1
}

# The built `veilportctl gateway` in front of UPSTREAM_PORT; sets GATEWAY_PORT
# and GATEWAY_PID once it says it listens.
start_gateway() {
    local upstream="$1" log="$SOAK_DIR/gateway.log"
    case "$upstream" in *://*) ;; *) upstream="127.0.0.1:$upstream" ;; esac
    start gateway "$VEILPORTCTL" gateway --port 0 --upstream "$upstream"
    GATEWAY_PID=$LAST_PID
    if ! wait_until 20 grep -q 'Gateway listening on' "$log"; then
        echo "soak: the Gateway did not start: $(cat "$log")" >&2
        return 1
    fi
    GATEWAY_PORT="$(sed -n 's/.*Gateway listening on [0-9.]*:\([0-9]*\),.*/\1/p' "$log")"
}

# The origin's files and the chain browser -> Gateway -> tinyproxy -> nginx.
start_chain() {
    "$SOAK_TOOLS/soak_load" --make-files "$SOAK_DIR/www" --variants "${SOAK_VARIANTS:-8}"
    start_nginx "$SOAK_DIR/www"
    start_tinyproxy
    start_gateway "$TINYPROXY_PORT"
}

# load ARGS...: the load client through the chain; prints its summary line.
load() {
    "$SOAK_TOOLS/soak_load" --proxy "$GATEWAY_PORT" --origin "$NGINX_PORT" \
        --variants "${SOAK_VARIANTS:-8}" "$@" 2>>"$SOAK_DIR/load-faults.log" || true
}

# settled PID THREADS FDS: true once the process is back to those counts.
settled() { alive "$1" && (($(threads_of "$1") <= $2 && $(fds_of "$1") <= $3)); }
