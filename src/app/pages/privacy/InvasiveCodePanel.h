#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QCheckBox;

namespace veilport::cleaner::ui {

// Whether the Gateway neutralizes scripts and ActiveX objects in the pages
// it relays. Stored on save; the Gateway reads it for every chunk.
class InvasiveCodePanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kBlockScriptsId = 1023;
    static constexpr int kBlockActiveXId = 1024;
    static constexpr int kSaveId = 1001;

    InvasiveCodePanel(app::PageHost& host, QWidget* parent);

    QCheckBox* blockScriptsBox() const;
    QCheckBox* blockActiveXBox() const;

    void save();

private:
    skin::DialogTemplate controls_;
};

}  // namespace veilport::cleaner::ui
