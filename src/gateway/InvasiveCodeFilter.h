#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "gateway/ChunkedDecoder.h"
#include "gateway/FilterSwitches.h"
#include "gateway/TagNeutralizer.h"

namespace veilport {

// Runs over one answer as the relay receives it, chunk by chunk, and decides
// what the browser gets.
//
// Whether the answer is filtered at all follows the settings read when the
// request was sent, since that is when an uncompressed answer was asked for.
// When neither setting was on then, or the answer is not an uncompressed
// text/html page (images, downloads, tunnels, compressed pages that slipped
// through), every byte passes as it came and the settings are not read again.
// An HTML page gets its script and object tags renamed in place
// (TagNeutralizer), with the settings read afresh for each of its chunks, so a
// change in the panel applies from the next chunk. Because renaming changes
// the page's length, its Content-Length is dropped and a chunked body is
// decoded: the page ends where the connection ends (the upstream closes after
// every answer anyway).
class InvasiveCodeFilter {
public:
    using SwitchReader = std::function<FilterSwitches()>;

    explicit InvasiveCodeFilter(FilterSwitches atRequest,
                                SwitchReader readSwitches = &FilterSwitches::fromStore)
        : readSwitches_(std::move(readSwitches)),
          mode_(atRequest.any() ? Mode::Head : Mode::PassThrough) {}

    // The bytes to send on for `chunk`: either `chunk` itself or a view of
    // `scratch`, which the call fills. May be empty while headers are gathered.
    std::string_view filterChunk(std::string_view chunk, std::string& scratch);
    // What is still held once the upstream has closed.
    std::string_view finish(std::string& scratch);

    // An answer head longer than this is passed on unfiltered.
    static constexpr std::size_t kMaxHeadSize = 64 * 1024;

private:
    void takeHead(std::string& out);
    void filterBody(std::string_view body, std::string& out);

    enum class Mode { Head, Page, PassThrough };

    SwitchReader readSwitches_;
    Mode mode_;
    std::string head_;
    bool chunked_ = false;
    ChunkedDecoder decoder_;
    TagNeutralizer tags_;
};

}  // namespace veilport
