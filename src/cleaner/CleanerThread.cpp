#include "cleaner/CleanerThread.h"

#include <algorithm>
#include <system_error>

#include "cleaner/RunCleaningPass.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

namespace veilport::cleaner {

namespace {
constexpr std::uint32_t kDefaultMinutes = 5;
constexpr std::uint32_t kLongestMinutes = 31999;
}  // namespace

CleanerThread::CleanerThread(CleanerClock& clock, Pass pass)
    : clock_(clock), pass_(std::move(pass)) {}

CleanerThread::~CleanerThread() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

bool CleanerThread::start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) return false;
    try {
        thread_ = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool CleanerThread::isRunning() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable();
}

std::chrono::milliseconds CleanerThread::periodFromSleep(std::uint32_t minutes) {
    if (minutes == 0) minutes = kDefaultMinutes;
    return std::chrono::minutes(std::min(minutes, kLongestMinutes));
}

void CleanerThread::run(std::stop_token stop) {
    while (!stop.stop_requested()) {
        if (DwordSetting(settings::kAutoClean).get() == 1) pass_(stop);
        if (stop.stop_requested()) return;
        clock_.waitFor(periodFromSleep(DwordSetting(settings::kSleep).get()), stop);
    }
}

namespace {

// Writes what was left alone on stderr, as the base class does, and keeps
// the lines for the window's notice.
class SkipCollector final : public CleaningObserver {
public:
    void refused(CleaningTask task, const std::filesystem::path& folder,
                 std::string_view reason) override {
        CleaningObserver::refused(task, folder, reason);
        lines.push_back("Not cleaning " + folder.string() + ": " + std::string(reason));
    }
    void browserProfile(const ProfileOutcome& outcome) override {
        CleaningObserver::browserProfile(outcome);
        for (const auto& line : outcome.skipped)
            lines.push_back(outcome.leftAlone
                                ? line
                                : outcome.browser + " (" + outcome.profile.string() + "): " + line);
    }
    std::vector<std::string> lines;
};

}  // namespace

void CleanerThread::RunScheduledPass(std::stop_token stop) {
    SkipCollector observer;
    CleanerSystem system;
    PassContext context{observer, system, false, std::move(stop)};
    RunCleaningPass(context);
    if (observer.lines.empty()) return;
    auto& cleaner = processWide();
    std::lock_guard lock(cleaner.noticeMutex_);
    if (cleaner.notice_) cleaner.notice_(observer.lines);
}

void CleanerThread::setSkippedNotice(SkippedNotice notice) {
    std::lock_guard lock(noticeMutex_);
    notice_ = std::move(notice);
}

CleanerThread& CleanerThread::processWide() {
    // Objects with static storage end in the reverse order of their making.
    // The registry's process store is one of them and the thread reads it up
    // to its last moment, so the store is made first, by a read, and the
    // clock before the thread.
    static CleanerThread& instance = []() -> CleanerThread& {
        (void)DwordSetting(settings::kAutoClean).get();
        static SteadyCleanerClock clock;
        static CleanerThread thread(clock, &CleanerThread::RunScheduledPass);
        return thread;
    }();
    return instance;
}

}  // namespace veilport::cleaner
