#pragma once

// The check a user can run to see that anonymity holds: the Gateway listens on
// LocalPort, the system proxy, the desktop's proxy settings and every switched
// browser file name that port, and the upstream proxy answers. Each line says
// what was checked, whether it held, and why not.

#include <string>
#include <vector>

#include "proxypool/ConnectTime.h"

namespace veilport::services {

struct CheckLine {
    std::string what;
    bool held = false;
    std::string why;  // empty when it held
};

// `measure` makes the connections (the Gateway's port, the upstream).
std::vector<CheckLine> CheckAnonymity(const proxypool::ConnectMeasure& measure);

bool AllHeld(const std::vector<CheckLine>& lines);

// One line as the command line and the window show it: "done    what", or
// "failed  what: why".
std::string CheckLineText(const CheckLine& line);

}  // namespace veilport::services
