#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QLineEdit;

namespace veilport::proxypool::ui {

// A proxy the user knows of: typed as ip:port, tested, and added to the
// tested list when it answers. The field keeps its text for the next one.
class AddProxyPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kFieldId = 1038;
    static constexpr int kApplyId = 1001;

    AddProxyPanel(app::PageHost& host, QWidget* parent);

    QLineEdit* field() const { return field_; }
    void apply();

private:
    skin::DialogTemplate controls_;
    QLineEdit* field_;
};

}  // namespace veilport::proxypool::ui
