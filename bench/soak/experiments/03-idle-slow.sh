#!/usr/bin/env bash
# Idle and slow clients: connections that send nothing, and connections that
# send their request one byte every SLOW_BYTE_EVERY_S seconds, while ordinary
# requests go on. The ordinary ones must not notice; the Gateway must close the
# idle and the slow ones at its first-request limit, forwarding nothing.
source "$(dirname "$0")/../lib/common.sh"

limit=${FIRST_REQUEST_LIMIT_S:-60}
margin=5
start_chain
threads_before=$(threads_of "$GATEWAY_PID")
fds_before=$(fds_of "$GATEWAY_PID")

request=$'GET http://127.0.0.1:'"$NGINX_PORT"$'/f/1024-0 HTTP/1.1\r\nHost: 127.0.0.1:'"$NGINX_PORT"$'\r\nProxy-Connection: keep-alive\r\n\r\n'
start hold "$SOAK_TOOLS/soak_hold" --proxy "$GATEWAY_PORT" --idle "$IDLE_CONNECTIONS" \
    --slow "$SLOW_CONNECTIONS" --slow-every-s "$SLOW_BYTE_EVERY_S" --request "$request" \
    --limit-s $((limit + 3 * margin))
hold_pid=$LAST_PID
ordinary="$(load --requests 1000000 --concurrency "${IDLE_ORDINARY_CONCURRENCY:-4}" --mix "0:1,1024:1,65536:1" \
    --duration-s $((limit + margin)) --deadline-s $((limit + 3 * margin)))"
wait "$hold_pid" || true
held="$(tail -n 1 "$SOAK_DIR/hold.log")"
echo "soak: ordinary: $ordinary" >&2
echo "soak: held: $held" >&2

report "$(field requests "$ordinary") ordinary requests meanwhile, $(field failures "$ordinary") failures, $(field mismatches "$ordinary") mismatches" \
    "unaffected (0 failures)" \
    "$(check "$(field requests "$ordinary") > 0 && $(field ok "$ordinary") == $(field requests "$ordinary")")" ordinary

# "N of M closed after A-B s", or "within" the whole wait when none was.
closed_text() {
    local kind="$1"
    if [[ "$(field "${kind}_closed" "$held")" == 0 ]]; then
        echo "0 of $(field "$kind" "$held") $kind closed within $((limit + 3 * margin)) s"
    else
        echo "$(field "${kind}_closed" "$held") of $(field "$kind" "$held") $kind closed after $(field "${kind}_first" "$held")-$(field "${kind}_last" "$held") s"
    fi
}

idle=$(field idle "$held") idle_closed=$(field idle_closed "$held")
report "$(closed_text idle)" \
    "all closed at the ${limit} s first-request limit" \
    "$(check "$idle_closed == $idle && $(field idle_first "$held") >= $limit - 1 && $(field idle_last "$held") <= $limit + $margin")" idle

slow=$(field slow "$held") slow_closed=$(field slow_closed "$held")
report "$(closed_text slow), $(field slow_answered "$held") got an answer" \
    "all closed at the ${limit} s limit, none answered" \
    "$(check "$slow_closed == $slow && $(field slow_answered "$held") == 0 && $(field slow_first "$held") >= $limit - 1 && $(field slow_last "$held") <= $limit + $margin")" slow

settled_ok=0
wait_until 30 settled "$GATEWAY_PID" "$threads_before" "$fds_before" || settled_ok=1
report "threads $threads_before -> $(threads_of "$GATEWAY_PID"), descriptors $fds_before -> $(fds_of "$GATEWAY_PID")" \
    "back to the start" "$settled_ok" leaks
