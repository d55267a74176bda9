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

void InternetOptions::setPerConnectionOptions(inet::PerConnOptionList& list) {
    (void)inet::SetPerConnectionOptions(list);
}

void InternetOptions::settingsChanged() {
    inet::NotifySettingsChanged();
}

void InternetOptions::refresh() {
    inet::NotifyRefresh();
}

InternetOptions& SystemInternetOptions() {
    static InternetOptions system;
    return system;
}

}  // namespace veilport::browsers
