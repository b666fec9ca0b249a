// The registry's text format: parse anything, write it back, parse that again.

#include <cstdint>
#include <string_view>

#include "platform/registry/reg_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = tavrin::registry::parseRegFile(text, "HKEY_CURRENT_USER");
    const std::string written = tavrin::registry::formatRegFile(parsed.root, "HKEY_CURRENT_USER");
    const auto again = tavrin::registry::parseRegFile(written, "HKEY_CURRENT_USER");
    // What was written back must read back without a problem.
    if (!again.problems.empty()) __builtin_trap();
    return 0;
}
