// Starts the process's cleaner thread, lets a pass begin on a large tree and
// returns from main while it runs: the program must end cleanly, with the
// stores the thread uses still alive until the thread has stopped.
// Exit status 0 when it did; the test runs it in a fresh Veilport home.

#include <filesystem>
#include <thread>

#include "cleaner/CleanerThread.h"
#include "platform/home/VeilportHome.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

int main() {
    using namespace veilport;
    // First, before anything else has used the settings store.
    auto& cleaner = cleaner::CleanerThread::processWide();
    const auto favorites = home::veilportHome() / "shell" / "Favorites";
    DwordSetting(settings::kIClear[6]).set(1);
    DwordSetting(settings::kAutoClean).set(1);
    if (!cleaner.start()) return 2;
    // Once the first file is gone the pass is under way.
    while (std::filesystem::exists(favorites / "0" / "0")) std::this_thread::yield();
    return 0;
}
