// The RAW engine's whole decode over any bytes: identification, the loader it chooses and the
// colour steps, at the size and quality the input's last byte picks, to a finished bitmap.

#include <cstdint>
#include <vector>

#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned mode = data[size - 1];
    const char* path = "/nonexistent/IMG_0001.RAW";
    tavrin::raw::RawEngine engine;
    tavrin::raw::DecodeOptions options;
    options.brightnessIndex = static_cast<int>(mode >> 4) - 8;
    engine.identifyMemory(std::vector<std::uint8_t>(data, data + size), path);
    if (!engine.state().supported) return 0;
    try {
        if (engine.OpenImageFile(path, nullptr, mode & 1, mode & 2, (mode >> 2) % 3, options) ==
            tavrin::com::S_OK) {
            engine.CreateGdiplusBitmap();
        }
    } catch (const tavrin::raw::CImageLoaderException&) {
        // Out of memory is a clean failure.
    }
    return 0;
}
