// RAW decoding speed: the loaders on the sample files and on synthetic sensors, the colour steps
// on a synthetic 6-megapixel mosaic, and whole decodes as the thumbnails and the viewer run them
// (a Foveon X3F file among them).
// Rates are wall-clock: the colour steps use both cores on large pictures.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "bench/bench_samples.hpp"
#include "engine_settings/settings_learned_colours.hpp"
#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/colour/preview_fit.hpp"
#include "rawengine/loaders/lossless_jpeg.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/raw_engine.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/fixtures/foveon_encoder.hpp"
#include "tests/fixtures/raw_encoders.hpp"

namespace {

using namespace tavrin::raw;

std::filesystem::path firstSample(const std::string& extension) {
    const auto files = tavrin::bench::sampleFiles([&](const std::filesystem::path& p) {
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        return ext == extension && std::filesystem::file_size(p) > 1'000'000;
    });
    return files.empty() ? std::filesystem::path() : files.front();
}

void noStep(DecodeContext&) {}

// Brightness index 0, and colours learned in the settings store as the callers keep them (the
// benchmarks that decode whole pictures give themselves a registry of their own).
DecodeOptions learningOptions() {
    static tavrin::engine_settings::SettingsLearnedColours learned;
    DecodeOptions options;
    options.learnedColours = &learned;
    return options;
}

// Megapixels per second of the sensor area.
void countPixels(benchmark::State& state, std::int64_t pixels) {
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(pixels) * 1e-6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Only the loader runs: the other steps do nothing.
void BM_CanonCompressedLoad(benchmark::State& state) {
    const auto file = firstSample(".crw");
    if (file.empty()) return state.SkipWithError("no CRW sample");
    const Pipeline loaderOnly{loaderFor, noStep, noStep, noStep, noStep, noStep};
    std::int64_t pixels = 0;
    for (auto _ : state) {
        RawEngine engine(loaderOnly);
        int w = 0, h = 0;
        engine.OpenAndIdentify(file, &w, &h, nullptr, nullptr, nullptr, false);
        engine.OpenImageFile(file, nullptr, state.range(0) != 0, true, 0, DecodeOptions{});
        pixels = static_cast<std::int64_t>(w) * h;
    }
    countPixels(state, pixels);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_CanonCompressedLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A 12-bit sensor of 3000 x 2000 samples: gradients with noise, about as hard to code as a photo.
std::vector<std::uint16_t> sensorSamples() {
    std::vector<std::uint16_t> samples;
    samples.reserve(3000 * 2000);
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 12);
    for (int row = 0; row < 2000; ++row) {
        for (int col = 0; col < 3000; ++col) {
            const double value = 400 + (row * 3 + col) % 3000 + noise(random);
            samples.push_back(static_cast<std::uint16_t>(std::clamp(value, 0.0, 4095.0)));
        }
    }
    return samples;
}

// One loader over a file in memory, at full size.
void runLoader(benchmark::State& state, StageFn loader, const std::vector<std::uint8_t>& file,
               std::uint64_t curveOffset = 0) {
    // Data at the start; a Nikon curve block, if any, behind it.
    DecodeState s;
    s.geometry.rawHeight = s.geometry.height = s.geometry.workHeight = 2000;
    s.geometry.rawWidth = s.geometry.width = s.geometry.workWidth = 3000;
    s.sensor.filterPattern = 0x94949494;
    s.container.nikonCurveOffset = curveOffset;
    s.container.compression = 1;
    for (std::size_t i = 0; i < s.colour.toneCurve.size(); ++i)
        s.colour.toneCurve[i] = static_cast<std::uint16_t>(i);
    s.image = allocateImage(3000 * 2000 * 4);
    tavrin::formats::FileReader reader;
    reader.openMemory(file);
    reader.setOrder(tavrin::formats::kBigEndian);
    BitReader bits(reader);
    HuffmanPool pool;
    for (auto _ : state) {
        reader.seek(0);
        DecodeContext ctx{s, reader, bits, pool, nullptr};
        loader(ctx);
    }
    countPixels(state, 3000 * 2000);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

void BM_LosslessJpegLoad(benchmark::State& state) {
    static const auto file = tavrin::fixtures::losslessJpeg(12, 1500, 2000, 2, sensorSamples());
    runLoader(state, loadLosslessJpegRaw, file);
}
BENCHMARK(BM_LosslessJpegLoad)->Unit(benchmark::kMillisecond);

void BM_NikonCompressedLoad(benchmark::State& state) {
    static const auto coded = [] {
        std::vector<std::uint16_t> curve(4096);
        for (std::size_t i = 0; i < curve.size(); ++i)
            curve[i] = static_cast<std::uint16_t>(i);
        return tavrin::fixtures::nikonCompressed(3000, 2000, sensorSamples(), curve);
    }();
    static const auto file = [] {
        auto bytes = coded.data;
        bytes.insert(bytes.end(), coded.curveBlock.begin(), coded.curveBlock.end());
        return bytes;
    }();
    runLoader(state, loadNikonCompressedRaw, file, coded.data.size());
}
BENCHMARK(BM_NikonCompressedLoad)->Unit(benchmark::kMillisecond);

void BM_PackedLoad(benchmark::State& state) {
    static const auto file = [] {
        tavrin::fixtures::BitWriter bits(false);
        for (std::uint16_t v : sensorSamples())
            bits.put(v, 12);
        return bits.finish();
    }();
    runLoader(state, loadNikonPackedRaw, file);
}
BENCHMARK(BM_PackedLoad)->Unit(benchmark::kMillisecond);

void BM_UnpackedLoad(benchmark::State& state) {
    static const auto file = [] {
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t v : sensorSamples())
            bytes.insert(bytes.end(),
                         {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
        return bytes;
    }();
    runLoader(state, loadUnpackedRaw, file);
}
BENCHMARK(BM_UnpackedLoad)->Unit(benchmark::kMillisecond);

// A Foveon sensor of 2268 x 1512 pixels (3.4 megapixels) of three channels: ramps of varying
// slope with noise, coded as the camera codes its rows.
constexpr int kFoveonWidth = 2268, kFoveonHeight = 1512;
const std::vector<std::uint8_t>& foveonData() {
    static const auto coded = [] {
        std::vector<std::uint16_t> samples;
        samples.reserve(std::size_t{kFoveonWidth} * kFoveonHeight * 3);
        std::mt19937 random(5);
        std::normal_distribution<double> noise(0, 12);
        for (int row = 0; row < kFoveonHeight; ++row) {
            for (int col = 0; col < kFoveonWidth; ++col) {
                for (int c = 0; c < 3; ++c) {
                    const double value = 300 + c * 500 + col * (1 + row % 4) + noise(random);
                    samples.push_back(static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0)));
                }
            }
        }
        return tavrin::fixtures::foveonCoded(kFoveonWidth, kFoveonHeight, samples);
    }();
    return coded;
}

// The loader alone; bytes are those of the coded data.
void BM_FoveonLoad(benchmark::State& state) {
    const auto& file = foveonData();
    DecodeState s;
    s.geometry.height = s.geometry.workHeight = kFoveonHeight;
    s.geometry.width = s.geometry.workWidth = kFoveonWidth;
    s.image = allocateImage(std::size_t{kFoveonWidth} * kFoveonHeight * 4);
    tavrin::formats::FileReader reader;
    reader.openMemory(file);
    BitReader bits(reader);
    HuffmanPool pool;
    for (auto _ : state) {
        DecodeContext ctx{s, reader, bits, pool, nullptr};
        loadFoveonRaw(ctx);
    }
    countPixels(state, std::int64_t{kFoveonWidth} * kFoveonHeight);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_FoveonLoad)->Unit(benchmark::kMillisecond);

// A metadata block with every correction the pipeline applies: dark drift per row, column
// filter, layer scales, chroma noise level, tone curves and spatial gains.
tavrin::fixtures::Bytes foveonCalibration() {
    using namespace tavrin::fixtures;
    constexpr std::uint32_t kFloat32 = 4;
    std::vector<float> drift(std::size_t{kFoveonHeight} * 3, -2.0f);
    std::vector<float> columns(std::size_t{kFoveonWidth}, 1.01f);
    std::vector<float> grid(8 * 12 * 3, 1.05f);
    Bytes out;
    for (const Bytes& block : {
             camfMatrix("DarkDrift", kFloat32, {kFoveonHeight, 3}, camfFloats(drift)),
             camfMatrix("ColumnFilter", kFloat32, {kFoveonWidth}, camfFloats(columns)),
             camfMatrix("ChromaDQ", kFloat32, {1}, camfFloats({40})),
             camfMatrix("ColorDQ", kFloat32, {3}, camfFloats({1, 1.02f, 0.98f})),
             camfParameters("ToneCurves", {{"All", "0 0, 0.1 0.08, 0.5 0.48, 1 1"}}),
             camfMatrix("SpatialGain", kFloat32, {8, 12, 3}, camfFloats(grid)),
         })
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

// The whole decode of an X3F file to a bitmap (asked for at half size, as thumbnails are).
void BM_DecodeX3f(benchmark::State& state) {
    static const auto camf = foveonCalibration();
    static const auto file =
        tavrin::fixtures::x3f({{"CAMMANUF", "SIGMA"}, {"CAMMODEL", "SD10"}}, kFoveonWidth,
                              kFoveonHeight, foveonData(), &camf);
    for (auto _ : state) {
        RawEngine engine;
        engine.identifyMemory(file, "IMG.X3F");
        engine.OpenImageFile("IMG.X3F", nullptr, true, true, 0, DecodeOptions{});
        benchmark::DoNotOptimize(engine.CreateGdiplusBitmap());
    }
    countPixels(state, std::int64_t{kFoveonWidth} * kFoveonHeight);
}
BENCHMARK(BM_DecodeX3f)->Unit(benchmark::kMillisecond)->UseRealTime();

// Whole decodes to a bitmap: 1 = half size, 2 = full size bilinear, 3 = full size VNG.
void BM_DecodeCrw(benchmark::State& state) {
    const auto file = firstSample(".crw");
    if (file.empty()) return state.SkipWithError("no CRW sample");
    const tavrin::bench::OwnRegistry registry;
    const int quality = static_cast<int>(state.range(0));
    std::int64_t pixels = 0;
    for (auto _ : state) {
        RawEngine engine;
        int w = 0, h = 0;
        engine.OpenAndIdentify(file, &w, &h, nullptr, nullptr, nullptr, false);
        engine.OpenImageFile(file, nullptr, quality == 1, quality == 2, 1, learningOptions());
        benchmark::DoNotOptimize(engine.CreateGdiplusBitmap());
        pixels = static_cast<std::int64_t>(w) * h;
    }
    countPixels(state, pixels);
}
BENCHMARK(BM_DecodeCrw)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Half-size decodes of a camera without matrix numbers: 0 without the colour-from-preview step
// (colours as the tables leave them), 1 the first decode of a model nothing was learned of (a fit
// to the file's preview and the synced write of what it learned; the store is emptied before
// every iteration), 2 with the model already learned (no fit).
void BM_HalfDecodeColourFromPreview(benchmark::State& state) {
    const auto file = firstSample(".crw");
    if (file.empty()) return state.SkipWithError("no CRW sample");
    const tavrin::bench::OwnRegistry registry;
    Pipeline pipeline = builtInPipeline();
    if (state.range(0) == 0) pipeline.colourFromPreview = nullptr;
    const auto decode = [&] {
        RawEngine engine(pipeline);
        engine.OpenAndIdentify(file, nullptr, nullptr, nullptr, nullptr, nullptr, false);
        engine.OpenImageFile(file, nullptr, true, false, 1, learningOptions());
        benchmark::DoNotOptimize(engine.CreateGdiplusBitmap());
    };
    for (int i = 0; state.range(0) == 2 && i < 3; ++i)
        decode();
    for (auto _ : state) {
        if (state.range(0) == 1) {
            state.PauseTiming();
            registry.clear();
            state.ResumeTiming();
        }
        decode();
    }
}
BENCHMARK(BM_HalfDecodeColourFromPreview)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The fit alone, on a 64 x 48 pair of random flat patches.
void BM_FitColourMatrix(benchmark::State& state) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> channel(0.05f, 0.5f);
    FitPicture camera{64, 48, std::vector<float>(64 * 48 * 3)};
    FitPicture preview = camera;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * 64 + x) * 3;
            if (x % 8 == 0 && y % 8 == 0) {
                for (int c = 0; c < 3; ++c)
                    camera.values[i + c] = channel(random);
            } else {
                const std::size_t from = (static_cast<std::size_t>(y - y % 8) * 64 + x - x % 8) * 3;
                std::copy_n(camera.values.begin() + static_cast<std::ptrdiff_t>(from), 3,
                            camera.values.begin() + static_cast<std::ptrdiff_t>(i));
            }
            const float* c = &camera.values[i];
            preview.values[i] = 1.4f * c[0] - 0.3f * c[1] + 0.1f * c[2];
            preview.values[i + 1] = -0.2f * c[0] + 1.3f * c[1] + 0.1f * c[2];
            preview.values[i + 2] = 0.1f * c[0] - 0.4f * c[1] + 1.5f * c[2];
        }
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(fitColourMatrix(camera, preview));
}
BENCHMARK(BM_FitColourMatrix)->Unit(benchmark::kMicrosecond);

