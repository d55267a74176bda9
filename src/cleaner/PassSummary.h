#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cleaner/CleaningObserver.h"
#include "cleaner/RunCleaningPass.h"

namespace veilport::cleaner {

// What a pass removed, or a preview would remove, in a few lines a person
// reads at a glance: one per task with what it found, one per browser
// profile with its counts, and one for each thing left alone and why.
class PassSummary final : public CleaningObserver {
public:
    explicit PassSummary(bool dryRun) : dryRun_(dryRun) {}

    void taskStarted(CleaningTask task) override;
    void removed(RemovedKind kind, std::string_view what) override;
    void removedFile(RemovedKind kind, std::string_view what, std::uint64_t bytes) override;
    void refused(CleaningTask task, const std::filesystem::path& folder,
                 std::string_view reason) override;
    void browserProfile(const ProfileOutcome& outcome) override;

    std::vector<std::string> lines() const;
    std::size_t leftAlone() const { return leftAlone_; }

private:
    struct TaskCount {
        CleaningTask task;
        std::uint64_t items = 0;
        std::uint64_t bytes = 0;
    };
    bool dryRun_;
    std::vector<TaskCount> tasks_;
    std::vector<std::string> browserLines_;
    std::vector<std::string> refusedLines_;
    std::size_t leftAlone_ = 0;
};

// "1.5 MB", "320 KB", "12 bytes".
std::string SizeText(std::uint64_t bytes);

// A preview of one pass with these tasks and browsers, as summary lines.
std::vector<std::string> PreviewCleaning(const TaskFlags& flags, const BrowserChoice& browsers);

}  // namespace veilport::cleaner
