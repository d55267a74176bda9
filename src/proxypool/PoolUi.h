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
    // A question answered Yes (true) or No, No being the default. Whoever
    // cannot ask a person answers No, so nothing is destroyed unasked.
    virtual bool askYesNo(const std::string& /*question*/) { return false; }
};

// The main window's status line.
class StatusLine {
public:
    virtual ~StatusLine() = default;
    // Sets the text and repaints the main window.
    virtual void setStatusText(const std::string& text) = 0;
};

// The status page's Tested drop-down, which mirrors the tested proxies.
class TestedListMirror {
public:
    virtual ~TestedListMirror() = default;
    virtual void addEntry(const std::string& text) = 0;
    // Empties the drop-down and leaves "Perform empty list" as its only entry.
    virtual void resetToPerformEmptyList() = 0;
};

inline constexpr const char* kCurrentIpPrefix = "Current IP Address in use: ";
inline constexpr const char* kPerformEmptyList = "Perform empty list";
inline constexpr const char* kEmptyListQuestion =
    "Remove every proxy from the Tested list? MyProxies.txt will be left empty.";
inline constexpr const char* kCannotStartProxy = "Cannot Start Proxy!";
inline constexpr const char* kSelectProxyFirst =
    "Please select a proxy from the list before enabling online anonymity.";
inline constexpr const char* kErrorCaption = "ERROR";
inline constexpr const char* kProxyListUpdated = "Proxy list updated!";
inline constexpr const char* kTestFailedProxyRemoved = "Test failed - proxy removed";

}  // namespace veilport::proxypool
