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
// Picture buttons of the section pages (the picture carries the label),
// and the small pictures of the New list's rows.
inline constexpr int kApplyNormal = 500;
inline constexpr int kApplyPressed = 501;
inline constexpr int kApplyHover = 502;
inline constexpr int kApplyDisabled = 503;
inline constexpr int kApplyFocus = 504;
inline constexpr int kUseSelectedNormal = 510;
inline constexpr int kUseSelectedPressed = 511;
inline constexpr int kUseSelectedHover = 512;
inline constexpr int kUseSelectedDisabled = 513;
inline constexpr int kUseSelectedFocus = 514;
inline constexpr int kStartNormal = 520;
inline constexpr int kStartPressed = 521;
inline constexpr int kStartHover = 522;
inline constexpr int kStartDisabled = 523;
inline constexpr int kStartFocus = 524;
inline constexpr int kChangeProxyNormal = 530;
inline constexpr int kChangeProxyPressed = 531;
inline constexpr int kChangeProxyHover = 532;
inline constexpr int kChangeProxyDisabled = 533;
inline constexpr int kChangeProxyFocus = 534;
inline constexpr int kTestNormal = 540;
inline constexpr int kTestPressed = 541;
inline constexpr int kTestHover = 542;
inline constexpr int kTestDisabled = 543;
inline constexpr int kTestFocus = 544;
inline constexpr int kSaveNormal = 550;
inline constexpr int kSavePressed = 551;
inline constexpr int kSaveHover = 552;
inline constexpr int kSaveDisabled = 553;
inline constexpr int kSaveFocus = 554;
inline constexpr int kCheckNowNormal = 590;
inline constexpr int kCheckNowPressed = 591;
inline constexpr int kCheckNowHover = 592;
inline constexpr int kCheckNowDisabled = 593;
inline constexpr int kCheckNowFocus = 594;
inline constexpr int kProxyPlain = 560;
inline constexpr int kProxyPost = 561;

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
// and hover pictures; sub-button j (0..10, in the order of the sections' pages)
// likewise from kSubButtons.
inline constexpr int kSectionButtons = 320;
inline constexpr int kSubButtons = 340;
inline constexpr int kButtonPressedOffset = 1;
inline constexpr int kButtonHoverOffset = 2;
// The status page, the proxy tester and the list update (400-499). Each switch
// has two sets: "enable" shown while its state is off, "disable" while on.
inline constexpr int kAnonymityEnableNormal = 400;
inline constexpr int kAnonymityEnablePressed = 401;
inline constexpr int kAnonymityEnableHover = 402;
inline constexpr int kAnonymityDisableNormal = 403;
inline constexpr int kAnonymityDisablePressed = 404;
inline constexpr int kAnonymityDisableHover = 405;
inline constexpr int kPrivacyEnableNormal = 406;
inline constexpr int kPrivacyEnablePressed = 407;
inline constexpr int kPrivacyEnableHover = 408;
inline constexpr int kPrivacyDisableNormal = 409;
inline constexpr int kPrivacyDisablePressed = 410;
inline constexpr int kPrivacyDisableHover = 411;
inline constexpr int kStatusHeaderTop = 412;
inline constexpr int kStatusHeaderMiddle = 413;
inline constexpr int kStatusHeaderBottom = 414;
inline constexpr int kDialogStartNormal = 420;
inline constexpr int kDialogStartPressed = 421;
inline constexpr int kDialogStartHover = 422;
inline constexpr int kDoneNormal = 423;
inline constexpr int kDonePressed = 424;
inline constexpr int kDoneHover = 425;
inline constexpr int kCancelNormal = 426;
inline constexpr int kCancelPressed = 427;
inline constexpr int kCancelHover = 428;
inline constexpr int kTesterBackground = 430;
inline constexpr int kUpdateBackground = 431;
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
