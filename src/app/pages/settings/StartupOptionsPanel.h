#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QCheckBox;
class QLineEdit;

namespace veilport::app {

// Whether Veilport starts at log-in, and the Gateway's port: test tries the
// port, save (or leaving the page, or Exit) stores both. A new port saved
// while anonymity is on moves the Gateway and everything pointing at it.
class StartupOptionsPanel : public Page {
    Q_OBJECT

public:
    static constexpr int kRunAtStartupId = 1048;
    static constexpr int kPortId = 1047;
    static constexpr int kTestId = 1001;
    static constexpr int kSaveId = 1002;

    StartupOptionsPanel(PageHost& host, QWidget* parent);

    QCheckBox* runAtStartupBox() const;
    QLineEdit* portField() const;

    void pageShown() override;
    void pageLeft() override { save(); }

    void save();
    void testPort();

private:
    void load();

    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
