#pragma once

#include <QString>

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::skin {

// The skinned message box through which every user message of the program is
// shown: title "Veilport", one centred text and OK. F1 asks for help.
class MessageDialog : public SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kTextId = 1022;
    static constexpr int kOkId = 1;

    explicit MessageDialog(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

    // Shows the text modally; returns when OK is pressed.
    static void showMessage(QWidget* parent, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    DialogTemplate controls_;
};

}  // namespace veilport::skin
