// TIFF-style image file directories: most cameras' RAW files and DNG.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "formats/tiff_tags.hpp"
#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {
namespace {

// The DNG colour data of one directory and what follows from it.
struct DngColour {
    double calibration[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    double matrix[4][3] = {};
    double white[3] = {1, 1, 1};
    double analogBalance[4] = {1, 1, 1, 1};
    double neutral[4] = {};
    bool hasMatrix = false;
    bool hasNeutral = false;
};

// The colour-filter pattern from a CFA tile of n cells through a colour map.
std::uint32_t patternOf(const std::uint8_t* cfa, int n, const int map[256]) {
    std::uint32_t pattern = 0;
    for (int i = 15; i >= 0; --i)
        pattern = pattern << 2 | (map[cfa[i % n]] & 3);
    return pattern;
}

void applyDngColour(DecodeState& s, DngColour& d) {
    const int colours = std::clamp(s.sensor.colourCount, 1, 4);
    for (int i = 0; i < colours; ++i) {
        for (int j = 0; j < colours; ++j)
            d.calibration[i][j] *= d.analogBalance[i];
    }
    if (d.hasMatrix) {
        std::array<float, 12> xyz{};
        for (int i = 0; i < colours; ++i) {
            for (int j = 0; j < 3; ++j) {
                double sum = 0;
                for (int k = 0; k < colours; ++k)
                    sum += d.calibration[i][k] * d.matrix[k][j] * d.white[j];
                xyz[i * 3 + j] = static_cast<float>(sum);
            }
        }
        s.colour.cameraFromXyz = xyz;
        setColourMatrixFromXyz(s, xyz);
    }
    for (int c = 0; c < colours; ++c) {
        if (d.hasNeutral && d.neutral[c] != 0) {
            s.colour.presetMultipliers[c] = static_cast<float>(1 / d.neutral[c]);
        } else if (!d.hasMatrix && d.calibration[c][c] != 0) {
            s.colour.presetMultipliers[c] =
                static_cast<float>(s.colour.presetMultipliers[c] / d.calibration[c][c]);
        }
    }
}

// The engine's reading of one image directory: the picture it describes, DNG colour data, and
// the sub-IFDs and EXIF directory it points to.
class IfdVisitor final : public formats::TiffVisitor {
  public:
    IfdVisitor(ParseContext& ctx, int level) : ctx_(ctx), level_(level) {}

    void beginDirectory(const formats::TiffDirectory&) override { d_ = {}; }
    void visitEntry(formats::TiffDirectoryReader& reader, const formats::TiffEntry& e) override;
    void endDirectory(const formats::TiffDirectory& directory) override;

  private:
    // What one directory's entries gather.
    struct Directory {
        DngColour dng;
        bool isDng = false;
        std::uint8_t cfa[16] = {};
        int cfaCount = 0;
        bool tiledAtTop = false;  // tiles in a top-level directory: a Leaf back's file
        std::uint32_t subfileType = 0;
        TiffImage image;
        std::uint64_t jpegOffset = 0;  // a JPEG picture the directory points to
        std::uint32_t jpegLength = 0;
    };

    void readCfa(const formats::TiffEntry& e);

