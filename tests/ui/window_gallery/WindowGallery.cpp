// Renders the Veilport windows for people to look at: the main window on
// each section, the tray notice, the About box, the tray menu beside its icon
// and the help viewer with a search run, as PNG files in the folder given as
// the only argument. Runs under Xvfb with a tray host (scripts/screenshots),
// with a throwaway home so nothing of the user's is read or written.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "FakePageHost.h"
#include "GalleryPictures.h"
#include "UiTestSupport.h"
#include "app/help/AboutDialog.h"
#include "app/help/HelpFiles.h"
#include "app/help/HelpViewer.h"
#include "app/help/HelpViewerService.h"
#include "app/window/HintDialog.h"
#include "app/window/MainWindow.h"
#include "app/window/SectionPages.h"
#include "settings/Installation.h"
#include "settings/StringSetting.h"

using namespace veilport;
using namespace veilport::app;

namespace {

using veilport::testing::onBackdrop;

bool save(const QImage& image, const QDir& folder, const QString& name) {
    return veilport::testing::savePicture(image, folder, name, "window_gallery");
}

void settle(int milliseconds = 100) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_gallery OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    RegisterInstallation(RunningProgramDir());

    testing::FakeGateway gateway;
    testing::FakeProxySwitch connection;
    testing::RecordingShell shell;
    HelpViewerService help;
    testing::FakeMessages messages;
    MainWindow window({
        .gateway = gateway,
        .connection = connection,
        .get = [](const std::string&) { return std::string(); },
        .shell = shell,
        .help = help,
        .trayIcon = nullptr,
        .startCleaner = {},
        .registerTitle = false,
        .messages = &messages,
        .listGet = {},
        .backgroundWork = {},
    });
    window.move(40, 40);
    window.show();
    settle(300);
    bool ok = true;

    const struct {
        PageId page;
        const char* file;
        const char* tip;
    } sections[] = {
        {PageId::Status, "main_status.png", Sections()[0].tip},
        {PageId::AnonymityIntro, "main_anonymity.png", Sections()[1].tip},
        {PageId::Cleaning, "main_privacy.png", Sections()[2].tip},
        {PageId::SettingsIntro, "main_settings.png", Sections()[3].tip},
    };
    for (const auto& section : sections) {
        window.showPage(section.page);
        window.setTipText(QString::fromUtf8(section.tip));
        settle();
        ok &= save(onBackdrop(window), folder, QString::fromUtf8(section.file));
    }

    {
        HintDialog hint;
        hint.show();
        settle();
        ok &= save(onBackdrop(hint), folder, QStringLiteral("hint_dialog.png"));
    }
    {
        AboutDialog about(true);
        about.show();
        settle();
        ok &= save(onBackdrop(about), folder, QStringLiteral("about_dialog.png"));
    }

    // The tray: the window hidden, its icon in the tray host and the menu open
    // above it, as the screen shows them.
    window.hideToTray();
    settle(800);
    QScreen* screen = QGuiApplication::primaryScreen();
    QMenu& menu = window.trayMenu();
    emit menu.aboutToHide();  // "Show" is bold after the first use
    const QSize menuSize = menu.sizeHint();
    menu.popup(QPoint(screen->geometry().width() - menuSize.width() - 8, 40));
    settle(400);
    const QRect area(screen->geometry().width() - 420, 0, 420, menuSize.height() + 60);
    ok &= save(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage(),
               folder, QStringLiteral("tray_menu.png"));
    menu.hide();

    // The help viewer at its search, with "lesson" run.
    help.showSearch(QStringLiteral("lesson"));
    HelpViewer* viewer = help.viewer();
    if (viewer == nullptr) {
        std::fprintf(stderr, "window_gallery: the help did not open\n");
        return 1;
    }
    viewer->showNormal();
    viewer->resize(960, 620);
    QElapsedTimer waited;
    waited.start();
    while (viewer->searchResultCount() == 0 && waited.elapsed() < 20000) settle(100);
    viewer->openPage(QUrl(QStringLiteral("qthelp://org.veilport.help/doc/Lesson1.htm")));
    settle(300);
    ok &= save(viewer->grab().toImage(), folder, QStringLiteral("help_viewer.png"));
    return ok ? 0 : 1;
}
