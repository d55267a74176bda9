#include "gateway/InvasiveCodeFilter.h"

#include "platform/text/Ascii.h"

namespace veilport {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text::startsWithIgnoringAsciiCase(text, prefix);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return text::equalsIgnoringAsciiCase(a, b);
}

bool containsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
        if (startsWithNoCase(text.substr(i), word)) return true;
    return false;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

struct Head {
    bool informational = false;  // 1xx: the real answer head follows
    bool html = false;
    bool encoded = false;
    bool chunked = false;
};

// Looks at the status line and fields of a complete answer head (up to and
// including its empty line).
Head inspectHead(std::string_view head) {
    Head result;
    std::size_t end = head.find("\r\n");
    const std::string_view status = head.substr(0, end);
    // "HTTP/1.1 100 Continue": the code begins after the first blank.
    const auto blank = status.find(' ');
    if (blank != std::string_view::npos && blank + 1 < status.size() && status[blank + 1] == '1' &&
        !startsWithNoCase(status.substr(blank + 1), "101"))
        result.informational = true;
    std::size_t pos = end + 2;
    while (pos < head.size()) {
        end = head.find("\r\n", pos);
        if (end == std::string_view::npos || end == pos) break;
        const std::string_view line = head.substr(pos, end - pos);
        pos = end + 2;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = trim(line.substr(0, colon));
        const std::string_view value = trim(line.substr(colon + 1));
        if (equalsNoCase(name, "Content-Type")) {
            result.html = startsWithNoCase(value, "text/html");
        } else if (equalsNoCase(name, "Content-Encoding")) {
            result.encoded = !value.empty() && !equalsNoCase(value, "identity");
        } else if (equalsNoCase(name, "Transfer-Encoding")) {
            result.chunked = containsNoCase(value, "chunked");
        }
    }
    return result;
}

// The head without the fields that would describe the body's old length.
void appendHeadWithoutLength(std::string_view head, bool dropTransferEncoding, std::string& out) {
    std::size_t pos = 0;
    while (pos < head.size()) {
        std::size_t end = head.find("\r\n", pos);
        end = end == std::string_view::npos ? head.size() : end + 2;
        const std::string_view line = head.substr(pos, end - pos);
        pos = end;
        const auto colon = line.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view name = trim(line.substr(0, colon));
            if (equalsNoCase(name, "Content-Length")) continue;
            if (dropTransferEncoding && equalsNoCase(name, "Transfer-Encoding")) continue;
        }
        out.append(line);
    }
}

}  // namespace

std::string_view InvasiveCodeFilter::filterChunk(std::string_view chunk, std::string& scratch) {
    scratch.clear();
    switch (mode_) {
        case Mode::PassThrough:
            return chunk;
        case Mode::Head:
            head_.append(chunk);
            takeHead(scratch);
            return scratch;
        case Mode::Page:
            filterBody(chunk, scratch);
            return scratch;
    }
    return chunk;
}

// Moves what head_ holds into `out` once it is known what kind of answer this
// is; leaves it gathering while the head is still incomplete.
void InvasiveCodeFilter::takeHead(std::string& out) {
    while (mode_ == Mode::Head) {
        // Only an HTTP answer can be filtered; anything else is sent as it is.
        constexpr std::string_view kVersion = "HTTP/";
        const std::size_t compared =
            head_.size() < kVersion.size() ? head_.size() : kVersion.size();
        if (!startsWithNoCase(kVersion.substr(0, compared), head_.substr(0, compared))) {
            mode_ = Mode::PassThrough;
            break;
        }
        const auto end = head_.find("\r\n\r\n");
        if (end == std::string::npos || end + 4 > kMaxHeadSize) {
            if (head_.size() <= kMaxHeadSize) return;
            mode_ = Mode::PassThrough;
            break;
        }
        const std::string_view head(head_.data(), end + 4);
        const Head facts = inspectHead(head);
        if (facts.informational) {
            out.append(head);
            head_.erase(0, head.size());
            continue;
        }
        if (!facts.html || facts.encoded) {
            mode_ = Mode::PassThrough;
            break;
        }
        appendHeadWithoutLength(head, facts.chunked, out);
        chunked_ = facts.chunked;
        mode_ = Mode::Page;
        const std::string body = head_.substr(head.size());
        head_.clear();
        filterBody(body, out);
        return;
    }
    out.append(head_);
    head_.clear();
}

void InvasiveCodeFilter::filterBody(std::string_view body, std::string& out) {
    const FilterSwitches switches = readSwitches_();
    if (!chunked_) {
        tags_.feed(body, switches, out);
        return;
    }
    std::string decoded;
    decoder_.feed(body, decoded);
    tags_.feed(decoded, switches, out);
}

std::string_view InvasiveCodeFilter::finish(std::string& scratch) {
    scratch.clear();
    switch (mode_) {
        case Mode::PassThrough:
            break;
        case Mode::Head:
            scratch.swap(head_);
            break;
        case Mode::Page:
            tags_.finish(scratch);
            break;
    }
    return scratch;
}

}  // namespace veilport
