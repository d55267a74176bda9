#pragma once

#include <string>
#include <string_view>

namespace veilport {

struct RewriteOptions {
    // Set while a filter setting is on: the answer must come uncompressed so
    // that the filter can read it, so Accept-Encoding asks for "identity".
    bool identityEncoding = false;
};

struct RewrittenRequest {
    // What the upstream proxy receives for the browser's first read.
    std::string bytes;
    // From the last `Host` field, without its port; empty when there is none.
    std::string targetHost;
};

// Rewrites the browser's first read into a one-shot request for the upstream
// proxy. Never fails: whatever came in is split into a request line, header
// fields and a remainder and forwarded in rewritten form for the upstream to
// judge.
//
// - Lines end at CRLF; the empty line (or the lack of any further CRLF) ends the
//   header block, and everything from there on is the remainder, forwarded
//   byte for byte (NUL bytes included), so a cut header line or a part of a
//   body travels unchanged at the end.
// - The request line is split at its first two blanks and joined again with
//   single blanks.
// - A field's name is the text before its first colon; its value begins two
//   characters after the colon (the colon and the customary blank are skipped).
// - Proxy-Connection, Keep-Alive, TE, Trailer, Upgrade and every conditional
//   field (If-*) are removed; every Connection field keeps its place and says
//   "close", and one is added when the request had none. Transfer-Encoding is
//   kept: the body that follows still uses it.
// - `Host` (exactly so spelled) names the target host.
RewrittenRequest RewriteRequest(std::string_view firstRead, const RewriteOptions& options = {});

}  // namespace veilport
