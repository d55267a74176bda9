#include "app/window/SectionPages.h"

#include <array>

#include "app/window/IntroPanels.h"
#include "app/window/StatusPlaceholderPanel.h"

namespace veilport::app {

namespace {

constexpr std::array kAnonymityPages = {
    PageId::AnonymityWizard, PageId::CurrentProxy, PageId::NewProxies,
    PageId::TestedProxies,   PageId::AddProxy,     PageId::UpdateProxyList,
};
constexpr std::array kPrivacyPages = {PageId::InvasiveCode, PageId::Cleaning};
constexpr std::array kSettingsPages = {PageId::Browsers, PageId::StartupOptions};

}  // namespace

std::span<const PageId> SubPagesOf(int section) {
    switch (section) {
        case 2:
            return kAnonymityPages;
        case 3:
            return kPrivacyPages;
        case 4:
            return kSettingsPages;
        default:
            return {};
    }
}

PageId IntroPageOf(int section) {
    switch (section) {
        case 2:
            return PageId::AnonymityIntro;
        case 3:
            return PageId::PrivacyIntro;
        case 4:
            return PageId::SettingsIntro;
        default:
            return PageId::Status;
    }
}

int SectionOf(PageId page) {
    for (int section = 2; section <= kSectionCount; ++section) {
        if (IntroPageOf(section) == page) return section;
        for (const PageId sub : SubPagesOf(section))
            if (sub == page) return section;
    }
    return 1;
}

int SubIndexOf(PageId page) {
    const auto pages = SubPagesOf(SectionOf(page));
    for (std::size_t i = 0; i < pages.size(); ++i)
        if (pages[i] == page) return static_cast<int>(i);
    return -1;
}

Page* CreatePage(PageId page, PageHost& host, QWidget* parent) {
    switch (page) {
        case PageId::Status:
            return new StatusPlaceholderPanel(host, parent);
        case PageId::AnonymityIntro:
            return new PlaceholderPanel(QStringLiteral("Online Anonymity"), host, parent);
        case PageId::AnonymityWizard:
            return new PlaceholderPanel(QStringLiteral("Anonymity Wizard"), host, parent);
        case PageId::CurrentProxy:
            return new PlaceholderPanel(QStringLiteral("Current Proxy"), host, parent);
        case PageId::NewProxies:
            return new PlaceholderPanel(QStringLiteral("New Proxies"), host, parent);
        case PageId::TestedProxies:
            return new PlaceholderPanel(QStringLiteral("Tested Proxies"), host, parent);
        case PageId::AddProxy:
            return new PlaceholderPanel(QStringLiteral("Add Proxy"), host, parent);
        case PageId::UpdateProxyList:
            return new PlaceholderPanel(QStringLiteral("Update Proxy List"), host, parent);
        case PageId::PrivacyIntro:
            return new PrivacyIntroPanel(host, parent);
        case PageId::InvasiveCode:
            return new PlaceholderPanel(QStringLiteral("Invasive Code"), host, parent);
        case PageId::Cleaning:
            return new PlaceholderPanel(QStringLiteral("Cleaning"), host, parent);
        case PageId::SettingsIntro:
            return new SettingsIntroPanel(host, parent);
        case PageId::Browsers:
            return new PlaceholderPanel(QStringLiteral("Browsers"), host, parent);
        case PageId::StartupOptions:
            return new PlaceholderPanel(QStringLiteral("Start Up Options"), host, parent);
    }
    return new PlaceholderPanel(QString(), host, parent);
}

}  // namespace veilport::app
