#include "browsers/MozillaProxy.h"

#include "browsers/FileFinder.h"
#include "browsers/MozillaPrefs.h"
#include "platform/io/AtomicFile.h"

namespace veilport::browsers {

namespace {

template <typename Edit>
void EditProfiles(const std::filesystem::path& root, Edit edit) {
    FileFinder finder;
    finder.SetRoot(root, true);
    finder.Search("prefs.js", true, false);
    for (const auto& file : finder.results()) {
        const auto bytes = io::ReadWholeFile(file);
        if (!bytes) continue;
        // Written back with this system's LF line breaks.
        const std::string text = edit(ReadPrefsText(*bytes));
        if (text != *bytes) (void)io::ReplaceFileAtomically(file, text);
    }
}

}  // namespace

void SetMozillaProxy(const std::filesystem::path& root) {
    EditProfiles(root, [](std::string text) { return SetMozillaProxyText(std::move(text)); });
}

void RestoreMozillaProxy(const std::filesystem::path& root) {
    EditProfiles(root, [](std::string text) { return RestoreMozillaProxyText(std::move(text)); });
}

}  // namespace veilport::browsers
