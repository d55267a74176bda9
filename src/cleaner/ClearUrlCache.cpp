#include "cleaner/ClearUrlCache.h"

#include "platform/inet/UrlCache.h"

namespace veilport::cleaner {

namespace {
bool selected(UrlCacheMode mode, std::uint32_t entryType) {
    const bool cookie = (entryType & inet::COOKIE_CACHE_ENTRY) != 0;
    switch (mode) {
        case UrlCacheMode::AllButCookies:
            return !cookie;
        case UrlCacheMode::CookiesOnly:
            return cookie;
    }
    return false;
}
}  // namespace

void ClearUrlCache(UrlCacheMode mode, PassContext& context) {
    inet::UrlCacheFind find;
    inet::UrlCacheEntry entry;
    if (!inet::UrlCache::findFirstEntry(find, entry)) return;
    do {
        if (context.stop.stop_requested()) break;
        if (!selected(mode, entry.entryType)) continue;
        if (context.dryRun || inet::UrlCache::deleteEntry(entry.sourceUrl))
            context.observer.removed(RemovedKind::CacheEntry, entry.sourceUrl);
    } while (inet::UrlCache::findNextEntry(find, entry));
    inet::UrlCache::findClose(find);
}

}  // namespace veilport::cleaner
