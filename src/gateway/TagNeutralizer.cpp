#include "gateway/TagNeutralizer.h"

#include <array>
#include <cstring>

#include "platform/text/Ascii.h"

namespace veilport {

namespace {

struct TagRow {
    std::string_view tag;  // lower case
    std::string_view replacement;
    bool FilterSwitches::*enabledBy;
};

constexpr std::array<TagRow, 4> kRows = {{
    {"<script", "<noscri", &FilterSwitches::scripts},
    {"</script>", "</noscri> ", &FilterSwitches::scripts},
    {"<object", "<noobj ", &FilterSwitches::objects},
    {"</object>", "</noobj> ", &FilterSwitches::objects},
}};

enum class Match { None, Partial, Full };

// Whether `text` (starting at a '<') begins with `tag`, or is cut off while it
// still could.
Match matchTag(std::string_view text, std::string_view tag) {
    const std::size_t n = text.size() < tag.size() ? text.size() : tag.size();
    for (std::size_t i = 0; i < n; ++i)
        if (text::asciiLower(text[i]) != tag[i]) return Match::None;
    return n == tag.size() ? Match::Full : Match::Partial;
}

}  // namespace

void TagNeutralizer::feed(std::string_view chunk, FilterSwitches switches, std::string& out) {
    std::string joined;
    std::string_view data = chunk;
    if (!held_.empty()) {
        joined = std::move(held_);
        held_.clear();
        joined.append(chunk);
        data = joined;
    }
    if (!switches.any()) {
        out.append(data);
        return;
    }
    out.reserve(out.size() + data.size() + 16);
    std::size_t pos = 0;
    while (pos < data.size()) {
        const void* found = std::memchr(data.data() + pos, '<', data.size() - pos);
        if (found == nullptr) {
            out.append(data.substr(pos));
            return;
        }
        const std::size_t open =
            static_cast<std::size_t>(static_cast<const char*>(found) - data.data());
        out.append(data.substr(pos, open - pos));
        const std::string_view candidate = data.substr(open);
        bool replaced = false;
        bool partial = false;
        for (const auto& row : kRows) {
            if (!(switches.*row.enabledBy)) continue;
            const Match match = matchTag(candidate, row.tag);
            if (match == Match::Full) {
                out.append(row.replacement);
                pos = open + row.tag.size();
                replaced = true;
                break;
            }
            if (match == Match::Partial) partial = true;
        }
        if (replaced) continue;
        if (partial) {
            // Only the end of the chunk can be cut short of a whole tag.
            held_.assign(candidate);
            return;
        }
        out.push_back('<');
        pos = open + 1;
    }
}

void TagNeutralizer::finish(std::string& out) {
    out.append(held_);
    held_.clear();
}

}  // namespace veilport
