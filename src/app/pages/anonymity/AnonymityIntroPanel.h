#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

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
