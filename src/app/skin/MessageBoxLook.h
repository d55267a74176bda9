#pragma once

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::skin {

// What the program's small boxes share: title "Veilport", the program's icon,
// the dialog background, one centred text in the skin's ink, and a picture OK
// button that a screen reader names "OK".
void applyMessageBoxLook(SkinnedDialog& box, DialogTemplate& controls, int textId, int okId);

}  // namespace veilport::skin
