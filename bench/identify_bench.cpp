// Identification speed: OpenAndIdentify runs for every thumbnail and tip, so it must stay well
// under a millisecond per file once the file is in the page cache.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_samples.hpp"
#include "rawengine/raw_engine.hpp"

namespace {

std::vector<std::filesystem::path> rawSamples() {
    return tavrin::bench::sampleFiles([](const std::filesystem::path& p) {
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        for (const char* raw :
             {".crw", ".cr2", ".nef", ".mrw", ".raf", ".x3f", ".kdc", ".dng", ".raw", ".gpr"}) {
            if (ext == raw) return true;
        }
        return false;
    });
}

void BM_OpenAndIdentify(benchmark::State& state) {
    static const auto files = rawSamples();
    if (files.empty()) {
        state.SkipWithError("no sample files");
        return;
    }
    for (auto _ : state) {
        for (const auto& file : files) {
            tavrin::raw::RawEngine engine;
            int w, h, r;
            benchmark::DoNotOptimize(
                engine.OpenAndIdentify(file, &w, &h, &r, nullptr, nullptr, true));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.size()));
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["per_file_us"] =
        benchmark::Counter(static_cast<double>(state.iterations() * files.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(BM_OpenAndIdentify)->Unit(benchmark::kMillisecond);

}  // namespace
