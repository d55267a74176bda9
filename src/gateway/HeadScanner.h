#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace veilport {

// Takes the next line off the front of `rest`: the text up to a line feed,
// without it and without one carriage return before it, so that CR LF and a
// bare LF end a line alike. Nothing when `rest` holds no line feed (the line is
// not complete yet); `rest` is then left as it was.
std::optional<std::string_view> TakeLine(std::string_view& rest);

// Finds where a request's header block ends while its bytes come in, so that
// the Gateway reads the whole block before rewriting it. Empty lines before
// the request line are skipped; the first empty line after it ends the block.
// The same framing as RequestRewriter, kept in step by sharing TakeLine. Each
// byte is looked at once however the bytes are split across reads.
class HeadScanner {
public:
    // `all` is every byte received so far (a longer version of the previous
    // call's). The length of the header block, its empty line included, once
    // that line is in.
    std::optional<std::size_t> scan(std::string_view all);

private:
    std::size_t lineStart_ = 0;
    std::size_t searched_ = 0;
    bool sawRequestLine_ = false;
    std::optional<std::size_t> end_;
};

// The length of the header block at the front of `bytes`, or nothing when its
// empty line has not come yet.
std::optional<std::size_t> FindHeadEnd(std::string_view bytes);

}  // namespace veilport
