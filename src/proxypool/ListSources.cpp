#include "proxypool/ListSources.h"

#include <cerrno>
#include <ctime>
#include <unordered_set>

#include "platform/io/AtomicFile.h"
#include "platform/net/Socket.h"
#include "proxypool/ListSourceParser.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"

namespace veilport::proxypool {

inet::ProxyRoute ListRoute() {
    if (!AnonymityFlag::isOn()) return inet::ProxyRoute::Direct();
    inet::ProxyRoute route;
    route.proxyUrl = "http://127.0.0.1:" + std::to_string(DwordSetting(settings::kLocalPort).get());
    return route;
}

ListFetcher RealListFetcher(inet::CancelCheck cancelled) {
    return [cancelled = std::move(cancelled)](const ListSource& source) {
        FetchedList fetched;
        if (!source.remote()) {
            auto text = io::readWholeFile(source.location, kMaxListBytes);
            if (!text) {
                fetched.error = errno == EFBIG ? "the file is larger than 8 MiB"
                                               : "cannot read the file: " + net::errorText(errno);
                return fetched;
            }
            fetched.ok = true;
            fetched.body = std::move(*text);
            return fetched;
        }
        inet::RequestLimits limits;
        limits.maxBodyBytes = kMaxListBytes;
        limits.totalTimeout = kListTimeLimit;
        const auto route = ListRoute();
        auto outcome = inet::GetThrough(source.location, route, limits, cancelled);
        if (!outcome.completed) {
            fetched.error = outcome.tooLarge ? "the list is larger than 8 MiB" : outcome.error;
            if (!route.direct() && !outcome.tooLarge)
                fetched.error += " (through the Gateway, as anonymity is on)";
            return fetched;
        }
        if (outcome.status != 200) {
            fetched.error = "the server answered with status " + std::to_string(outcome.status);
            return fetched;
        }
        fetched.ok = true;
        fetched.body = std::move(outcome.body);
        return fetched;
    };
}

void ApplyFetch(ListSource& source, const FetchedList& fetched, const ListSourceStore& store,
                std::int64_t now) {
    source.lastFetch = now;
    if (!fetched.ok) {
        source.error = fetched.error.empty() ? "the download failed" : fetched.error;
        return;
    }
    const auto extracted = ExtractProxies(fetched.body, source.scheme);
    if (extracted.proxies.empty()) {
        source.error = "no proxy found in the answer";
        return;
    }
    std::string error;
    if (!store.storeList(source, extracted.proxies, error)) {
        source.error = error;
        return;
    }
    source.count = static_cast<int>(extracted.proxies.size());
    source.invalid = extracted.invalid;
    source.error.clear();
}

ListSources::ListSources(ListSourceStore store) : store_(std::move(store)) {}

std::optional<std::vector<ListSource>> ListSources::list(std::string& error) const {
    return store_.load(error);
}

bool ListSources::add(std::string_view location, std::string_view scheme,
                      std::string& error) const {
    ListSource source;
    source.location = NormalisedLocation(location, error);
    if (source.location.empty()) return false;
    source.scheme = NormalisedScheme(scheme);
    if (source.scheme.empty()) {
        error = "unknown scheme \"" + std::string(scheme) + "\" (http, socks5 or socks5h)";
        return false;
    }
    auto sources = store_.load(error);
    if (!sources) return false;
    for (const auto& existing : *sources) {
        if (existing.location == source.location) {
            error = "already a source: " + source.location;
            return false;
        }
    }
    sources->push_back(std::move(source));
    return store_.save(*sources, error);
}

bool ListSources::remove(std::string_view location, std::string& error) const {
    auto sources = store_.load(error);
    if (!sources) return false;
    std::string why;
    const auto wanted = NormalisedLocation(location, why);
    for (auto it = sources->begin(); it != sources->end(); ++it) {
        if (it->location != wanted) continue;
        const ListSource removed = *it;
        sources->erase(it);
        if (!store_.save(*sources, error)) return false;
        store_.forgetList(removed);
        return true;
    }
    error = "no such source: " + std::string(location);
    return false;
}

bool ListSources::fetch(std::string_view location, const ListFetcher& fetcher,
                        std::vector<ListSource>& after, std::string& error,
                        std::int64_t now) const {
    auto sources = store_.load(error);
    if (!sources) return false;
    std::string why;
    const auto wanted = location.empty() ? std::string() : NormalisedLocation(location, why);
    if (!location.empty() && wanted.empty()) {
        error = why;
        return false;
    }
    if (now == 0) now = static_cast<std::int64_t>(std::time(nullptr));
    std::vector<ListSource> targets;
    for (const auto& source : *sources)
        if (wanted.empty() || source.location == wanted) targets.push_back(source);
    if (!wanted.empty() && targets.empty()) {
        error = "no such source: " + std::string(location);
        return false;
    }
    // A download may take a minute, and the sources may be added to or
    // removed meanwhile (the window, veilportctl): each result goes into the
    // sources as they are when it arrives, and a source removed meanwhile
    // stays removed.
    for (const auto& target : targets) {
        FetchedList fetched = fetcher ? fetcher(target) : FetchedList{};
        auto current = store_.load(error);
        if (!current) return false;
        for (auto& source : *current) {
            if (source.location != target.location) continue;
            ApplyFetch(source, fetched, store_, now);
            if (!store_.save(*current, error)) return false;
            break;
        }
        sources = std::move(current);
    }
    after = *sources;
    return true;
}

std::vector<SuppliedProxy> ListSources::supply() const {
    std::string error;
    const auto sources = store_.load(error);
    std::vector<SuppliedProxy> supplied;
    if (!sources) return supplied;
    std::unordered_set<std::string> seen;
    for (const auto& source : *sources)
        for (auto& proxy : store_.cachedList(source))
            if (seen.insert(proxy.key()).second)
                supplied.push_back({std::move(proxy), source.location});
    return supplied;
}

}  // namespace veilport::proxypool
