#include "platform/process/WindowMessage.h"

namespace veilport::process {

std::string_view formatWindowMessage(WindowMessage message) {
    switch (message) {
        case WindowMessage::Show:
            return "show\n";
        case WindowMessage::Close:
            return "close\n";
    }
    return {};
}

std::optional<WindowMessage> parseWindowMessage(std::string_view bytes) {
    for (const WindowMessage candidate : {WindowMessage::Show, WindowMessage::Close})
        if (bytes == formatWindowMessage(candidate)) return candidate;
    return std::nullopt;
}

}  // namespace veilport::process
