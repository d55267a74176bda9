#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QCheckBox;
class QLineEdit;

namespace veilport::cleaner::ui {

// Which tracks the cleaner erases and every how many minutes. Only save
// stores; leaving the page keeps what was stored.
class CleaningPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kFirstTaskId = 1023;  // 1023 to 1029, IClear1 to IClear7
    static constexpr int kMinutesId = 1030;
    static constexpr int kSaveId = 1001;

    CleaningPanel(app::PageHost& host, QWidget* parent);

    QCheckBox* taskBox(int task) const;  // 0 to 6
    QLineEdit* minutesField() const;

    void save();

private:
    void load();

    skin::DialogTemplate controls_;
    // The last whole number the field held; a text that is not one falls
    // back to it.
    int minutes_ = 0;
};

// The texts of the cleaning page's messages.
inline constexpr const char* kEnterIntegerMessage = "Please enter an integer.";
inline constexpr const char* kMinutesRangeMessage =
    "Please specify a value within 1 ... 32000 interval ";

}  // namespace veilport::cleaner::ui
