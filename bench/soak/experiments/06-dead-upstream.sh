#!/usr/bin/env bash
# Dead upstream: the upstream is a listener that never accepts (its queue is
# full), so the Gateway's connects to it hang as connects to a vanished host
# do. Every browser request must be released within the connect limit.
source "$(dirname "$0")/../lib/common.sh"

limit=${CONNECT_LIMIT_S:-10}
margin=2
coproc DEADUP { "$SOAK_TOOLS/soak_deadup" --requests "$DEAD_UPSTREAM_REQUESTS" \
    --wait-s $((limit + margin + 3)) 2>"$SOAK_DIR/deadup.log"; }
SOAK_PIDS+=("$DEADUP_PID")
deadup_pid=$DEADUP_PID
read -r -t 20 _ upstream_port <&"${DEADUP[0]}"
start_gateway "$upstream_port"
echo "$GATEWAY_PORT" >&"${DEADUP[1]}"
summary=""
read -r -t $((limit + margin + 30)) summary <&"${DEADUP[0]}" || true
wait "$deadup_pid" || true

released=$(field released "$summary")
figure="$released of $(field requests "$summary") requests released within $((limit + margin + 3)) s"
((${released:-0} > 0)) && figure+=" (first after $(field first "$summary") s, last after $(field last "$summary") s)"
report "$figure" \
    "each released within the ${limit} s connect limit" \
    "$(check "$released == $DEAD_UPSTREAM_REQUESTS && $(field last "$summary") <= $limit + $margin")"
