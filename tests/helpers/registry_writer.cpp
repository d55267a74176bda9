// Writes settings in a loop and acknowledges each write on stdout once it has
// returned, so a test can kill it at any moment and check what was kept.
//   registry_writer count NAME N   writes NAME_0 .. NAME_{N-1} = i, then exits
//   registry_writer counter NAME   writes NAME = 1, 2, 3, ... until killed
#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string mode = argv[1];
    const std::string base = std::string(veilport::settings::kProgramKey) + "\\Test\\" + argv[2];
    if (mode == "count" && argc == 4) {
        const long n = std::atol(argv[3]);
        for (long i = 0; i < n; ++i) {
            veilport::DwordSetting setting(base + "_" + std::to_string(i), 0);
            setting.set(static_cast<std::uint32_t>(i + 1));
            if (!setting.valid()) return 1;
        }
        return 0;
    }
    if (mode == "counter") {
        veilport::DwordSetting setting(base, 0);
        for (std::uint32_t i = 1;; ++i) {
            setting.set(i);
            if (!setting.valid()) return 1;
            std::printf("%u\n", i);
            std::fflush(stdout);
        }
    }
    return 2;
}
