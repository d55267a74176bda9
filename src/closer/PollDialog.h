#pragma once

#include <QDialog>
#include <functional>

#include "platform/shell/ShellOpen.h"

class QLabel;
class QPushButton;

namespace veilport::closer {

// Quenchor's one window: it ends Veilport as it initialises, before it is
// first shown, then asks whether the user will take the online poll. YES
// opens the poll page in the browser and closes; NO, Escape and the close box
// only close.
class PollDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kYesId = 1;
    static constexpr int kNoId = 2;

    PollDialog(shell::ShellOpen& shell, const std::function<void()>& closeMainProgram,
               QWidget* parent = nullptr);

    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }
    QLabel* textLabel() const { return text_; }

private:
    void openPoll();

    shell::ShellOpen& shell_;
    QLabel* text_;
    QPushButton* yes_;
    QPushButton* no_;
};

}  // namespace veilport::closer
