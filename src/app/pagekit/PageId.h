#pragma once

namespace veilport::app {

// Every page of the main window's content area. Sections: 1 is the status
// page alone; 2 the anonymity pages; 3 the privacy pages; 4 the settings
// pages. Within a section the order is the order of its sub-buttons; each
// section's intro page is shown by the section's main button.
enum class PageId {
    Status,
    AnonymityIntro,
    AnonymityWizard,
    CurrentProxy,
    NewProxies,
    TestedProxies,
    AddProxy,
    UpdateProxyList,
    ListSources,
    PrivacyIntro,
    InvasiveCode,
    Cleaning,
    SettingsIntro,
    Browsers,
    StartupOptions,
};

}  // namespace veilport::app
