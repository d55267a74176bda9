#include "platform/desktop/DesktopProxyMirror.h"

#include "platform/desktop/DesktopProxySettings.h"
#include "platform/desktop/GnomeProxy.h"
#include "platform/desktop/JournaledFile.h"
#include "platform/desktop/KdeProxy.h"

namespace veilport::desktop {

namespace {

constexpr const char* kGnomeKind = "gnome";
constexpr const char* kKeyfileKind = "gnome-keyfile";
constexpr const char* kCannotRecord =
    "its settings could not be recorded for the way back, so they were left as they are";

MirrorOutcome Outcome(std::string target, const TargetOutcome& outcome) {
    return {std::move(target), outcome.done, outcome.reason};
}

MirrorOutcome PointGnome(const DesktopProxySettings& settings) {
    const auto keyfile = GnomeKeyfile();
    if (keyfile) {
        const auto state = ReadTargetFile(*keyfile);
        if (!state || !SwitchJournal::RecordBefore(kKeyfileKind, keyfile->string(), *state))
            return {kGnomeTarget, false, kCannotRecord};
    }
    const auto before = CaptureGnomeProxy();
    if (!before || !SwitchJournal::RecordBefore(kGnomeKind, kGnomeTarget, {true, *before}))
        return {kGnomeTarget, false, kCannotRecord};
    const bool applied = applyGnomeProxy(settings);
    bool recorded = true;
    if (const auto after = CaptureGnomeProxy())
        recorded = SwitchJournal::RecordAfter(kGnomeKind, kGnomeTarget, {true, *after});
    if (keyfile)
        if (const auto state = ReadTargetFile(*keyfile))
            recorded =
                SwitchJournal::RecordAfter(kKeyfileKind, keyfile->string(), *state) && recorded;
    if (!applied) return {kGnomeTarget, false, "the desktop's proxy settings could not be changed"};
    if (!recorded) return {kGnomeTarget, false, "changed, but the journal could not be updated"};
    return {kGnomeTarget, true, {}};
}

// GNOME back as recorded: the whole keyfile when GNOME keeps its settings in
// one and nothing else changed it, else key by key.
std::optional<MirrorOutcome> RestoreGnome() {
    const auto entries = SwitchJournal::Entries();
    if (!entries) return MirrorOutcome{kGnomeTarget, false, "the switch journal cannot be read"};
    const JournalEntry* keys = nullptr;
    const JournalEntry* keyfile = nullptr;
    for (const auto& entry : *entries) {
        if (entry.kind == kGnomeKind) keys = &entry;
        if (entry.kind == kKeyfileKind) keyfile = &entry;
    }
    if (!keys && !keyfile) return std::nullopt;
    MirrorOutcome outcome{kGnomeTarget, true, {}};
    bool whole = false;
    if (keyfile) {
        const auto current = ReadTargetFile(keyfile->name);
        whole = current &&
                (*current == keyfile->before || (keyfile->after && *current == *keyfile->after));
        if (whole && !(*current == keyfile->before) &&
            !WriteTargetFile(keyfile->name, keyfile->before))
            whole = false;
        if (!SwitchJournal::Forget(kKeyfileKind, keyfile->name)) outcome.done = false;
    }
    if (keys) {
        std::vector<std::string> conflicts;
        if (!whole &&
            !RestoreGnomeProxy(keys->before.bytes, keys->after ? keys->after->bytes : std::string(),
                               conflicts)) {
            return MirrorOutcome{kGnomeTarget, false,
                                 "the desktop's proxy settings could not be put back"};
        }
        if (!conflicts.empty()) {
            std::string names;
            for (const auto& name : conflicts) names += (names.empty() ? "" : ", ") + name;
            outcome = {kGnomeTarget, false,
                       "changed since Veilport switched it; " + names + " left as they are now"};
        }
        if (!SwitchJournal::Forget(kGnomeKind, kGnomeTarget)) outcome.done = false;
    }
    return outcome;
}

std::optional<MirrorOutcome> RestoreKde() {
    const auto entry = SwitchJournal::Find("file", kioslavercPath().string());
    if (!entry) return std::nullopt;
    return Outcome(kioslavercPath().string(), RestoreJournaledFile(*entry));
}

}  // namespace

std::vector<MirrorOutcome> mirrorProxyToDesktop(const inet::ProxyOptions& options) {
    const DesktopProxySettings settings = desktopProxyFrom(options);
    std::vector<MirrorOutcome> outcomes;
    if (settings.manual()) {
        if (gnomePresent()) outcomes.push_back(PointGnome(settings));
        if (kdePresent())
            outcomes.push_back(Outcome(
                kioslavercPath().string(),
                ChangeJournaledFile(kioslavercPath(), "file", [&](const TargetState& state) {
                    return KdeProxyFileText(state.bytes, settings);
                })));
        return outcomes;
    }
    if (auto gnome = RestoreGnome())
        outcomes.push_back(std::move(*gnome));
    else if (gnomePresent())
        outcomes.push_back({kGnomeTarget, applyGnomeProxy(settings), {}});
    if (auto kde = RestoreKde())
        outcomes.push_back(std::move(*kde));
    else if (kdePresent())
        outcomes.push_back({kioslavercPath().string(), applyKdeProxy(settings), {}});
    return outcomes;
}

std::vector<MirrorOutcome> RestoreDesktopFromJournal() {
    std::vector<MirrorOutcome> outcomes;
    if (auto gnome = RestoreGnome()) outcomes.push_back(std::move(*gnome));
    if (auto kde = RestoreKde()) outcomes.push_back(std::move(*kde));
    return outcomes;
}

}  // namespace veilport::desktop
