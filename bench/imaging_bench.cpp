// Imaging speed: decoding a camera's JPEG at full size and with DCT scaling, and the
// high-quality downscale that every thumbnail ends with.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "platform/imaging/decode.hpp"
#include "platform/imaging/graphics.hpp"
#include "platform/system/files.hpp"

namespace {

using namespace tavrin;
using namespace tavrin::imaging;

// A full camera JPEG (2592 x 1944).
const std::vector<std::uint8_t>& cameraJpeg() {
    static const auto bytes = [] {
        const char* env = std::getenv("TAVRIN_SAMPLES");
        const std::filesystem::path dir = env && *env ? env : TAVRIN_DEFAULT_SAMPLES;
        return files::readBytes(dir / "digicam_corpus/Canon/PowerShot S70/IMG_4204.JPG")
            .value_or(std::vector<std::uint8_t>{});
    }();
    return bytes;
}

// Arg: the reduction (1, 2, 4, 8).
void BM_JpegDecode(benchmark::State& state) {
    const auto& data = cameraJpeg();
    if (data.empty()) {
        state.SkipWithError("sample file missing");
        return;
    }
    const int reduction = static_cast<int>(state.range(0));
    const DecodeOptions options{2592 / reduction, 1944 / reduction, true};
    for (auto _ : state) {
        auto decoded = decodeImage(data, reduction == 1 ? DecodeOptions{} : options);
        if (decoded.status != Status::Ok) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(decoded.bitmap);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_JpegDecode)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

// A picture of sourceWidth x sourceHeight drawn into targetWidth x targetHeight, bicubic.
void runScale(benchmark::State& state, int sourceWidth, int sourceHeight, int targetWidth,
              int targetHeight) {
    auto source = Bitmap::create(sourceWidth, sourceHeight);
    for (int y = 0; y < source->height(); ++y) {
        std::uint8_t* p = source->row(y);
        for (int x = 0; x < source->width() * 3; ++x)
            p[x] = static_cast<std::uint8_t>(x ^ y);
    }
    auto target = Bitmap::create(targetWidth, targetHeight);
    const RectF box{0, 0, static_cast<float>(targetWidth), static_cast<float>(targetHeight)};
    for (auto _ : state) {
        Graphics g(*target);
        g.setInterpolationMode(InterpolationMode::HighQualityBicubic);
        g.drawImage(*source, box);
        benchmark::DoNotOptimize(target->row(0));
    }
}

void BM_BicubicDownscale(benchmark::State& state) {
    runScale(state, 6000, 4000, 256, 171);
}
BENCHMARK(BM_BicubicDownscale)->Unit(benchmark::kMillisecond);

// A decoded preview (its width as the argument, 4:3) brought to a thumbnail of 256 x 192.
void BM_ThumbnailScale(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    runScale(state, width, width * 3 / 4, 256, 192);
}
BENCHMARK(BM_ThumbnailScale)->Arg(160)->Arg(320)->Arg(800)->Unit(benchmark::kMicrosecond);

}  // namespace
