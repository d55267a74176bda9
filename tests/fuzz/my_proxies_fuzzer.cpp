// Loads arbitrary bytes as MyProxies.txt, saves the rows again and checks that
// nothing is lost on the way: every line comes back as a row, and an append
// keeps every line that was there before.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxypool/MyProxiesFormat.h"
#include "proxypool/TestedProxyList.h"

using namespace veilport::proxypool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto lines = MyProxiesLines(content);
    const auto rows = ParseMyProxies(content);
    if (rows.size() != lines.size()) std::abort();

    // A saved file loads back as the same addresses and countries, as long as
    // no text holds a line break of its own (loaded texts never do).
    const auto saved = FormatMyProxies(rows);
    const auto reloaded = ParseMyProxies(saved);
    if (reloaded.size() != rows.size()) std::abort();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].address.find("->") != std::string::npos) std::abort();
        if (reloaded[i].address != rows[i].address) std::abort();
        if (reloaded[i].country != rows[i].country) std::abort();
    }

    const auto appended = AppendMyProxiesLine(content, "1.2.3.4:80->X");
    const auto after = MyProxiesLines(appended);
    if (after.size() != lines.size() + 1 || after.back() != "1.2.3.4:80->X") std::abort();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (after[i] != lines[i]) std::abort();
    }

    TestedProxyList list;
    for (const auto& row : rows) list.appendRow(row);
    if (!rows.empty()) (void)list.PutTestedProxy(rows.front().address, "C", "1", "2");
    return 0;
}
