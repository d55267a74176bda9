#pragma once

// MyProxies.txt on disk: the tested list's file in the folder named by AppPath.
// Reads treat a missing or unreadable file as empty. Writes replace the file
// atomically, so a crash leaves either the old or the new list, never half.

#include <filesystem>
#include <string>
#include <string_view>

#include "proxypool/TestedProxyList.h"

namespace veilport::proxypool {

inline constexpr std::string_view kMyProxiesFileName = "MyProxies.txt";
// The file-error message, %1 standing for the path.
inline constexpr std::string_view kAccessDeniedMessage = "Access to %1 was denied.";

// The outcome of a write: on failure, the message to show the user.
struct FileWriteResult {
    bool ok = true;
    std::string message;
};

// AppPath/MyProxies.txt; the Veilport home stands in while AppPath is unset.
std::filesystem::path MyProxiesPath();

// The whole file, or the empty text when it cannot be read.
std::string ReadMyProxies();

// Replaces the rows of the list with the lines of the file.
void LoadTestedProxies(TestedProxyList& list);

// Writes every row ("address->country"), replacing the file. With no rows the
// file becomes empty.
[[nodiscard]] FileWriteResult SaveTestedProxies(const TestedProxyList& list);

// Adds one entry text as a line at the end of the file, keeping every line.
[[nodiscard]] FileWriteResult AppendTestedProxy(std::string_view entry);

// Writes text to path through a temporary file in the same folder and a rename.
[[nodiscard]] FileWriteResult ReplaceFileAtomically(const std::filesystem::path& path,
                                                    std::string_view text);

}  // namespace veilport::proxypool
