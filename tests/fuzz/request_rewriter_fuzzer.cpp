// Any request head a browser (or anyone on the network) can send is framed
// and rewritten without a crash, and the rewriting keeps its promises.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gateway/HeadScanner.h"
#include "gateway/RequestRewriter.h"

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

constexpr std::array<std::string_view, 10> kRemoved = {
    "Proxy-Connection",  "Keep-Alive", "TE",       "Trailer",       "Upgrade",
    "If-Modified-Since", "If-Match",   "If-Range", "If-None-Match", "If-Unmodified-Since"};

}  // namespace

// The first byte picks the options and where the bytes are split into two
// reads; the rest is the request.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    veilport::RewriteOptions options;
    options.identityEncoding = (data[0] & 1) != 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    // Framing does not depend on how the bytes are split across reads.
    const auto end = veilport::FindHeadEnd(input);
    veilport::HeadScanner scanner;
    const std::size_t split = input.empty() ? 0 : (data[0] >> 1) % (input.size() + 1);
    auto inTwo = scanner.scan(input.substr(0, split));
    if (!inTwo) inTwo = scanner.scan(input);
    Check(inTwo == end);

    const auto result = veilport::RewriteRequest(input, options);
    // Every request leaves with a connection field saying "close".
    Check(result.bytes.find(": close\r\n") != std::string::npos);
    if (!end) return 0;

    // A whole header block: the rewritten block ends where the body starts,
    // the body travels unchanged, and the block is clean.
    const std::string_view body = input.substr(*end);
    const std::string_view out = result.bytes;
    Check(out.size() >= body.size() && out.substr(out.size() - body.size()) == body);
    const auto outEnd = veilport::FindHeadEnd(out);
    Check(outEnd && *outEnd == out.size() - body.size());
    const std::string_view head = out.substr(0, *outEnd);
    Check(head.ends_with("\r\n\r\n") && !head.starts_with("\r\n") && !head.starts_with("\n"));
    std::size_t connectionFields = 0;
    std::string_view rest = head;
    bool requestLine = true;
    while (const auto line = veilport::TakeLine(rest)) {
        // Every line the Gateway writes ends with CR LF.
        Check(head[head.size() - rest.size() - 2] == '\r');
        if (line->empty()) break;
        if (requestLine) {
            requestLine = false;
            continue;
        }
        const std::string_view name = line->substr(0, line->find(':'));
        for (auto removed : kRemoved) Check(!SameName(name, removed));
        if (SameName(name, "Connection")) {
            ++connectionFields;
            Check(*line == std::string(name) + ": close");
        }
    }
    Check(connectionFields >= 1);
    // What the Gateway writes is already in its final form.
    Check(veilport::RewriteRequest(out, options).bytes == out);
    return 0;
}
