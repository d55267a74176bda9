// The prefs.js edits over arbitrary file contents: never out of bounds, and a
// file without the host line gains exactly the three lines. (Fixed offsets on
// files whose keys overlap may mangle those keys; that is the edit's nature,
// not a memory fault, so it is not checked here.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "browsers/MozillaPrefs.h"

using namespace veilport::browsers;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = ReadPrefsText({reinterpret_cast<const char*>(data), size});
    const std::string set = SetMozillaProxyText(text);
    if (text.find(kHostKey) == std::string::npos && set != text + "\n" + std::string(kHostLine) +
                                                               "\n" + std::string(kPortLine) +
                                                               "\n" + std::string(kTypeLine))
        std::abort();
    const std::string restored = RestoreMozillaProxyText(set);
    if (restored.size() > set.size()) std::abort();
    (void)RestoreMozillaProxyText(text);
    return 0;
}
