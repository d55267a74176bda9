#pragma once

// Where the list sources are kept: "ListSources.txt" in the Veilport home, one
// source a line (location, scheme, last fetch, count, invalid, error, by
// tabs), and the last good list of each source in "sources/" beside it, so
// that a fetch that fails leaves the previous list in place. Passwords found
// in a list are never written: a cached entry keeps its user only.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "proxypool/ListSource.h"
#include "proxypool/ListedProxy.h"

namespace veilport::proxypool {

class ListSourceStore {
public:
    // The Veilport home of the moment.
    ListSourceStore();
    explicit ListSourceStore(std::filesystem::path folder);

    // Every source in the order added; nullopt with why when the file exists
    // but cannot be read. A missing file is no source.
    [[nodiscard]] std::optional<std::vector<ListSource>> load(std::string& error) const;
    [[nodiscard]] bool save(const std::vector<ListSource>& sources, std::string& error) const;

    // The list kept for a source (empty when none).
    std::vector<ListedProxy> cachedList(const ListSource& source) const;
    [[nodiscard]] bool storeList(const ListSource& source, const std::vector<ListedProxy>& proxies,
                                 std::string& error) const;
    void forgetList(const ListSource& source) const;

    std::filesystem::path listFile(const ListSource& source) const;

private:
    std::filesystem::path folder_;
};

}  // namespace veilport::proxypool
