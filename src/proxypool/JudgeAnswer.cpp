#include "proxypool/JudgeAnswer.h"

#include "platform/text/Ascii.h"
#include "proxypool/JsonReader.h"

namespace veilport::proxypool {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<JudgeAnswer> FromJson(std::string_view body) {
    const auto document = ReadJson(body);
    if (!document || document->kind != JsonValue::Kind::Object) return std::nullopt;
    const auto* origin = document->member("origin");
    if (origin == nullptr || origin->kind != JsonValue::Kind::String) return std::nullopt;
    JudgeAnswer answer;
    answer.origin = origin->text;
    if (const auto* headers = document->member("headers");
        headers != nullptr && headers->kind == JsonValue::Kind::Object) {
        for (const auto& entry : headers->members)
            if (entry.value.kind == JsonValue::Kind::String)
                answer.headers.emplace_back(entry.name, entry.value.text);
    }
    return answer;
}

// The text of a line of HTML without its tags.
std::string WithoutTags(std::string_view line) {
    std::string text;
    while (!line.empty()) {
        const auto open = line.find('<');
        text.append(line.substr(0, open));
        if (open == std::string_view::npos) break;
        const auto close = line.find('>', open);
        if (close == std::string_view::npos) break;
        line.remove_prefix(close + 1);
    }
    return text;
}

// HTTP_X_FORWARDED_FOR -> X-Forwarded-For.
std::string HeaderNameFromCgi(std::string_view name) {
    std::string header;
    bool wordStart = true;
    for (const char c : name) {
        if (c == '_') {
            header += '-';
            wordStart = true;
            continue;
        }
        header += wordStart ? text::asciiUpper(c) : text::asciiLower(c);
        wordStart = false;
    }
    return header;
}

std::optional<JudgeAnswer> FromCgiText(std::string_view body) {
    JudgeAnswer answer;
    bool haveOrigin = false;
    while (!body.empty()) {
        // Lines end at LF or at an HTML line break.
        auto end = body.find('\n');
        for (const std::string_view br : {"<br>", "<br/>", "<br />", "<BR>"}) {
            const auto at = body.find(br);
            if (at < end) end = at;
        }
        const auto text = WithoutTags(body.substr(0, end));
        const auto line = Trimmed(text);
        if (end == std::string_view::npos) {
            body = {};
        } else {
            const auto close = body.find('>', end);
            body.remove_prefix(body[end] == '<' && close != std::string_view::npos ? close + 1
                                                                                   : end + 1);
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const auto name = Trimmed(line.substr(0, equals));
        const auto value = std::string(Trimmed(line.substr(equals + 1)));
        if (name == "REMOTE_ADDR") {
            answer.origin = value;
            haveOrigin = !value.empty();
        } else if (name.starts_with("HTTP_") && name.size() > 5) {
            answer.headers.emplace_back(HeaderNameFromCgi(name.substr(5)), value);
        }
    }
    if (!haveOrigin) return std::nullopt;
    return answer;
}

}  // namespace

std::string JudgeAnswer::exitAddress() const {
    // The last address that is there: "a, b," still came from b.
    std::string_view list = origin;
    while (true) {
        const auto comma = list.rfind(',');
        const auto last = Trimmed(list.substr(comma == std::string_view::npos ? 0 : comma + 1));
        if (!last.empty() || comma == std::string_view::npos) return std::string(last);
        list = list.substr(0, comma);
    }
}

std::optional<std::string> JudgeAnswer::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (text::equalsIgnoringAsciiCase(key, name)) return value;
    return std::nullopt;
}

std::optional<JudgeAnswer> ReadJudgeAnswer(std::string_view body) {
    auto answer = FromJson(body);
    if (!answer) answer = FromCgiText(body);
    if (answer && answer->exitAddress().empty()) return std::nullopt;
    return answer;
}

}  // namespace veilport::proxypool
