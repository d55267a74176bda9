#pragma once

namespace veilport::skin {

// The style a button control is created with, as a dialog template gives it.
enum class ButtonStyle {
    PushButton,
    DefaultPushButton,
    CheckBox,  // a check box the owner ticks itself
    AutoCheckBox,
    RadioButton,  // a radio button the owner checks itself
    AutoRadioButton,
};

}  // namespace veilport::skin
