#pragma once

// MyProxies.txt on disk: the tested list's file in the folder named by AppPath.
// A missing file is an empty list. A file that exists but cannot be read whole
// is never replaced: its proxies would be lost to a list that looked empty, so
// loading reports it and saving or appending refuses. The same holds for a
// file too large to be a list (past either cap below): it is read in pieces
// and refused as soon as it passes a cap, so it never costs more memory than
// the rows of a list that size. Writes replace the file
// atomically, so a crash leaves either the old or the new list, never half.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "proxypool/TestedProxyList.h"

namespace veilport::proxypool {

inline constexpr std::string_view kMyProxiesFileName = "MyProxies.txt";
// The file-error message, %1 standing for the path.
inline constexpr std::string_view kAccessDeniedMessage = "Access to %1 was denied.";

// A file or a line larger than this is not a list of proxies.
inline constexpr std::size_t kLargestMyProxiesFile = 16u << 20;
inline constexpr std::size_t kLongestMyProxiesLine = 4096;
// %1 stands for the path, %2 for the line number.
inline constexpr std::string_view kMyProxiesTooLargeMessage =
    "%1 is larger than 16 MiB, too large to be a list of proxies. It was not read and "
    "is left as it is.";
inline constexpr std::string_view kMyProxiesLineTooLongMessage =
    "Line %2 of %1 is longer than 4 KiB, too long to be a proxy. The file was not read and "
    "is left as it is.";

// The outcome of a read or write: on failure, the message to show the user.
struct FileWriteResult {
    bool ok = true;
    std::string message;
};
using FileResult = FileWriteResult;

// AppPath/MyProxies.txt; the Veilport home stands in while AppPath is unset.
std::filesystem::path MyProxiesPath();

// The whole file; the empty text when there is none; nullopt when it exists
// but cannot be read whole (no permission, a folder in its place, a read
// error, past a cap).
std::optional<std::string> ReadMyProxies();
// The same, saying why a file was refused.
[[nodiscard]] FileResult ReadMyProxiesChecked(std::string& content);

// Replaces the rows of the list with the lines of the file. A file that cannot
// be read leaves the list empty and is reported ("Access to %1 was denied.",
// or the cap it passed).
FileResult LoadTestedProxies(TestedProxyList& list);

// Writes every row ("address->country"), replacing the file. With no rows the
// file becomes empty. Refused, the file untouched, when it cannot be read.
[[nodiscard]] FileWriteResult SaveTestedProxies(const TestedProxyList& list);

// Adds one entry text as a line at the end of the file, keeping every line.
// Refused, the file untouched, when the existing file cannot be read whole.
[[nodiscard]] FileWriteResult AppendTestedProxy(std::string_view entry);

// Writes text to path through a temporary file in the same folder and a rename.
[[nodiscard]] FileWriteResult replaceFileAtomically(const std::filesystem::path& path,
                                                    std::string_view text);

}  // namespace veilport::proxypool
