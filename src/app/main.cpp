// Veilport: one instance per user, anonymity off at start, the main window
// until it ends, then the process exits.
#include <QApplication>
#include <cstdio>
#include <string_view>

#include "app/AppStartup.h"
#include "app/help/HelpViewerService.h"
#include "app/window/MainWindow.h"
#include "cleaner/CleanerThread.h"
#include "gateway/Gateway.h"
#include "platform/desktop/BrowserInstallFacts.h"
#include "platform/process/TerminateHandler.h"
#include "platform/shell/ShellOpen.h"
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

    auto pool = services::MakePoolServices();
    // The single-instance rule comes first: a second start touches nothing.
    const app::Startup startup = app::BeginStartup(*pool.connection);
    if (!startup.proceed) return 0;
    RegisterInstallation(RunningProgramDir());
    desktop::RecordBrowserInstallations();

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
        .listGet = pool.directGet,
    });
    QObject::connect(&window, &QDialog::finished, &application, [] { QApplication::exit(0); });
    window.show();
    return application.exec();
}
