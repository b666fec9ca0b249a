#include "rawengine/raw_engine.hpp"

#include <cmath>
#include <cstdio>
#include <new>

#include "rawengine/identify/identify.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_limits.hpp"

namespace tavrin::raw {
namespace {

using com::E_FAIL;
using com::E_NOTIMPL;
using com::S_OK;

// A stage that tells nothing more of the file.
DecodeStatus stageOnly(DecodeStage stage) {
    return {stage, {}, {}, {}};
}

}  // namespace

RawEngine::RawEngine() : RawEngine(builtInPipeline()) {}

RawEngine::RawEngine(const Pipeline& pipeline) : pipeline_(pipeline) {
    ResetSession();
}

RawEngine::~RawEngine() = default;

void RawEngine::ResetSession() {
    file_.close();
    state_ = DecodeState{};
    progress_ = nullptr;
}

void RawEngine::identify() {
    DecodeContext ctx{state_, file_, bits_, huffman_, nullptr};
    identifyCamera(ctx);
}

HRESULT RawEngine::OpenAndIdentify(const std::filesystem::path& path, int* outWidth, int* outHeight,
                                   int* outRotation, std::string* makeOut, std::string* modelOut,
                                   bool closeAfter) {
    if (const auto error = file_.open(path)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error->c_str());
        return E_FAIL;
    }
    state_.fileName = path.string().substr(0, 260);
    identify();
    const Geometry& g = state_.geometry;
    int w = g.rawWidth, h = g.rawHeight;
    if (g.width && g.height) {
        w = g.width, h = g.height;
    } else if (g.workWidth || g.workHeight) {
        w = g.workWidth, h = g.workHeight;
    }
    if (outWidth) *outWidth = w;
    if (outHeight) *outHeight = h;
    if (outRotation) *outRotation = state_.container.rotationDegrees;
    if (makeOut) *makeOut = state_.id.make;
    if (modelOut) *modelOut = state_.id.model;
    if (closeAfter) file_.close();
    return S_OK;
}

void RawEngine::identifyMemory(std::vector<std::uint8_t> bytes, const std::filesystem::path& path) {
    file_.openMemory(std::move(bytes));
    state_.fileName = path.string().substr(0, 260);
    identify();
}

bool RawEngine::shouldContinue() const {
    return !progress_ || progress_->ShouldContinue();
}

HRESULT RawEngine::cancel() {
    CloseFile();
    FreePixels();
    return E_FAIL;
}

