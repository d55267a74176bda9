#include "settings/AnonymityFlag.h"

#include "settings/DwordSetting.h"

namespace veilport {

bool AnonymityFlag::isOn() {
    return DwordSetting(settings::kUseProxy).get() == 1;
}

bool AnonymityFlag::isOff() {
    return DwordSetting(settings::kUseProxy).get() == 0;
}

void AnonymityFlag::store(bool on) {
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(on ? 1 : 0);
    useProxy.write();
}

void AnonymityFlag::clearForNewSession() {
    // set() writes only a value that differs from the one read, so an absent
    // value is left absent.
    DwordSetting(settings::kUseProxy).set(0);
}

}  // namespace veilport
