#!/usr/bin/env bash
# Hostile requests: generated first requests (random bytes, NUL bytes, lines
# without CR, sizes around every limit, thousands of fields, requests split
# across writes) sent one at a time through the Gateway to a fake upstream
# that records what it gets. The Gateway must neither crash nor hang, and what
# reaches the upstream must obey the rewriting rules.
source "$(dirname "$0")/../lib/common.sh"

coproc HOSTILE { "$SOAK_TOOLS/soak_hostile" --cases "$HOSTILE_CASES" --case-limit-s 10 \
    2>"$SOAK_DIR/hostile.log"; }
SOAK_PIDS+=("$HOSTILE_PID")
hostile_pid=$HOSTILE_PID
read -r -t 20 _ upstream_port <&"${HOSTILE[0]}"
start_gateway "$upstream_port"
threads_before=$(threads_of "$GATEWAY_PID")
fds_before=$(fds_of "$GATEWAY_PID")
echo "$GATEWAY_PORT" >&"${HOSTILE[1]}"
summary=""
read -r -t $((SOAK_LIMIT - 30)) summary <&"${HOSTILE[0]}" || true
wait "$hostile_pid" || true
sed 's/^/soak: /' "$SOAK_DIR/hostile.log" >&2

report "$(field cases "$summary") cases ($(field forwarded "$summary") forwarded, $(field closed "$summary") closed unforwarded), $(field violations "$summary") broke the rules, $(field hangs "$summary") hung, slowest $(field slowest "$summary") s" \
    "no hang; the upstream gets only rewritten requests" \
    "$(check "$(field cases "$summary") == $HOSTILE_CASES && $(field violations "$summary") == 0 && $(field hangs "$summary") == 0")"

healthy=1
if alive "$GATEWAY_PID" && accepts "$GATEWAY_PORT" &&
    wait_until 30 settled "$GATEWAY_PID" "$threads_before" "$fds_before"; then
    healthy=0
fi
state="Gateway gone"
alive "$GATEWAY_PID" && state="Gateway running, threads $threads_before -> $(threads_of "$GATEWAY_PID"), descriptors $fds_before -> $(fds_of "$GATEWAY_PID")"
report "$state" "no crash, nothing left behind" "$healthy" crash
