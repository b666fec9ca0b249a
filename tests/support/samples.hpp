#pragma once
// Real camera files from the shared sample folder ($TAVRIN_SAMPLES, else beside the checkout).
// Tests that need one skip with a clear message when the folder is missing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tavrin::test {

inline std::filesystem::path samplesDir() {
    const char* env = std::getenv("TAVRIN_SAMPLES");
    return env && *env ? env : TAVRIN_DEFAULT_SAMPLES;
}

inline std::filesystem::path sample(const std::filesystem::path& relative) {
    return samplesDir() / relative;
}

}  // namespace tavrin::test

// Skips the current test when a sample file is missing.
#define TAVRIN_REQUIRE_SAMPLE(path)                                                            \
    do {                                                                                       \
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "sample file missing: " << (path); \
    } while (0)
