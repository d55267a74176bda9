#include "platform/process/WindowRequestBuffer.h"

namespace veilport::process {

WindowRequestBuffer::State WindowRequestBuffer::add(std::string_view bytes) {
    if (bytes.empty()) return state_;
    if (state_ != State::Incomplete) {
        // Nothing may follow a request on its connection.
        state_ = State::Bad;
        request_.reset();
        return state_;
    }
    if (bytes_.size() + bytes.size() > kLongestWindowMessage) {
        state_ = State::Bad;
        bytes_.clear();
        return state_;
    }
    bytes_.append(bytes);
    const auto lineFeed = bytes_.find('\n');
    if (lineFeed == std::string::npos) return state_;
    // The whole of what came must be the line: parseWindowRequest refuses
    // anything after its line feed.
    request_ = parseWindowRequest(bytes_);
    state_ = request_ ? State::Complete : State::Bad;
    bytes_.clear();
    return state_;
}

WindowRequestBuffer::State WindowRequestBuffer::end() {
    if (state_ == State::Incomplete) {
        state_ = State::Bad;
        bytes_.clear();
    }
    return state_;
}

}  // namespace veilport::process
