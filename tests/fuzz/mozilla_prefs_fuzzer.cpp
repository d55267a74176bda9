// The prefs.js edits over arbitrary file contents: never out of bounds, and
// the lines they promise are there afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "browsers/MozillaPrefs.h"

using namespace veilport::browsers;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = ReadPrefsText({reinterpret_cast<const char*>(data), size});
    const std::string set = SetMozillaProxyText(text);
    if (set.find(kHostKey) == std::string::npos || set.find(kPortKey) == std::string::npos ||
        set.find(kTypeKey) == std::string::npos)
        std::abort();
    const std::string restored = RestoreMozillaProxyText(set);
    if (restored.size() > set.size()) std::abort();
    (void)RestoreMozillaProxyText(text);
    return 0;
}
