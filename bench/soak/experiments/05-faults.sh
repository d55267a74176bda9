#!/usr/bin/env bash
# Upstream and browser faults: upstreams that close or reset half-way through
# an answer, browsers that reset half-way through a download or close half-way
# through an upload. A reset must reach the browser as a reset, an orderly cut
# as exactly the bytes sent; the Gateway must let go of every upstream
# connection and end with the threads and descriptors it started with.
source "$(dirname "$0")/../lib/common.sh"

coproc FAULTS { "$SOAK_TOOLS/soak_faults" --upstream-cases "$FAULT_UPSTREAM_CASES" \
    --browser-cases "$FAULT_BROWSER_CASES" 2>"$SOAK_DIR/faults.log"; }
SOAK_PIDS+=("$FAULTS_PID")
faults_pid=$FAULTS_PID
read -r -t 20 _ upstream_port <&"${FAULTS[0]}"
start_gateway "$upstream_port"
threads_before=$(threads_of "$GATEWAY_PID")
fds_before=$(fds_of "$GATEWAY_PID")
echo "$GATEWAY_PORT" >&"${FAULTS[1]}"
summary=""
read -r -t $((SOAK_LIMIT - 30)) summary <&"${FAULTS[0]}" || true
wait "$faults_pid" || true
sed 's/^/soak: /' "$SOAK_DIR/faults.log" >&2

report "$(field reset_seen "$summary") of $(field reset_cases "$summary") upstream resets reached the browser as a reset" \
    "a reset reaches the browser as a reset" \
    "$(check "$(field reset_cases "$summary") > 0 && $(field reset_seen "$summary") == $(field reset_cases "$summary")")" reset
report "$(field cut_intact "$summary") of $(field cut_cases "$summary") half answers closed in order arrived intact" \
    "the half answer, then a close" \
    "$(check "$(field cut_cases "$summary") > 0 && $(field cut_intact "$summary") == $(field cut_cases "$summary")")" cut

settled_ok=1
alive "$GATEWAY_PID" && wait_until 30 settled "$GATEWAY_PID" "$threads_before" "$fds_before" && settled_ok=0
report "$FAULT_BROWSER_CASES browser faults; threads $threads_before -> $(threads_of "$GATEWAY_PID" 2>/dev/null || echo gone), descriptors $fds_before -> $(fds_of "$GATEWAY_PID"), upstream connections left open $(field upstream_still_open "$summary") of $(field upstream_connections "$summary")" \
    "no thread or descriptor leak" \
    "$(check "$settled_ok == 0 && $(field upstream_still_open "$summary") == 0")" leaks
