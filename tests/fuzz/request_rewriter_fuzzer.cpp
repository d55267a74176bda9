// Any first read a browser (or anyone on the network) can send is rewritten
// without a crash, and the parts that must survive do.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gateway/RequestRewriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    veilport::RewriteOptions options;
    options.identityEncoding = (data[0] & 1) != 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto result = veilport::RewriteRequest(input, options);
    // Every request leaves with a connection field saying "close".
    if (result.bytes.find(": close\r\n") == std::string::npos) std::abort();
    // Whatever follows the header block (a body, a cut line) travels unchanged.
    const auto end = input.find("\r\n\r\n");
    if (end != std::string_view::npos) {
        const std::string_view rest = input.substr(end + 2);
        if (result.bytes.size() < rest.size() ||
            std::string_view(result.bytes).substr(result.bytes.size() - rest.size()) != rest)
            std::abort();
    }
    return 0;
}
