#include "platform/desktop/PrivateProfile.h"

#include <system_error>
#include <vector>

#include "platform/io/AtomicFile.h"
#include "platform/text/Ascii.h"

namespace veilport::desktop {

namespace {

struct Line {
    std::string_view content;  // without its line break
    std::string_view lineBreak;
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        std::string_view content = text.substr(0, lf);
        std::string_view lineBreak = lf == std::string_view::npos ? "" : "\n";
        if (lf != std::string_view::npos && !content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
            lineBreak = "\r\n";
        }
        lines.push_back({content, lineBreak});
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return text::equalsIgnoringAsciiCase(a, b);
}

// The section a header line names, or nullopt when the line is no header.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> WriteProfileString(std::string_view text, std::string_view section,
                                              std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos || key.front() == '[')
        return std::nullopt;

    const std::vector<Line> lines = SplitLines(text);
    const std::string_view newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    const std::string entry = std::string(key) + "=" + std::string(value);

    std::size_t header = lines.size();
    for (std::size_t i = 0; i < lines.size() && header == lines.size(); ++i)
        if (const auto name = SectionName(lines[i].content); name && SameName(*name, section))
            header = i;

    std::string out;
    out.reserve(text.size() + entry.size() + section.size() + 8);
    auto emit = [&](std::string_view content, std::string_view lineBreak) {
        out.append(content);
        out.append(lineBreak);
    };

    if (header == lines.size()) {
        out.append(text);
        if (!out.empty() && out.back() != '\n') out.append(newline);
        emit("[" + std::string(section) + "]", newline);
        emit(entry, newline);
        return out;
    }

    // Look for the key inside the section; remember its last non-blank line so a
    // new key goes after it and any blank lines before the next section stay.
    std::size_t lastFilled = header;
    std::size_t match = lines.size();
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        if (SectionName(lines[i].content)) break;
        if (!Trim(lines[i].content).empty()) lastFilled = i;
        const auto equals = lines[i].content.find('=');
        if (equals != std::string_view::npos &&
            SameName(Trim(lines[i].content.substr(0, equals)), key)) {
            match = i;
            break;
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == match) {
            const auto equals = lines[i].content.find('=');
            emit(std::string(lines[i].content.substr(0, equals + 1)) + std::string(value),
                 lines[i].lineBreak);
            continue;
        }
        emit(lines[i].content, lines[i].lineBreak);
        if (match == lines.size() && i == lastFilled) {
            if (lines[i].lineBreak.empty()) out.append(newline);
            emit(entry, newline);
        }
    }
    return out;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file) {
    std::error_code ec;
    std::optional<std::string> text;
    if (std::filesystem::exists(file, ec))
        text = io::readWholeFile(file);
    else if (!ec)
        text = std::string();
    if (!text) return false;
    const auto updated = WriteProfileString(*text, section, key, value);
    if (!updated) return false;
    if (*updated == *text) return true;
    return io::replaceFileAtomically(file, *updated);
}

}  // namespace veilport::desktop
