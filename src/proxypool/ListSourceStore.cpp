#include "proxypool/ListSourceStore.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "platform/io/AtomicFile.h"
#include "platform/net/Socket.h"
#include "platform/home/VeilportHome.h"
#include "proxypool/ListSourceParser.h"

namespace veilport::proxypool {

namespace {

constexpr const char* kSourcesFile = "ListSources.txt";
constexpr std::size_t kMaxSourcesFile = 1u << 20;
constexpr std::size_t kMaxCachedList = 16u << 20;

std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return line;
}

template <typename T>
T Number(std::string_view text) {
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// FNV-1a: a short, stable file name for a location.
std::string NameFor(const std::string& location) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : location) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof(name), "%016llx.txt", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

ListSourceStore::ListSourceStore() : folder_(home::veilportHome()) {}

ListSourceStore::ListSourceStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::optional<std::vector<ListSource>> ListSourceStore::load(std::string& error) const {
    std::vector<ListSource> sources;
    const auto file = folder_ / kSourcesFile;
    const auto text = io::readWholeFile(file, kMaxSourcesFile);
    if (!text) {
        if (errno == ENOENT) return sources;
        error = "cannot read " + file.string() + ": " + net::errorText(errno);
        return std::nullopt;
    }
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto newline = rest.find('\n');
        const auto line = rest.substr(0, newline);
        rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
        std::string_view fields[6];
        std::string_view cells = line;
        for (auto& field : fields) {
            const auto tab = cells.find('\t');
            field = cells.substr(0, tab);
            cells.remove_prefix(tab == std::string_view::npos ? cells.size() : tab + 1);
        }
        std::string why;
        ListSource source;
        source.location = NormalisedLocation(fields[0], why);
        if (source.location.empty()) continue;
        source.scheme = NormalisedScheme(fields[1]);
        if (source.scheme.empty()) source.scheme = "http";
        source.lastFetch = Number<std::int64_t>(fields[2]);
        source.count = Number<int>(fields[3]);
        source.invalid = Number<int>(fields[4]);
        source.error = std::string(fields[5]);
        sources.push_back(std::move(source));
    }
    return sources;
}

bool ListSourceStore::save(const std::vector<ListSource>& sources, std::string& error) const {
    std::string text;
    for (const auto& source : sources)
        text += OneLine(source.location) + '\t' + source.scheme + '\t' +
                std::to_string(source.lastFetch) + '\t' + std::to_string(source.count) + '\t' +
                std::to_string(source.invalid) + '\t' + OneLine(source.error) + '\n';
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    const auto file = folder_ / kSourcesFile;
    if (io::replaceFileAtomically(file, text)) return true;
    error = "cannot write " + file.string() + ": " + net::errorText(errno);
    return false;
}

std::filesystem::path ListSourceStore::listFile(const ListSource& source) const {
    return folder_ / "sources" / NameFor(source.location);
}

std::vector<ListedProxy> ListSourceStore::cachedList(const ListSource& source) const {
    const auto text = io::readWholeFile(listFile(source), kMaxCachedList);
    if (!text) return {};
    return ExtractProxies(*text, source.scheme).proxies;
}

bool ListSourceStore::storeList(const ListSource& source, const std::vector<ListedProxy>& proxies,
                                std::string& error) const {
    // Each entry with its scheme named, so the file reads back the same
    // whatever the source's default scheme becomes.
    std::string text;
    for (const auto& proxy : proxies)
        text += proxy.scheme + "://" + (proxy.user.empty() ? "" : proxy.user + "@") + proxy.host +
                ":" + std::to_string(proxy.port) + '\n';
    const auto file = listFile(source);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    if (io::replaceFileAtomically(file, text)) return true;
    error = "cannot write " + file.string() + ": " + net::errorText(errno);
    return false;
}

void ListSourceStore::forgetList(const ListSource& source) const {
    std::error_code ignored;
    std::filesystem::remove(listFile(source), ignored);
}

}  // namespace veilport::proxypool
