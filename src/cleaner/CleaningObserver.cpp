#include "cleaner/CleaningObserver.h"

#include <cstdio>

namespace veilport::cleaner {

std::string_view taskName(CleaningTask task) {
    switch (task) {
        case CleaningTask::History:
            return "Internet history";
        case CleaningTask::TypedUrls:
            return "typed URLs";
        case CleaningTask::TemporaryFiles:
            return "temporary Internet files";
        case CleaningTask::Cookies:
            return "cookies";
        case CleaningTask::AutoCompleteForms:
            return "AutoComplete forms";
        case CleaningTask::AutoCompletePasswords:
            return "AutoComplete passwords";
        case CleaningTask::Favorites:
            return "favorites";
    }
    return "";
}

void CleaningObserver::refused(CleaningTask task, const std::filesystem::path& folder,
                               std::string_view reason) {
    const std::string name(taskName(task));
    const std::string why(reason);
    std::fprintf(stderr, "veilport: not cleaning '%s' for the %s: %s\n", folder.c_str(),
                 name.c_str(), why.c_str());
}

void CleaningObserver::removedFile(RemovedKind kind, std::string_view what, std::uint64_t) {
    removed(kind, what);
}

void CleaningObserver::browserProfile(const ProfileOutcome& outcome) {
    for (const auto& line : outcome.skipped)
        std::fprintf(stderr, "veilport: %s profile '%s': %s\n", outcome.browser.c_str(),
                     outcome.profile.c_str(), line.c_str());
}

}  // namespace veilport::cleaner
