#include "browsers/PrefsMerge.h"

#include <optional>

#include "browsers/FirefoxLeakPrefs.h"
#include "browsers/MozillaPrefs.h"

namespace veilport::browsers {

namespace {

// What the switch left for `name`: for a leak preference the line user.js
// gives it (Firefox copies that into prefs.js), else the line it wrote here.
std::optional<std::string> SwitchLine(std::string_view after, std::string_view name) {
    for (const auto& pref : kLeakPrefs)
        if (pref.name == name) return PrefLineText(pref.name, pref.value);
    return FindPrefLine(after, name);
}

// Replaces the line setting `name` with `line`, or takes it out with its break.
void PutLine(std::string& text, std::string_view name, const std::optional<std::string>& line) {
    const std::string key = "user_pref(\"" + std::string(name) + "\"";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const auto first = text.find_first_not_of(" \t", start);
        if (first < end && text.compare(first, key.size(), key) == 0) {
            if (line)
                text.replace(start, end - start, *line);
            else
                text.erase(start, end - start + (end < text.size() ? 1 : 0));
            return;
        }
        start = end + 1;
    }
}

}  // namespace

std::string MergePrefsBack(std::string_view current, std::string_view before,
                           std::string_view after, std::vector<std::string>& conflicts) {
    std::string text = ReadPrefsText(current);
    const std::string was = ReadPrefsText(before);
    const std::string left = ReadPrefsText(after);
    for (const auto name : SwitchedPrefNames()) {
        const auto ours = SwitchLine(left, name);
        if (!ours) continue;
        const auto now = FindPrefLine(text, name);
        const auto then = FindPrefLine(was, name);
        if (now == then) continue;
        if (!now) {
            // Gone: the user took out a line the switch wrote here. A leak line
            // Firefox never copied here was never this file's to begin with.
            if (FindPrefLine(left, name)) conflicts.emplace_back(name);
            continue;
        }
        if (*now != *ours) {
            conflicts.emplace_back(name);
            continue;
        }
        PutLine(text, name, then);
    }
    return text;
}

}  // namespace veilport::browsers
