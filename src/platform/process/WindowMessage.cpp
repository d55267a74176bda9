#include "platform/process/WindowMessage.h"

namespace veilport::process {

namespace {

constexpr WindowMessage kAll[] = {
    WindowMessage::Show,         WindowMessage::Close,           WindowMessage::AnonymityOn,
    WindowMessage::AnonymityOff, WindowMessage::AnonymityStatus, WindowMessage::UpdateProxyList,
    WindowMessage::AdoptProxy,
};

std::string_view word(WindowMessage message) {
    switch (message) {
        case WindowMessage::Show:
            return "show";
        case WindowMessage::Close:
            return "close";
        case WindowMessage::AnonymityOn:
            return "anonymity-on";
        case WindowMessage::AnonymityOff:
            return "anonymity-off";
        case WindowMessage::AnonymityStatus:
            return "anonymity-status";
        case WindowMessage::UpdateProxyList:
            return "update";
        case WindowMessage::AdoptProxy:
            return "adopt";
    }
    return {};
}

bool takesArgument(WindowMessage message) {
    return message == WindowMessage::AdoptProxy;
}

}  // namespace

std::string_view formatWindowMessage(WindowMessage message) {
    switch (message) {
        case WindowMessage::Show:
            return "show\n";
        case WindowMessage::Close:
            return "close\n";
        case WindowMessage::AnonymityOn:
            return "anonymity-on\n";
        case WindowMessage::AnonymityOff:
            return "anonymity-off\n";
        case WindowMessage::AnonymityStatus:
            return "anonymity-status\n";
        case WindowMessage::UpdateProxyList:
            return "update\n";
        case WindowMessage::AdoptProxy:
            // Needs its argument: formatWindowRequest.
            return {};
    }
    return {};
}

std::string formatWindowRequest(const WindowRequest& request) {
    if (takesArgument(request.message) == request.argument.empty()) return {};
    if (request.argument.find_first_of("\r\n") != std::string::npos) return {};
    std::string bytes(word(request.message));
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
    for (const WindowMessage candidate : kAll) {
        if (head != word(candidate)) continue;
        WindowRequest request{candidate, std::string(argument)};
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
