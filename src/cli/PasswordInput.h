#pragma once

#include <iosfwd>
#include <string>

namespace veilport::cli {

// One password from standard input: its first line without the line end. On
// a terminal the person is asked ("Password: " on `prompt`) and what they type
// is not shown. Passwords never come from the arguments, which every user of
// the machine can read.
std::string ReadPasswordLine(std::istream& in, std::ostream* prompt = nullptr);

}  // namespace veilport::cli
