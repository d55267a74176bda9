#pragma once

#include <string>

namespace veilport {

// Whether the settings could be read. When the store cannot be used (a
// damaged or unreadable registry.db), every setting reads as its default and
// nothing is written over the file; what the program does on its own must
// then not rest on those defaults (a default list host is not the one the
// user chose), and the user is told once.
[[nodiscard]] bool SettingsStoreUsable();

// The sentence that tells the user, naming the file and the reason; empty
// while the store is usable.
[[nodiscard]] std::string SettingsStoreMessage();

}  // namespace veilport
