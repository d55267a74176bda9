#pragma once

#include "cleaner/PassContext.h"

namespace veilport::cleaner {

enum class UrlCacheMode {
    // Every entry that is not a cookie: the temporary Internet files.
    AllButCookies = 0,
    CookiesOnly = 1,
};

// Deletes the URL-cache entries the mode selects, with their local files.
void ClearUrlCache(UrlCacheMode mode, PassContext& context);

}  // namespace veilport::cleaner
