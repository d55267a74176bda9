#include "browsers/ConnectionSwitch.h"

#include "browsers/MozillaProxy.h"
#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/desktop/SwitchJournal.h"
#include "settings/DwordSetting.h"

namespace veilport::browsers {

namespace {

constexpr OperaFile kOperaOrder[] = {OperaFile::ProgramOpera6, OperaFile::ProfileOpera6,
                                     OperaFile::ProgramOperaDef6};

bool FlagSet(const DwordSpec& flag) {
    return DwordSetting(flag).get() == 1;
}

void StoreFlag(const DwordSpec& flag, std::uint32_t value) {
    DwordSetting setting(flag);
    setting.set(value);
    setting.write();
}

// The four browsers whose files follow the switch, read and handled in order.
template <typename OnOpera, typename OnMozilla>
void ForFlaggedBrowsers(OnOpera onOpera, OnMozilla onMozilla) {
    const bool opera = FlagSet(settings::kBrowserOpera);
    if (opera)
        for (OperaFile file : kOperaOrder) onOpera(file);
    if (FlagSet(settings::kBrowserNetscape)) onMozilla(MozillaFamily::Netscape);
    if (FlagSet(settings::kBrowserMozilla)) onMozilla(MozillaFamily::Mozilla);
    if (FlagSet(settings::kBrowserFireFox)) onMozilla(MozillaFamily::Firefox);
}

// A system step that could not run must read as a failure, whatever it listed.
SwitchReport SystemStepFailed(SwitchReport report) {
    if (report.allDone()) report.failed("system proxy", "could not be changed");
    return report;
}

// Whatever the journal still holds after the flagged browsers went back (a
// browser unticked since it was switched, a desktop no longer found, files
// left by a run that crashed) goes back too, so the journal ends empty.
void RestoreWhatTheJournalHolds(SwitchReport& report) {
    std::string problem;
    const auto entries = desktop::SwitchJournal::Entries(&problem);
    if (!entries) {
        report.failed("switch journal", problem);
        return;
    }
    if (entries->empty()) return;
    for (const auto& outcome : desktop::RestoreDesktopFromJournal()) {
        if (outcome.done)
            report.done(outcome.target);
        else
            report.failed(outcome.target, outcome.reason);
    }
    for (const auto& entry : *entries)
        if (entry.kind == "file") RestoreJournaledBrowserFile(entry.name, report);
}

}  // namespace

SwitchReport SetConnectionOptions(std::string_view server, BrowserConfigurator& steps) {
    SwitchReport report;
    if (!steps.setSystemProxy(server, report)) return SystemStepFailed(std::move(report));
    StoreFlag(settings::kBrowserIE, 1);
    StoreFlag(settings::kBrowserAvant, 1);
    ForFlaggedBrowsers([&](OperaFile file) { steps.setOperaFile(file, report); },
                       [&](MozillaFamily family) { steps.setMozilla(family, report); });
    return report;
}

SwitchReport DisableConnectionProxy(BrowserConfigurator& steps) {
    SwitchReport report;
    if (!steps.clearSystemProxy(report)) return SystemStepFailed(std::move(report));
    StoreFlag(settings::kBrowserIE, 0);
    StoreFlag(settings::kBrowserAvant, 0);
    ForFlaggedBrowsers([&](OperaFile file) { steps.restoreOperaFile(file, report); },
                       [&](MozillaFamily family) { steps.restoreMozilla(family, report); });
    RestoreWhatTheJournalHolds(report);
    return report;
}

}  // namespace veilport::browsers
