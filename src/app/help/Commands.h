#pragma once

namespace veilport::app {

// The commands of the main window's menus: the help button's menu, the tray
// menu and the About entry that stands in for the system menu's.
namespace command {
inline constexpr int kAboutNoPictures = 16;
inline constexpr int kHelpContents = 101;
inline constexpr int kHelpIndex = 102;
inline constexpr int kHelpSearch = 103;
inline constexpr int kProductPage = 104;
inline constexpr int kCompanyPage = 105;
inline constexpr int kSupportPage = 106;
inline constexpr int kLiveUpdate = 107;
inline constexpr int kTellAFriend = 108;
inline constexpr int kTrayShow = 32771;
inline constexpr int kTrayHelpSearch = 32773;
inline constexpr int kTrayHelpIndex = 32774;
inline constexpr int kAbout = 32775;
inline constexpr int kTrayTellAFriend = 32776;
inline constexpr int kTrayExit = 32777;
inline constexpr int kTrayHelpContents = 32778;
}  // namespace command

// The query the help search runs.
inline constexpr const char* kHelpSearchQuery = "lesson";

}  // namespace veilport::app
