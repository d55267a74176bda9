#include "gateway/HeadScanner.h"

namespace veilport {

std::optional<std::string_view> TakeLine(std::string_view& rest) {
    const auto feed = rest.find('\n');
    if (feed == std::string_view::npos) return std::nullopt;
    std::string_view line = rest.substr(0, feed);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    rest.remove_prefix(feed + 1);
    return line;
}

std::optional<std::size_t> HeadScanner::scan(std::string_view all) {
    if (end_) return end_;
    for (;;) {
        // Bytes of an unfinished line were searched before: only new ones are.
        const auto feed = all.find('\n', searched_);
        if (feed == std::string_view::npos) {
            searched_ = all.size();
            return std::nullopt;
        }
        std::string_view rest = all.substr(lineStart_, feed + 1 - lineStart_);
        const auto line = TakeLine(rest);
        lineStart_ = searched_ = feed + 1;
        if (!line->empty()) {
            sawRequestLine_ = true;
        } else if (sawRequestLine_) {
            end_ = lineStart_;
            return end_;
        }
    }
}

std::optional<std::size_t> FindHeadEnd(std::string_view bytes) {
    return HeadScanner().scan(bytes);
}

}  // namespace veilport
