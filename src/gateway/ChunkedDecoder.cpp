#include "gateway/ChunkedDecoder.h"

namespace veilport {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// No real chunk comes near this; a size beyond it is taken as a broken coding
// rather than risk an overflow.
constexpr std::uint64_t kMaxChunkSize = std::uint64_t{1} << 48;

}  // namespace

void ChunkedDecoder::feed(std::string_view input, std::string& out) {
    std::size_t i = 0;
    while (i < input.size()) {
        const char c = input[i];
        switch (state_) {
            case State::Size: {
                const int digit = hexValue(c);
                if (digit >= 0) {
                    remaining_ = remaining_ * 16 + static_cast<std::uint64_t>(digit);
                    sawDigit_ = true;
                    if (remaining_ > kMaxChunkSize) {
                        state_ = State::Broken;
                        continue;
                    }
                    ++i;
                } else if (sawDigit_ && (c == ';' || c == ' ' || c == '\t' || c == '\r')) {
                    state_ = State::SizeLineEnd;
                    ++i;
                } else if (sawDigit_ && c == '\n') {
                    state_ = remaining_ == 0 ? State::TrailerLineStart : State::Data;
                    sawDigit_ = false;
                    ++i;
                } else {
                    state_ = State::Broken;
                }
                break;
            }
            case State::SizeLineEnd:
                if (c == '\n') {
                    state_ = remaining_ == 0 ? State::TrailerLineStart : State::Data;
                    sawDigit_ = false;
                }
                ++i;
                break;
            case State::Data: {
                const std::size_t available = input.size() - i;
                const std::size_t take =
                    remaining_ < available ? static_cast<std::size_t>(remaining_) : available;
                out.append(input.substr(i, take));
                i += take;
                remaining_ -= take;
                if (remaining_ == 0) state_ = State::DataCr;
                break;
            }
            case State::DataCr:
                if (c == '\r') {
                    state_ = State::DataLf;
                    ++i;
                } else if (c == '\n') {
                    state_ = State::Size;
                    ++i;
                } else {
                    state_ = State::Broken;
                }
                break;
            case State::DataLf:
                if (c == '\n') {
                    state_ = State::Size;
                    ++i;
                } else {
                    state_ = State::Broken;
                }
                break;
            case State::TrailerLineStart:
                if (c == '\r') {
                    state_ = State::TrailerLf;
                } else if (c == '\n') {
                    state_ = State::Done;
                } else {
                    state_ = State::TrailerLine;
                }
                ++i;
                break;
            case State::TrailerLine:
                if (c == '\n') state_ = State::TrailerLineStart;
                ++i;
                break;
            case State::TrailerLf:
                state_ = c == '\n' ? State::Done : State::TrailerLine;
                ++i;
                break;
            case State::Done:
                return;
            case State::Broken:
                out.append(input.substr(i));
                return;
        }
    }
}

}  // namespace veilport
