#pragma once

#include <QString>

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::skin {

// The skinned box that asks before something that cannot be undone: title
// "Veilport", one centred text, OK and Cancel. Cancel has the focus, and
// Escape or closing the box answers no, so only a deliberate OK confirms.
class ConfirmDialog : public SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kTextId = 1022;
    static constexpr int kOkId = 1;
    static constexpr int kCancelId = 2;

    explicit ConfirmDialog(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

    // Shows the text modally; true only when OK was pressed.
    static bool ask(QWidget* parent, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    DialogTemplate controls_;
};

}  // namespace veilport::skin
