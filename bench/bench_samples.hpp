#pragma once
// The sample files the benchmarks run over: $TAVRIN_SAMPLES, else the folder beside the checkout.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tavrin::bench {

inline std::vector<std::filesystem::path> sampleFiles(
    const std::function<bool(const std::filesystem::path&)>& wanted) {
    const char* env = std::getenv("TAVRIN_SAMPLES");
    const std::filesystem::path dir = env && *env ? env : TAVRIN_DEFAULT_SAMPLES;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && wanted(it->path())) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A settings store of the benchmark's own while it lives: what decodes learn of cameras never
// reaches the user's.
class OwnRegistry {
  public:
    OwnRegistry()
        : dir_(std::filesystem::temp_directory_path() /
               ("tavrin-bench-registry-" + std::to_string(::getpid()))) {
        ::setenv("TAVRIN_REGISTRY_DIR", dir_.c_str(), 1);
    }
    OwnRegistry(const OwnRegistry&) = delete;
    OwnRegistry& operator=(const OwnRegistry&) = delete;
    ~OwnRegistry() {
        clear();
        ::unsetenv("TAVRIN_REGISTRY_DIR");
    }
    // Forgets everything stored.
    void clear() const {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

  private:
    std::filesystem::path dir_;
};

}  // namespace tavrin::bench
