// A stand-in for a running Veilport, for tests of the window messages, the
// single-instance rule and Quenchor. Like Veilport it answers the terminate
// signal, applies the single-instance rule (a second one activates the first,
// says "activated" and ends), registers its top-level window title (argument
// 1, "Veilport" by default), says "ready" on stdout, reports every "show" it
// receives, and ends with status 0 on "close".
#include <cstdio>
#include <string>

#include "platform/process/SingleInstance.h"
#include "platform/process/TerminateHandler.h"
#include "platform/process/WindowEndpoint.h"

using namespace veilport::process;

namespace {
void say(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    if (installTerminateExitHandler()) {
        say("error: no terminate handler");
        return 2;
    }
    const std::string title = argc > 1 ? argv[1] : std::string(kMainWindowTitle);
    const SingleInstance instance = SingleInstance::start(kSingleInstanceMutexName, title);
    if (instance.activatedOther()) {
        say("activated");
        return 0;
    }
    WindowEndpoint window = WindowEndpoint::registerTitle(title);
    if (!window.valid()) {
        say(("error: " + window.error().message()).c_str());
        return 2;
    }
    say("ready");
    while (const auto message = window.waitForMessage()) {
        switch (*message) {
            case WindowMessage::Show:
                say("show");
                break;
            case WindowMessage::Close:
                say("close");
                return 0;
            case WindowMessage::AnonymityOn:
            case WindowMessage::AnonymityOff:
            case WindowMessage::AnonymityStatus:
            case WindowMessage::UpdateProxyList:
            case WindowMessage::AdoptProxy:
                // A stand-in answers nothing: the asker hears no answer.
                say("request");
                break;
        }
    }
    return 3;
}
