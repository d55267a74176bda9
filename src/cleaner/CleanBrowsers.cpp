#include "cleaner/CleanBrowsers.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "cleaner/BrowserDatabase.h"
#include "cleaner/BrowserLock.h"
#include "cleaner/BrowserPlan.h"
#include "cleaner/DeleteTree.h"
#include "cleaner/SiteStorage.h"
#include "platform/io/RemoveFileBeneath.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport::cleaner {

namespace fs = std::filesystem;
using browsers::BrowserFamily;
using browsers::BrowserProfile;

namespace {

// Counts the files a tree deletion removes into the profile's outcome instead
// of naming each (a browser cache holds thousands); refusals are kept as
// things left alone.
class OutcomeObserver final : public CleaningObserver {
public:
    explicit OutcomeObserver(ProfileOutcome& outcome) : outcome_(outcome) {}
    void removedFile(RemovedKind, std::string_view, std::uint64_t bytes) override {
        ++outcome_.files;
        outcome_.bytes += bytes;
    }
    void refused(CleaningTask, const fs::path& folder, std::string_view reason) override {
        outcome_.skipped.push_back(folder.string() + ": " + std::string(reason));
    }

private:
    ProfileOutcome& outcome_;
};

class ProfileCleaner {
public:
    ProfileCleaner(const BrowserProfile& profile, PassContext& context, ProfileOutcome& outcome)
        : profile_(profile),
          context_(context),
          outcome_(outcome),
          observer_(outcome),
          trees_{.observer = observer_,
                 .system = context.system,
                 .dryRun = context.dryRun,
                 .stop = context.stop,
                 .protectedPaths = context.protectedPaths} {}

    // The tasks in their order. Each database is opened once for all of
    // them, so that a dry run, which rolls its changes back, counts what the
    // pass would: the history task's removals are then seen by the typed
    // URL task that follows it.
    void run(const std::vector<CleaningTask>& tasks) {
        std::vector<std::pair<std::string_view, std::vector<RowStep>>> databases;
        std::vector<std::pair<CleaningTask, TaskPlan>> plans;
        for (const auto task : tasks) {
            plans.emplace_back(task, PlanFor(profile_.family, task));
            for (const auto& database : plans.back().second.databases)
                for (const auto name : database.files) {
                    auto it = std::find_if(databases.begin(), databases.end(),
                                           [&](const auto& entry) { return entry.first == name; });
                    if (it == databases.end()) it = databases.insert(it, {name, {}});
                    it->second.insert(it->second.end(), database.steps.begin(),
                                      database.steps.end());
                }
        }
        for (const auto& [name, steps] : databases) cleanDatabase(name, steps);
        for (const auto& [task, plan] : plans) {
            trees_.task = task;
            for (const auto name : plan.files) removeFile(name);
            for (const auto name : plan.profileFolders)
                (void)DeleteTree(profile_.folder / name, false, false, trees_);
            for (const auto& cache : profile_.cacheFolders)
                for (const auto name : plan.cacheFolders)
                    (void)DeleteTree(cache / name, false, false, trees_);
            if (plan.siteStorage) cleanSiteStorage();
        }
    }

private:
    void skip(std::string_view what, std::string_view why) {
        outcome_.skipped.push_back(std::string(what) + ": " + std::string(why));
    }

    bool hasAll(BrowserDatabase& db, const RowStep& step, std::string& missing) {
        for (const auto need : step.needs) {
            const auto dot = need.find('.');
            const auto table = need.substr(0, dot);
            const bool found = dot == std::string_view::npos
                                   ? db.hasTable(table)
                                   : db.hasColumn(table, need.substr(dot + 1));
            if (!found) {
                missing = std::string(need);
                return false;
            }
        }
        return true;
    }

    void cleanDatabase(std::string_view name, const std::vector<RowStep>& steps) {
        if (context_.stop.stop_requested()) return;
        BrowserDatabase db;
        if (const auto problem =
                db.open(profile_.folder / name, context_.browsers.keep, context_.dryRun)) {
            if (!problem->empty()) skip(name, *problem);
            return;
        }
        ProfileOutcome counted;
        for (const auto& step : steps) {
            std::string missing;
            if (!hasAll(db, step, missing)) {
                if (!step.quiet)
                    skip(name, "the " + std::string(step.what) + " step was skipped: " + missing +
                                   " is not in this version of the file");
                continue;
            }
            std::string error;
            if (const auto changed = db.run(step.sql, error))
                counted.addRows(step.what, *changed);
            else
                skip(name, "the " + std::string(step.what) + " step failed: " + error);
        }
        // A dry run leaves the transaction to roll back.
        std::string error;
        if (!context_.dryRun && !db.commit(error)) {
            skip(name, "the changes could not be saved: " + error);
            return;
        }
        for (const auto& [what, count] : counted.rows) outcome_.addRows(what, count);
    }

