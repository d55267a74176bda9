#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veilport::cleaner {

// What a pass did (or, in a dry run, would do) to one browser profile: the
// rows it removed by kind, the files and bytes, and what it left and why.
struct ProfileOutcome {
    std::string browser{};
    std::filesystem::path profile{};
    // The browser was running, so nothing of the profile was touched.
    bool leftAlone = false;
    std::vector<std::pair<std::string, std::uint64_t>> rows{};
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::vector<std::string> skipped{};

    void addRows(std::string_view what, std::uint64_t count) {
        if (count == 0) return;
        for (auto& [kind, total] : rows)
            if (kind == what) {
                total += count;
                return;
            }
        rows.emplace_back(what, count);
    }
    std::uint64_t rowCount(std::string_view what) const {
        for (const auto& [kind, total] : rows)
            if (kind == what) return total;
        return 0;
    }
};

}  // namespace veilport::cleaner
