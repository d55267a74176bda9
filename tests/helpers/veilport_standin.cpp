// A stand-in for a running Veilport, for tests of the window messages, the
// single-instance rule and Quenchor. Like Veilport it answers the terminate
// signal, applies the single-instance rule (a second one activates the first,
// says "activated" and ends), registers its top-level window title (argument
// 1, "Veilport" by default), says "ready" on stdout, reports every "show" it
// receives, and ends with status 0 on "close". With "slow" as argument 2 it
// takes a moment between the single-instance rule and its window, as a real
// start does.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

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
    SingleInstance instance = SingleInstance::start(kSingleInstanceMutexName, title);
    if (!instance.problem().empty()) {
        say(("error: " + instance.problem()).c_str());
        return 2;
    }
    if (instance.activatedOther()) {
        say("activated");
        return 0;
    }
    // A real start does work before its window exists (settings, the window
    // itself): "slow" stands in for it.
    if (argc > 2 && std::string_view(argv[2]) == "slow")
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    WindowEndpoint window = WindowEndpoint::registerTitle(title);
    instance.windowReady();
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