    ParseContext& ctx_;
    int level_;
    Directory d_;
};

// Walks the directory at offset as an image directory of the given level; false when refused.
bool walkImageDirectory(ParseContext& ctx, std::uint64_t offset, std::uint64_t base, int level) {
    IfdVisitor visitor(ctx, level);
    return ctx.tiff.walkDirectory(offset, base,
                                  level == 0 ? formats::TiffDirectoryKind::Image
                                             : formats::TiffDirectoryKind::SubImage,
                                  level, visitor) == formats::TiffWalk::Walked;
}

void IfdVisitor::readCfa(const formats::TiffEntry& e) {
    DecodeState& s = ctx_.s;
    formats::FileReader& f = ctx_.file;
    int map[256];
    for (int i = 0; i < 256; ++i)
        map[i] = i;
    if (e.tag == formats::kTagCfaPattern) {
        d_.cfaCount = static_cast<int>(std::min<std::uint32_t>(e.count, 16));
        if (d_.cfaCount == 0) return;
        f.read(d_.cfa, static_cast<std::size_t>(d_.cfaCount));
        bool seen[256] = {};
        int distinct = 0;
        for (int i = 0; i < d_.cfaCount; ++i)
            distinct += !seen[d_.cfa[i]] && (seen[d_.cfa[i]] = true);
        s.sensor.colourCount = distinct;
        if (distinct == 3 && seen[3] && seen[4] && seen[5]) {
            map[3] = 0, map[4] = 1, map[5] = 2;
        } else if (distinct == 4 && seen[1] && seen[3] && seen[4] && seen[5]) {
            map[5] = 0, map[3] = 1, map[4] = 2, map[1] = 3;
        }
    } else {
        const int n = static_cast<int>(std::min<std::uint32_t>(e.count, 4));
        if (n == 0 || d_.cfaCount == 0) return;
        for (int c = 0; c < n; ++c)
            map[f.get() & 0xFF] = c;
        s.sensor.colourCount = n;
    }
    s.sensor.filterPattern = patternOf(d_.cfa, d_.cfaCount, map);
}

void IfdVisitor::visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) {
    using namespace formats;
    FileReader& f = ctx_.file;
    DecodeState& s = ctx_.s;
    const std::uint64_t base = e.directory->base;
    const unsigned type = e.type;
    const std::uint32_t count = e.count;
    if (e.tag >= kTagDngFirst && e.tag <= kTagDngLast) d_.isDng = true;
    if (!e.valueInFile) return;
    switch (e.tag) {
        case kTagPanasonicRedBalance:
        case kTagPanasonicBlueBalance:
            s.colour.cameraMultipliers[e.tag == kTagPanasonicRedBalance ? 0 : 2] =
                static_cast<float>(f.readU32()) / 256;
            break;
        case kTagNewSubfileType:
            d_.subfileType = readTiffValue(f, type);
            break;
        case kTagJpegOffset:
            d_.jpegOffset = readTiffValue(f, type) + base;
            break;
        case kTagJpegLength:
            d_.jpegLength = readTiffValue(f, type);
            break;
        case kTagImageWidth:
        case kTagImageHeight: {
            if (level_ == 0 && s.id.make == "Canon") break;
            const bool width = e.tag == kTagImageWidth;
            (width ? d_.image.rawWidth : d_.image.rawHeight) =
                (width ? s.geometry.rawWidth : s.geometry.rawHeight) =
                    static_cast<int>(std::min<std::uint32_t>(readTiffValue(f, type), 0x7FFFFFFF));
            break;
        }
        case kTagBitsPerSample: {
            const unsigned bits = readTiffValue(f, type);
            if (count == 2) s.container.fujiSecondFrame = true;
            if (bits < 1 || bits > 16) break;
            d_.image.whiteLevel = (1 << bits) - 1;
            if (level_ != 0) s.sensor.whiteLevel = *d_.image.whiteLevel;
            break;
        }
        case kTagCompression:
            d_.image.compression = s.container.compression = f.readU16();
            break;
        case kTagPhotometric:
            d_.image.photometric = s.container.photometric = f.readU16();
            break;
        case kTagMake:
            s.id.make = readText(f, count);
            break;
        case kTagModel:
            s.id.model = readText(f, count);
            break;
        case kTagStripOffsets:
            d_.image.dataOffset = s.container.dataOffset = f.readU32();
            break;
        case kTagOrientation: {
            // The first directory's orientation is the picture's; a later one (the embedded
            // thumbnail's) counts only when no earlier directory had one.
            const unsigned o = f.readU16();
            if (ctx_.orientationSeen || o < 1 || o > 8) break;
            ctx_.orientationSeen = true;
            if (o == 1) s.container.rotationDegrees = 0;
            if (o == 3) s.container.rotationDegrees = 180;
            if (o == 6) s.container.rotationDegrees = 90;
            if (o == 8) s.container.rotationDegrees = 270;
            break;
        }
        case kTagSamplesPerPixel:
            d_.image.samplesPerPixel = s.container.samplesPerPixel = f.readU16();
            break;
        case kTagGrayResponseCurve:
        case kTagKodakToneCurve:
        case kTagLinearizationTable: {
            const std::uint32_t n = std::min<std::uint32_t>(count, 4096);
            if (n == 0) break;
            for (std::uint32_t i = 0; i < n; ++i)
                s.colour.toneCurve[i] = f.readU16();
            if (n < 4096) {
                for (std::uint32_t i = n; i < 4096; ++i)
                    s.colour.toneCurve[i] = s.colour.toneCurve[n - 1];
                s.sensor.whiteLevel = s.colour.toneCurve[n - 1];
            }
            break;
        }
        case kTagSoftware:
            if (readText(f, count).compare(0, 5, "Adobe") == 0) s.id.make.clear();
            break;
        case kTagDateTime:
            readTimestamp(ctx_);
            break;
        case kTagTileOffsets:
            if (level_ == 0) {
                d_.tiledAtTop = true;
                d_.image.dataOffset = s.container.dataOffset = f.readU32();
            } else {
                d_.image.dataOffset = s.container.dataOffset = f.tell();
            }
            break;
        case kTagSubIfds: {
            std::uint32_t n = count;
            if (s.id.make.compare(0, 5, "Kodak") == 0 && n >= 3 && !s.sensor.dngVersion) n = 2;
            n = std::min<std::uint32_t>(n, 16);
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint64_t sub = f.readU32() + base;
                if (!walkImageDirectory(ctx_, sub, base, level_ + 1)) break;
            }
            break;
        }
        case kTagModel2:
            s.id.model2 = readText(f, count);
            break;
        case kTagCfaPattern:
        case kTagCfaPlaneColor:
            readCfa(e);
            break;
        case kTagExifIfd:
            walkExifDirectory(ctx_, f.readU32() + base, base, level_ + 1);
            break;
        case kTagDngVersion:
            s.sensor.dngVersion = 1;
            break;
        case kTagCfaLayout:
            if (f.readU16() == 2) {
                s.geometry.fujiWidth =
                    static_cast<int>((static_cast<std::int64_t>(s.geometry.rawWidth) + 1) / 2);
                s.sensor.filterPattern = 0x49494949;
            }
            break;
        case kTagBlackLevel:
        case kTagBlackLevelDeltaH:
        case kTagBlackLevelDeltaV: {
            // Rational data as the tags define it; integer black levels read by their type.
            const std::uint32_t n = std::min<std::uint32_t>(count, 4096);
            if (n == 0) break;
            double sum = 0;
            for (std::uint32_t i = 0; i < n; ++i) {
                sum += type == 5 || type == 10 ? readRational(f) : readTiffValue(f, type);
            }
            s.sensor.blackLevel = static_cast<int>(
                std::clamp(s.sensor.blackLevel + sum / n + 0.5, -65536.0, 65536.0));
            break;
        }
        case kTagWhiteLevel:
            d_.image.whiteLevel = s.sensor.whiteLevel =
                static_cast<int>(std::min<std::uint32_t>(readTiffValue(f, type), 65535));
            break;
        case kTagColorMatrix1:
        case kTagColorMatrix2:
            for (int i = 0; i < std::min(s.sensor.colourCount, 4); ++i)
                for (int j = 0; j < 3; ++j)
                    d_.dng.matrix[i][j] = readRational(f);
            d_.dng.hasMatrix = true;
            break;
        case kTagCameraCalibration1:
        case kTagCameraCalibration2:
            for (int i = 0; i < std::min(s.sensor.colourCount, 4); ++i)
                for (int j = 0; j < std::min(s.sensor.colourCount, 4); ++j)
                    d_.dng.calibration[i][j] = readRational(f);
            break;
        case kTagAnalogBalance:
            for (int c = 0; c < std::min(s.sensor.colourCount, 4); ++c)
                d_.dng.analogBalance[c] = readRational(f);
            break;
        case kTagAsShotNeutral:
            for (int c = 0; c < std::min(s.sensor.colourCount, 4); ++c)
                d_.dng.neutral[c] = readRational(f);
            d_.dng.hasNeutral = true;
            break;
        case kTagAsShotWhiteXy:
            d_.dng.white[0] = readRational(f);
            d_.dng.white[1] = readRational(f);
            d_.dng.white[2] = 1 - d_.dng.white[0] - d_.dng.white[1];
            break;
        default:
            break;
    }
}

