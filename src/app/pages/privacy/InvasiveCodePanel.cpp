#include "app/pages/privacy/InvasiveCodePanel.h"

#include <QCheckBox>

#include "app/pagekit/PageControls.h"
#include "app/skin/BitmapButton.h"
#include "settings/DwordSetting.h"

namespace veilport::cleaner::ui {

using skin::ControlKind;

InvasiveCodePanel::InvasiveCodePanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(
          this, app::kPageSizeInUnits,
          {
              {1071, ControlKind::Static, 14, 12, 245, 50,
               "Invasive codes may harm your computer. ActiveX controls bring interest to "
               "sites through multimedia but can olso harbor malicious codes such as viruses. "
               "Java script can be used in harmful ways such as to collect computer "
               "information."},
              {1072, ControlKind::Static, 14, 68, 245, 20,
               "To protect your privacy, Veilport has the option of blocking invasive "
               "codes. "},
              {kBlockScriptsId, ControlKind::CheckBox, 24, 96, 200, 12, "Block Java Script"},
              {kBlockActiveXId, ControlKind::CheckBox, 24, 112, 200, 12, "Block Active X Objects"},
              {kSaveId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
          }) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kSaveId), app::PageButton::Save);
    controls_.onClicked(kSaveId, [this] { save(); });
    // "Enable" in the settings' names means that blocking is on.
    blockScriptsBox()->setChecked(DwordSetting(settings::kEnableJS).get() == 1);
    blockActiveXBox()->setChecked(DwordSetting(settings::kEnableActiveX).get() == 1);
}

QCheckBox* InvasiveCodePanel::blockScriptsBox() const {
    return controls_.control<QCheckBox>(kBlockScriptsId);
}

QCheckBox* InvasiveCodePanel::blockActiveXBox() const {
    return controls_.control<QCheckBox>(kBlockActiveXId);
}

void InvasiveCodePanel::save() {
    DwordSetting scripts(settings::kEnableJS);
    scripts.set(blockScriptsBox()->isChecked() ? 1 : 0);
    DwordSetting activeX(settings::kEnableActiveX);
    activeX.set(blockActiveXBox()->isChecked() ? 1 : 0);
}

}  // namespace veilport::cleaner::ui
