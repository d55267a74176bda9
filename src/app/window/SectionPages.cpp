#include "app/window/SectionPages.h"

#include "app/pages/IntroPanels.h"
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
#include "app/pages/status/StatusPanel.h"
#include "app/skin/Pictures.h"

namespace veilport::app {

namespace {

constexpr PageId kAnonymityPages[] = {
    PageId::AnonymityWizard, PageId::CurrentProxy,    PageId::NewProxies,  PageId::TestedProxies,
    PageId::AddProxy,        PageId::UpdateProxyList, PageId::ListSources,
};
constexpr PageId kPrivacyPages[] = {PageId::InvasiveCode, PageId::Cleaning};
constexpr PageId kSettingsPages[] = {PageId::Browsers, PageId::StartupOptions};

constexpr Section kSections[] = {
    {1, PageId::Status, {}, "See Veilport current status and quick activation buttons", 0},
    {2, PageId::AnonymityIntro, kAnonymityPages, "Hide your IP and learn how to use the proxies",
     skin::picture::kAnonymityBarBackground},
    {3, PageId::PrivacyIntro, kPrivacyPages,
     "Perform scheduled cleaning and invasive code blocking", skin::picture::kPrivacyBarBackground},
    {4, PageId::SettingsIntro, kSettingsPages, "Configure browsers and start up options",
     skin::picture::kSettingsBarBackground},
};

}  // namespace

std::span<const Section> Sections() {
    return kSections;
}

const Section& SectionOf(PageId page) {
    for (const Section& section : kSections) {
        if (section.intro == page) return section;
        for (const PageId sub : section.pages)
            if (sub == page) return section;
    }
    return kSections[0];
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
        case PageId::ListSources:
            return new proxypool::ui::SourcesPanel(host, parent);
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
