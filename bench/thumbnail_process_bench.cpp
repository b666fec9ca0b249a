// `tavrin thumbnail -s 256` as a file manager runs it, one process per file: a CR3 file against a
// CR2 file holding a preview of the same size. The CR3 file also carries 24 MB standing for its
// sensor data, which the box reader must pass over without reading.
// Usage: tavrin_thumbnail_process_bench [benchmark options]

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/fixtures/sample_files.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using tavrin::fixtures::Bytes;

constexpr int kPreviewWidth = 1620, kPreviewHeight = 1080;
constexpr std::size_t kRawBytes = 24u << 20;

struct Files {
    fs::path dir, cr3, cr2;
};

int run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const Files& files() {
    static const Files written = [] {
        Files f;
        f.dir =
            fs::temp_directory_path() / ("tavrin-thumbnail-bench-" + std::to_string(::getpid()));
        fs::create_directories(f.dir / "registry");
        ::setenv("TAVRIN_REGISTRY_DIR", (f.dir / "registry").c_str(), 1);
        run({TAVRIN_HOST_PATH, "register"});
        const Bytes preview = tavrin::fixtures::jpeg(kPreviewWidth, kPreviewHeight);
        f.cr3 = f.dir / "IMG_0001.CR3";
        tavrin::fixtures::writeFile(f.cr3, tavrin::fixtures::cr3WithPreview(preview, kRawBytes));
        f.cr2 = f.dir / "IMG_0002.CR2";
        tavrin::fixtures::writeFile(
            f.cr2, tavrin::fixtures::tiffRaw("Canon", "Canon EOS 5D Mark IV", preview));
        return f;
    }();
    return written;
}

void BM_ThumbnailProcess(benchmark::State& state, bool cr3) {
    const Files& f = files();
    const std::string input = (cr3 ? f.cr3 : f.cr2).string();
    const std::string output = (f.dir / "thumbnail.png").string();
    for (auto _ : state) {
        if (run({TAVRIN_HOST_PATH, "thumbnail", "-s", "256", input, output}) != 0) {
            state.SkipWithError("tavrin thumbnail failed");
            break;
        }
    }
}
BENCHMARK_CAPTURE(BM_ThumbnailProcess, cr3, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ThumbnailProcess, cr2, false)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(files().dir, ec);
    return 0;
}
