#pragma once

#include <string>
#include <string_view>

#include "gateway/ChunkedDecoder.h"
#include "gateway/FilterSwitches.h"
#include "gateway/TagNeutralizer.h"

namespace veilport {

// Runs over one answer as the relay receives it, chunk by chunk, and decides
// what the browser gets.
//
// When neither filter setting is on as the answer begins, or the answer is not
// an uncompressed text/html page (images, downloads, tunnels, compressed pages
// that slipped through), every byte passes as it came and the settings are not
// read again. An HTML page, while a setting is on, gets its script and object
// tags renamed in place (TagNeutralizer). Because that changes its length, its
// Content-Length is dropped and a chunked body is decoded, so the page ends
// where the connection ends (the upstream closes after every answer anyway).
// The settings are read afresh for each chunk of such a page.
class InvasiveCodeFilter {
public:
    using SwitchReader = FilterSwitches (*)();

    explicit InvasiveCodeFilter(SwitchReader readSwitches = &FilterSwitches::fromStore)
        : readSwitches_(readSwitches) {}

    // The bytes to send on for `chunk`: either `chunk` itself or a view of
    // `scratch`, which the call fills. May be empty while headers are gathered.
    std::string_view filterChunk(std::string_view chunk, std::string& scratch);
    // What is still held once the upstream has closed.
    std::string_view finish(std::string& scratch);

    // An answer head longer than this is passed on unfiltered.
    static constexpr std::size_t kMaxHeadSize = 64 * 1024;

private:
    enum class Mode { Undecided, Head, Page, PassThrough };

    void takeHead(std::string& out);
    void filterBody(std::string_view body, std::string& out);

    SwitchReader readSwitches_;
    Mode mode_ = Mode::Undecided;
    std::string head_;
    bool chunked_ = false;
    ChunkedDecoder decoder_;
    TagNeutralizer tags_;
};

}  // namespace veilport
