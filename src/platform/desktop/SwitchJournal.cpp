#include "platform/desktop/SwitchJournal.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <system_error>

#include "platform/io/AtomicFile.h"
#include "platform/io/UniqueFd.h"
#include "platform/home/VeilportHome.h"

namespace veilport::desktop {

namespace fs = std::filesystem;

namespace {

// Holds the journal's lock for one read-change-write. Without a lock (no home
// folder to put it in) nothing can be recorded, so changes are refused.
class JournalLock {
public:
    JournalLock() {
        std::error_code ec;
        fs::create_directories(home::veilportHome(), ec);
        const fs::path lock = SwitchJournal::Path().string() + ".lock";
        fd_.reset(::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (!fd_) return;
        while (::flock(fd_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                fd_.reset();
                return;
            }
        }
    }
    bool held() const { return fd_.valid(); }

private:
    io::UniqueFd fd_;  // closing it releases the lock
};

std::optional<std::vector<JournalEntry>> Load(std::string* problem) {
    const fs::path path = SwitchJournal::Path();
    const auto text = io::readWholeFile(path);
    if (!text) {
        if (errno == ENOENT) return std::vector<JournalEntry>{};
        if (problem) *problem = path.string() + ": " + std::strerror(errno);
        return std::nullopt;
    }
    auto entries = ParseJournal(*text);
    if (!entries && problem) *problem = path.string() + ": damaged; kept as it is";
    return entries;
}

bool Save(const std::vector<JournalEntry>& entries) {
    const fs::path path = SwitchJournal::Path();
    if (!entries.empty()) return io::replaceFileAtomically(path, FormatJournal(entries));
    std::error_code ec;
    fs::remove(path, ec);
    return !ec;
}

// One locked read-change-write; `change` says whether there is anything to save.
bool Update(const std::function<bool(std::vector<JournalEntry>&)>& change) {
    JournalLock lock;
    if (!lock.held()) return false;
    auto entries = Load(nullptr);
    if (!entries) return false;
    if (!change(*entries)) return true;
    return Save(*entries);
}

auto Matching(const std::string& kind, const std::string& name) {
    return [&](const JournalEntry& entry) { return entry.kind == kind && entry.name == name; };
}

}  // namespace

fs::path SwitchJournal::Path() {
    return home::veilportHome() / "switch-journal";
}

std::optional<std::vector<JournalEntry>> SwitchJournal::Entries(std::string* problem) {
    JournalLock lock;
    return Load(problem);
}

std::optional<JournalEntry> SwitchJournal::Find(const std::string& kind, const std::string& name) {
    const auto entries = Entries();
    if (!entries) return std::nullopt;
    const auto found = std::find_if(entries->begin(), entries->end(), Matching(kind, name));
    if (found == entries->end()) return std::nullopt;
    return *found;
}

bool SwitchJournal::RecordBefore(const std::string& kind, const std::string& name,
                                 const TargetState& before) {
    return Update([&](std::vector<JournalEntry>& entries) {
        if (std::any_of(entries.begin(), entries.end(), Matching(kind, name))) return false;
        entries.push_back({kind, name, before, std::nullopt});
        return true;
    });
}

bool SwitchJournal::RecordAfter(const std::string& kind, const std::string& name,
                                const TargetState& after) {
    bool known = false;
    const bool saved = Update([&](std::vector<JournalEntry>& entries) {
        const auto found = std::find_if(entries.begin(), entries.end(), Matching(kind, name));
        known = found != entries.end();
        if (known) found->after = after;
        return known;
    });
    return saved && known;
}

bool SwitchJournal::Forget(const std::string& kind, const std::string& name) {
    return Update([&](std::vector<JournalEntry>& entries) {
        const auto before = entries.size();
        std::erase_if(entries, Matching(kind, name));
        return entries.size() != before;
    });
}

std::optional<TargetState> ReadTargetFile(const fs::path& file) {
    const auto bytes = io::readWholeFile(file);
    if (bytes) return TargetState{true, *bytes};
    if (errno == ENOENT) return TargetState{};
    return std::nullopt;
}

bool WriteTargetFile(const fs::path& file, const TargetState& state) {
    if (state.exists) return io::replaceFileAtomically(file, state.bytes);
    std::error_code ec;
    fs::remove(file, ec);
    return !ec;
}

}  // namespace veilport::desktop
