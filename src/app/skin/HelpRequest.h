#pragma once

#include <functional>

namespace veilport::skin {

// What F1 does in the program's windows: open the help file. The main window
// installs the handler; until it does, F1 does nothing.
void setHelpHandler(std::function<void()> handler);
void requestHelp();

}  // namespace veilport::skin
