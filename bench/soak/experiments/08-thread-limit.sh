#!/usr/bin/env bash
# Thread limit: the Gateway in a cgroup whose pids limit leaves room for only
# a few connection threads, under many connections that each hold a thread
# (a request for a large body whose answer is never read), with ordinary
# requests meanwhile. It must not crash, and must serve again once the load
# ends. Skipped, with the reason, where no pids controller can be used.
source "$(dirname "$0")/../lib/common.sh"

cgroup=""
if [[ -w /sys/fs/cgroup/pids ]]; then
    cgroup="/sys/fs/cgroup/pids/veilport-soak-$$"  # cgroup v1
else
    root="$(awk '$3 == "cgroup2" { print $2; exit }' /proc/mounts)"
    if [[ -n "$root" ]] && grep -qw pids "$root/cgroup.controllers" 2>/dev/null; then
        echo +pids >>"$root/cgroup.subtree_control" 2>/dev/null || true
        cgroup="$root/veilport-soak-$$"  # cgroup v2
    fi
fi
if [[ -z "$cgroup" ]] || ! mkdir "$cgroup" 2>/dev/null || [[ ! -w "$cgroup/pids.max" ]]; then
    [[ -n "$cgroup" ]] && rmdir "$cgroup" 2>/dev/null
    report "skipped: no writable pids controller (cgroup v1 or v2) here" \
        "no crash; service recovers when load ends" skip
    exit 0
fi
trap 'soak_cleanup; rmdir "$cgroup" 2>/dev/null || true' EXIT

start_chain
threads_before=$(threads_of "$GATEWAY_PID")
fds_before=$(fds_of "$GATEWAY_PID")
max_tasks=$((threads_before + 16))
echo "$max_tasks" >"$cgroup/pids.max"
echo "$GATEWAY_PID" >"$cgroup/cgroup.procs"

request=$'GET http://127.0.0.1:'"$NGINX_PORT"$'/f/1048576-1 HTTP/1.1\r\nHost: 127.0.0.1:'"$NGINX_PORT"$'\r\n\r\n'
start hold "$SOAK_TOOLS/soak_hold" --proxy "$GATEWAY_PORT" --stall "$THREAD_LIMIT_CONNECTIONS" \
    --hold-s 10 --request "$request" --limit-s 60
hold_pid=$LAST_PID
during="$(load --requests 200 --concurrency 4 --mix "1024:1" --timeout-ms 20000 --deadline-s 40)"
wait "$hold_pid" || true
held="$(tail -n 1 "$SOAK_DIR/hold.log")"
hits="$(awk '/^max/ { print $2 }' "$cgroup/pids.events" 2>/dev/null || echo "?")"
echo "soak: during the load: $during" >&2
echo "soak: held: $held; the limit was hit $hits times" >&2

recovered() {
    local after
    after="$(load --requests 20 --concurrency 2 --mix "1024:1" --timeout-ms 10000)"
    [[ "$(field ok "$after")" == 20 ]]
}
healthy=1
if alive "$GATEWAY_PID" && wait_until 60 recovered &&
    wait_until 30 settled "$GATEWAY_PID" "$threads_before" "$fds_before"; then
    healthy=0
fi
state="Gateway gone"
alive "$GATEWAY_PID" && state="Gateway running, serving again: $( ((healthy == 0)) && echo yes || echo no), threads $threads_before -> $(threads_of "$GATEWAY_PID")"
report "$(field stall_closed "$held") of $(field stall "$held") held connections refused at $max_tasks tasks (limit hit $hits times), $(field ok "$during") of $(field requests "$during") ordinary ones served meanwhile; $state" \
    "no crash; service recovers when load ends" "$healthy"
