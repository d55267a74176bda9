// The bytes of one connection to a window, cut into pieces as the network
// may deliver them (the first input byte chooses the cuts): the request
// reader must neither crash nor disagree with the one-line wire form, however
// the bytes arrive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/process/WindowMessage.h"
#include "platform/process/WindowRequestBuffer.h"

using namespace veilport::process;
using State = WindowRequestBuffer::State;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = data[0] % 17 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    WindowRequestBuffer buffer;
    std::size_t used = 0;
    State state = State::Incomplete;
    while (used < bytes.size() && state == State::Incomplete) {
        const auto piece = bytes.substr(used, step);
        state = buffer.add(piece);
        used += piece.size();
    }
    if (state == State::Incomplete) state = buffer.end();

    const auto whole = parseWindowRequest(bytes);
    if (whole) {
        // A valid request arrives whole however it was cut.
        if (state != State::Complete || buffer.request() != whole) std::abort();
    }
    if (state == State::Complete) {
        // Only ever the exact wire form of what it says, and all of the input
        // up to its line feed.
        const auto& request = buffer.request();
        if (!request) std::abort();
        const std::string wire = formatWindowRequest(*request);
        if (wire.empty() || bytes.substr(0, wire.size()) != wire) std::abort();
        if (used != wire.size()) std::abort();
    } else if (buffer.request()) {
        std::abort();
    }
    return 0;
}
