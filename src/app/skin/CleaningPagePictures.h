#pragma once

// The pictures of the cleaning page's own buttons (its keep list's Add and
// Remove, and Preview), each followed by its pressed, hover, disabled and
// focus pictures, as the other picture buttons' are.
namespace veilport::skin::picture {
inline constexpr int kPreviewNormal = 570;
inline constexpr int kPreviewPressed = 571;
inline constexpr int kPreviewHover = 572;
inline constexpr int kPreviewDisabled = 573;
inline constexpr int kPreviewFocus = 574;
inline constexpr int kAddNormal = 575;
inline constexpr int kAddPressed = 576;
inline constexpr int kAddHover = 577;
inline constexpr int kAddDisabled = 578;
inline constexpr int kAddFocus = 579;
inline constexpr int kRemoveNormal = 580;
inline constexpr int kRemovePressed = 581;
inline constexpr int kRemoveHover = 582;
inline constexpr int kRemoveDisabled = 583;
inline constexpr int kRemoveFocus = 584;
// The preview dialog's background, drawn as the proxy tester's.
inline constexpr int kCleaningPreviewBackground = 585;
}  // namespace veilport::skin::picture
