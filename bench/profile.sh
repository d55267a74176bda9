#!/usr/bin/env bash
# Where the Gateway's processor time goes under load: `perf record` of the
# Gateway of a build while ab sends requests through it at one concurrency,
# over the same loopback chain as bench/peers.sh (client -> Gateway ->
# tinyproxy -> nginx). Prints the top entries by self time.
#
#   bench/profile.sh [--build DIR] [--concurrency C] [--requests N] [--top K]
#
# Needs perf (linux-perf), nginx, tinyproxy and ab; as root or with
# kernel.perf_event_paranoid low enough to profile one's own processes.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/peers.sh
source "$here/peers.sh"

build=build concurrency=16 requests=20000 top=25
while (($#)); do
    case "$1" in
    --build) build="$2"; shift 2 ;;
    --concurrency) concurrency="$2"; shift 2 ;;
    --requests) requests="$2"; shift 2 ;;
    --top) top="$2"; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--concurrency C] [--requests N] [--top K]" >&2; exit 2 ;;
    esac
done
for tool in perf nginx tinyproxy ab ss; do command -v "$tool" >/dev/null || die "missing tool: $tool"; done
[[ -x "$build/veilportctl" ]] || die "$build/veilportctl is missing; build it first"
ctl="$(cd "$build" && pwd)/veilportctl"
port=${CANDIDATE_PORT:-18090}
for p in "$ORIGIN_PORT" "$UP_PORT" "$port"; do port_busy "$p" && die "port $p is in use"; done

BULK_FILE=10m
WORK="$(mktemp -d "${TMPDIR:-/tmp}/veilport-profile.XXXXXX")" || die "mktemp failed"
RESULTS=$WORK/results.tsv
trap teardown EXIT
trap 'exit 130' INT TERM
start_origin
start_upstream
start_candidate gateway \
    "mkdir -p \"\$BENCH_TMP/home\"; VEILPORT_HOME=\"\$BENCH_TMP/home\" exec '$ctl' gateway --port $port --upstream 127.0.0.1:$UP_PORT" \
    "$port"
gateway_pid="$(listener_pids "$port" | head -n 1)"
[[ -n "$gateway_pid" ]] || die "no Gateway process listens on $port"
url="http://127.0.0.1:$ORIGIN_PORT/1k"
ab -q -r -n 2000 -c "$concurrency" -X "127.0.0.1:$port" "$url" >/dev/null 2>&1

perf record -q -g -o "$WORK/perf.data" -p "$gateway_pid" >/dev/null 2>&1 &
perf_pid=$!
record_pid "$perf_pid"
sleep 0.5  # perf attaches to every thread of the process before the load starts
ab -q -r -s 30 -n "$requests" -c "$concurrency" -X "127.0.0.1:$port" "$url" >"$WORK/ab.txt" 2>&1
kill -INT "$perf_pid"
wait "$perf_pid" 2>/dev/null
echo "# $ctl at c=$concurrency: $(awk '/^Requests per second/ {print $4}' "$WORK/ab.txt") req/s, load average $(cut -d' ' -f1 /proc/loadavg)"
report() {
    perf report -i "$WORK/perf.data" --stdio --no-children -g none --sort dso,symbol "$@" 2>/dev/null |
        grep -v "^#" | grep -v "^$" | sed "s/[ -]*$//"
}
echo "## every entry of at least 0.5 %"
report --percent-limit 0.5 | head -n "$top"
# The program's own work, the C library and SQLite, without the kernel.
echo "## user space only"
report | grep -F '[.]' | head -n "$top"
