// The image info reader per file over the sample folder: without the preview (tips, columns,
// icons) and with it (thumbnails). Compare whole processes with bench/compare_metadata.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/bench_samples.hpp"
#include "shellext/info/image_info_reader.hpp"

namespace {

std::vector<std::filesystem::path> sampleFiles() {
    return tavrin::bench::sampleFiles(
        [](const std::filesystem::path& p) { return p.extension() != ".md"; });
}

void BM_ReadImageInfo(benchmark::State& state) {
    static const auto files = sampleFiles();
    if (files.empty()) {
        state.SkipWithError("no sample files");
        return;
    }
    const bool preview = state.range(0) != 0;
    for (auto _ : state) {
        for (const auto& file : files) {
            tavrin::shell::ImageInfo info;
            info.filePath = file.string();
            benchmark::DoNotOptimize(tavrin::shell::ReadImageInfo(info, preview));
        }
    }
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["per_file"] =
        benchmark::Counter(static_cast<double>(state.iterations() * files.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadImageInfo)->Arg(0)->Arg(1)->ArgName("preview")->Unit(benchmark::kMillisecond);

}  // namespace
