#pragma once

#include <cstddef>

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
    // The result is not examined by the callers: the system's own calls fail
    // silently there too, and the stored options stay the record.
    virtual void setPerConnectionOptions(inet::PerConnOptionList& list);
    virtual void settingsChanged();
    virtual void refresh();
};

InternetOptions& SystemInternetOptions();

}  // namespace veilport::browsers
