#include "platform/system/eventlog.hpp"

#include <syslog.h>

#include <cstdio>
#include <cstdlib>

namespace tavrin::eventlog {

std::string formatEntry(std::int32_t hresult, std::string_view text) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X ", static_cast<unsigned>(hresult));
    return code + std::string(text);
}

void reportError(std::int32_t hresult, std::string_view text) {
    const std::string entry = formatEntry(hresult, text);
    ::openlog("Tavrin", LOG_PID, LOG_USER);
    ::syslog(LOG_ERR, "%s", entry.c_str());
    ::closelog();
    const char* file = std::getenv("TAVRIN_EVENTLOG");
    if (!file || !*file) return;
    if (std::FILE* f = std::fopen(file, "a")) {
        std::fprintf(f, "%s\n", entry.c_str());
        std::fclose(f);
    }
}

}  // namespace tavrin::eventlog
