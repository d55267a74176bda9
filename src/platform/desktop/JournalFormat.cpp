#include "platform/desktop/JournalFormat.h"

#include <charconv>

namespace veilport::desktop {

namespace {

constexpr std::string_view kHeader = "veilport switch journal 1\n";

void PutField(std::string& out, char tag, const std::string& value) {
    out += tag;
    out += ' ';
    out += std::to_string(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

void PutState(std::string& out, char tag, const TargetState& state) {
    if (state.exists) {
        PutField(out, tag, state.bytes);
    } else {
        out += tag;
        out += " -\n";
    }
}

// Reads fields off the front of the text; every read fails once one has.
class Reader {
public:
    explicit Reader(std::string_view text) : rest_(text) {}

    bool atEnd() const { return rest_.empty(); }
    bool ok() const { return ok_; }
    char peekTag() const { return rest_.empty() ? '\0' : rest_.front(); }

    // A field "<tag> <len>\n<bytes>\n", or "<tag> -\n" when `absentAllowed`.
    std::optional<TargetState> field(char tag, bool absentAllowed) {
        const auto lf = rest_.find('\n');
        if (!ok_ || lf == std::string_view::npos || lf < 3 || rest_[0] != tag || rest_[1] != ' ')
            return fail();
        const std::string_view size = rest_.substr(2, lf - 2);
        rest_.remove_prefix(lf + 1);
        if (size == "-") {
            if (!absentAllowed) return fail();
            return TargetState{};
        }
        // One way to write each length: no leading zeros.
        if (size.size() > 1 && size.front() == '0') return fail();
        std::size_t length = 0;
        const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), length);
        if (error != std::errc() || end != size.data() + size.size()) return fail();
        if (length >= rest_.size() || rest_[length] != '\n') return fail();
        TargetState state{true, std::string(rest_.substr(0, length))};
        rest_.remove_prefix(length + 1);
        return state;
    }

    bool end() {
        if (!ok_ || rest_.substr(0, 2) != "E\n") return static_cast<bool>(fail());
        rest_.remove_prefix(2);
        return true;
    }

private:
    std::optional<TargetState> fail() {
        ok_ = false;
        return std::nullopt;
    }
    std::string_view rest_;
    bool ok_ = true;
};

}  // namespace

std::string FormatJournal(const std::vector<JournalEntry>& entries) {
    std::string out(kHeader);
    for (const auto& entry : entries) {
        PutField(out, 'K', entry.kind);
        PutField(out, 'N', entry.name);
        PutState(out, 'B', entry.before);
        if (entry.after) PutState(out, 'A', *entry.after);
        out += "E\n";
    }
    return out;
}

std::optional<std::vector<JournalEntry>> ParseJournal(std::string_view text) {
    if (text.substr(0, kHeader.size()) != kHeader) return std::nullopt;
    Reader reader(text.substr(kHeader.size()));
    std::vector<JournalEntry> entries;
    while (!reader.atEnd()) {
        JournalEntry entry;
        const auto kind = reader.field('K', false);
        const auto name = reader.field('N', false);
        const auto before = reader.field('B', true);
        if (!kind || !name || !before) return std::nullopt;
        entry.kind = kind->bytes;
        entry.name = name->bytes;
        entry.before = *before;
        if (reader.peekTag() == 'A') {
            entry.after = reader.field('A', true);
            if (!entry.after) return std::nullopt;
        }
        if (!reader.end()) return std::nullopt;
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace veilport::desktop
