#pragma once

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::app {

// The notice shown when the window goes to the tray, until the user ticks
// "Do not show this message again". OK stores the answer in HideHint: 0 when
// ticked (no more notices), 1 when not.
class HintDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kTextId = 1054;
    static constexpr int kDoNotShowId = 1053;
    static constexpr int kOkId = 1055;
    static constexpr const char* kText =
        "Each time you minimize the main window, Veilport will be minimized to the system tray "
        "area. In order to exit Veilport, right-click the icon in the system tray and click Exit";

    explicit HintDialog(QWidget* parent = nullptr);

    void setDoNotShowAgain(bool ticked);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ok();

    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
