// The camera's colour conversion for cameras the matrix table has no numbers for: fitted from
// the file's own embedded preview, or taken from what fits of earlier files of the model taught.

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/imaging/decode.hpp"
#include "platform/imaging/resample.hpp"
#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/colour/learned_colours.hpp"
#include "rawengine/pixel_shape.hpp"

namespace tavrin::raw {
namespace {

// A preview smaller than this on its longer side is a placeholder, not a rendering to learn from.
constexpr int kMinPreviewSide = 160;
constexpr std::uint32_t kMaxPreviewLength = 32u << 20;
// The width of the pictures the fit compares: a few thousand pixels.
constexpr int kFitWidth = 64;
// The preview must show the raw picture's proportions (the same crop, the same orientation).
constexpr double kMaxAspectDifference = 0.05;
// A model learned from this many files is not fitted again.
constexpr int kEnoughFiles = 3;

// The preview's own bytes; nothing when the container names none that lie in the file.
std::optional<std::vector<std::uint8_t>> previewBytes(DecodeContext& ctx) {
    const Container& c = ctx.state.container;
    if (!c.previewLength || c.previewLength > kMaxPreviewLength ||
        c.previewOffset > ctx.file.size() || c.previewLength > ctx.file.size() - c.previewOffset) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(c.previewLength);
    ctx.file.seek(c.previewOffset);
    if (ctx.file.read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
    return bytes;
}

// The raw picture's width over its height as it is shown.
double rawAspect(const DecodeState& s) {
    if (const Stretch* stretch = stretchFor(s.id))
        return static_cast<double>(stretch->width) / stretch->height;
    return static_cast<double>(s.geometry.width) / s.geometry.height;
}

// Samples taken per block side: enough to average out noise, few enough to keep the fit cheap
// on a large sensor.
constexpr int kSamplesPerSide = 8;

// The working image averaged over blocks: black removed, white at 1, channels as loaded.
FitPicture cameraPicture(const DecodeState& s, int width, int height) {
    const Geometry& g = s.geometry;
    const double scale = std::max(s.sensor.whiteLevel - s.sensor.blackLevel, 1);
    // Steps stay odd, so that a mosaic's samples of every colour are met.
    const int rowStep = std::max(1, g.workHeight / height / kSamplesPerSide) | 1;
    const int colStep = std::max(1, g.workWidth / width / kSamplesPerSide) | 1;
    FitPicture out{width, height, std::vector<float>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        const int row0 = y * g.workHeight / height, row1 = (y + 1) * g.workHeight / height;
        for (int x = 0; x < width; ++x) {
            const int col0 = x * g.workWidth / width, col1 = (x + 1) * g.workWidth / width;
            double sum[3] = {};
            int count[3] = {};
            for (int row = row0; row < row1; row += rowStep) {
                for (int col = col0; col < col1; col += colStep) {
                    const std::uint16_t* pixel =
                        s.image.get() + (static_cast<std::size_t>(row) * g.workWidth + col) * 4;
                    for (int c = 0; c < 3; ++c) {
                        if (!pixel[c]) continue;
                        sum[c] += std::max(pixel[c] - s.sensor.blackLevel, 0);
                        ++count[c];
                    }
                }
            }
            float* value = &out.values[(static_cast<std::size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c)
                value[c] = count[c] ? static_cast<float>(sum[c] / count[c] / scale) : 0.0f;
        }
    }
    return out;
}

// The preview scaled to the fit's size, as linear light.
std::optional<FitPicture> previewPicture(const imaging::Bitmap& preview, int width, int height) {
    const auto small = imaging::resample(
        preview, {0, 0, static_cast<float>(preview.width()), static_cast<float>(preview.height())},
        width, height, imaging::Filter::Cubic);
    if (!small) return std::nullopt;
    FitPicture out{width, height, std::vector<float>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* bgr = small->row(y);
        for (int x = 0; x < width; ++x, bgr += 3) {
            float* value = &out.values[(static_cast<std::size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c)
                value[c] = previewToLinear(bgr[2 - c]);
        }
    }
    return out;
}

std::optional<ColourFit> fitFromPreview(DecodeContext& ctx) {
    const DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    // The 45-degree Fuji layout is not compared with its preview.
    if (g.fujiWidth || g.width <= 0 || g.height <= 0 || g.workWidth < kFitWidth)
        return std::nullopt;
    const auto bytes = previewBytes(ctx);
    if (!bytes) return std::nullopt;
    const auto probed = imaging::probeImage(*bytes);
    if (probed.status != imaging::Status::Ok || std::min(probed.width, probed.height) <= 0 ||
        std::max(probed.width, probed.height) < kMinPreviewSide) {
        return std::nullopt;
    }
    // Decoded at the smallest size the JPEG's own scaling gives of at least the fit's.
    const double storedAspect = static_cast<double>(probed.width) / probed.height;
    imaging::DecodeOptions options;
    options.minWidth = kFitWidth;
    options.minHeight = static_cast<int>(std::ceil(kFitWidth / storedAspect));
    options.applyColorProfile = false;
    const auto preview = imaging::decodeImage(*bytes, options).bitmap;
    if (!preview) return std::nullopt;
    const double previewAspect = static_cast<double>(preview->width()) / preview->height();
    if (std::fabs(std::log(previewAspect / rawAspect(s))) > kMaxAspectDifference)
        return std::nullopt;
    const int height = std::max(3, static_cast<int>(std::lround(kFitWidth / previewAspect)));
    if (height > g.workHeight || preview->width() < kFitWidth || preview->height() < height)
        return std::nullopt;
    const auto srgb = previewPicture(*preview, kFitWidth, height);
    if (!srgb) return std::nullopt;
    return fitColourMatrix(cameraPicture(s, kFitWidth, height), *srgb);
}

void useMatrix(DecodeState& s, const ColourFit& fit, MatrixSource source) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            s.colour.colourMatrix[r][c] = c < 3 ? fit.matrix[r][c] : 0.0f;
    }
    s.sensor.useColourMatrix = true;
    s.colour.matrixSource = source;
}

// The camera's balance is the one its own picture of this file was rendered with: the recorded
// multipliers of these cameras differ from it (or are missing, and the automatic balance would
// stand in), and with them the fitted matrix shows a cast the camera's picture does not have.
void useRenderedBalance(DecodeState& s, const ColourFit& fit) {
    s.colour.cameraMultipliers = {fit.balance[0], fit.balance[1], fit.balance[2], fit.balance[1]};
    s.colour.grayPatch = {};
}

// The name a model's colours are learned under.
std::string learnedColourName(const DecodeState& s) {
    return s.id.make + " " + s.id.model;
}

bool colourFromPreviewApplies(const DecodeState& s) {
    return !s.sensor.useColourMatrix && !s.sensor.isFoveon && s.sensor.colourCount == 3 &&
           s.sensor.filterPattern != 0;
}

}  // namespace

std::string matrixOrigin(const DecodeState& s, const LearnedColourStore* store) {
    if (s.colour.matrixSource == MatrixSource::Table) return "table";
    if (s.colour.matrixSource == MatrixSource::File) return "file";
    if (!colourFromPreviewApplies(s)) return s.sensor.useColourMatrix ? "table" : "none";
    const auto learned = store ? readLearnedColour(*store, learnedColourName(s)) : std::nullopt;
    const std::string learnedText =
        learned ? "learned from " + std::to_string(learned->files) + " files" : "";
    if (learned && (learned->files >= kEnoughFiles || s.container.previewLength == 0))
        return learnedText;
    if (s.container.previewLength == 0) return "none";
    return "file (fitted to its preview at decode" + (learned ? ", else " + learnedText : "") + ")";
}

void colourFromPreview(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    if (!s.image || !colourFromPreviewApplies(s)) return;
    LearnedColourStore* store = ctx.learnedColours;
    const std::string name = learnedColourName(s);
    auto learned = store ? readLearnedColour(*store, name) : std::nullopt;
    const bool fitting = s.options.colourFit && (!learned || learned->files < kEnoughFiles);
    const auto fit = fitting ? fitFromPreview(ctx) : std::nullopt;
    if (fit) {
        learned = store ? rememberColourFit(*store, name, *fit) : LearnedColour{*fit, 1};
        useMatrix(s, *fit, MatrixSource::File);
        useRenderedBalance(s, *fit);
    } else if (learned) {
        useMatrix(s, learned->fit, MatrixSource::Learned);
    } else {
        return;
    }
    // The fixed balance: the table's gains, or where it has none, the learned average.
    auto& preset = s.colour.presetMultipliers;
    if (std::all_of(preset.begin(), preset.begin() + 3, [](float v) { return v == 1; })) {
        for (int c = 0; c < 3; ++c)
            preset[c] = learned->fit.balance[c];
    }
}

}  // namespace tavrin::raw