HRESULT RawEngine::OpenImageFile(const std::filesystem::path& path, IDecodeProgress* progress,
                                 bool halfSize, bool quickInterpolate,
                                 std::uint32_t whiteBalanceOverride, const DecodeOptions& options) {
    progress_ = progress;
    DecodeState& s = state_;
    Geometry& g = s.geometry;

    // 1. Brightness: 1.2 raised to the index.
    s.colour.brightness = static_cast<float>(std::pow(1.2, options.brightnessIndex));

    // 2. Working size.
    s.options.quickInterpolate = quickInterpolate;
    s.options.colourFit = options.colourFit;
    g.halfShrink = halfSize && s.sensor.filterPattern != 0 ? 1 : 0;
    // In 64 bits: a hostile side may be the largest int (refused below, by its size).
    g.workHeight = static_cast<int>((std::int64_t{g.height} + g.halfShrink) >> g.halfShrink);
    g.workWidth = static_cast<int>((std::int64_t{g.width} + g.halfShrink) >> g.halfShrink);

    // 3. One zero-filled block for the pixels and the metadata area behind them.
    const std::uint64_t pixels = static_cast<std::uint64_t>(std::max(g.workHeight, 0)) *
                                 static_cast<std::uint64_t>(std::max(g.workWidth, 0));
    // Loaders walk the stored rows (rawWidth may count bytes): both sizes must fit the file.
    if (!rawSizeAllowed(g.height, g.width, file_.size()) ||
        !rawSizeAllowed(g.rawHeight, g.rawWidth, file_.size())) {
        s.supported = false;  // a size no file of this length can hold
    } else {
        const std::size_t words = pixels * 4 + (s.container.metaLength + 1) / 2;
        s.image = allocateImage(words);
        if (!s.image) throw CImageLoaderException::outOfMemory("OpenImageFile()");
        s.metaData = reinterpret_cast<std::uint8_t*>(s.image.get() + pixels * 4);
    }

    // 4. Tell the sink what is being loaded.
    if (progress_) {
        progress_->SetStatus({DecodeStage::Loading, s.id.make, s.id.model, path.native()}, 10);
        if (!progress_->ShouldContinue()) return cancel();
    }

    // 5. Nothing to load with.
    const StageFn loader =
        pipeline_.loaderFor && s.supported ? pipeline_.loaderFor(s.loader) : nullptr;
    const StageFn interpolate =
        s.sensor.isFoveon ? pipeline_.foveonInterpolate : pipeline_.vngInterpolate;
    if (!loader || !interpolate || !pipeline_.scaleColours || !pipeline_.fujiRotate ||
        !pipeline_.convertToRgb) {
        CloseFile();
        FreePixels();
        return E_NOTIMPL;
    }

    // 6, 7. Load the raw data at the working size.
    DecodeContext ctx{s, file_, bits_, huffman_, progress_, options.learnedColours};
    bits_.setZeroAfterFF(s.sensor.zeroAfterFF);
    try {
        loader(ctx);
    } catch (const std::bad_alloc&) {
        // A row or strip buffer: the memory error names the loader.
        throw CImageLoaderException::outOfMemory(std::string(loaderName(s.loader)) + "()");
    }
    if (!shouldContinue()) return cancel();

    // 8.
    g.height = g.workHeight;
    g.width = g.workWidth;

    if (s.sensor.isFoveon) {
        // 9.
        if (progress_) progress_->SetStatus(stageOnly(DecodeStage::FoveonInterpolation), 40);
        pipeline_.foveonInterpolate(ctx);
    } else {
        // 10. White balance, then scaling.
        const std::uint32_t mode = whiteBalanceOverride != kWhiteBalanceFromSettings
                                       ? whiteBalanceOverride
                                       : options.whiteBalanceMode;
        s.options.cameraWhiteBalance = mode == 1;
        s.options.autoWhiteBalance = mode == 2;
        if (pipeline_.colourFromPreview) pipeline_.colourFromPreview(ctx);
        pipeline_.scaleColours(ctx);
        // 11.
        if (!shouldContinue()) return cancel();
        // 12. Each working pixel of a half-size decode already holds all channels.
        if (g.halfShrink) s.sensor.filterPattern = 0;
        // 13.
        g.trim = 0;
        if (s.sensor.filterPattern) {
            g.trim = 1;
            if (progress_) {
                progress_->SetStatus(stageOnly(quickInterpolate ? DecodeStage::BilinearInterpolation
                                                                : DecodeStage::VngInterpolation),
                                     60);
            }
            pipeline_.vngInterpolate(ctx);
        }
    }
    // 14, 15.
    pipeline_.fujiRotate(ctx);
    CloseFile();
    // 16.
    if (progress_) {
        if (!progress_->ShouldContinue()) return cancel();
        progress_->SetStatus(stageOnly(DecodeStage::Converting), 90);
    }
    // 17, 18.
    pipeline_.convertToRgb(ctx);
    return S_OK;
}

void RawEngine::GetOutputSize(int* outWidth, int* outHeight) const {
    const Geometry& g = state_.geometry;
    if (outWidth) *outWidth = g.width - 2 * g.trim;
    if (outHeight) *outHeight = g.height - 2 * g.trim;
}

void RawEngine::FreePixels() {
    state_.image.reset();
    state_.metaData = nullptr;
}

void RawEngine::CloseFile() {
    file_.close();
}

}  // namespace tavrin::raw