void IfdVisitor::endDirectory(const formats::TiffDirectory&) {
    DecodeState& s = ctx_.s;
    if (d_.isDng) applyDngColour(s, d_.dng);
    if (d_.jpegOffset && d_.jpegLength) s.container.notePreview(d_.jpegOffset, d_.jpegLength);
    if (d_.subfileType == 0 && d_.image.rawWidth > 0 && d_.image.rawHeight > 0 &&
        !ctx_.fullSizeImage)
        ctx_.fullSizeImage = d_.image;
    // Decided after the entries, so that a DNG with tiles keeps the make its tags name.
    if (d_.tiledAtTop && !s.sensor.dngVersion) s.id.make = "Leaf";
    if (level_ == 0 && !s.sensor.dngVersion) {
        // Olympus stores an odd row count for an even sensor (a hostile count stays as it is).
        if (s.id.make.compare(0, 7, "OLYMPUS") == 0 && (s.geometry.rawHeight & 1) &&
            s.geometry.rawHeight < std::numeric_limits<int>::max()) {
            ++s.geometry.rawHeight;
        }
        if (s.id.make.empty() && s.geometry.rawWidth == 680) s.id.make = "Imacon";
    }
}

}  // namespace

void TiffImage::applyTo(DecodeState& s) const {
    s.geometry.rawWidth = rawWidth;
    s.geometry.rawHeight = rawHeight;
    if (whiteLevel) s.sensor.whiteLevel = *whiteLevel;
    if (compression) s.container.compression = *compression;
    if (photometric) s.container.photometric = *photometric;
    if (samplesPerPixel) s.container.samplesPerPixel = *samplesPerPixel;
    if (dataOffset) s.container.dataOffset = *dataOffset;
}

void parseTiff(ParseContext& ctx, std::uint64_t base) {
    const std::optional<std::uint32_t> first = ctx.tiff.readHeader(base);
    if (!first) return;
    IfdVisitor chain(ctx, 0);
    ctx.tiff.walkChain(base, *first, chain);
    if (ctx.s.sensor.dngVersion && ctx.fullSizeImage) ctx.fullSizeImage->applyTo(ctx.s);
    if (!ctx.s.sensor.dngVersion && ctx.s.id.make.compare(0, 5, "Kodak") == 0)
        walkImageDirectory(ctx, base + 12, base, 2);
}

}  // namespace tavrin::raw
