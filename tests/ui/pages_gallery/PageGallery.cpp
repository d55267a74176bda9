// Renders every page of the anonymity, privacy and settings sections with
// sample lists, one PNG file per page, into the folder given as the only
// argument, for people to look at. The pages run against a stand-in main
// window in a throwaway Veilport home, so nothing of the user's is read.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <memory>

#include "FakePageHost.h"
#include "app/pages/anonymity/AddProxyPanel.h"
#include "app/pages/anonymity/AnonymityIntroPanel.h"
#include "app/pages/anonymity/AnonymityWizardPanel.h"
#include "app/pages/anonymity/CurrentProxyPanel.h"
#include "app/pages/anonymity/NewProxiesPanel.h"
#include "app/pages/anonymity/SourcesPanel.h"
#include "app/pages/anonymity/TestedProxiesPanel.h"
#include "app/pages/anonymity/UpdateProxyListPanel.h"
#include "app/pages/privacy/CleaningPanel.h"
#include "app/pages/privacy/InvasiveCodePanel.h"
#include "app/pages/settings/BrowsersPanel.h"
#include "app/pages/settings/StartupOptionsPanel.h"

namespace {

using namespace veilport;

constexpr const char* kSampleList =
    "81.169.136.18:3128->Germany <supports POST><br />"
    "62.210.37.82:8080->France<br />"
    "200.54.92.187:80->Chile <supports POST><br />"
    "41.190.92.44:8080->Nigeria<br />"
    "203.142.71.52:8080->Indonesia<br />"
    "31.14.131.70:3128->Netherlands <supports POST><br />";

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool waitIdle(const proxypool::ui::ServiceListFetcher& fetcher) {
    QElapsedTimer waited;
    waited.start();
    while (fetcher.busy() && waited.elapsed() < 10'000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return !fetcher.busy();
}

void waitFor(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 10'000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool render(app::Page& page, const QDir& folder, const QString& name) {
    page.move(0, 0);
    page.show();
    page.pageShown();
    settle();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!page.grab().toImage().save(path, "PNG")) {
        std::fprintf(stderr, "page_gallery: cannot write %s\n", qPrintable(path));
        return false;
    }
    page.hide();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_gallery FOLDER\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    qputenv("VEILPORT_HOME", home.filePath("veilport").toLocal8Bit());
    qputenv("HOME", home.filePath("home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath("home/.config").toLocal8Bit());
    QApplication application(argc, argv);
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) return 1;

    testing::FakePageHost host;
    host.get = [](const std::string&) { return std::string(kSampleList); };
    host.newProxies.rebuild(kSampleList);
    host.tested.appendRow(
        {"81.169.136.18:3128", "Germany <supports POST>", "312 milliseconds", "5.31 KB/sec"});
    host.tested.appendRow({"62.210.37.82:8080", "France", "Not Tested", ""});
    host.tested.appendRow({"12.12.12.12:80", "", "1204 miliseconds", "1.38 KB/sec"});
    host.tested.appendRow({"socks5://alice@10.8.0.1:1080", "", "41 milliseconds", ""});
    // This machine's Tor, as the Add page and the tested list offer it.
    host.poolModel.setLocalTorFinder(
        [] { return proxypool::ParseUpstream("socks5h://127.0.0.1:9050").upstream; });
    host.poolModel.lookForLocalTor();
    QElapsedTimer looking;
    looking.start();
    while (!host.poolModel.localTor() && looking.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);

    bool ok = true;
    using Maker = std::function<std::unique_ptr<app::Page>()>;
    const std::pair<const char*, Maker> pages[] = {
        {"page_anonymity_intro",
         [&] { return std::make_unique<proxypool::ui::AnonymityIntroPanel>(host, nullptr); }},
        {"page_current_proxy",
         [&] { return std::make_unique<proxypool::ui::CurrentProxyPanel>(host, nullptr); }},
        {"page_new_proxies",
         [&] { return std::make_unique<proxypool::ui::NewProxiesPanel>(host, nullptr); }},
        {"page_tested_proxies",
         [&] {
             auto page = std::make_unique<proxypool::ui::TestedProxiesPanel>(host, nullptr);
             page->list()->topLevelItem(0)->setSelected(true);
             return page;
         }},
        {"page_add_proxy",
         [&] { return std::make_unique<proxypool::ui::AddProxyPanel>(host, nullptr); }},
        {"page_update_proxy_list",
         [&] { return std::make_unique<proxypool::ui::UpdateProxyListPanel>(host, nullptr); }},
        {"page_invasive_code",
         [&] { return std::make_unique<cleaner::ui::InvasiveCodePanel>(host, nullptr); }},
        {"page_cleaning",
         [&] {
             auto page = std::make_unique<cleaner::ui::CleaningPanel>(host, nullptr);
             page->firefoxBox()->setChecked(true);
             for (const char* site : {"example.org", "mail.example.net"}) {
                 page->keepSiteField()->setText(QString::fromLatin1(site));
                 page->addKeptSite();
             }
             return page;
         }},
        {"page_browsers",
         [&] { return std::make_unique<browsers::ui::BrowsersPanel>(host, nullptr); }},
        {"page_startup_options",
         [&] { return std::make_unique<app::StartupOptionsPanel>(host, nullptr); }},
    };
    for (const auto& [name, make] : pages) {
        auto page = make();
        ok = render(*page, folder, QString::fromLatin1(name)) && ok;
    }

    // The wizard with both purposes chosen and its drop-downs filled.
    proxypool::ui::AnonymityWizardPanel wizard(host, nullptr);
    wizard
        .findChild<QCheckBox*>(
            QStringLiteral("control%1").arg(proxypool::ui::AnonymityWizardPanel::kBrowseId))
        ->click();
    ok = waitIdle(wizard.fetcher()) && ok;
    ok = render(wizard, folder, QStringLiteral("page_anonymity_wizard")) && ok;

    // The Sources page with a file source fetched and one that failed.
    {
        const QString file = home.filePath("socks5-list.txt");
        QFile list(file);
        if (list.open(QIODevice::WriteOnly))
            list.write("# free SOCKS5\n185.199.229.156:7492\n185.199.228.220:7300\n");
        list.close();
        std::string error;
        const proxypool::ListSources sources;
        (void)sources.add(file.toStdString(), "socks5", error);
        (void)sources.add("https://lists.example.net/http.txt", "http", error);
        proxypool::ui::SourcesPanel page(host, nullptr);
        page.setFetcher([](const proxypool::ListSource& source) {
            if (source.remote())
                return proxypool::FetchedList{false, {}, "the server answered with status 404"};
            return proxypool::RealListFetcher()(source);
        });
        bool shown = false;
        QObject::connect(&page, &proxypool::ui::SourcesPanel::sourcesShown, [&] { shown = true; });
        waitFor([&] { return shown; });
        shown = false;
        page.refresh();
        waitFor([&] { return shown; });
        ok = render(page, folder, QStringLiteral("page_list_sources")) && ok;
    }

    // The New list after Check all, sorted by latency.
    {
        proxypool::ui::NewProxiesPanel page(host, nullptr);
        page.setChecker([](const proxypool::ListedProxy& proxy, const inet::CancelCheck&) {
            proxypool::ProxyCheck check;
            const int seed = proxy.port % 7;
            check.connected = check.works = check.judgeReachable = seed != 3;
            check.connectMs = 40 + 13 * static_cast<std::uint32_t>(seed);
            check.latencyMs = 120 + 61 * static_cast<std::uint32_t>(seed);
            check.exitAddress = proxy.host;
            check.level = seed % 3 == 0   ? proxypool::AnonymityLevel::Elite
                          : seed % 3 == 1 ? proxypool::AnonymityLevel::Anonymous
                                          : proxypool::AnonymityLevel::Transparent;
            check.https =
                seed % 2 == 0 ? proxypool::HttpsSupport::Yes : proxypool::HttpsSupport::No;
            check.country = "unknown";
            return check;
        });
        page.checkAll();
        waitFor([&] { return !page.runner().running(); });
        page.list()->sortByColumn(proxypool::ui::NewProxiesPanel::kFirstCheckColumn + 4,
                                  Qt::AscendingOrder);
        ok = render(page, folder, QStringLiteral("page_new_proxies_checked")) && ok;
    }
    return ok ? 0 : 1;
}
