#include "app/window/SectionPages.h"

#include <array>

#include "app/settings/StartupOptionsPanel.h"
#include "app/status/StatusPanel.h"
#include "app/window/IntroPanels.h"
#include "browsers/ui/BrowsersPanel.h"
#include "cleaner/ui/CleaningPanel.h"
#include "cleaner/ui/InvasiveCodePanel.h"
#include "proxypool/ui/AddProxyPanel.h"
#include "proxypool/ui/AnonymityIntroPanel.h"
#include "proxypool/ui/AnonymityWizardPanel.h"
#include "proxypool/ui/CurrentProxyPanel.h"
#include "proxypool/ui/NewProxiesPanel.h"
#include "proxypool/ui/TestedProxiesPanel.h"
#include "proxypool/ui/UpdateProxyListPanel.h"

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
            return new StatusPanel(host, parent);
        case PageId::AnonymityIntro:
            return new proxypool::ui::AnonymityIntroPanel(host, parent);
        case PageId::AnonymityWizard:
            return new proxypool::ui::AnonymityWizardPanel(host, parent);
        case PageId::CurrentProxy:
            return new proxypool::ui::CurrentProxyPanel(host, parent);
        case PageId::NewProxies:
            return new proxypool::ui::NewProxiesPanel(host, parent);
        case PageId::TestedProxies:
            return new proxypool::ui::TestedProxiesPanel(host, parent);
        case PageId::AddProxy:
            return new proxypool::ui::AddProxyPanel(host, parent);
        case PageId::UpdateProxyList:
            return new proxypool::ui::UpdateProxyListPanel(host, parent);
        case PageId::PrivacyIntro:
            return new PrivacyIntroPanel(host, parent);
        case PageId::InvasiveCode:
            return new cleaner::ui::InvasiveCodePanel(host, parent);
        case PageId::Cleaning:
            return new cleaner::ui::CleaningPanel(host, parent);
        case PageId::SettingsIntro:
            return new SettingsIntroPanel(host, parent);
        case PageId::Browsers:
            return new browsers::ui::BrowsersPanel(host, parent);
        case PageId::StartupOptions:
            return new StartupOptionsPanel(host, parent);
    }
    return new PlaceholderPanel(QString(), host, parent);
}

}  // namespace veilport::app
