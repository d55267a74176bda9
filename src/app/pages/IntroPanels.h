#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

namespace veilport::app {

// The page the Privacy section button shows: what the section's pages do.
class PrivacyIntroPanel : public Page {
    Q_OBJECT

public:
    PrivacyIntroPanel(PageHost& host, QWidget* parent);

private:
    skin::DialogTemplate controls_;
};

// The page the Settings section button shows.
class SettingsIntroPanel : public Page {
    Q_OBJECT

public:
    SettingsIntroPanel(PageHost& host, QWidget* parent);

private:
    skin::DialogTemplate controls_;
};

// A page whose own issue has not landed yet: its title and nothing else.
class PlaceholderPanel : public Page {
    Q_OBJECT

public:
    PlaceholderPanel(const QString& title, PageHost& host, QWidget* parent);

private:
    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
