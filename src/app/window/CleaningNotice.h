#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "proxypool/PoolUi.h"

namespace veilport::app {

class TrayDialog;

// Tells the person what a scheduled cleaning pass left alone (a running
// browser, a locked database, a refused folder): beside the tray icon while
// the window is hidden there, as a message while it is shown. The pass runs
// on the cleaner's thread, so its lines are queued to the window's. The same
// lines as the last notice's are not shown again: a browser that stays open
// would otherwise raise one notice per pass.
class CleaningNotice : public QObject {
    Q_OBJECT

public:
    // Hands the cleaner the notice to call, or an empty one to take it back.
    using Attach = std::function<void(cleaner::CleanerThread::SkippedNotice)>;

    CleaningNotice(TrayDialog& window, proxypool::UserMessages& messages, Attach attach);
    // Takes the notice back first: once that returns the cleaner can no longer
    // reach this object, and lines already queued go with it.
    ~CleaningNotice() override;

    // On the window's thread.
    void show(const std::vector<std::string>& lines);

private:
    TrayDialog& window_;
    proxypool::UserMessages& messages_;
    Attach attach_;
    std::vector<std::string> last_;
};

}  // namespace veilport::app
