#include "proxypool/MyProxiesFormat.h"

#include "proxypool/ProxyText.h"

namespace veilport::proxypool {

std::vector<std::string_view> MyProxiesLines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const auto end = content.find_first_of("\r\n");
        lines.push_back(content.substr(0, end));
        if (end == std::string_view::npos) break;
        const bool crLf =
            content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
        content.remove_prefix(end + (crLf ? 2 : 1));
    }
    return lines;
}

ProxyRecord RecordFromLine(std::string_view line) {
    ProxyRecord record;
    const auto arrow = line.find(kCountrySeparator);
    if (arrow == std::string_view::npos) {
        record.address.assign(line);
    } else {
        record.address.assign(line.substr(0, arrow));
        record.country.assign(line.substr(arrow + kCountrySeparator.size()));
    }
    record.responseTime.assign(kNotTested);
    return record;
}

std::vector<ProxyRecord> ParseMyProxies(std::string_view content) {
    std::vector<ProxyRecord> rows;
    for (const auto line : MyProxiesLines(content)) rows.push_back(RecordFromLine(line));
    return rows;
}

std::string FormatMyProxies(const std::vector<ProxyRecord>& rows) {
    std::string text;
    for (const auto& row : rows) {
        text += row.address;
        text += kCountrySeparator;
        text += row.country;
        text += '\n';
    }
    return text;
}

std::string AppendMyProxiesLine(std::string_view content, std::string_view entry) {
    std::string text;
    text.reserve(content.size() + entry.size() + 2);
    for (const auto line : MyProxiesLines(content)) {
        text += line;
        text += '\n';
    }
    text += entry;
    text += '\n';
    return text;
}

}  // namespace veilport::proxypool
