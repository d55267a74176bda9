#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QCheckBox;
class QLineEdit;

namespace veilport::app {

// Whether Veilport starts at log-in, the Gateway's port, and whether other
// computers may use the Gateway: test tries the port, save (or leaving the
// page, or Exit) stores them. A new port saved while anonymity is on moves
// the Gateway and everything pointing at it; a new listen address is used
// the next time the Gateway starts.
class StartupOptionsPanel : public Page {
    Q_OBJECT

public:
    static constexpr int kRunAtStartupId = 1048;
    static constexpr int kPortId = 1047;
    static constexpr int kTestId = 1001;
    static constexpr int kSaveId = 1002;
    static constexpr int kShareId = 1049;

    static constexpr const char* kThisMachineOnly = "127.0.0.1";
    static constexpr const char* kShareWarning =
        "Other computers on your network will be able to use Veilport: their traffic will go "
        "out through the chosen proxy, with its login. This takes effect the next time the "
        "Gateway starts.";

    StartupOptionsPanel(PageHost& host, QWidget* parent);

    QCheckBox* runAtStartupBox() const;
    QLineEdit* portField() const;
    QCheckBox* shareBox() const;

    void pageShown() override;
    void pageLeft() override { save(); }

    void save();
    void testPort();

private:
    void load();
    void saveListenAddress();

    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
