#include "browsers/FirefoxLeakPrefs.h"

namespace veilport::browsers {

namespace {

struct Line {
    std::size_t start = 0;
    std::size_t end = 0;  // its LF, or the end of the text
};

// The line setting `name`: the key with its closing quote, so that
// "network.proxy.http" never matches "network.proxy.http_port".
std::optional<Line> LocatePrefLine(std::string_view text, std::string_view name) {
    const std::string key = "user_pref(\"" + std::string(name) + "\"";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const auto first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line.substr(first, key.size()) == key)
            return Line{start, end};
        start = end + 1;
    }
    return std::nullopt;
}

void Append(std::string& text, std::string_view line) {
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += line;
    text += '\n';
}

}  // namespace

std::string PrefLineText(std::string_view name, std::string_view value) {
    return "user_pref(\"" + std::string(name) + "\", " + std::string(value) + ");";
}

std::optional<std::string> FindPrefLine(std::string_view text, std::string_view name) {
    const auto line = LocatePrefLine(text, name);
    if (!line) return std::nullopt;
    std::string found(text.substr(line->start, line->end - line->start));
    if (!found.empty() && found.back() == '\r') found.pop_back();
    return found;
}

std::string SetLeakPrefsText(std::string text) {
    for (const auto& pref : kLeakPrefs) {
        const std::string wanted = PrefLineText(pref.name, pref.value);
        if (const auto line = LocatePrefLine(text, pref.name))
            text.replace(line->start, line->end - line->start, wanted);
        else
            Append(text, wanted);
    }
    return text;
}

std::string RemoveLeakPrefsText(std::string text) {
    for (const auto& pref : kLeakPrefs) {
        const auto line = LocatePrefLine(text, pref.name);
        if (!line || text.compare(line->start, line->end - line->start,
                                  PrefLineText(pref.name, pref.value)) != 0)
            continue;
        text.erase(line->start, line->end - line->start + (line->end < text.size() ? 1 : 0));
    }
    return text;
}

std::vector<std::string_view> SwitchedPrefNames() {
    std::vector<std::string_view> names{"network.proxy.http", "network.proxy.http_port",
                                        "network.proxy.ssl", "network.proxy.ssl_port",
                                        "network.proxy.type"};
    for (const auto& pref : kLeakPrefs) names.push_back(pref.name);
    return names;
}

}  // namespace veilport::browsers
