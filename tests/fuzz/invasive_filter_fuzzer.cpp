// Any answer an upstream proxy sends, cut into any chunks, goes through the
// filter without a crash; with the settings off it passes byte for byte, and
// tag renaming does not depend on where the chunks are cut.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gateway/ChunkedDecoder.h"
#include "gateway/InvasiveCodeFilter.h"
#include "gateway/TagNeutralizer.h"

namespace {

veilport::FilterSwitches gSwitches;
veilport::FilterSwitches ReadSwitches() {
    return gSwitches;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    gSwitches = {(data[0] & 1) != 0, (data[0] & 2) != 0};
    const std::size_t chunk = 1 + data[1] % 64;
    const std::string_view answer(reinterpret_cast<const char*>(data) + 2, size - 2);

    veilport::InvasiveCodeFilter filter(gSwitches, &ReadSwitches);
    std::string out;
    std::string scratch;
    for (std::size_t pos = 0; pos < answer.size(); pos += chunk)
        out.append(filter.filterChunk(answer.substr(pos, chunk), scratch));
    out.append(filter.finish(scratch));
    if (!gSwitches.any() && out != answer) std::abort();

    veilport::TagNeutralizer whole;
    std::string once;
    whole.feed(answer, gSwitches, once);
    whole.finish(once);
    veilport::TagNeutralizer pieces;
    std::string cut;
    for (std::size_t pos = 0; pos < answer.size(); pos += chunk)
        pieces.feed(answer.substr(pos, chunk), gSwitches, cut);
    pieces.finish(cut);
    if (once != cut) std::abort();

    veilport::ChunkedDecoder decoder;
    std::string decoded;
    decoder.feed(answer, decoded);
    if (decoded.size() > answer.size()) std::abort();
    return 0;
}
