// Veilport: one instance per user, anonymity off at start, the main window
// until it ends, then the process exits.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/AppStartup.h"
#include "app/DesktopSession.h"
#include "app/help/HelpViewerService.h"
#include "app/pagekit/AnonymityOutcomeMessages.h"
#include "app/skin/MessageDialog.h"
#include "app/window/MainWindow.h"
#include "cleaner/CleanerThread.h"
#include "gateway/Gateway.h"
#include "platform/desktop/BrowserInstallFacts.h"
#include "platform/process/TerminateHandler.h"
#include "platform/shell/ShellOpen.h"
#include "services/Anonymity.h"
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
    // Without a display the toolkit would abort the process later, after the
    // settings had been changed; so nothing is touched before this.
    if (!app::CanOpenDesktopSession()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(app::kNoDesktopMessage.size()),
                     app::kNoDesktopMessage.data());
        return 1;
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
    app::Startup startup = app::BeginStartup(anonymity);
    if (!startup.proceed) {
        const std::string& problem = startup.instance.problem();
        if (problem.empty()) return 0;
        std::fprintf(stderr, "veilport: %s\n", problem.c_str());
        QApplication application(argc, argv);
        skin::MessageDialog::showMessage(nullptr, QString::fromStdString(problem));
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
        .startCleaner = [] { (void)cleaner::CleanerThread::processWide().start(); },
        .registerTitle = true,
        .messages = nullptr,
        .anonymity = &anonymity,
        .listGet = pool.directGet,
        .backgroundWork = backgroundWork,
    });
    // The window can be found now: a start made meanwhile hands over to it.
    startup.instance.windowReady();
    QObject::connect(&window, &QDialog::finished, &application, [] { QApplication::exit(0); });
    window.show();
    QTimer::singleShot(0, &window, [&window, report = startup.reset] {
        app::ShowSwitchFailures(report, window.messages());
    });
    return application.exec();
}
