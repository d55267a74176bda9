#include "cleaner/PassSummary.h"

#include <cstdio>

namespace veilport::cleaner {

void PassSummary::taskStarted(CleaningTask task) {
    tasks_.push_back({task});
}

void PassSummary::removed(RemovedKind, std::string_view) {
    if (!tasks_.empty()) ++tasks_.back().items;
}

void PassSummary::removedFile(RemovedKind, std::string_view, std::uint64_t bytes) {
    if (tasks_.empty()) return;
    ++tasks_.back().items;
    tasks_.back().bytes += bytes;
}

void PassSummary::refused(CleaningTask task, const std::filesystem::path& folder,
                          std::string_view reason) {
    ++leftAlone_;
    refusedLines_.push_back("  left alone for the " + std::string(taskName(task)) + ": " +
                            folder.string() + ": " + std::string(reason));
}

void PassSummary::browserProfile(const ProfileOutcome& outcome) {
    std::string counts;
    const auto add = [&](const std::string& part) {
        counts += counts.empty() ? part : ", " + part;
    };
    for (const auto& [what, count] : outcome.rows) add(std::to_string(count) + " " + what);
    if (outcome.files != 0)
        add(std::to_string(outcome.files) + " files (" + SizeText(outcome.bytes) + ")");
    if (counts.empty()) counts = outcome.leftAlone ? "nothing" : "nothing to remove";
    browserLines_.push_back(outcome.browser + " (" + outcome.profile.string() + "): " + counts);
    for (const auto& line : outcome.skipped) {
        ++leftAlone_;
        browserLines_.push_back("  left alone: " + line);
    }
}

std::vector<std::string> PassSummary::lines() const {
    std::vector<std::string> lines;
    const std::string verb = dryRun_ ? "would remove " : "removed ";
    for (const auto& count : tasks_) {
        std::string line = std::string(taskName(count.task)) + ": ";
        if (count.items == 0)
            line += "nothing to remove";
        else
            line += verb + std::to_string(count.items) + " items" +
                    (count.bytes != 0 ? " (" + SizeText(count.bytes) + ")" : "");
        lines.push_back(line);
    }
    lines.insert(lines.end(), refusedLines_.begin(), refusedLines_.end());
    lines.insert(lines.end(), browserLines_.begin(), browserLines_.end());
    if (lines.empty()) lines.push_back("No cleaning task is ticked.");
    return lines;
}

std::string SizeText(std::uint64_t bytes) {
    char text[32];
    if (bytes >= 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    else if (bytes >= 1024)
        std::snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>(bytes / 1024));
    else
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    return text;
}

std::vector<std::string> PreviewCleaning(const TaskFlags& flags, const BrowserChoice& browsers) {
    PassSummary summary(true);
    CleanerSystem system;
    PassContext context{summary, system, true, {}};
    context.browsers = browsers;
    RunCleaningTasks(flags, context);
    return summary.lines();
}

}  // namespace veilport::cleaner
