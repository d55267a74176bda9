#pragma once

#include <QIcon>
#include <QPixmap>

namespace veilport::skin {

// Resource identifiers of the pictures compiled into the program. 0 means
// "no picture" wherever an identifier is taken.
namespace picture {
inline constexpr int kApplicationIcon = 128;
inline constexpr int kDialogBackground = 200;
inline constexpr int kPageBackground = 201;
inline constexpr int kPatternTile = 202;
inline constexpr int kOkNormal = 210;
inline constexpr int kOkPressed = 211;
inline constexpr int kOkHover = 212;
inline constexpr int kOkDisabled = 213;
inline constexpr int kOkFocus = 214;
inline constexpr int kCheckNormal = 220;
inline constexpr int kCheckChecked = 221;
inline constexpr int kCheckHover = 222;
inline constexpr int kCheckDisabled = 223;
inline constexpr int kRadioNormal = 230;
inline constexpr int kRadioChecked = 231;
inline constexpr int kRadioHover = 232;
inline constexpr int kRadioDisabled = 233;
inline constexpr int kCloseNormal = 240;
inline constexpr int kClosePressed = 241;
inline constexpr int kCloseHover = 242;
inline constexpr int kCloseMask = 243;

// The main window and its sections.
inline constexpr int kMainBackground = 300;
inline constexpr int kMainBarBackground = 301;
inline constexpr int kTipBackground = 302;
// The bars of sections 2 to 4, with the section's title.
inline constexpr int kAnonymityBarBackground = 303;
inline constexpr int kPrivacyBarBackground = 304;
inline constexpr int kSettingsBarBackground = 305;
inline constexpr int kHelpNormal = 310;
inline constexpr int kHelpPressed = 311;
inline constexpr int kHelpHover = 312;
inline constexpr int kWhatIsMyIpNormal = 313;
inline constexpr int kWhatIsMyIpPressed = 314;
inline constexpr int kWhatIsMyIpHover = 315;
inline constexpr int kUpdateListNormal = 316;
inline constexpr int kUpdateListPressed = 317;
inline constexpr int kUpdateListHover = 318;
// Section button i (0..3) is kSectionButtons + 3 * i, followed by its pressed
// and hover pictures; sub-button j (0..9, in the order of the sections' pages)
// likewise from kSubButtons.
inline constexpr int kSectionButtons = 320;
inline constexpr int kSubButtons = 340;
inline constexpr int kButtonPressedOffset = 1;
inline constexpr int kButtonHoverOffset = 2;
}  // namespace picture

// The label a picture shows, for pictures that carry one (the section and
// sub-buttons, the top bar's buttons); empty for the others. It is the
// accessible name of a button drawn from the picture.
QString pictureLabel(int id);

// The picture with this identifier, drawn from its SVG source at its own size.
// Window and dialog backgrounds come with their ColorKey margins: what the
// source leaves empty is ColorKey, and their edges are hard, so the window's
// shape follows the picture exactly. Null for 0, an unknown identifier or a
// picture that cannot be drawn.
QPixmap loadPicture(int id);

// The application icon (icon 128) at the sizes a desktop asks for.
QIcon applicationIcon();

}  // namespace veilport::skin
