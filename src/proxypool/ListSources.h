#pragma once

// The user's list sources as a whole: add, remove, fetch, and the union of
// the lists they gave. A fetch that fails or brings no proxy leaves the
// previous list of that source in place and records why. Web sources are
// fetched directly, or, while anonymity is on, through the Gateway and so the
// current upstream, so the list's site never sees the user's address.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inet/ProxiedRequest.h"
#include "proxypool/ListSource.h"
#include "proxypool/ListSourceStore.h"
#include "proxypool/ListedProxy.h"

namespace veilport::proxypool {

// A list larger than this is refused whole, so is one slower than the limit.
inline constexpr std::size_t kMaxListBytes = 8u << 20;
inline constexpr std::chrono::seconds kListTimeLimit{60};

struct FetchedList {
    bool ok = false;
    std::string body;
    std::string error;
};

using ListFetcher = std::function<FetchedList(const ListSource&)>;

// The route of a web source's download at this moment: through the Gateway
// on 127.0.0.1:LocalPort while UseProxy is 1, else direct.
inet::ProxyRoute ListRoute();

// Files read from disk; web addresses downloaded along ListRoute(), status
// 200 only, within the size and time limits.
ListFetcher RealListFetcher(inet::CancelCheck cancelled = {});

// One proxy of the union, with the source it came from (the first that listed it).
struct SuppliedProxy {
    ListedProxy proxy;
    std::string source;
};

class ListSources {
public:
    explicit ListSources(ListSourceStore store = {});

    [[nodiscard]] std::optional<std::vector<ListSource>> list(std::string& error) const;
    // Refuses a location that is no http(s) address or absolute path, an
    // unknown scheme, and a location already there.
    [[nodiscard]] bool add(std::string_view location, std::string_view scheme,
                           std::string& error) const;
    [[nodiscard]] bool remove(std::string_view location, std::string& error) const;

    // Fetches the source at `location`, or every source when it is empty; the
    // sources as they are afterwards go to `after`. False when there is no
    // such source or the store cannot be written; a failed download is no
    // failure here, it is recorded in the source.
    [[nodiscard]] bool fetch(std::string_view location, const ListFetcher& fetcher,
                             std::vector<ListSource>& after, std::string& error,
                             std::int64_t now = 0) const;

    // Every proxy of every kept list, each once, in source order.
    std::vector<SuppliedProxy> supply() const;

private:
    ListSourceStore store_;
};

// Applies one download to one source: a body with at least one proxy
// replaces the kept list; anything else keeps it and records why.
void ApplyFetch(ListSource& source, const FetchedList& fetched, const ListSourceStore& store,
                std::int64_t now);

}  // namespace veilport::proxypool
