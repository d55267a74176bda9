#include "cleaner/RunCleaningPass.h"

#include <string>

#include "cleaner/CleanBrowsers.h"
#include "cleaner/ClearProtectedStorage.h"
#include "cleaner/ClearUrlCache.h"
#include "cleaner/DeleteTree.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ShellFolders.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

namespace veilport::cleaner {

namespace {

using registry::Root;
using shell::FolderLocation;
using shell::SpecialFolder;

constexpr std::string_view kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr std::string_view kIntelliFormsKey =
    "Software\\Microsoft\\Internet Explorer\\IntelliForms";

// A location built from a base folder and a name below it. A base that is
// empty or relative would turn the name into a folder of wherever the
// program happens to run, so the location is refused instead.
void deleteBelow(bool located, const FolderLocation& base, std::string_view name, bool wipeIndexDat,
                 PassContext& context) {
    if (!located) return;
    if (base.path.empty() || base.path.is_relative()) {
        (void)DeleteTree(base.path, false, wipeIndexDat, context);
        return;
    }
    (void)DeleteTree(base.path / name, false, wipeIndexDat, context);
}

void deleteFolder(SpecialFolder folder, bool wipeIndexDat, PassContext& context) {
    FolderLocation location;
    if (shell::getSpecialFolderPath(folder, location))
        (void)DeleteTree(location.path, false, wipeIndexDat, context);
}

void clearHistoryObject(PassContext& context) {
    auto history = inet::UrlHistory::create();
    if (!history) return;
    const auto count = history->count();
    if (count == 0) return;
    if (context.dryRun || history->clearHistory())
        context.observer.removed(RemovedKind::HistoryEntries, std::to_string(count) + " URLs");
}

void deleteKey(std::string_view path, PassContext& context) {
    const std::string shown =
        std::string(registry::rootName(Root::CurrentUser)) + "\\" + std::string(path);
    if (context.dryRun) {
        if (context.system.keyExists(Root::CurrentUser, path))
            context.observer.removed(RemovedKind::RegistryKey, shown);
        return;
    }
    if (context.system.deleteKeyTree(Root::CurrentUser, path) == registry::kSuccess)
        context.observer.removed(RemovedKind::RegistryKey, shown);
}

void runTask(CleaningTask task, PassContext& context) {
    FolderLocation windows;
    FolderLocation temp;
    switch (task) {
        case CleaningTask::History:
            clearHistoryObject(context);
            deleteBelow(shell::getWindowsDirectory(windows), windows, "History", true, context);
            deleteFolder(SpecialFolder::History, true, context);
            deleteBelow(shell::getTempPath(temp), temp, "History", true, context);
            return;
        case CleaningTask::TypedUrls:
            deleteKey(kTypedUrlsKey, context);
            return;
        case CleaningTask::TemporaryFiles:
            ClearUrlCache(UrlCacheMode::AllButCookies, context);
            deleteFolder(SpecialFolder::InternetCache, false, context);
            deleteBelow(shell::getTempPath(temp), temp, "Temporary Internet Files", false, context);
            return;
        case CleaningTask::Cookies:
            ClearUrlCache(UrlCacheMode::CookiesOnly, context);
            deleteFolder(SpecialFolder::Cookies, false, context);
            deleteBelow(shell::getTempPath(temp), temp, "Cookies", false, context);
            return;
        case CleaningTask::AutoCompleteForms:
            ClearProtectedStorage(context);
            return;
        case CleaningTask::AutoCompletePasswords:
            deleteKey(kIntelliFormsKey, context);
            return;
        case CleaningTask::Favorites:
            deleteFolder(SpecialFolder::Favorites, false, context);
            return;
    }
}

}  // namespace

TaskFlags ReadTaskFlags() {
    TaskFlags flags{};
    for (std::size_t i = 0; i < flags.size(); ++i)
        flags[i] = DwordSetting(settings::kIClear[i]).get() == 1;
    return flags;
}

void RunCleaningPass(PassContext& context) {
    context.browsers = ReadBrowserChoice();
    RunCleaningTasks(ReadTaskFlags(), context);
}

void RunCleaningTasks(const TaskFlags& flags, PassContext& context) {
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (!flags[i]) continue;
        if (context.stop.stop_requested()) return;
        context.task = static_cast<CleaningTask>(i + 1);
        context.observer.taskStarted(context.task);
        runTask(context.task, context);
    }
    if (!context.stop.stop_requested()) CleanBrowsers(flags, context);
}

}  // namespace veilport::cleaner
