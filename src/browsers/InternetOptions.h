#pragma once

#include <cstddef>
#include <vector>

#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/inet/ConnectionOptions.h"

namespace veilport::browsers {

// The per-connection option calls the system proxy operations make, gathered
// behind one seam so that tests can record them and make the option array's
// allocation fail. The base class makes the real calls.
class InternetOptions {
public:
    virtual ~InternetOptions() = default;

    // An option array for one call, or null when it cannot be allocated.
    virtual inet::PerConnOption* allocateOptions(std::size_t count);
    virtual void freeOptions(inet::PerConnOption* options);
    // False when the store refused the options: the connection then stays as
    // it was, and the switch reports it.
    virtual bool setPerConnectionOptions(inet::PerConnOptionList& list);
    virtual void settingsChanged();
    // What each desktop found made of the mirrored options.
    virtual std::vector<desktop::MirrorOutcome> refresh();
};

InternetOptions& SystemInternetOptions();

}  // namespace veilport::browsers
