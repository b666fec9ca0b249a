// TIFF-style image file directories: most cameras' RAW files and DNG.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/parsers/parse_context.hpp"
#include "rawengine/raw_limits.hpp"

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
    formats::FileReader& f = ctx.file;
    f.seek(base);
    const int a = f.get(), b = f.get();
    const std::uint16_t order = static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF));
    if (order != formats::kLittleEndian && order != formats::kBigEndian) return;
    f.setOrder(order);
    f.ReadU16();
    while (const std::uint32_t offset = f.ReadU32()) {
        if (base + offset >= f.size() || !ctx.firstVisit(base + offset)) break;
        f.seek(base + offset);
        if (parseTiffIfd(ctx, base, 0)) break;
    }
    if (ctx.s.sensor.dngVersion && ctx.fullSizeImage) ctx.fullSizeImage->applyTo(ctx.s);
    if (!ctx.s.sensor.dngVersion && ctx.s.id.make.compare(0, 5, "Kodak") == 0) {
        f.seek(base + 12);
        parseTiffIfd(ctx, base, 2);
    }
}

bool parseTiffIfd(ParseContext& ctx, std::uint64_t base, int level) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    if (level > kMaxNesting) return true;
    const unsigned entries = f.ReadU16();
    if (entries > kMaxDirectoryEntries) return true;
    DngColour dng;
    bool dngDirectory = false;
    std::uint8_t cfa[16] = {};
    int cfaCount = 0;
    bool tiledAtTop = false;  // tiles in a top-level directory: a Leaf back's file
    std::uint32_t subfileType = 0;
    TiffImage image;
    std::uint64_t jpegOffset = 0;  // a JPEG picture the directory points to
    std::uint32_t jpegLength = 0;

    for (unsigned e = 0; e < entries; ++e) {
        const unsigned tag = f.ReadU16();
        const unsigned type = f.ReadU16();
        const std::uint32_t count = f.ReadU32();
        const std::uint64_t next = f.tell() + 4;
        if (tag >= 50700 && tag <= 50799) dngDirectory = true;
        if (static_cast<std::uint64_t>(formats::tiffTypeSize(type)) * count > 4)
            f.seek(f.ReadU32() + base);
        if (f.atEnd()) {
            f.seek(next);
            continue;
        }
        switch (tag) {
            case 17:
            case 18:
                s.colour.cameraMultipliers[tag == 17 ? 0 : 2] =
                    static_cast<float>(f.ReadU32()) / 256;
                break;
            case 254:
                subfileType = readTiffValue(f, type);
                break;
            case 513:
                jpegOffset = readTiffValue(f, type) + base;
                break;
            case 514:
                jpegLength = readTiffValue(f, type);
                break;
            case 256:
            case 257:
                if (level == 0 && s.id.make == "Canon") break;
                (tag == 256 ? image.rawWidth : image.rawHeight) =
                    (tag == 256 ? s.geometry.rawWidth : s.geometry.rawHeight) = static_cast<int>(
                        std::min<std::uint32_t>(readTiffValue(f, type), 0x7FFFFFFF));
                break;
            case 258: {
                const unsigned bits = readTiffValue(f, type);
                if (count == 2) s.container.fujiSecondFrame = true;
                if (bits < 1 || bits > 16) break;
                image.whiteLevel = (1 << bits) - 1;
                if (level != 0) s.sensor.whiteLevel = *image.whiteLevel;
                break;
            }
            case 259:
                image.compression = s.container.compression = f.ReadU16();
                break;
            case 262:
                image.photometric = s.container.photometric = f.ReadU16();
                break;
            case 271:
                s.id.make = readText(f, count);
                break;
            case 272:
                s.id.model = readText(f, count);
                break;
            case 273:
                image.dataOffset = s.container.dataOffset = f.ReadU32();
                break;
            case 274: {
                // The first directory's orientation is the picture's; a later one (the embedded
                // thumbnail's) counts only when no earlier directory had one.
                const unsigned o = f.ReadU16();
                if (ctx.orientationSeen || o < 1 || o > 8) break;
                ctx.orientationSeen = true;
                if (o == 1) s.container.rotationDegrees = 0;
                if (o == 3) s.container.rotationDegrees = 180;
                if (o == 6) s.container.rotationDegrees = 90;
                if (o == 8) s.container.rotationDegrees = 270;
                break;
            }
            case 277:
                image.samplesPerPixel = s.container.samplesPerPixel = f.ReadU16();
                break;
            case 291:
            case 2317:
            case 50712: {
                const std::uint32_t n = std::min<std::uint32_t>(count, 4096);
                if (n == 0) break;
                for (std::uint32_t i = 0; i < n; ++i)
                    s.colour.toneCurve[i] = f.ReadU16();
                if (n < 4096) {
                    for (std::uint32_t i = n; i < 4096; ++i)
                        s.colour.toneCurve[i] = s.colour.toneCurve[n - 1];
                    s.sensor.whiteLevel = s.colour.toneCurve[n - 1];
                }
                break;
            }
            case 305:
                if (readText(f, count).compare(0, 5, "Adobe") == 0) s.id.make.clear();
                break;
            case 306:
                readTimestamp(ctx);
                break;
            case 324:
                if (level == 0) {
                    tiledAtTop = true;
                    image.dataOffset = s.container.dataOffset = f.ReadU32();
                } else {
                    image.dataOffset = s.container.dataOffset = f.tell();
                }
                break;
            case 330: {
                std::uint32_t n = count;
                if (s.id.make.compare(0, 5, "Kodak") == 0 && n >= 3 && !s.sensor.dngVersion) n = 2;
                n = std::min<std::uint32_t>(n, 16);
                for (std::uint32_t i = 0; i < n; ++i) {
                    const std::uint64_t sub = f.ReadU32() + base;
                    const std::uint64_t after = f.tell();
                    if (sub >= f.size() || !ctx.firstVisit(sub)) break;
                    f.seek(sub);
                    const bool failed = parseTiffIfd(ctx, base, level + 1);
                    f.seek(after);
                    if (failed) break;
                }
                break;
            }
            case 33405:
                s.id.model2 = readText(f, count);
                break;
            case 33422:
            case 50710: {
                int map[256];
                for (int i = 0; i < 256; ++i)
                    map[i] = i;
                if (tag == 33422) {
                    cfaCount = static_cast<int>(std::min<std::uint32_t>(count, 16));
                    if (cfaCount == 0) break;
                    f.read(cfa, static_cast<std::size_t>(cfaCount));
                    bool seen[256] = {};
                    int distinct = 0;
                    for (int i = 0; i < cfaCount; ++i)
                        distinct += !seen[cfa[i]] && (seen[cfa[i]] = true);
                    s.sensor.colourCount = distinct;
                    if (distinct == 3 && seen[3] && seen[4] && seen[5]) {
                        map[3] = 0, map[4] = 1, map[5] = 2;
                    } else if (distinct == 4 && seen[1] && seen[3] && seen[4] && seen[5]) {
                        map[5] = 0, map[3] = 1, map[4] = 2, map[1] = 3;
                    }
                } else {
                    const int n = static_cast<int>(std::min<std::uint32_t>(count, 4));
                    if (n == 0 || cfaCount == 0) break;
                    for (int c = 0; c < n; ++c)
                        map[f.get() & 0xFF] = c;
                    s.sensor.colourCount = n;
                }
                s.sensor.filterPattern = patternOf(cfa, cfaCount, map);
                break;
            }
            case 34665: {
                const std::uint64_t exif = f.ReadU32() + base;
                if (exif < f.size() && ctx.firstVisit(exif)) {
                    f.seek(exif);
                    parseExif(ctx, base);
                }
                break;
            }
            case 50706:
                s.sensor.dngVersion = 1;
                break;
            case 50711:
                if (f.ReadU16() == 2) {
                    s.geometry.fujiWidth =
                        static_cast<int>((static_cast<std::int64_t>(s.geometry.rawWidth) + 1) / 2);
                    s.sensor.filterPattern = 0x49494949;
                }
                break;
            case 50714:
            case 50715:
            case 50716: {
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
            case 50717:
                image.whiteLevel = s.sensor.whiteLevel =
                    static_cast<int>(std::min<std::uint32_t>(readTiffValue(f, type), 65535));
                break;
            case 50721:
            case 50722:
                for (int i = 0; i < std::min(s.sensor.colourCount, 4); ++i)
                    for (int j = 0; j < 3; ++j)
                        dng.matrix[i][j] = readRational(f);
                dng.hasMatrix = true;
                break;
            case 50723:
            case 50724:
                for (int i = 0; i < std::min(s.sensor.colourCount, 4); ++i)
                    for (int j = 0; j < std::min(s.sensor.colourCount, 4); ++j)
                        dng.calibration[i][j] = readRational(f);
                break;
            case 50727:
                for (int c = 0; c < std::min(s.sensor.colourCount, 4); ++c)
                    dng.analogBalance[c] = readRational(f);
                break;
            case 50728:
                for (int c = 0; c < std::min(s.sensor.colourCount, 4); ++c)
                    dng.neutral[c] = readRational(f);
                dng.hasNeutral = true;
                break;
            case 50729:
                dng.white[0] = readRational(f);
                dng.white[1] = readRational(f);
                dng.white[2] = 1 - dng.white[0] - dng.white[1];
                break;
            default:
                break;
        }
        f.seek(next);
    }
    if (dngDirectory) applyDngColour(s, dng);
    if (jpegOffset && jpegLength) s.container.notePreview(jpegOffset, jpegLength);
    if (subfileType == 0 && image.rawWidth > 0 && image.rawHeight > 0 && !ctx.fullSizeImage)
        ctx.fullSizeImage = image;
    // Decided after the entries, so that a DNG with tiles keeps the make its tags name.
    if (tiledAtTop && !s.sensor.dngVersion) s.id.make = "Leaf";
    if (level == 0 && !s.sensor.dngVersion) {
        // Olympus stores an odd row count for an even sensor (a hostile count stays as it is).
        if (s.id.make.compare(0, 7, "OLYMPUS") == 0 && (s.geometry.rawHeight & 1) &&
            s.geometry.rawHeight < std::numeric_limits<int>::max()) {
            ++s.geometry.rawHeight;
        }
        if (s.id.make.empty() && s.geometry.rawWidth == 680) s.id.make = "Imacon";
    }
    return false;
}

}  // namespace tavrin::raw
