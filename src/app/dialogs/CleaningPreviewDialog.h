#pragma once

#include <QStringList>

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::cleaner::ui {

// Shows what a cleaning pass would do, one line a row, with a Done button.
// The lines are worked out before (off the window thread); this only shows them.
class CleaningPreviewDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kHeadingId = 1001;
    static constexpr int kListId = 1002;
    static constexpr int kDoneId = 1;

    explicit CleaningPreviewDialog(const QStringList& lines, QWidget* parent = nullptr);

    QStringList lines() const;

private:
    skin::DialogTemplate controls_;
};

}  // namespace veilport::cleaner::ui
