#!/usr/bin/env bash
# Load with integrity: requests for bodies of every size through
# browser -> Gateway -> tinyproxy -> nginx, at rising concurrency, each body
# compared byte for byte with the file nginx serves. When the load ends, the
# Gateway must be back to the threads and descriptors it started with.
source "$(dirname "$0")/../lib/common.sh"

start_chain
threads_before=$(threads_of "$GATEWAY_PID")
fds_before=$(fds_of "$GATEWAY_PID")

total=0 ok=0 failures=0 mismatches=0 seconds=0 stages=""
# LOAD_STAGES: concurrency:percent of LOAD_REQUESTS, in order.
for stage in ${LOAD_STAGES//,/ }; do
    concurrency=${stage%%:*}
    count=$((LOAD_REQUESTS * ${stage##*:} / 100))
    summary="$(load --requests "$count" --concurrency "$concurrency" --mix "$LOAD_MIX" \
        --deadline-s $((SOAK_LIMIT - 60 - SECONDS)) --seed "$concurrency")"
    echo "soak: load c$concurrency: $summary" >&2
    total=$((total + $(field requests "$summary")))
    ok=$((ok + $(field ok "$summary")))
    failures=$((failures + $(field failures "$summary")))
    mismatches=$((mismatches + $(field mismatches "$summary")))
    seconds=$(awk -v a="$seconds" -v b="$(field seconds "$summary")" 'BEGIN { print a + b }')
    stages+="${stages:+, }c$concurrency $(field rate "$summary")/s"
done
report "$total requests ($stages), $mismatches mismatches, $failures failures" \
    "$LOAD_REQUESTS requests, 0 mismatches, 0 failures" \
    "$(check "$total == $LOAD_REQUESTS && $ok == $total && $mismatches == 0 && $failures == 0")"

settled_ok=0
wait_until 30 settled "$GATEWAY_PID" "$threads_before" "$fds_before" || settled_ok=1
report "threads $threads_before -> $(threads_of "$GATEWAY_PID"), descriptors $fds_before -> $(fds_of "$GATEWAY_PID")" \
    "back to the start" "$settled_ok" leaks
