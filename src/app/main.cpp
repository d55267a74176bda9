// Veilport: one instance per user, anonymity off at start, the main window
// until it ends, then the process exits.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/AppStartup.h"
#include "app/DesktopSession.h"
#include "app/help/HelpViewerService.h"
#include "app/pagekit/AnonymityOutcomeMessages.h"
#include "app/skin/MessageDialog.h"
#include "app/window/MainWindow.h"
#include "app/window/UpstreamWatch.h"
#include "cleaner/CleanerThread.h"
#include "gateway/Gateway.h"
#include "platform/desktop/BrowserInstallFacts.h"
#include "platform/process/FreedMemory.h"
#include "platform/process/TerminateHandler.h"
#include "platform/shell/ShellOpen.h"
#include "services/Anonymity.h"
#include "services/LocalTor.h"
#include "services/PoolServices.h"
#include "settings/Installation.h"

int main(int argc, char** argv) {
    using namespace veilport;
    // Answered before anything else: it needs no display, no settings and no
    // check for a running Veilport.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("veilport %s\n", VEILPORT_VERSION);
        return 0;
    }
    // Quenchor's terminate signal ends the process at once with status 0.
    (void)process::installTerminateExitHandler();
    // The one Gateway exists, stopped, before anything can start it.
    (void)Gateway::instance();

    // Exit asks every background download and test to end at once.
    std::stop_source backgroundWork;
    auto pool = services::MakePoolServices(backgroundWork.get_token());
    services::Anonymity anonymity(*pool.gateway, *pool.connection);
    // The single-instance rule comes first: a second start touches nothing.
    // Without a display the toolkit would abort the process later, after the
    // settings had been changed; so the settings wait for that check too.
    app::Startup startup = app::BeginStartup(anonymity, &app::CanOpenDesktopSession);
    if (startup.noDesktop) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(app::kNoDesktopMessage.size()),
                     app::kNoDesktopMessage.data());
        return 1;
    }
    if (!startup.proceed) {
        const std::string& problem = startup.instance.problem();
        if (problem.empty()) return 0;
        std::fprintf(stderr, "veilport: %s\n", problem.c_str());
        if (app::CanOpenDesktopSession()) {
            QApplication application(argc, argv);
            skin::MessageDialog::showMessage(nullptr, QString::fromStdString(problem));
        }
        return 1;
    }
    RegisterInstallation(RunningProgramDir());
    desktop::recordBrowserInstallations();

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veilport"));
    QApplication::setApplicationVersion(QStringLiteral(VEILPORT_VERSION));
    // Hidden to the tray is not closed: the program ends only with its window.
    QApplication::setQuitOnLastWindowClosed(false);

    app::HelpViewerService help;
    app::MainWindow window({
        .gateway = *pool.gateway,
        .connection = *pool.connection,
        .get = pool.get,
        .shell = shell::desktopShell(),
        .help = help,
        .trayIcon = nullptr,
        .startCleaner = {},
        .registerTitle = true,
        .messages = nullptr,
        .anonymity = &anonymity,
        .listGet = pool.directGet,
        .backgroundWork = backgroundWork,
        .realChecks = true,
    });
    window.pool().setPasswords(pool.passwords.get());
    // Offered on the Add page and in the tested list once found, never adopted
    // unasked; the look runs off the window thread.
    window.pool().setLocalTorFinder([] { return services::FindLocalTor(); });
    window.pool().lookForLocalTor();
    // Owned by the window; it lets go of the Gateway and the store when it goes.
    auto* upstreamWatch = new app::UpstreamWatch(window);
    upstreamWatch->watchFailover(Gateway::instance(), pool.passwords);
    upstreamWatch->watchPasswords(*pool.passwords);
    // The notice first: the first scheduled pass runs as soon as the cleaner
    // starts, and what it leaves alone must reach the window too.
    window.showCleaningNotices([](cleaner::CleanerThread::SkippedNotice notice) {
        cleaner::CleanerThread::processWide().setSkippedNotice(std::move(notice));
    });
    (void)cleaner::CleanerThread::processWide().start();
    // The window can be found now: a start made meanwhile hands over to it.
    startup.instance.windowReady();
    QObject::connect(&window, &QDialog::finished, &application, [] { QApplication::exit(0); });
    window.show();
    QTimer::singleShot(0, &window, [&window, report = startup.reset] {
        app::ShowSwitchFailures(report, window.messages());
    });
    // Once the first screen has been painted, the memory that building it
    // used and freed goes back to the system instead of idling with us.
    QTimer::singleShot(std::chrono::seconds(1), &window, [] { process::returnFreedMemory(); });
    return application.exec();
}
