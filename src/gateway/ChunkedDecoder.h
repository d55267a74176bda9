#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veilport {

// Undoes the chunked transfer coding of an answer body as it streams by, so
// that a body whose length the filter changes can be sent delimited by the end
// of the connection instead. Chunk extensions and trailer fields are dropped.
// Input that breaks the coding is passed on from there as it came rather than
// lost.
class ChunkedDecoder {
public:
    // Appends the body bytes found in `input` to `out`.
    void feed(std::string_view input, std::string& out);

    // True once the last chunk and the trailer have been read; bytes after that
    // are ignored.
    bool done() const { return state_ == State::Done; }
    bool broken() const { return state_ == State::Broken; }

private:
    enum class State {
        Size,
        SizeLineEnd,
        Data,
        DataCr,
        DataLf,
        TrailerLineStart,
        TrailerLine,
        TrailerLf,
        Done,
        Broken
    };

    State state_ = State::Size;
    std::uint64_t remaining_ = 0;
    bool sawDigit_ = false;
};

}  // namespace veilport