    void removeFile(std::string_view name) {
        const fs::path file = profile_.folder / name;
        struct stat info {};
        if (::lstat(file.c_str(), &info) != 0) return;
        if (!context_.dryRun) {
            switch (io::removeFileBeneath(profile_.folder, file)) {
                case io::RemoveBeneath::Removed:
                    break;
                case io::RemoveBeneath::Missing:
                    return;
                case io::RemoveBeneath::Refused:
                case io::RemoveBeneath::Failed:
                    skip(name, "could not be removed");
                    return;
            }
        }
        ++outcome_.files;
        if (S_ISREG(info.st_mode)) outcome_.bytes += static_cast<std::uint64_t>(info.st_size);
    }

    // One folder per site below each storage folder: a site the keep list
    // keeps keeps its storage with its cookies; the rest go whole.
    void cleanSiteStorage() {
        for (const auto storage : SiteStorageFolders(profile_.family)) {
            const fs::path parent = profile_.folder / storage;
            std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(parent.c_str()), &::closedir);
            if (!dir) continue;
            std::vector<std::string> sites;
            while (const dirent* entry = ::readdir(dir.get())) {
                const std::string host = SiteStorageHost(profile_.family, entry->d_name);
                if (!host.empty() && !context_.browsers.keep.keeps(host))
                    sites.emplace_back(entry->d_name);
            }
            for (const auto& site : sites) {
                const fs::path folder = parent / site;
                if (!DeleteTree(folder, false, false, trees_) || context_.dryRun) continue;
                // Emptied; the folder itself goes by its name, which removes
                // no link and nothing a link points to.
                (void)::rmdir(folder.c_str());
            }
        }
    }

    const BrowserProfile& profile_;
    PassContext& context_;
    ProfileOutcome& outcome_;
    OutcomeObserver observer_;
    PassContext trees_;
};

std::string_view FamilyName(BrowserFamily family) {
    return family == BrowserFamily::Firefox ? "Firefox" : "Chromium";
}

void CleanFamily(BrowserFamily family, const std::vector<CleaningTask>& tasks,
                 PassContext& context) {
    const auto search = browsers::FindBrowserProfiles(family);
    for (const auto& place : search.unreachable) {
        ProfileOutcome outcome{std::string(FamilyName(family)), place.folder};
        outcome.skipped.push_back("not searched for profiles: " + place.reason);
        context.observer.browserProfile(outcome);
    }
    for (const auto& profile : search.profiles) {
        if (context.stop.stop_requested()) return;
        ProfileOutcome outcome{profile.browser, profile.folder};
        if (BrowserIsRunning(profile)) {
            outcome.leftAlone = true;
            outcome.skipped.push_back(profile.browser + " is running: its profile was left alone");
        } else {
            ProfileCleaner cleaner(profile, context, outcome);
            cleaner.run(tasks);
        }
        context.observer.browserProfile(outcome);
    }
}

}  // namespace

BrowserChoice ReadBrowserChoice() {
    BrowserChoice choice;
    choice.firefox = DwordSetting(settings::kCleanFirefox).get() == 1;
    choice.chromium = DwordSetting(settings::kCleanChromium).get() == 1;
    choice.keep = SiteKeepList::parse(StringSetting(settings::kKeepCookieSites).get());
    return choice;
}

void CleanBrowsers(const TaskFlags& flags, PassContext& context) {
    if (!context.browsers.firefox && !context.browsers.chromium) return;
    std::vector<CleaningTask> tasks;
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i]) tasks.push_back(static_cast<CleaningTask>(i + 1));
    if (tasks.empty()) return;
    if (context.browsers.firefox) CleanFamily(BrowserFamily::Firefox, tasks, context);
    if (context.browsers.chromium) CleanFamily(BrowserFamily::Chromium, tasks, context);
}

}  // namespace veilport::cleaner
