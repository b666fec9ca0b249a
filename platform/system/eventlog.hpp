#pragma once
// The application event log: syslog(3) with ident "Tavrin" at LOG_ERR, the text behind the
// HRESULT as 0x%08X; entries are also appended to the file $TAVRIN_EVENTLOG names.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin::eventlog {

void reportError(std::int32_t hresult, std::string_view text);

// "0x80004005 text" as an entry reads.
std::string formatEntry(std::int32_t hresult, std::string_view text);

}  // namespace tavrin::eventlog
