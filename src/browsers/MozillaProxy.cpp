#include "browsers/MozillaProxy.h"

#include <system_error>

#include "browsers/FileFinder.h"
#include "browsers/FirefoxLeakPrefs.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/PrefsMerge.h"
#include "platform/desktop/JournaledFile.h"

namespace veilport::browsers {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFileKind = "file";

void Report(SwitchReport& report, const fs::path& file, const desktop::TargetOutcome& outcome) {
    if (outcome.done)
        report.done(file.string());
    else
        report.failed(file.string(), outcome.reason);
}

std::vector<fs::path> FindPrefsFiles(const fs::path& root, SwitchReport& report) {
    FileFinder finder;
    finder.SetRoot(root, true);
    finder.Search("prefs.js", true, false);
    for (const auto& place : finder.unreachable())
        report.failed(place.folder.string(), place.reason);
    return finder.results();
}

bool Vanished(const fs::path& file) {
    std::error_code ec;
    return !fs::exists(fs::symlink_status(file, ec)) && !ec;
}

std::string MergeBack(const std::string& current, const desktop::JournalEntry& entry,
                      std::vector<std::string>& conflicts) {
    return MergePrefsBack(current, entry.before.bytes, entry.after ? entry.after->bytes : current,
                          conflicts);
}

// A file the journal does not know: the switch's own lines come out.
void RestoreUnjournaled(const fs::path& file, std::string (*restore)(std::string),
                        SwitchReport& report) {
    if (Vanished(file)) return;
    const auto current = desktop::ReadTargetFile(file);
    if (!current) {
        report.failed(file.string(), "cannot be read");
        return;
    }
    const std::string text = restore(ReadPrefsText(current->bytes));
    if (text == current->bytes || desktop::WriteTargetFile(file, {true, text}))
        report.done(file.string());
    else
        report.failed(file.string(), "cannot be written");
}

}  // namespace

SwitchReport SetMozillaProxy(const fs::path& root, std::uint16_t port) {
    SwitchReport report;
    for (const auto& file : FindPrefsFiles(root, report)) {
        if (Vanished(file)) continue;
        const auto prefs = desktop::ChangeJournaledFile(
            file, kFileKind,
            [port](const desktop::TargetState& state) -> std::optional<std::string> {
                if (!state.exists) return std::nullopt;
                // Written back with this system's LF line breaks.
                return SetMozillaProxyText(ReadPrefsText(state.bytes), port);
            });
        Report(report, file, prefs);
        // A profile whose proxy lines could not be set is left wholly alone.
        if (!prefs.done) continue;
        const fs::path userJs = file.parent_path() / "user.js";
        Report(
            report, userJs,
            desktop::ChangeJournaledFile(userJs, kFileKind, [](const desktop::TargetState& state) {
                return std::optional<std::string>(SetLeakPrefsText(state.bytes));
            }));
    }
    return report;
}

void RestoreJournaledBrowserFile(const std::string& file, SwitchReport& report) {
    const auto entry = desktop::SwitchJournal::Find(kFileKind, file);
    if (!entry) return;
    const std::string name = fs::path(file).filename().string();
    const bool prefs = name == "prefs.js" || name == "user.js";
    Report(report, file,
           desktop::RestoreJournaledFile(
               *entry, prefs ? desktop::FileMerge(&MergeBack) : desktop::FileMerge()));
}

SwitchReport RestoreMozillaProxy(const fs::path& root) {
    SwitchReport report;
    for (const auto& file : FindPrefsFiles(root, report)) {
        for (const fs::path& target : {file, file.parent_path() / "user.js"}) {
            if (desktop::SwitchJournal::Find(kFileKind, target.string()))
                RestoreJournaledBrowserFile(target.string(), report);
            else if (target == file)
                RestoreUnjournaled(target, &RestoreMozillaProxyText, report);
            else
                RestoreUnjournaled(target, &RemoveLeakPrefsText, report);
        }
    }
    return report;
}

}  // namespace veilport::browsers
