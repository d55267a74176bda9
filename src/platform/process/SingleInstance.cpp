#include "platform/process/SingleInstance.h"

#include "platform/process/TopLevelWindow.h"

namespace veilport::process {

SingleInstance SingleInstance::start(std::string_view mutexName, std::string_view windowTitle) {
    SingleInstance instance;
    instance.mutex_ = NamedMutex::create(mutexName);
    if (!instance.mutex_.alreadyExisted()) return instance;
    if (const auto window = TopLevelWindow::find(windowTitle))
        instance.activatedOther_ = window->post(WindowMessage::Show);
    return instance;
}

}  // namespace veilport::process
