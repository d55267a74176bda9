#include "cli/CleanCommand.h"

#include <array>
#include <ostream>
#include <string>

#include "cleaner/CleanerSystem.h"
#include "cleaner/CleaningObserver.h"
#include "cleaner/PassContext.h"
#include "cleaner/RunCleaningPass.h"

namespace veilport::cli {

namespace {

using cleaner::CleaningTask;
using cleaner::RemovedKind;

std::string_view kindName(RemovedKind kind) {
    switch (kind) {
        case RemovedKind::File:
            return "file";
        case RemovedKind::Folder:
            return "folder";
        case RemovedKind::Link:
            return "link";
        case RemovedKind::RegistryKey:
            return "key";
        case RemovedKind::CacheEntry:
            return "cache entry";
        case RemovedKind::HistoryEntries:
            return "history";
    }
    return "";
}

// Prints every removal as it happens, then a count of each kind.
class PrintingObserver final : public cleaner::CleaningObserver {
public:
    PrintingObserver(std::ostream& out, std::ostream& err, bool dryRun)
        : out_(out), err_(err), verb_(dryRun ? "would remove" : "removed") {}

    void taskStarted(CleaningTask task) override {
        out_ << "[" << cleaner::taskName(task) << "]\n";
    }
    void removed(RemovedKind kind, std::string_view what) override {
        ++counts_[static_cast<std::size_t>(kind)];
        out_ << "  " << verb_ << ' ' << kindName(kind) << ' ' << what << '\n';
    }
    void refused(CleaningTask task, const std::filesystem::path& folder,
                 std::string_view reason) override {
        err_ << "veilportctl: not cleaning '" << folder.string() << "' for the "
             << cleaner::taskName(task) << ": " << reason << '\n';
    }

    void summary() const {
        const auto count = [&](RemovedKind kind) {
            return counts_[static_cast<std::size_t>(kind)];
        };
        out_ << verb_ << ": " << count(RemovedKind::File) + count(RemovedKind::Link) << " files, "
             << count(RemovedKind::Folder) << " folders, " << count(RemovedKind::RegistryKey)
             << " registry keys, " << count(RemovedKind::CacheEntry) << " cache entries\n";
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    std::string_view verb_;
    std::array<std::size_t, 6> counts_{};
};

int Run(Args args, std::ostream& out, std::ostream& err) {
    bool dryRun = false;
    for (const auto arg : args) {
        if (arg == "--dry-run" || arg == "-n") {
            dryRun = true;
            continue;
        }
        return UsageError(err, "clean takes only --dry-run, not '" + std::string(arg) + "'");
    }
    const auto flags = cleaner::ReadTaskFlags();
    bool any = false;
    for (bool flag : flags) any = any || flag;
    if (!any) {
        out << "No cleaning task is switched on: set Setari\\IClear1 to IClear7 to 1 on the "
               "privacy page, or with\n  veilportctl reg set "
               "'HKLM\\Software\\Veilport\\Setari\\IClear1' --dword 1\n";
        return kExitOk;
    }
    PrintingObserver observer(out, err, dryRun);
    cleaner::CleanerSystem system;
    cleaner::PassContext context{observer, system, dryRun, {}};
    cleaner::RunCleaningTasks(flags, context);
    observer.summary();
    return kExitOk;
}

}  // namespace

Command CleanCommand() {
    return {"clean",
            "  clean                           run one cleaning pass now with the stored task\n"
            "                                  flags (Setari\\IClear1..7 = 1) and list what it\n"
            "                                  removed: files, folders, keys, cache entries\n"
            "  clean --dry-run                 list what a pass would remove; remove nothing",
            Run};
}

}  // namespace veilport::cli
