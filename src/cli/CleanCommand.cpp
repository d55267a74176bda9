#include "cli/CleanCommand.h"

#include <array>
#include <ostream>
#include <string>
#include <utility>

#include "cleaner/CleanBrowsers.h"
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

    void browserProfile(const cleaner::ProfileOutcome& outcome) override {
        ++profiles_;
        out_ << "[" << outcome.browser << " profile " << outcome.profile.string() << "]\n";
        for (const auto& [what, count] : outcome.rows)
            out_ << "  " << verb_ << ' ' << count << ' ' << what << '\n';
        if (outcome.files != 0)
            out_ << "  " << verb_ << ' ' << outcome.files << " files, " << outcome.bytes
                 << " bytes\n";
        if (outcome.rows.empty() && outcome.files == 0 && outcome.skipped.empty())
            out_ << "  nothing to remove\n";
        for (const auto& line : outcome.skipped) {
            ++skipped_;
            out_ << "  skipped: " << line << '\n';
        }
    }

    std::size_t skipped() const { return skipped_; }

    void summary() const {
        const auto count = [&](RemovedKind kind) {
            return counts_[static_cast<std::size_t>(kind)];
        };
        out_ << verb_ << ": " << count(RemovedKind::File) + count(RemovedKind::Link) << " files, "
             << count(RemovedKind::Folder) << " folders, " << count(RemovedKind::RegistryKey)
             << " registry keys, " << count(RemovedKind::CacheEntry) << " cache entries";
        if (profiles_ != 0)
            out_ << ", " << profiles_ << " browser profiles looked at, " << skipped_
                 << " things left alone";
        out_ << '\n';
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    std::string_view verb_;
    std::array<std::size_t, 6> counts_{};
    std::size_t profiles_ = 0;
    std::size_t skipped_ = 0;
};

int Run(Args args, std::ostream& out, std::ostream& err) {
    bool dryRun = false;
    auto browsers = cleaner::ReadBrowserChoice();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto arg = args[i];
        if (arg == "--dry-run" || arg == "-n") {
            dryRun = true;
            continue;
        }
        if (arg == "--keep") {
            if (i + 1 == args.size()) return UsageError(err, "--keep needs a site, as example.org");
            if (!browsers.keep.add(args[++i]))
                return UsageError(err, "'" + std::string(args[i]) + "' names no site to keep");
            continue;
        }
        return UsageError(
            err, "clean takes only --dry-run and --keep SITE, not '" + std::string(arg) + "'");
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
    context.browsers = std::move(browsers);
    cleaner::RunCleaningTasks(flags, context);
    observer.summary();
    // Something the user asked to clean that stayed is not a success.
    return !dryRun && observer.skipped() != 0 ? kExitFailed : kExitOk;
}

}  // namespace

Command CleanCommand() {
    return {"clean",
            "  clean                           run one cleaning pass now with the stored task\n"
            "                                  flags (Setari\\IClear1..7 = 1) and list what it\n"
            "                                  removed: files, folders, keys, cache entries\n"
            "  clean --dry-run                 list what a pass would remove; remove nothing\n"
            "  clean --keep SITE               keep SITE's cookies and site storage in the\n"
            "                                  browsers (Setari\\CleanFirefox, CleanChromium = 1)\n"
            "                                  as well as those of Setari\\KeepCookies; each\n"
            "                                  browser profile is listed with its counts and\n"
            "                                  what was left alone and why",
            Run};
}

}  // namespace veilport::cli
