#pragma once

#include <string>
#include <string_view>

#include "gateway/FilterSwitches.h"

namespace veilport {

// Renames script and object tags in a stream of HTML so that browsers do not
// know them: "<script" -> "<noscri", "</script>" -> "</noscri> ",
// "<object" -> "<noobj ", "</object>" -> "</noobj> ". Tags are matched without
// regard to letter case and replaced in place; every other byte passes as it
// came, letter case included. The tag texts are prefixes, so "<scripts" or a
// tag inside a comment is renamed too.
//
// The stream arrives in chunks: a possible beginning of a tag at the end of one
// chunk is held back until the next one shows whether it is a tag.
class TagNeutralizer {
public:
    // Appends the filtered form of `chunk` to `out`. The switches may differ from
    // one chunk to the next.
    void feed(std::string_view chunk, FilterSwitches switches, std::string& out);
    // Appends whatever is still held back; call once the stream has ended.
    void finish(std::string& out);

    // The longest tag is "</script>"; at most this many bytes are ever held.
    static constexpr std::size_t kMaxHeld = 8;

private:
    std::string held_;
};

}  // namespace veilport
