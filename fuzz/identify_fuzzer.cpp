// The RAW engine's identification and container parsers over any bytes, under a few file names
// (the companion-file rule looks at the name).

#include <cstdint>
#include <vector>

#include "rawengine/raw_engine.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrin::raw::RawEngine engine;
    engine.identifyMemory(std::vector<std::uint8_t>(data, data + size),
                          "/nonexistent/ABCD1234.RAW");
    const auto& s = engine.state();
    if (s.supported && (s.geometry.height <= 0 || s.loader == tavrin::raw::Loader::kNone))
        __builtin_trap();
    return 0;
}
