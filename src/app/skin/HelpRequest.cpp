#include "app/skin/HelpRequest.h"

#include <utility>

namespace veilport::skin {

namespace {
std::function<void()>& handler() {
    static std::function<void()> current;
    return current;
}
}  // namespace

void setHelpHandler(std::function<void()> newHandler) {
    handler() = std::move(newHandler);
}

void requestHelp() {
    if (handler()) handler()();
}

}  // namespace veilport::skin
