#include "browsers/InternetOptions.h"

#include <new>

#include "platform/inet/InternetNotices.h"

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
    inet::NotifySettingsChanged();
}

std::vector<desktop::MirrorOutcome> InternetOptions::refresh() {
    return inet::NotifyRefresh();
}

InternetOptions& SystemInternetOptions() {
    static InternetOptions system;
    return system;
}

}  // namespace veilport::browsers
