#pragma once
// The sample files the benchmarks run over: $TAVRIN_SAMPLES, else the folder beside the checkout.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

}  // namespace tavrin::bench
