// The RAW engine's whole decode over any bytes: identification, the loader it chooses and the
// colour steps, at the size and quality the input's last byte picks, to a finished bitmap.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"

namespace {

// What decodes learn of cameras goes to a registry of the run's own, never the user's.
class OwnRegistry {
  public:
    OwnRegistry()
        : dir_(std::filesystem::temp_directory_path() /
               ("tavrin-fuzz-registry-" + std::to_string(::getpid()))) {
        ::setenv("TAVRIN_REGISTRY_DIR", dir_.c_str(), 1);
    }
    ~OwnRegistry() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

  private:
    std::filesystem::path dir_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const OwnRegistry registry;
    if (size == 0) return 0;
    const unsigned mode = data[size - 1];
    const char* path = "/nonexistent/IMG_0001.RAW";
    tavrin::raw::RawEngine engine;
    engine.setBrightnessIndex(static_cast<int>(mode >> 4) - 8);
    engine.identifyMemory(std::vector<std::uint8_t>(data, data + size), path);
    if (!engine.state().supported) return 0;
    try {
        if (engine.OpenImageFile(path, nullptr, mode & 1, mode & 2, (mode >> 2) % 3) ==
            tavrin::com::S_OK) {
            engine.CreateGdiplusBitmap();
        }
    } catch (const tavrin::raw::CImageLoaderException&) {
        // Out of memory is a clean failure.
    }
    return 0;
}
