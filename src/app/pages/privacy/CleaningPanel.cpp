#include "app/pages/privacy/CleaningPanel.h"

#include <QCheckBox>
#include <QLineEdit>

#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "settings/DwordSetting.h"

namespace veilport::cleaner::ui {

using skin::ControlKind;

namespace {

constexpr int kTaskCount = 7;
constexpr int kResetMinutes = 5;

}  // namespace

CleaningPanel::CleaningPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(
          this, app::kPageSizeInUnits,
          {
              {1071, ControlKind::Static, 14, 12, 245, 20,
               "Veilport provides online privacy by permanently erasing all online tracks"},
              {1023, ControlKind::CheckBox, 24, 36, 230, 12, "Clear Internet History"},
              {1024, ControlKind::CheckBox, 24, 50, 230, 12, "Clear Typed URL"},
              {1025, ControlKind::CheckBox, 24, 64, 230, 12, "Clean Temporary Internet Files"},
              {1026, ControlKind::CheckBox, 24, 78, 230, 12, "Clear Internet Cookies"},
              {1027, ControlKind::CheckBox, 24, 92, 230, 12, "Clear AutoComplete Forms History"},
              {1028, ControlKind::CheckBox, 24, 106, 230, 12,
               "Clear AutoComplete Passwords History"},
              {1029, ControlKind::CheckBox, 24, 120, 230, 12, "Clear Internet Explorer Favorites"},
              {1072, ControlKind::Static, 14, 142, 245, 10, "Schedule cleaning:"},
              {1031, ControlKind::Static, 24, 158, 100, 10, "Perform cleaning every"},
              {kMinutesId, ControlKind::Edit, 126, 156, 40, 13},
              {1074, ControlKind::Static, 170, 158, 50, 10, "minutes"},
              {kSaveId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
          }) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kSaveId), app::PageButton::Save);
    app::nameControls(controls_, {{kMinutesId, "Perform cleaning every ... minutes"}});
    controls_.onClicked(kSaveId, [this] { save(); });
    load();
}

QCheckBox* CleaningPanel::taskBox(int task) const {
    return controls_.control<QCheckBox>(kFirstTaskId + task);
}

QLineEdit* CleaningPanel::minutesField() const {
    return controls_.control<QLineEdit>(kMinutesId);
}

void CleaningPanel::load() {
    for (int task = 0; task < kTaskCount; ++task)
        taskBox(task)->setChecked(DwordSetting(settings::kIClear[task]).get() == 1);
    minutes_ = static_cast<int>(DwordSetting(settings::kSleep).get());
    minutesField()->setText(QString::number(minutes_));
}

void CleaningPanel::save() {
    bool whole = false;
    const int typed = minutesField()->text().trimmed().toInt(&whole);
    if (whole)
        minutes_ = typed;
    else
        host().messages().showMessage(kEnterIntegerMessage);

    for (int task = 0; task < kTaskCount; ++task) {
        // Written only when it changes, so a task never ticked stays absent.
        DwordSetting flag(settings::kIClear[task]);
        flag.set(taskBox(task)->isChecked() ? 1 : 0);
    }

    if (minutes_ > 1 && minutes_ < 32000) {
        DwordSetting sleep(settings::kSleep);
        sleep.set(static_cast<std::uint32_t>(minutes_));
        sleep.write();
        return;
    }
    host().messages().showMessage(kMinutesRangeMessage);
    minutes_ = kResetMinutes;
    minutesField()->setText(QString::number(minutes_));
}

}  // namespace veilport::cleaner::ui