// A 3000 x 2000 Bayer mosaic of smooth gradients with noise, as a loader leaves it.
DecodeState mosaic() {
    DecodeState s;
    s.geometry.height = 2000;
    s.geometry.width = 3000;
    s.sensor.filterPattern = 0x94949494;
    s.sensor.clipLevel = 65535;
    s.image = allocateImage(3000 * 2000 * 4);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> noise(0, 2000);
    for (int row = 0; row < 2000; ++row) {
        for (int col = 0; col < 3000; ++col) {
            const int value = (row * 7 + col * 11) % 40000 + noise(random);
            s.image[(static_cast<std::size_t>(row) * 3000 + col) * 4 + s.colourAt(row, col)] =
                static_cast<std::uint16_t>(value);
        }
    }
    return s;
}

void BM_Interpolate(benchmark::State& state) {
    const DecodeState source = mosaic();
    DecodeState s = mosaic();
    s.options.quickInterpolate = state.range(0) == 0;
    tavrin::formats::FileReader file;
    BitReader bits(file);
    HuffmanPool pool;
    for (auto _ : state) {
        state.PauseTiming();
        std::copy_n(source.image.get(), 3000 * 2000 * 4, s.image.get());
        state.ResumeTiming();
        DecodeContext ctx{s, file, bits, pool, nullptr};
        vngInterpolate(ctx);
    }
    countPixels(state, 3000 * 2000);
}
BENCHMARK(BM_Interpolate)
    ->ArgName("vng")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ConvertToRgb(benchmark::State& state) {
    DecodeState s = mosaic();
    s.sensor.useColourMatrix = true;
    s.colour.colourMatrix[0][0] = s.colour.colourMatrix[1][1] = s.colour.colourMatrix[2][2] = 1;
    tavrin::formats::FileReader file;
    BitReader bits(file);
    HuffmanPool pool;
    for (auto _ : state) {
        DecodeContext ctx{s, file, bits, pool, nullptr};
        convertToRgb(ctx);
    }
    countPixels(state, 3000 * 2000);
}
BENCHMARK(BM_ConvertToRgb)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
