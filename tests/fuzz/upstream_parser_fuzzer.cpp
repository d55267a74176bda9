// Feeds arbitrary bytes to the proxy text parser and checks its promises: a
// refusal says why, an upstream that parses is usable, and no text made from it
// carries the password.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxypool/Upstream.h"

using namespace veilport::proxypool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseUpstream(text);
    if (!parsed) {
        if (parsed.error.empty()) std::abort();
        return 0;
    }
    const Upstream& up = *parsed.upstream;
    if (up.host.empty() || up.port == 0) std::abort();
    const auto shown = up.displayText();
    // A text that carried a password is replaced by the shown form.
    if (up.password && up.text.rfind(shown, 0) != 0) std::abort();
    if (!up.password && up.text != text) std::abort();
    const auto again = ParseUpstream(shown);
    if (!again || !again.upstream->sameAccount(up) || again.upstream->password) std::abort();
    return 0;
}
