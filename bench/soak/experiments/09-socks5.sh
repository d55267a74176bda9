#!/usr/bin/env bash
# Load with integrity through a SOCKS5 upstream: browser -> Gateway ->
# microsocks -> nginx, the Gateway sending each site's name to the proxy and
# the request in origin form. Every body is compared byte for byte.
source "$(dirname "$0")/../lib/common.sh"

if ! command -v microsocks >/dev/null; then
    report "microsocks is not installed" "microsocks present" 1
    exit 0
fi

"$SOAK_TOOLS/soak_load" --make-files "$SOAK_DIR/www" --variants "${SOAK_VARIANTS:-8}"
start_nginx "$SOAK_DIR/www"
for _ in 1 2 3; do
    SOCKS_PORT="$(free_port)"
    start microsocks microsocks -i 127.0.0.1 -p "$SOCKS_PORT"
    SOCKS_PID=$LAST_PID
    if wait_until 10 accepts "$SOCKS_PORT" && alive "$SOCKS_PID"; then break; fi
    stop "$SOCKS_PID"
done
start_gateway "socks5h://127.0.0.1:$SOCKS_PORT"

summary="$(load --requests "$SOCKS5_REQUESTS" --concurrency 16 --mix "$LOAD_MIX" \
    --deadline-s $((SOAK_LIMIT - 30 - SECONDS)) --seed 5)"
echo "soak: socks5: $summary" >&2
report "$(field requests "$summary") requests at $(field rate "$summary")/s, $(field mismatches "$summary") mismatches, $(field failures "$summary") failures" \
    "$SOCKS5_REQUESTS requests, 0 mismatches, 0 failures" \
    "$(check "$(field requests "$summary") == $SOCKS5_REQUESTS && $(field ok "$summary") == $SOCKS5_REQUESTS && $(field mismatches "$summary") == 0")"
