#pragma once

// The text format of MyProxies.txt, as pure functions over its bytes. One proxy
// entry text per line. Lines written by a save always hold "->" (address, "->",
// country); a line added by an append is the adopted entry as it was. An empty
// line is a row with an empty address. Lines are written with LF; CR, LF and CR
// LF all end a line on reading.
//
// Nothing is cut: every line of the content counts, and a last line without a
// line break is a line like any other, so that a hand-edited file never loses
// its last proxy to a load followed by a save. (Files too large to be a list
// are refused whole when read, never cut: MyProxiesFile.)

#include <string>
#include <string_view>
#include <vector>

#include "proxypool/ProxyRecord.h"

namespace veilport::proxypool {

// The lines of the content, without their CR, LF or CR LF.
std::vector<std::string_view> MyProxiesLines(std::string_view content);

// One line as a row: address and country split at the first "->" (the whole
// line is the address without one), response time "Not Tested".
ProxyRecord RecordFromLine(std::string_view line);

std::vector<ProxyRecord> ParseMyProxies(std::string_view content);

// The file text that holds the rows: address, "->", country and LF for each.
std::string FormatMyProxies(const std::vector<ProxyRecord>& rows);

// The file text after adding one entry: every line of the content, then the
// entry, each followed by LF.
std::string AppendMyProxiesLine(std::string_view content, std::string_view entry);

}  // namespace veilport::proxypool
