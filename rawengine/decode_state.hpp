#pragma once
// Everything one decode knows about its file, grouped as the pipeline uses it. Identification
// and the container parsers fill it; the loaders and colour steps read and complete it.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "rawengine/loaders.hpp"

namespace tavrin::raw {

// The working image's memory. It comes from calloc, so that a large block arrives as zero pages
// from the system instead of being cleared word by word.
struct FreeImage {
    void operator()(std::uint16_t* words) const { std::free(words); }
};
using ImageBuffer = std::unique_ptr<std::uint16_t[], FreeImage>;

// words zero words, or nullptr when memory is short.
inline ImageBuffer allocateImage(std::size_t words) {
    return ImageBuffer(static_cast<std::uint16_t*>(std::calloc(words, sizeof(std::uint16_t))));
}

// The longest make, model and second-model texts kept (the stored buffers hold 64 bytes).
inline constexpr std::size_t kMaxNameLength = 63;
inline constexpr std::uint32_t kMaxMetaLength = 131072;

struct Identity {
    std::string make;
    std::string model;
    std::string model2;
};

struct Container {
    std::uint64_t dataOffset = 0;
    std::uint64_t metaOffset = 0;
    std::uint32_t metaLength = 0;
    int compression = 0;
    int photometric = 0;
    int samplesPerPixel = 0;
    std::time_t timestamp = 0;
    int rotationDegrees = 0;
    bool fujiSecondFrame = false;  // 16-bit samples stored as two planes
    std::uint64_t phaseOneColumnTable = 0;
    std::uint64_t nikonCurveOffset = 0;  // where the Nikon tone curve is stored
    int canonTable = -1;                 // the CIFF decoder table number
    std::uint32_t serialNumber = 0;
    // The largest embedded JPEG preview the parsers met (the camera's rendering of the scene).
    std::uint64_t previewOffset = 0;
    std::uint32_t previewLength = 0;

    void notePreview(std::uint64_t offset, std::uint32_t length) {
        if (length > previewLength) previewOffset = offset, previewLength = length;
    }
};

struct Geometry {
    int rawHeight = 0, rawWidth = 0;
    int topMargin = 0, leftMargin = 0;
    int height = 0, width = 0;
    int fujiWidth = 0;
    int halfShrink = 0;
    int workHeight = 0, workWidth = 0;
    int trim = 0;
};

struct Sensor {
    int colourCount = 3;
    std::uint32_t filterPattern = 0;
    int blackLevel = 0;
    int whiteLevel = 4095;
    int clipLevel = 0;
    bool clipToWhite = true;
    bool isCanon = false;
    bool isFoveon = false;
    int dngVersion = 0;
    bool useColourMatrix = false;
    bool useGamma = true;
    bool zeroAfterFF = false;
};

// Where the colour matrix came from: a table (or the file's own tags), a fit of this file's
// preview, or what fits of earlier files of the model taught.
enum class MatrixSource { None, Table, File, Learned };

struct Colour {
    std::array<float, 4> cameraMultipliers{0, 1, 0, 1};
    std::array<float, 4> presetMultipliers{1, 1, 1, 1};
    float colourMatrix[3][4] = {};
    // A matrix from CIE XYZ to the camera's channels (rows per channel) that conversion derives
    // the colour matrix from: from the camera table (times 10000) or from DNG tags.
    std::optional<std::array<float, 12>> cameraFromXyz;
    int fixedMatrixSet = -1;  // the fixed colour set the camera table chose, if any
    MatrixSource matrixSource = MatrixSource::None;
    float brightness = 1.0f;
    std::array<std::array<std::uint16_t, 8>, 8> grayPatch{};
    std::array<std::uint16_t, 4096> toneCurve{};
};

struct Options {
    bool quickInterpolate = false;
    bool autoWhiteBalance = false;
    bool cameraWhiteBalance = false;
    bool colourFit = true;  // a camera without matrix numbers may be fitted to the preview
};

struct DecodeState {
    std::string fileName;
    Identity id;
    Container container;
    Geometry geometry;
    Sensor sensor;
    Colour colour;
    Options options;
    Loader loader = Loader::kNone;
    bool supported = false;

    // The working image: workHeight x workWidth pixels of four 16-bit samples, and the
    // metadata area right behind it, in one block.
    ImageBuffer image;
    std::uint8_t* metaData = nullptr;
    std::unique_ptr<std::array<std::uint32_t, 3 * 8192>> histogram;

    // The colour (0 red, 1 green, 2 blue, 3 second green) of a sensor cell.
    int colourAt(int row, int col) const {
        return static_cast<int>(sensor.filterPattern >> ((((row << 1) & 14) + (col & 1)) << 1)) & 3;
    }
};

}  // namespace tavrin::raw
