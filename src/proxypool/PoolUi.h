#pragma once

// The few things the pool's flows need from windows, as interfaces the UI
// implements and tests fake, so that the flows themselves never touch a widget.

#include <string>

namespace veilport::proxypool {

// The program's modal messages.
class UserMessages {
public:
    virtual ~UserMessages() = default;
    // The skinned message dialog with one fixed text.
    virtual void showMessage(const std::string& text) = 0;
    // The system's own message box with an information icon.
    virtual void showSystemMessageBox(const std::string& text, const std::string& caption) = 0;
};

// The main window's status line.
class MainStatusLine {
public:
    virtual ~MainStatusLine() = default;
    // Sets the text and repaints the main window.
    virtual void setStatusText(const std::string& text) = 0;
};

// The status page's Tested drop-down, which mirrors the tested proxies.
class TestedDropDown {
public:
    virtual ~TestedDropDown() = default;
    virtual void addEntry(const std::string& text) = 0;
    // Empties the drop-down and leaves "Perform empty list" as its only entry.
    virtual void resetToPerformEmptyList() = 0;
};

inline constexpr const char* kCurrentIpPrefix = "Current IP Address in use: ";
inline constexpr const char* kPerformEmptyList = "Perform empty list";
inline constexpr const char* kCannotStartProxy = "Cannot Start Proxy!";
inline constexpr const char* kSelectProxyFirst =
    "Please select a proxy from the list before enabling online anonymity.";
inline constexpr const char* kErrorCaption = "ERROR";
inline constexpr const char* kProxyListUpdated = "Proxy list updated!";
inline constexpr const char* kTestFailedProxyRemoved = "Test failed - proxy removed";

}  // namespace veilport::proxypool
