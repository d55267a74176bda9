#!/usr/bin/env bash
# Veilport peer benchmark.
#
# Chain under test (all on loopback):
#   client (ab / curl) -> first hop -> U (tinyproxy, no parent) -> origin (nginx)
# Rows: "origin" (no proxy at all, reference), "direct" (client straight to U:
# the floor of any chain), one row per first-hop candidate (tinyproxy, privoxy,
# squid) and optionally the project's Gateway via CANDIDATE_CMD/CANDIDATE_PORT,
# and a second build of it (BASELINE_CMD/BASELINE_PORT) to compare old and new
# in the same run.
# Everything runs from private config files in a temporary directory and is
# torn down on exit, error or signal.  Run with --help for usage.
# Needs Debian's nginx, tinyproxy, privoxy, apache2-utils (ab) and curl; squid is
# measured when installed:
#   apt-get install -y nginx tinyproxy privoxy squid apache2-utils curl

set -uo pipefail

SCRIPT_DIR=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)

ORIGIN_PORT=${ORIGIN_PORT:-18000}
UP_PORT=${UP_PORT:-18888}
TP_PORT=${TP_PORT:-18080}
PRIVOXY_PORT=${PRIVOXY_PORT:-18118}
SQUID_PORT=${SQUID_PORT:-13128}
REPEATS=${REPEATS:-3}
AB_LEVELS=${AB_LEVELS:-"1:4000 16:10000 128:10000"}   # concurrency:requests
AB_TLIMIT=${AB_TLIMIT:-15}          # seconds, per ab run
AB_SOCK_TIMEOUT=${AB_SOCK_TIMEOUT:-30}  # ab -s; stalled accepts can last 30 s+
BULK_FILE=${BULK_FILE:-100m}        # one of 1k 64k 10m 100m
BULK_TLIMIT=${BULK_TLIMIT:-60}      # seconds, per bulk download
START_WAIT=${START_WAIT:-10}        # seconds to wait for a listener
HOPS=${HOPS:-"origin direct tinyproxy privoxy squid"}
CANDIDATE_NAME=${CANDIDATE_NAME:-gateway}
CANDIDATE_CMD=${CANDIDATE_CMD:-}
CANDIDATE_PORT=${CANDIDATE_PORT:-}
BASELINE_NAME=${BASELINE_NAME:-before}
BASELINE_CMD=${BASELINE_CMD:-}
BASELINE_PORT=${BASELINE_PORT:-}
FLOOR_NAME=${FLOOR_NAME:-bare}
FLOOR_CMD=${FLOOR_CMD:-}
FLOOR_PORT=${FLOOR_PORT:-}
OUT_MD=${OUT_MD:-${TMPDIR:-/tmp}/veilport-peers-latest.md}
KEEP_TMP=${KEEP_TMP:-0}

usage() {
  cat <<'EOF'
Usage: bench/peers.sh [--quick] [--hops "LIST"] [--out FILE] [--keep-tmp]

Measures loopback HTTP proxies as the first hop in front of one upstream
tinyproxy U (127.0.0.1:18888) that fetches from nginx (127.0.0.1:18000).

Options
  --quick        1 repeat, 200/500/500 requests, 10 MiB bulk file (smoke test)
  --hops LIST    rows to run, from: origin direct tinyproxy privoxy squid
                 (default: all; the candidate is added when CANDIDATE_CMD is set)
  --out FILE     markdown report (default: $TMPDIR/veilport-peers-latest.md)
  --keep-tmp     keep the temporary directory (configs, logs) after the run

Plugging in a candidate (e.g. the Veilport Gateway)
  CANDIDATE_CMD='exec ./build/veilportctl gateway --port $CANDIDATE_PORT --upstream $UPSTREAM_HOST:$UPSTREAM_PORT' \
  CANDIDATE_PORT=18090 [CANDIDATE_NAME=gateway] bench/peers.sh
  The command runs via "bash -c" in the caller's working directory, in the
  background, with CANDIDATE_PORT, UPSTREAM_HOST (127.0.0.1), UPSTREAM_PORT
  (18888) and BENCH_TMP (a scratch directory) exported.  It may stay in the
  foreground or daemonize; the process listening on CANDIDATE_PORT is tracked.
  Its upstream proxy must be 127.0.0.1:18888.  Start a compound command's
  last step with "exec" so no wrapper shell is counted in the RSS figure.
  BASELINE_CMD, BASELINE_PORT and BASELINE_NAME (before) add a second
  candidate the same way, for an older build measured in the same run.
  FLOOR_CMD, FLOOR_PORT and FLOOR_NAME (bare) add a third: the least any
  forwarder does per request (bench/bare_forwarder), the floor the ratios of
  a first hop are read against.

Environment knobs (defaults)
  REPEATS=3  AB_LEVELS="1:4000 16:10000 128:10000"  AB_TLIMIT=15  AB_SOCK_TIMEOUT=30
  BULK_FILE=100m  BULK_TLIMIT=60  START_WAIT=10  KEEP_TMP=0  TMPDIR
  Ports: ORIGIN_PORT=18000 UP_PORT=18888 TP_PORT=18080 PRIVOXY_PORT=18118 SQUID_PORT=13128

Exit status: 0 done; 1 done but a row failed its checks or errored;
2 setup error (missing tool, busy port, origin/U/candidate would not start).
EOF
}

