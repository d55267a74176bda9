#include "platform/registry/KeyPath.h"

#include "platform/text/Ascii.h"

namespace veilport::registry {

std::string foldName(std::string_view name) {
    return text::asciiLowered(name);
}

KeyPath::KeyPath(Root root, std::string_view path) : root_(root) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = path.find('\\', start);
        const auto piece = path.substr(start, end == std::string_view::npos ? end : end - start);
        if (!piece.empty()) segments_.emplace_back(piece);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

std::string KeyPath::folded(std::size_t depth) const {
    std::string result(1, static_cast<char>('1' + static_cast<int>(root_)));
    for (std::size_t i = 0; i < depth && i < segments_.size(); ++i) {
        result += '\\';
        result += foldName(segments_[i]);
    }
    return result;
}

}  // namespace veilport::registry
