#include "browsers/InternetOptions.h"

#include <new>

#include "platform/desktop/InternetNotices.h"

namespace veilport::browsers {

inet::PerConnOption* InternetOptions::allocateOptions(std::size_t count) {
    return new (std::nothrow) inet::PerConnOption[count];
}

void InternetOptions::freeOptions(inet::PerConnOption* options) {
    delete[] options;
}

bool InternetOptions::setPerConnectionOptions(inet::PerConnOptionList& list) {
    return inet::SetPerConnectionOptions(list);
}

void InternetOptions::settingsChanged() {
    desktop::NotifySettingsChanged();
}

std::vector<desktop::MirrorOutcome> InternetOptions::refresh() {
    return desktop::NotifyRefresh();
}

InternetOptions& SystemInternetOptions() {
    static InternetOptions system;
    return system;
}

}  // namespace veilport::browsers
