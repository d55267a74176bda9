#pragma once

#include <cstdint>
#include <string_view>

namespace veilport::registry {

// Status codes as the system's registry returns them, so callers written against
// them keep their meaning.
using Status = long;
inline constexpr Status kSuccess = 0;
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kAccessDenied = 5;
inline constexpr Status kInvalidParameter = 87;
inline constexpr Status kMoreData = 234;
inline constexpr Status kNoMoreItems = 259;
inline constexpr Status kCantRead = 1012;
inline constexpr Status kKeyDeleted = 1018;

enum class Root { LocalMachine, CurrentUser, ClassesRoot };

// Value types, numbered as the system numbers them.
using ValueType = std::uint32_t;
inline constexpr ValueType kTypeNone = 0;
inline constexpr ValueType kTypeSz = 1;
inline constexpr ValueType kTypeExpandSz = 2;
inline constexpr ValueType kTypeBinary = 3;
inline constexpr ValueType kTypeDword = 4;

// Access rights. The store itself grants every right; they are kept so that
// callers state what they ask for, as they would of the system.
using Access = std::uint32_t;
inline constexpr Access kKeyRead = 0x20019;
inline constexpr Access kKeyWrite = 0x20006;
inline constexpr Access kKeyAllAccess = 0xF003F;
inline constexpr Access kKeyReadWrite = 0x2001F;

// Outcome of create-or-open.
enum class Disposition { CreatedNewKey = 1, OpenedExistingKey = 2 };

std::string_view rootName(Root root);  // "HKEY_LOCAL_MACHINE", ...
// Accepts HKLM, HKCU, HKCR and the long names, without regard to case.
bool parseRoot(std::string_view text, Root& out);
std::string_view typeName(ValueType type);  // "REG_DWORD", ...

}  // namespace veilport::registry
