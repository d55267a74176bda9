// Renders the status page in both states, the proxy tester after a passed and
// a failed test, and the list update before and after, as PNG files in the
// folder given as the only argument. Runs in a throwaway Veilport home with
// fakes of the Gateway and the system switch: nothing on this machine changes.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "../FakePageHost.h"
#include "GalleryPictures.h"
#include "app/dialogs/MyAddressDialog.h"
#include "app/dialogs/ProxyListUpdateDialog.h"
#include "app/dialogs/ProxyTesterDialog.h"
#include "app/pages/status/StatusPanel.h"
#include "app/skin/BitmapButton.h"
#include "proxypool/MyProxiesFile.h"
#include "settings/StringSetting.h"

using namespace veilport;

namespace {

using veilport::testing::onBackdrop;
using veilport::testing::settle;

bool save(const QImage& image, const QDir& folder, const QString& name) {
    return veilport::testing::savePicture(image, folder, name, "status_gallery");
}

void waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A window on a desktop-like backdrop, through its shape when it has one.

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    for (const char* variable : {"VEILPORT_HOME", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        ::setenv(variable, home.path().toLocal8Bit().constData(), 1);

    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: status_gallery OUTPUT-FOLDER\n");
        return 2;
    }
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) return 1;
    bool ok = true;

    static_cast<void>(proxypool::AppendTestedProxy("12.12.12.12:80->United States"));
    static_cast<void>(proxypool::AppendTestedProxy("5.6.7.8:3128->Germany <supports POST>"));
    StringSetting proxyName(settings::kProxyName);
    proxyName.set("12.12.12.12:80->United States");
    proxyName.write();

    testing::FakePageHost host;
    host.get = [](const std::string&) {
        return std::string(
            "81.2.3.4:8080->France<br />62.7.8.9:3128->Sweden <supports POST><br />");
    };
    app::StatusPanel panel(host, nullptr);
    panel.move(0, 0);
    panel.show();
    waitFor([&] { return !panel.fetchingNewList(); });
    settle();
    ok = save(panel.grab().toImage(), folder, "status_disabled.png") && ok;
    panel.controls().control<skin::BitmapButton>(app::StatusPanel::kAnonymityId)->click();
    panel.controls().control<skin::BitmapButton>(app::StatusPanel::kPrivacyId)->click();
    settle();
    ok = save(panel.grab().toImage(), folder, "status_enabled.png") && ok;
    panel.hide();

    for (const auto& [name, ms] :
         {std::pair{"tester_passed.png", 42u}, {"tester_failed.png", 0u}}) {
        const std::uint32_t time = ms;
        proxypool::ui::ProxyTesterDialog tester(nullptr,
                                                [time](const std::string&, int) { return time; });
        tester.prepare("12.12.12.12", 80, "12.12.12.12:80");
        tester.move(40, 40);
        tester.show();
        tester.startTest();
        waitFor([&] { return !tester.testRunning(); });
        settle();
        ok = save(onBackdrop(tester), folder, QString::fromLatin1(name)) && ok;
    }

    // The tester with every row of the judge's check.
    {
        proxypool::ui::ProxyTesterDialog tester(nullptr);
        tester.setJudgeCheck([](const proxypool::ListedProxy&, const inet::CancelCheck&) {
            proxypool::ProxyCheck check;
            check.connected = check.judgeReachable = check.works = true;
            check.connectMs = 42;
            check.latencyMs = 188;
            check.exitAddress = "12.12.12.13";
            check.level = proxypool::AnonymityLevel::Elite;
            check.https = proxypool::HttpsSupport::Yes;
            check.country = "United States";
            return check;
        });
        tester.prepare("12.12.12.12", 80, "12.12.12.12:80");
        tester.move(40, 40);
        tester.show();
        tester.startTest();
        waitFor([&] { return !tester.testRunning(); });
        settle();
        ok = save(onBackdrop(tester), folder, "tester_judged.png") && ok;
    }

    // "What is my IP?" with anonymity on.
    {
        proxypool::ui::MyAddressDialog myIp(nullptr, [](const inet::CancelCheck&) {
            proxypool::MyAddress found;
            found.answered = true;
            found.realAddress = "203.0.113.24";
            found.seenAddress = "12.12.12.13";
            found.throughGateway = true;
            found.level = proxypool::AnonymityLevel::Elite;
            found.country = "United States";
            return found;
        });
        myIp.move(40, 40);
        myIp.show();
        myIp.ask();
        waitFor([&] { return !myIp.asking(); });
        settle();
        ok = save(onBackdrop(myIp), folder, "what_is_my_ip.png") && ok;
    }

    const proxypool::HttpGet none = [](const std::string&) { return std::string(); };
    proxypool::ui::ProxyListUpdateDialog update({host.newProxies, host.fakeMessages, none, none});
    update.setPauseMs(0);
    update.move(40, 40);
    update.show();
    settle();
    ok = save(onBackdrop(update), folder, "update_ready.png") && ok;
    update.controls()
        .control<skin::BitmapButton>(proxypool::ui::ProxyListUpdateDialog::kButtonId)
        ->click();
    waitFor([&] { return update.state() == proxypool::ui::ProxyListUpdateDialog::State::Done; });
    settle();
    ok = save(onBackdrop(update), folder, "update_done.png") && ok;
    return ok ? 0 : 1;
}
