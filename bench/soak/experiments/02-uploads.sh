#!/usr/bin/env bash
# Uploads: POST bodies of 1 MiB and 16 MiB, with Content-Length and chunked,
# through the Gateway and tinyproxy to an echo origin that answers with the
# length and checksum it received; each must match what was sent.
source "$(dirname "$0")/../lib/common.sh"

start_tinyproxy
start_gateway "$TINYPROXY_PORT"
summary="$("$SOAK_TOOLS/soak_upload" --proxy "$GATEWAY_PORT" --rounds "$UPLOAD_ROUNDS" \
    2>"$SOAK_DIR/uploads.log" || true)"
sed 's/^/soak: /' "$SOAK_DIR/uploads.log" >&2
uploads=$(field uploads "$summary")
matched=$(field matched "$summary")
report "${matched:-0} of ${uploads:-0} uploads match (1 MiB, 16 MiB; Content-Length, chunked)" \
    "all match" "$(check "${uploads:-0} > 0 && ${matched:-0} == ${uploads:-0}")"
