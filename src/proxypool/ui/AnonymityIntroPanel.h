#pragma once

#include "app/skin/DialogTemplate.h"
#include "app/window/Page.h"

namespace veilport::proxypool::ui {

// The anonymity section's first page: what the section is for.
class AnonymityIntroPanel : public app::Page {
    Q_OBJECT

public:
    AnonymityIntroPanel(app::PageHost& host, QWidget* parent);

private:
    skin::DialogTemplate controls_;
};

}  // namespace veilport::proxypool::ui
