#include "browsers/MozillaProxy.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "browsers/FileFinder.h"
#include "browsers/MozillaPrefs.h"
#include "platform/io/AtomicFile.h"

namespace veilport::browsers {

namespace {

std::string Why(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

template <typename Edit>
SwitchReport EditProfiles(const std::filesystem::path& root, Edit edit) {
    SwitchReport report;
    FileFinder finder;
    finder.SetRoot(root, true);
    finder.Search("prefs.js", true, false);
    for (const auto& place : finder.unreachable())
        report.failed(place.folder.string(), place.reason);
    for (const auto& file : finder.results()) {
        const auto bytes = io::readWholeFile(file);
        if (!bytes) {
            if (errno != ENOENT) report.failed(file.string(), Why("cannot be read"));
            continue;
        }
        // Written back with this system's LF line breaks.
        const std::string text = edit(ReadPrefsText(*bytes));
        if (text == *bytes || io::replaceFileAtomically(file, text))
            report.done(file.string());
        else
            report.failed(file.string(), Why("cannot be written"));
    }
    return report;
}

}  // namespace

SwitchReport SetMozillaProxy(const std::filesystem::path& root) {
    return EditProfiles(root,
                        [](std::string text) { return SetMozillaProxyText(std::move(text)); });
}

SwitchReport RestoreMozillaProxy(const std::filesystem::path& root) {
    return EditProfiles(root,
                        [](std::string text) { return RestoreMozillaProxyText(std::move(text)); });
}

}  // namespace veilport::browsers
