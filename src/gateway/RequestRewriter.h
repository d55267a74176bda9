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
    // What the upstream proxy receives for the browser's request head.
    std::string bytes;
    // From the last `Host` field, without its port; empty when there is none.
    std::string targetHost;
};

// Rewrites the browser's request head (and whatever part of the body came with
// it) into a one-shot request for the upstream proxy. Never fails: whatever
// comes in is split into a request line, header fields and a remainder and
// forwarded in rewritten form for the upstream to judge.
//
// - A line ends at LF, with or without a CR before it (HeadScanner's framing);
//   every line written ends with CR LF. Empty lines before the request line
//   are skipped; the first empty line after it ends the header block, and
//   everything after that is the remainder, forwarded byte for byte (NUL bytes
//   included). Without that empty line the unfinished last line is the
//   remainder, so a cut header travels unchanged at the end.
// - The request line is split at its first two blanks and joined again with
//   single blanks.
// - A field's name is the text before its first colon; its value begins two
//   characters after the colon (the colon and the customary blank are skipped).
// - Proxy-Connection, Keep-Alive, TE, Trailer, Upgrade and every conditional
//   field (If-*) are removed; every Connection field keeps its place and says
//   "close", and one is added when the request had none. Transfer-Encoding is
//   kept: the body that follows still uses it.
// - `Host` (exactly so spelled) names the target host.
RewrittenRequest RewriteRequest(std::string_view request, const RewriteOptions& options = {});

}  // namespace veilport
