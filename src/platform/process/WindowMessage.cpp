#include "platform/process/WindowMessage.h"

namespace veilport::process {

namespace {

// Every message with the line it travels as (its word and the line end); a
// message that carries an argument is written with formatWindowRequest.
struct MessageWord {
    WindowMessage message;
    std::string_view line;
    bool takesArgument;

    constexpr std::string_view word() const { return line.substr(0, line.size() - 1); }
};

constexpr MessageWord kWords[] = {
    {WindowMessage::Show, "show\n", false},
    {WindowMessage::Close, "close\n", false},
    {WindowMessage::AnonymityOn, "anonymity-on\n", false},
    {WindowMessage::AnonymityOff, "anonymity-off\n", false},
    {WindowMessage::AnonymityStatus, "anonymity-status\n", false},
    {WindowMessage::UpdateProxyList, "update\n", false},
    {WindowMessage::AdoptProxy, "adopt\n", true},
};

const MessageWord& entryOf(WindowMessage message) {
    for (const MessageWord& entry : kWords)
        if (entry.message == message) return entry;
    // Every enumerator has its row above; a new one without is a programming error.
    return kWords[0];
}

}  // namespace

std::string_view formatWindowMessage(WindowMessage message) {
    const MessageWord& entry = entryOf(message);
    // Needs its argument: formatWindowRequest.
    return entry.takesArgument ? std::string_view() : entry.line;
}

std::string formatWindowRequest(const WindowRequest& request) {
    const MessageWord& entry = entryOf(request.message);
    if (entry.takesArgument == request.argument.empty()) return {};
    if (request.argument.find_first_of("\r\n") != std::string::npos) return {};
    std::string bytes(entry.word());
    if (!request.argument.empty()) bytes += ' ' + request.argument;
    bytes += '\n';
    if (bytes.size() > kLongestWindowMessage) return {};
    return bytes;
}

std::optional<WindowRequest> parseWindowRequest(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kLongestWindowMessage || bytes.back() != '\n')
        return std::nullopt;
    const std::string_view line = bytes.substr(0, bytes.size() - 1);
    if (line.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    const auto blank = line.find(' ');
    const std::string_view head = line.substr(0, blank);
    const std::string_view argument =
        blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    for (const MessageWord& candidate : kWords) {
        if (head != candidate.word()) continue;
        WindowRequest request{candidate.message, std::string(argument)};
        // Exactly the form formatWindowRequest writes, nothing looser.
        if (formatWindowRequest(request) != bytes) return std::nullopt;
        return request;
    }
    return std::nullopt;
}

std::optional<WindowMessage> parseWindowMessage(std::string_view bytes) {
    const auto request = parseWindowRequest(bytes);
    if (!request || !request->argument.empty()) return std::nullopt;
    return request->message;
}

}  // namespace veilport::process
