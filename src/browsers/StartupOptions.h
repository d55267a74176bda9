#pragma once

// The start-up options: whether Veilport starts at log-in (the Run entry,
// mirrored into the desktop's autostart folder) and the Gateway's port. The
// page that shows them keeps only the port text and the box.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veilport::browsers {

inline constexpr const char* kSpecifyPortMessage = "Please specify a port number";
inline constexpr const char* kPortRangeMessage =
    "Please specify a port value within 1024 ... 65000 interval";
inline constexpr const char* kNoSocketMessage = "Unable to connect to create socket";
inline constexpr const char* kPortAvailableMessage =
    "Proxy Port is Available and can be used by Veilport";
// %1 stands for the port.
inline constexpr const char* kPortInUseMessage =
    "Another program already listens on port %1. Please choose another port for Veilport.";
// %1 stands for the autostart file.
inline constexpr const char* kAutostartFailedMessage =
    "Veilport could not write %1, so it will not start at log-in.";
inline constexpr const char* kDefaultPortText = "8080";

struct StartupOptions {
    bool runAtStartup = false;
    std::string portText;
};

// The box ticked when RunAtStartup holds exactly 1; the port as "%d".
StartupOptions LoadStartupOptions();

// The number the text begins with (its leading decimal digits, saturating),
// or nothing when it does not begin with a digit.
std::optional<std::uint32_t> LeadingPortNumber(std::string_view text);

// Whether the test accepts the text: only 1025 to 64999 do.
bool PortInTestRange(std::string_view text);

struct StartupSaveResult {
    // False when the port text named no port the Gateway can listen on (no
    // number, or above 65535); LocalPort then keeps its value.
    bool portStored = true;
    // False when the autostart entry could not be brought in line.
    bool autostartMirrored = true;
};

// Stores the box in RunAtStartup and the start-up entry (AppFullPath when
// ticked, empty text when not), mirrors the entry into the autostart folder,
// and stores the port. Each value is written only when it changes.
StartupSaveResult SaveStartupOptions(const StartupOptions& options);

enum class PortProbe {
    Free,      // nothing answered on localhost at that port
    InUse,     // something accepted the connection
    NoSocket,  // no socket could be made to try
};

// Tries a connection to localhost at the port (127.0.0.1 when the name does
// not resolve). Loopback answers at once, so the wait is short.
PortProbe ProbeLocalPort(int port);

}  // namespace veilport::browsers