log()  { printf '[peers %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
die()  { log "ERROR: $*"; exit 2; }

# ---------------------------------------------------------------- helpers ----

# median of the numeric values on stdin (non-numeric lines ignored); NA if none
median() {
  awk '$1 ~ /^-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?$/ {print $1}' |
    sort -g |
    awk '{a[NR]=$1} END {
           if (NR == 0) { print "NA"; exit }
           if (NR % 2) print a[(NR + 1) / 2]; else print (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}

# parse_ab FILE -> "rps ms_per_req complete failed non2xx p99_ms",
# "PARTIAL <completed>" when ab gave up (it then prints no summary),
# or "ERR"
parse_ab() {
  awk '
    /^Complete requests:/    { complete = $3 }
    /^Failed requests:/      { failed = $3 }
    /^Non-2xx responses:/    { non2xx = $3 }
    /^Requests per second:/  { rps = $4 }
    /^Time per request:/ && !seen { ms = $4; seen = 1 }
    /^ *99%/                 { p99 = $2 }
    /^Total of [0-9]+ requests completed/ { partial = $3 }
    END {
      if (rps != "" && complete != "") {
        printf "%s %s %d %d %d %s\n", rps, ms, complete, failed, non2xx, (p99 == "" ? "NA" : p99)
      } else if (partial != "") print "PARTIAL " partial
      else print "ERR"
    }' "$1"
}

# start time of a process (field 22 of /proc/PID/stat), empty if gone
proc_start() {
  local s
  s=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  s=${s##*) }
  # shellcheck disable=SC2086
  set -- $s
  printf '%s\n' "${20}"
}

# the given pids plus all their descendants (those that exist)
tree_pids() {
  ps -e -o pid=,ppid= | awk -v roots="$*" '
    { par[$1] = $2 }
    END {
      n = split(roots, r, " ")
      for (i = 1; i <= n; i++) if (r[i] in par) in_set[r[i]] = 1
      do { ch = 0
           for (p in par) if (!(p in in_set) && (par[p] in in_set)) { in_set[p] = 1; ch = 1 }
      } while (ch)
      for (p in in_set) print p
    }'
}

listener_pids() {  # pids of processes listening on TCP port $1
  ss -Hltnp "sport = :$1" 2>/dev/null | grep -o 'pid=[0-9]*' | cut -d= -f2 | sort -u
}

port_busy() { [[ -n $(ss -Hltn "sport = :$1" 2>/dev/null) ]]; }

# Every process this script starts is recorded as pid:starttime, so teardown
# only ever signals processes that it started (or their descendants).
STARTED=()
record_pid() {
  local st
  st=$(proc_start "$1") || return 0
  STARTED+=("$1:$st")
}

# start_bg LOGFILE CMD... : start in background, set LAST_PID
start_bg() {
  local logf=$1; shift
  "$@" >"$logf" 2>&1 </dev/null &
  LAST_PID=$!
  record_pid "$LAST_PID"
}

# wait_listen PORT PID : wait until PORT listens; fail early if PID exits
# non-zero (a launcher that exits 0 may have daemonized: keep waiting)
wait_listen() {
  local port=$1 pid=$2 i
  for ((i = 0; i < START_WAIT * 10; i++)); do
    port_busy "$port" && return 0
    if [[ -n $pid ]] && ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null || return 1
      pid=""
    fi
    sleep 0.1
  done
  return 1
}

FG_PID=""
# run_fg CMD... : run in background and wait, so signals reach our trap at once
run_fg() {
  "$@" &
  FG_PID=$!
  record_pid "$FG_PID"
  wait "$FG_PID"
  local rc=$?
  FG_PID=""
  return $rc
}

# ----------------------------------------------------------- RSS sampling ----

SAMPLER_PID=""
# rss_sampler OUT ROOTPID... : writes "max_rss_kib max_threads" to OUT until killed
rss_sampler() {
  local out=$1; shift
  local roots="$*" pids=() i=0 max_rss=0 max_thr=0 sum thr p k v rest
  trap 'exit 0' TERM
  while :; do
    if ((i % 10 == 0)); then mapfile -t pids < <(tree_pids $roots); fi
    sum=0; thr=0
    for p in "${pids[@]}"; do
      { while read -r k v rest; do
          case $k in VmRSS:) sum=$((sum + v)) ;; Threads:) thr=$((thr + v)) ;; esac
        done <"/proc/$p/status"; } 2>/dev/null
    done
    if ((sum > max_rss || thr > max_thr)); then
      ((sum > max_rss)) && max_rss=$sum
      ((thr > max_thr)) && max_thr=$thr
      echo "$max_rss $max_thr" >"$out"
    fi
    i=$((i + 1))
    sleep 0.05
  done
}

rss_now() {  # current summed VmRSS (KiB) of the trees rooted at the args
  local p k v rest sum=0
  for p in $(tree_pids "$@"); do
    { while read -r k v rest; do [[ $k == VmRSS: ]] && sum=$((sum + v)); done <"/proc/$p/status"; } 2>/dev/null
  done
  echo "$sum"
}

# --------------------------------------------------------------- teardown ----

WORK=""
TORN_DOWN=0
teardown() {
  local rc=$?
  ((TORN_DOWN)) && return
  TORN_DOWN=1
  trap '' INT TERM
  local entry pid st roots=() victims=() i
  [[ -n $SAMPLER_PID ]] && kill -TERM "$SAMPLER_PID" 2>/dev/null
  for entry in "${STARTED[@]}"; do
    pid=${entry%%:*}; st=${entry#*:}
    [[ $(proc_start "$pid" 2>/dev/null) == "$st" ]] && roots+=("$pid")
  done
  if ((${#roots[@]})); then
    mapfile -t victims < <(tree_pids "${roots[@]}")
    ((${#victims[@]})) && kill -TERM "${victims[@]}" 2>/dev/null
    for ((i = 0; i < 80; i++)); do
      local alive=()
      for pid in "${victims[@]}"; do kill -0 "$pid" 2>/dev/null && alive+=("$pid"); done
      ((${#alive[@]} == 0)) && break
      sleep 0.1
    done
    ((${#alive[@]})) && { log "forcing ${#alive[@]} process(es) down"; kill -KILL "${alive[@]}" 2>/dev/null; }
  fi
  wait 2>/dev/null
  if [[ -n $WORK && -d $WORK ]]; then
    if [[ $KEEP_TMP == 1 ]]; then log "kept temp dir $WORK"; else rm -rf -- "$WORK"; fi
  fi
  return "$rc"
}

# ------------------------------------------------------------ hop starts ----

declare -A HOP_PORT=() HOP_ROOTS=() HOP_NOTE=() HOP_OK=() HOP_CMD=()

note() { HOP_NOTE[$1]+="${HOP_NOTE[$1]:+; }$2"; }

start_origin() {
  local d=$WORK/origin
  mkdir -p "$d/www" "$d/tmp"
  head -c 1024 /dev/urandom >"$d/www/1k"
  head -c $((64 * 1024)) /dev/urandom >"$d/www/64k"
  head -c $((10 * 1024 * 1024)) /dev/urandom >"$d/www/10m"
  if [[ $BULK_FILE == 100m ]]; then head -c $((100 * 1024 * 1024)) /dev/urandom >"$d/www/100m"; fi
  chmod 755 "$WORK" "$d" "$d/www"; chmod 644 "$d/www/"*
  # As root, nginx workers would run as "nobody", who may not be able to
  # traverse a private TMPDIR: keep them as the invoking user instead.
  local user_line=""
  ((EUID == 0)) && user_line="user $(id -un) $(id -gn);"
  cat >"$d/nginx.conf" <<EOF
$user_line
worker_processes 1;
daemon off;
pid $d/nginx.pid;
error_log $d/error.log warn;
events { worker_connections 8192; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  default_type application/octet-stream;
  client_body_temp_path $d/tmp/body;
  proxy_temp_path $d/tmp/proxy;
  fastcgi_temp_path $d/tmp/fastcgi;
  uwsgi_temp_path $d/tmp/uwsgi;
  scgi_temp_path $d/tmp/scgi;
  server {
    listen 127.0.0.1:$ORIGIN_PORT backlog=4096;
    root $d/www;
    location / { }
  }
}
EOF
  start_bg "$d/stdout.log" nginx -p "$d" -e "$d/error.log" -c "$d/nginx.conf"
  wait_listen "$ORIGIN_PORT" "$LAST_PID" || { tail -5 "$d/stdout.log" "$d/error.log" >&2; die "nginx origin did not start"; }
}

tinyproxy_conf() {  # NAME PORT [UPSTREAM]
  local d=$WORK/$1
  mkdir -p "$d"
  cat >"$d/tinyproxy.conf" <<EOF
Port $2
Listen 127.0.0.1
Timeout 60
MaxClients 1024
LogLevel Error
LogFile "$d/tinyproxy.log"
PidFile "$d/tinyproxy.pid"
Allow 127.0.0.1
ViaProxyName "vp-$1"
EOF
  [[ -n ${3:-} ]] && echo "Upstream http $3" >>"$d/tinyproxy.conf"
  echo "$d"
}

start_upstream() {
  local d
  d=$(tinyproxy_conf upstream "$UP_PORT")
  start_bg "$d/stdout.log" tinyproxy -d -c "$d/tinyproxy.conf"
  wait_listen "$UP_PORT" "$LAST_PID" || { tail -5 "$d/stdout.log" >&2; die "tinyproxy U did not start"; }
  HOP_ROOTS[direct]=$LAST_PID
}

start_tinyproxy() {
  local d
  d=$(tinyproxy_conf tinyproxy "$TP_PORT" "127.0.0.1:$UP_PORT")
  start_bg "$d/stdout.log" tinyproxy -d -c "$d/tinyproxy.conf"
  wait_listen "$TP_PORT" "$LAST_PID" || { tail -3 "$d/stdout.log" >&2; return 1; }
  HOP_ROOTS[tinyproxy]=$LAST_PID
}

start_privoxy() {
  local d=$WORK/privoxy
  mkdir -p "$d"
  # No action/filter files and toggle 0: privoxy acts as a plain forwarder.
  # Defaults that would bite at c=128: max-client-connections 128, and a
  # listen backlog below the load generator's concurrency.
  cat >"$d/config" <<EOF
confdir $d
logdir $d
logfile privoxy.log
debug 0
listen-address 127.0.0.1:$PRIVOXY_PORT
listen-backlog 4096
toggle 0
enable-remote-toggle 0
enable-remote-http-toggle 0
enable-edit-actions 0
forward / 127.0.0.1:$UP_PORT
max-client-connections 1024
socket-timeout 60
EOF
  start_bg "$d/stdout.log" privoxy --no-daemon "$d/config"
  wait_listen "$PRIVOXY_PORT" "$LAST_PID" || { tail -3 "$d/stdout.log" >&2; return 1; }
  HOP_ROOTS[privoxy]=$LAST_PID
}

start_squid() {
  command -v squid >/dev/null || { note squid "squid not installed"; return 1; }
  local d=$WORK/squid
  mkdir -p "$d"
  local user_line=""
  if ((EUID == 0)); then
    if id proxy >/dev/null 2>&1; then chown proxy: "$d"; user_line="cache_effective_user proxy"; else chmod 777 "$d"; fi
  fi
  # never_direct + one default parent = every request goes to U;
  # "cache deny all" + no cache_dir + cache_mem 0 = no caching at all;
  # dns_nameservers pinned to loopback, pinger/digests/netdb off, so squid
  # sends nothing off the machine.
  cat >"$d/squid.conf" <<EOF
http_port 127.0.0.1:$SQUID_PORT
visible_hostname veilport-bench
$user_line
dns_nameservers 127.0.0.1
acl bench_src src 127.0.0.1
http_access allow bench_src
http_access deny all
cache_peer 127.0.0.1 parent $UP_PORT 0 no-query no-digest no-netdb-exchange default name=upstream
never_direct allow all
cache deny all
cache_mem 0 MB
access_log none
cache_log $d/cache.log
pid_filename $d/squid.pid
coredump_dir $d
pinger_enable off
digest_generation off
icp_port 0
htcp_port 0
snmp_port 0
max_filedescriptors 16384
shutdown_lifetime 1 seconds
EOF
  squid -k parse -f "$d/squid.conf" >"$d/parse.log" 2>&1 || { note squid "config rejected: $(grep -m1 -i 'fatal\|error' "$d/parse.log")"; return 1; }
  start_bg "$d/stdout.log" squid -N -f "$d/squid.conf"
  wait_listen "$SQUID_PORT" "$LAST_PID" || { tail -3 "$d/cache.log" >&2; return 1; }
  HOP_ROOTS[squid]=$LAST_PID
}

start_candidate() {  # NAME CMD PORT
  local name=$1 cmd=$2 port=$3
  local d=$WORK/candidate-$name
  mkdir -p "$d"; chmod 777 "$d"
  log "starting candidate '$name': $cmd"
  # runs in the caller's working directory so relative paths in the command work
  CANDIDATE_PORT=$port UPSTREAM_HOST=127.0.0.1 UPSTREAM_PORT=$UP_PORT BENCH_TMP=$d \
    start_bg "$d/output.log" bash -c "$cmd"
  local launcher=$LAST_PID
  if ! wait_listen "$port" "$launcher"; then
    tail -5 "$d/output.log" >&2
    die "candidate '$name' did not listen on 127.0.0.1:$port within ${START_WAIT}s"
  fi
  # track the listener too (covers a command that daemonizes)
  local p cand_roots="$launcher"
  for p in $(listener_pids "$port"); do record_pid "$p"; cand_roots+=" $p"; done
  HOP_ROOTS[$name]=$cand_roots
}

# --------------------------------------------------------- measurements ----

proxy_args() {  # curl/ab proxy option for a hop ("" for origin)
  local port=${HOP_PORT[$1]}
  [[ -n $port ]] && printf '%s\n' "$2" "127.0.0.1:$port"
}

# sanity HOP : bytes through the hop must equal the files; response must carry
# U's Via token (proves the hop really used U as its parent)
sanity() {
  local hop=$1 f ok=1 args=()
  mapfile -t args < <(proxy_args "$hop" -x)
  for f in 64k 10m; do
    local code
    code=$(curl -s "${args[@]}" --max-time 30 -D "$WORK/sanity.hdr" -o "$WORK/sanity.body" \
             -w '%{http_code}' "http://127.0.0.1:$ORIGIN_PORT/$f" 2>/dev/null)
    if [[ $code != 200 ]]; then note "$hop" "GET $f -> HTTP ${code:-none}"; ok=0; continue; fi
    if ! cmp -s "$WORK/sanity.body" "$WORK/origin/www/$f"; then note "$hop" "GET $f: body differs from origin file"; ok=0; fi
    if [[ $hop != origin ]] && ! grep -qi '^Via:.*vp-upstream' "$WORK/sanity.hdr"; then
      note "$hop" "no Via from U: request bypassed the upstream?"; ok=0
    fi
  done
  rm -f "$WORK/sanity.body" "$WORK/sanity.hdr"
  return $((!ok))
}

RESULTS=""   # TSV: hop metric level rep value
record() { printf '%s\t%s\t%s\t%s\t%s\n' "$@" >>"$RESULTS"; }

run_ab() {  # HOP C N REP SAMPLE(0/1)
  local hop=$1 c=$2 n=$3 rep=$4 sample=$5 args=() out
  mapfile -t args < <(proxy_args "$hop" -X)
  out=$WORK/ab-$hop-c$c-r$rep.txt
  local sfile=$WORK/rss-$hop-r$rep
  if ((sample)) && [[ -n ${HOP_ROOTS[$hop]:-} ]]; then
    rm -f "$sfile"
    rss_sampler "$sfile" ${HOP_ROOTS[$hop]} &
    SAMPLER_PID=$!
  fi
  local t_start=$EPOCHREALTIME
  run_fg timeout -k 5 $((AB_TLIMIT + AB_SOCK_TIMEOUT + 10)) \
    ab -q -r -s "$AB_SOCK_TIMEOUT" -t "$AB_TLIMIT" -n "$n" -c "$c" "${args[@]}" \
    "http://127.0.0.1:$ORIGIN_PORT/1k" >"$out" 2>&1
  local rc=$? t_end=$EPOCHREALTIME
  if [[ -n $SAMPLER_PID ]]; then
    kill -TERM "$SAMPLER_PID" 2>/dev/null; wait "$SAMPLER_PID" 2>/dev/null; SAMPLER_PID=""
    if [[ -s $sfile ]]; then
      local r t; read -r r t <"$sfile"
      record "$hop" rss "$c" "$rep" "$(awk -v k="$r" 'BEGIN{printf "%.1f", k/1024}')"
      record "$hop" threads "$c" "$rep" "$t"
    fi
  fi
  local res why; res=$(parse_ab "$out")
  why=$(grep -o -m1 -E 'apr_[a-z_]+: [^(]*\([0-9]+\)' "$out")
  if [[ $res == PARTIAL* ]]; then
    # ab aborted (usually its socket timeout: connections stalled for
    # AB_SOCK_TIMEOUT s); keep completed/elapsed as a degraded figure
    local done_n=${res#PARTIAL } rps
    rps=$(awk -v n="$done_n" -v a="$t_start" -v b="$t_end" 'BEGIN{printf "%.2f", n / (b - a)}')
    record "$hop" rps "$c" "$rep" "$rps"
    record "$hop" partial "$c" "$rep" 1
    note "$hop" "c=$c run $rep: ab aborted after $done_n/$n requests (${why:-rc=$rc})"
    log "$hop c=$c run $rep: ab aborted after $done_n requests (~$rps req/s): ${why:-rc=$rc}"
    return
  fi
  if [[ $res == ERR* ]]; then
    record "$hop" rps "$c" "$rep" ERR
    note "$hop" "c=$c run $rep: ab failed (${why:-rc=$rc})"
    log "$hop c=$c run $rep: ERROR (${why:-rc=$rc})"
    return
  fi
  local rps ms complete failed non2xx p99
  read -r rps ms complete failed non2xx p99 <<<"$res"
  record "$hop" rps "$c" "$rep" "$rps"
  record "$hop" ms "$c" "$rep" "$ms"
  record "$hop" p99 "$c" "$rep" "$p99"
  record "$hop" failed "$c" "$rep" $((failed + non2xx))
  ((complete < n)) && note "$hop" "c=$c run $rep hit the ${AB_TLIMIT}s limit ($complete/$n done)"
  log "$hop c=$c run $rep: $rps req/s, $ms ms/req, p99 $p99 ms, failed $((failed + non2xx))"
}

run_bulk() {  # HOP REP
  local hop=$1 rep=$2 args=() code size speed
  mapfile -t args < <(proxy_args "$hop" -x)
  run_fg curl -s "${args[@]}" -o /dev/null --max-time "$BULK_TLIMIT" \
    -w '%{http_code} %{size_download} %{speed_download}' \
    "http://127.0.0.1:$ORIGIN_PORT/$BULK_FILE" >"$WORK/bulk.out" 2>/dev/null
  read -r code size speed <"$WORK/bulk.out"
  local want; want=$(stat -c %s "$WORK/origin/www/$BULK_FILE")
  if [[ $code != 200 || $size != "$want" ]]; then
    record "$hop" bulk x "$rep" ERR
    note "$hop" "bulk run $rep: HTTP ${code:-none}, $size of $want bytes"
    log "$hop bulk run $rep: ERROR ($code, $size bytes)"
    return
  fi
  local mbs; mbs=$(awk -v s="$speed" 'BEGIN{printf "%.1f", s/1e6}')
  record "$hop" bulk x "$rep" "$mbs"
  log "$hop bulk run $rep: $mbs MB/s"
}

# ------------------------------------------------------------- reporting ----

vals() { awk -F'\t' -v h="$1" -v m="$2" -v l="$3" '$1==h && $2==m && $3==l {print $5}' "$RESULTS"; }

# med HOP METRIC LEVEL FMT : median, "!" when some runs errored,
# "~" when some runs were aborted by ab (degraded completed/elapsed figure),
# "*" when some requests failed (non-2xx, wrong length, resets)
med() {
  local v m mark=""
  v=$(vals "$1" "$2" "$3")
  [[ -z $v ]] && { echo "-"; return; }
  m=$(median <<<"$v")
  [[ $m == NA ]] && { echo "ERR"; return; }
  grep -q '^ERR$' <<<"$v" && mark+="!"
  if [[ $2 == rps ]]; then
    [[ -n $(vals "$1" partial "$3") ]] && mark+="~"
    (($(sum_vals "$1" failed "$3") > 0)) && mark+="*"
  fi
  printf "$4%s\n" "$m" "$mark"
}

sum_vals() { vals "$@" | awk '{s += $1} END {print s + 0}'; }

ratio() {  # ratio of two medians, "-" when not numeric
  awk -v a="$1" -v b="$2" 'BEGIN {
    sub(/[!~*]+$/, "", a); sub(/[!~*]+$/, "", b)
    if (a !~ /^[0-9.]+$/ || b !~ /^[0-9.]+$/ || b == 0) print "-"; else printf "%.2f", a / b }'
}

report() {
  local levels=() l
  for l in $AB_LEVELS; do levels+=("${l%%:*}"); done
  local top=${levels[-1]} hop

  local hdr="| hop | port |" sep="|---|---|"
  for l in "${levels[@]}"; do hdr+=" req/s c$l |"; sep+="---:|"; done
  hdr+=" bulk MB/s | peak RSS MiB (c$top) |"; sep+="---:|---:|"

  {
    echo "# Veilport peers benchmark (latest run)"
    echo
    echo "- Run: $(date -u '+%Y-%m-%d %H:%M UTC'), ${ELAPSED} s from start-up to report (teardown not included), $REPEATS repeat(s) per cell, medians shown; $(nproc) CPUs, Linux $(uname -r)."
    echo "- Chain: client -> first hop -> U (tinyproxy, 127.0.0.1:$UP_PORT, no parent) -> origin (nginx, 127.0.0.1:$ORIGIN_PORT)."
    echo "- Small: \`ab -X 127.0.0.1:PORT -r -s $AB_SOCK_TIMEOUT -t $AB_TLIMIT -n N -c C http://127.0.0.1:$ORIGIN_PORT/1k\` (HTTP/1.0, no keep-alive), C:N = $AB_LEVELS; repeats interleaved across rows."
    echo "- Bulk: \`curl -x 127.0.0.1:PORT -o /dev/null http://127.0.0.1:$ORIGIN_PORT/$BULK_FILE\`, MB = 10^6 bytes."
    echo "- RSS: summed VmRSS of the first hop's process tree, sampled every 50 ms during the c=$top runs (median of the per-run peaks)."
    echo "- origin = no proxy at all (reference); direct = client straight to U (floor of any chain)."
    echo "- Marks: \"*\" = some requests failed (non-2xx, wrong length, resets); \"!\" = some runs errored; \"~\" = some runs were aborted by ab after stalls (figure = completed/elapsed). See notes."
    echo
    echo "$hdr"; echo "$sep"
    for hop in $ROWS; do
      local row="| $hop | ${HOP_PORT[$hop]:--} |"
      if [[ ${HOP_OK[$hop]} == skip ]]; then
        for l in "${levels[@]}"; do row+=" - |"; done
        echo "$row - | - |"; continue
      fi
      for l in "${levels[@]}"; do row+=" $(med "$hop" rps "$l" '%.0f') |"; done
      local rss="-"
      [[ $hop != origin && $hop != direct ]] && rss=$(med "$hop" rss "$top" '%.1f')
      echo "$row $(med "$hop" bulk x '%.1f') | $rss |"
    done
    echo
    echo "Relative to direct, same run (1.00 = as fast as client->U with no extra hop):"
    echo
    local h2="| hop |" s2="|---|"
    for l in "${levels[@]}"; do h2+=" c$l |"; s2+="---:|"; done
    echo "$h2 bulk |"; echo "$s2---:|"
    for hop in $ROWS; do
      [[ $hop == origin || $hop == direct || ${HOP_OK[$hop]} == skip ]] && continue
      local row="| $hop |"
      for l in "${levels[@]}"; do row+=" $(ratio "$(med "$hop" rps "$l" '%.1f')" "$(med direct rps "$l" '%.1f')") |"; done
      echo "$row $(ratio "$(med "$hop" bulk x '%.1f')" "$(med direct bulk x '%.1f')") |"
    done
    echo
    echo "Details:"
    echo
    local h3="| hop |" s3="|---|"
    for l in "${levels[@]}"; do h3+=" ms/req c$l |"; s3+="---:|"; done
    for l in "${levels[@]}"; do h3+=" p99 ms c$l |"; s3+="---:|"; done
    for l in "${levels[@]}"; do h3+=" failed c$l |"; s3+="---:|"; done
    echo "$h3 idle RSS MiB | peak threads c$top | notes |"; echo "$s3---:|---:|---|"
    for hop in $ROWS; do
      local row="| $hop |"
      for l in "${levels[@]}"; do row+=" $(med "$hop" ms "$l" '%.2f') |"; done
      for l in "${levels[@]}"; do row+=" $(med "$hop" p99 "$l" '%.0f') |"; done
      for l in "${levels[@]}"; do row+=" $(sum_vals "$hop" failed "$l") |"; done
      local idle="-" thr="-"
      if [[ $hop != origin && $hop != direct ]]; then idle=${HOP_IDLE[$hop]:--}; thr=$(med "$hop" threads "$top" '%.0f'); fi
      echo "$row $idle | $thr | ${HOP_NOTE[$hop]:-} |"
    done
    echo
    echo "Raw samples (run 1, 2, ...):"
    echo
    echo "| hop | metric | values |"; echo "|---|---|---|"
    for hop in $ROWS; do
      for l in "${levels[@]}"; do
        local v; v=$(vals "$hop" rps "$l" | paste -sd' ')
        [[ -n $v ]] && echo "| $hop | req/s c$l | $v |"
      done
      local b; b=$(vals "$hop" bulk x | paste -sd' ')
      [[ -n $b ]] && echo "| $hop | bulk MB/s | $b |"
    done
    echo
    echo "Versions: $(nginx -v 2>&1 | sed 's/.*: //'), tinyproxy $(tinyproxy -v 2>&1 | awk '{print $2}'), privoxy $(privoxy --version 2>&1 | awk '{print $3}'), $(command -v squid >/dev/null && squid -v | head -1 | awk '{print "squid " $4}'), ab $(ab -V | awk '/Version/ {print $5; exit}' | tr -d ,), curl $(curl -V | awk 'NR==1 {print $2}')."
  } >"$WORK/report.md"
}

# plausibility: an extra hop should not beat the floor by more than 10 %
plausibility() {
  local hop l
  for hop in $ROWS; do
    [[ $hop == origin || $hop == direct || ${HOP_OK[$hop]} == skip ]] && continue
    for l in $AB_LEVELS; do
      l=${l%%:*}
      local r; r=$(ratio "$(med "$hop" rps "$l" '%.1f')" "$(med direct rps "$l" '%.1f')")
      [[ $r != - ]] && awk -v r="$r" 'BEGIN{exit !(r > 1.10)}' &&
        note "$hop" "faster than direct at c=$l (x$r): noise, unless the Via check failed too"
    done
    local rb; rb=$(ratio "$(med "$hop" bulk x '%.1f')" "$(med direct bulk x '%.1f')")
    [[ $rb != - ]] && awk -v r="$rb" 'BEGIN{exit !(r > 1.10)}' &&
      note "$hop" "bulk faster than direct (x$rb): noise (U caps bulk), unless the Via check failed too"
  done
}

# ------------------------------------------------------------------ main ----

declare -A HOP_IDLE=()
ROWS=""
ELAPSED=0

main() {
  while (($#)); do
    case $1 in
      -h | --help) usage; exit 0 ;;
      --quick) REPEATS=1; AB_LEVELS="1:200 16:500 128:500"; BULK_FILE=10m ;;
      --hops) HOPS=$2; shift ;;
      --out) OUT_MD=$2; shift ;;
      --keep-tmp) KEEP_TMP=1 ;;
      *) usage >&2; exit 2 ;;
    esac
    shift
  done
  case $BULK_FILE in 1k | 64k | 10m | 100m) ;; *) die "BULK_FILE must be 1k, 64k, 10m or 100m" ;; esac
  [[ -n $CANDIDATE_CMD && -z $CANDIDATE_PORT ]] && die "CANDIDATE_CMD needs CANDIDATE_PORT"
  [[ -n $CANDIDATE_PORT && -z $CANDIDATE_CMD ]] && die "CANDIDATE_PORT needs CANDIDATE_CMD"
  [[ -n $BASELINE_CMD && -z $BASELINE_PORT ]] && die "BASELINE_CMD needs BASELINE_PORT"
  [[ -n $BASELINE_CMD && -z $CANDIDATE_CMD ]] && die "BASELINE_CMD needs CANDIDATE_CMD"
  [[ -n $FLOOR_CMD && -z $FLOOR_PORT ]] && die "FLOOR_CMD needs FLOOR_PORT"
  local t
  for t in nginx tinyproxy ab curl ss awk timeout; do command -v "$t" >/dev/null || die "missing tool: $t"; done

  local hop
  ROWS=""
  for hop in $HOPS; do
    case $hop in
      origin) HOP_PORT[$hop]="" ;;
      direct) HOP_PORT[$hop]=$UP_PORT ;;
      tinyproxy) HOP_PORT[$hop]=$TP_PORT ;;
      privoxy) command -v privoxy >/dev/null || die "missing tool: privoxy"; HOP_PORT[$hop]=$PRIVOXY_PORT ;;
      squid) HOP_PORT[$hop]=$SQUID_PORT ;;
      *) die "unknown hop '$hop' (use CANDIDATE_CMD for a new one)" ;;
    esac
    ROWS+="$hop "
  done
  if [[ -n $CANDIDATE_CMD ]]; then
    [[ " $ROWS " == *" $CANDIDATE_NAME "* ]] && die "CANDIDATE_NAME '$CANDIDATE_NAME' clashes with a built-in hop"
    HOP_PORT[$CANDIDATE_NAME]=$CANDIDATE_PORT
    HOP_CMD[$CANDIDATE_NAME]=$CANDIDATE_CMD
    ROWS+="$CANDIDATE_NAME "
  fi
  if [[ -n $BASELINE_CMD ]]; then
    [[ " $ROWS " == *" $BASELINE_NAME "* ]] && die "BASELINE_NAME '$BASELINE_NAME' clashes with another row"
    HOP_PORT[$BASELINE_NAME]=$BASELINE_PORT
    HOP_CMD[$BASELINE_NAME]=$BASELINE_CMD
    ROWS+="$BASELINE_NAME "
  fi
  if [[ -n $FLOOR_CMD ]]; then
    [[ " $ROWS " == *" $FLOOR_NAME "* ]] && die "FLOOR_NAME '$FLOOR_NAME' clashes with another row"
    HOP_PORT[$FLOOR_NAME]=$FLOOR_PORT
    HOP_CMD[$FLOOR_NAME]=$FLOOR_CMD
    ROWS+="$FLOOR_NAME "
  fi

  local p
  for p in "$ORIGIN_PORT" "$UP_PORT" ${HOP_PORT[tinyproxy]:-} ${HOP_PORT[privoxy]:-} ${HOP_PORT[squid]:-} $CANDIDATE_PORT $BASELINE_PORT $FLOOR_PORT; do
    port_busy "$p" && die "port $p is already in use on this machine (not ours; nothing was started)"
  done

  local t0=$SECONDS
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/veilport-peers.XXXXXX") || die "mktemp failed"
  RESULTS=$WORK/results.tsv
  : >"$RESULTS"
  trap teardown EXIT
  trap 'log "interrupted"; exit 130' INT
  trap 'log "terminated"; exit 143' TERM

  log "origin + upstream U"
  start_origin
  start_upstream
  for hop in $ROWS; do
    HOP_OK[$hop]=ok
    case $hop in
      origin | direct) ;;
      tinyproxy) start_tinyproxy || { HOP_OK[$hop]=skip; note "$hop" "did not start"; } ;;
      privoxy) start_privoxy || { HOP_OK[$hop]=skip; note "$hop" "did not start"; } ;;
      squid) start_squid || { HOP_OK[$hop]=skip; note "$hop" "not measured (did not start)"; } ;;
      *) start_candidate "$hop" "${HOP_CMD[$hop]}" "${HOP_PORT[$hop]}" ;;
    esac
  done

  local bad=0
  for hop in $ROWS; do
    [[ ${HOP_OK[$hop]} == skip ]] && { bad=1; continue; }
    sanity "$hop" || { bad=1; log "$hop: sanity check failed: ${HOP_NOTE[$hop]}"; }
    # warm-up (not recorded)
    local args=(); mapfile -t args < <(proxy_args "$hop" -X)
    run_fg timeout 30 ab -q -r -s 5 -t 10 -n 300 -c 16 "${args[@]}" "http://127.0.0.1:$ORIGIN_PORT/1k" >/dev/null 2>&1
    [[ -n ${HOP_ROOTS[$hop]:-} && $hop != direct ]] &&
      HOP_IDLE[$hop]=$(awk -v k="$(rss_now ${HOP_ROOTS[$hop]})" 'BEGIN{printf "%.1f", k/1024}')
  done

  local levels=() l rep
  for l in $AB_LEVELS; do levels+=("$l"); done
  local top=${levels[-1]%%:*}
  # repeats outermost, rows interleaved and their order rotated per repeat:
  # drift on a shared machine hits all rows alike
  local -a rows; read -ra rows <<<"$ROWS"
  for ((rep = 1; rep <= REPEATS; rep++)); do
    local k=$(((rep - 1) % ${#rows[@]}))
    for hop in "${rows[@]:k}" "${rows[@]:0:k}"; do
      [[ ${HOP_OK[$hop]} == skip ]] && continue
      for l in "${levels[@]}"; do
        local c=${l%%:*} n=${l#*:} s=0
        [[ $c == "$top" && $hop != origin && $hop != direct ]] && s=1
        run_ab "$hop" "$c" "$n" "$rep" "$s"
      done
      run_bulk "$hop" "$rep"
    done
  done

  ELAPSED=$((SECONDS - t0))
  plausibility
  report
  cp "$WORK/report.md" "$OUT_MD"
  echo
  sed -n '/^| hop | port/,/^$/p' "$WORK/report.md"
  log "report: $OUT_MD (${ELAPSED}s)"
  grep -q 'ERR' <(cut -f5 "$RESULTS") && bad=1
  awk -F'\t' '$2 == "failed" && $5 > 0 {f = 1} END {exit !f}' "$RESULTS" && bad=1
  return $bad
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  main "$@"
  exit $?
fi
