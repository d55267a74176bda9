#pragma once

#include <filesystem>

namespace veilport::app {

// The compiled help is a Qt Help collection, "Veilport.qhc", with its
// documentation file "Veilport.qch".
inline constexpr const char* kHelpCollectionName = "Veilport.qhc";
inline constexpr const char* kHelpDocumentationName = "Veilport.qch";
inline constexpr const char* kHelpNamespace = "org.veilport.help";
inline constexpr const char* kHelpDefaultPage = "qthelp://org.veilport.help/doc/Introduction.htm";

// Where the program's help is shipped: the installed share folder beside the
// executable (../share/veilport) when it holds the collection, else the build
// folder the program was built in. Empty when neither holds it.
std::filesystem::path ShippedHelpFolder();

// The help file in the folder named by AppPath, copied there from the shipped
// help when it is missing or older (the help engine writes its search index
// beside the collection, so the collection must lie somewhere writable).
// Read afresh on every call. Empty when there is no help to open.
std::filesystem::path HelpFile();

}  // namespace veilport::app
