// The prefs.js edits over arbitrary file contents: never out of bounds; a file
// without any host line gains exactly the five lines; and every line that
// holds no proxy preference comes out unchanged and in order, so an edit can
// never eat or merge a neighbouring line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/MozillaPrefs.h"

using namespace veilport::browsers;

namespace {

constexpr std::string_view kProxyPrefix = "user_pref(\"network.proxy.";

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (;;) {
        const auto lf = text.find('\n');
        lines.push_back(text.substr(0, lf));
        if (lf == std::string_view::npos) return lines;
        text.remove_prefix(lf + 1);
    }
}

// The lines of `before` without a proxy preference appear in `after` in order.
bool KeepsOtherLines(std::string_view before, std::string_view after) {
    const auto out = Lines(after);
    std::size_t next = 0;
    for (const auto line : Lines(before)) {
        if (line.find(kProxyPrefix) != std::string_view::npos) continue;
        while (next < out.size() && out[next] != line) ++next;
        if (next == out.size()) return false;
        ++next;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = ReadPrefsText({reinterpret_cast<const char*>(data), size});
    const std::string set = SetMozillaProxyText(text, 9191);
    const bool noHost = text.find(kHostKey) == std::string::npos &&
                        text.find(kSslHostKey) == std::string::npos &&
                        text.find(kSslPortKey) == std::string::npos;
    const std::string added = std::string(kHostLine) + "\n" + PortLine(9191) + "\n" +
                              std::string(kSslHostLine) + "\n" + SslPortLine(9191) + "\n" +
                              std::string(kTypeLine);
    const bool endsLine = text.empty() || text.back() == '\n';
    if (noHost && set != (endsLine ? text + added + "\n" : text + "\n" + added)) std::abort();
    if (!KeepsOtherLines(text, set)) std::abort();
    const std::string restored = RestoreMozillaProxyText(set);
    if (restored.size() > set.size()) std::abort();
    if (!KeepsOtherLines(set, restored)) std::abort();
    if (!KeepsOtherLines(text, RestoreMozillaProxyText(text))) std::abort();
    return 0;
}
