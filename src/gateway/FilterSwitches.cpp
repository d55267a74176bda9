#include "gateway/FilterSwitches.h"

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

namespace veilport {

FilterSwitches FilterSwitches::fromStore() {
    FilterSwitches switches;
    switches.scripts = DwordSetting(settings::kEnableJS).get() == 1;
    switches.objects = DwordSetting(settings::kEnableActiveX).get() == 1;
    return switches;
}

}  // namespace veilport
