#include "rawengine/identify/identify.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "formats/jpeg_markers.hpp"
#include "formats/probe.hpp"
#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/raw_limits.hpp"

namespace tavrin::raw {
namespace {

constexpr std::uint32_t kDefaultPattern = 0x94949494;
constexpr int kNikonCompressed = 34713;

bool headHas(const IdentifyContext& c, std::size_t at, std::string_view text) {
    return at + text.size() <= c.head.size() &&
           std::memcmp(c.head.data() + at, text.data(), text.size()) == 0;
}

void resetForIdentification(DecodeState& s) {
    const std::string fileName = s.fileName;
    s = DecodeState{};
    s.fileName = fileName;
    for (std::size_t i = 0; i < s.colour.toneCurve.size(); ++i) {
        s.colour.toneCurve[i] = static_cast<std::uint16_t>(i);
    }
}

// Nucore's files: "BR" raw files, and "BM" files that are raw data when both resolutions read
// 2834.
void parseNucore(IdentifyContext& c, bool bitmap) {
    formats::FileReader& f = c.file;
    DecodeState& s = c.s;
    if (!bitmap) {
        s.id.model = "RAW";
    } else {
        s.container.dataOffset = 4096;
        f.setOrder(formats::kLittleEndian);
        f.seek(38);
        if (f.readU32() != 2834 || f.readU32() != 2834) return;
        s.id.model = "BMQ";
    }
    s.id.make = "Nucore";
    f.setOrder(formats::kLittleEndian);
    f.seek(10);
    s.container.dataOffset += f.readU32();
    f.readU32();
    s.geometry.rawWidth = static_cast<int>(f.readU32() & 0xFFFF);
    s.geometry.rawHeight = static_cast<int>(f.readU32() & 0xFFFF);
    if (s.id.model[0] == 'B' && s.geometry.rawWidth == 2597) {
        s.geometry.rawWidth = 2598;
        s.container.dataOffset -= std::min<std::uint64_t>(4096, s.container.dataOffset);
    }
}

// Header probe: the first test that applies decides how the file is parsed.
void probeContainer(IdentifyContext& c) {
    formats::FileReader& f = c.file;
    DecodeState& s = c.s;
    ParseContext& p = c.parse;
    f.seek(0);
    const int b0 = f.get(), b1 = f.get();
    f.setOrder(static_cast<std::uint16_t>((b0 & 0xFF) << 8 | (b1 & 0xFF)));
    const std::uint32_t headerLength = f.readU32();
    f.seek(0);
    c.head.fill(0);
    f.read(c.head.data(), c.head.size());

    const formats::Probed probed = formats::probeFormat(c.head);
    switch (probed.format) {
        case formats::FileFormat::PhaseOne:
            return parsePhaseOne(p, probed.at);
        case formats::FileFormat::Ciff:
            s.container.dataOffset = headerLength;
            if (headerLength < c.fileSize) parseCiff(p, headerLength, c.fileSize - headerLength);
            return;
        case formats::FileFormat::Tiff:
            parseTiff(p, 0);
            if (s.id.make.compare(0, 5, "NIKON") == 0 && s.sensor.filterPattern == 0)
                s.id.make.clear();
            return;
        case formats::FileFormat::JpegExif:
            if (const auto tiff = formats::standaloneExifTiff(f)) parseTiff(p, *tiff);
            return;
        case formats::FileFormat::NucoreRaw:
        case formats::FileFormat::NucoreBmq:
            return parseNucore(c, probed.format == formats::FileFormat::NucoreBmq);
        case formats::FileFormat::Contax: {
            s.id.make = "Contax";
            s.id.model = "N Digital";
            f.seek(33);
            readTimestamp(p, true);
            f.seek(60);
            static constexpr int kTarget[] = {0, 1, 3, 2};
            for (int i : kTarget)
                s.colour.cameraMultipliers[i] = static_cast<float>(f.readU32());
            return;
        }
        case formats::FileFormat::Logitech:
            s.id.make = "Logitech";
            s.id.model = "Fotoman Pixtura";
            return;
        case formats::FileFormat::Raf:
            return parseFuji(p);
        case formats::FileFormat::Rollei:
            return parseRollei(p);
        case formats::FileFormat::Mrw:
            return parseMinolta(p);
        case formats::FileFormat::X3f:
            return parseFoveon(p);
        case formats::FileFormat::Jpeg:
        case formats::FileFormat::Ppm:
        case formats::FileFormat::Cr3:  // its sensor data is not read, only its preview
        case formats::FileFormat::Unknown:
            break;
    }
    for (const auto& row : kFileSizeTable) {
        if (row.size != c.fileSize) continue;
        s.id.make = row.make;
        s.id.model = row.model;
        if (row.companion) parseExternal(p);
    }
}

void trimTrailingBlanks(std::string& text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
}

void normaliseNames(DecodeState& s) {
    for (const char* name : kMakeNames) {
        if (s.id.make.find(name) != std::string::npos) s.id.make = name;
    }
    if (s.id.make.compare(0, 5, "KODAK") == 0) {
        s.id.make.resize(std::min<std::size_t>(s.id.make.size(), 16));
        s.id.model.resize(std::min<std::size_t>(s.id.model.size(), 16));
    }
    trimTrailingBlanks(s.id.make);
    trimTrailingBlanks(s.id.model);
    if (!s.id.make.empty() && s.id.model.compare(0, s.id.make.size(), s.id.make) == 0) {
        s.id.model.erase(0, std::min(s.id.model.size(), s.id.make.size() + 1));
    }
    for (std::string* text : {&s.id.make, &s.id.model, &s.id.model2}) {
        if (text->size() > kMaxNameLength) text->resize(kMaxNameLength);
    }
}

// The D100 stores compressed and plain files under one compression code: a compressed file has
// some non-zero byte among every sixteenth of the first 256 data bytes.
bool nikonCompressed(IdentifyContext& c) {
    if (c.s.container.compression != kNikonCompressed) return false;
    if (c.s.id.model != "D100") return true;
    std::uint8_t data[256] = {};
    c.file.seek(c.s.container.dataOffset);
    c.file.read(data, sizeof data);
    for (int i = 15; i < 256; i += 16) {
        if (data[i]) return true;
    }
    return false;
}

}  // namespace

void identifyCamera(DecodeContext& dc) {
    DecodeState& s = dc.state;
    resetForIdentification(s);
    ParseContext parse{s, dc.file};
    IdentifyContext c{parse, s, dc.file, {}, dc.file.size()};

    probeContainer(c);
    parseLeaf(parse, 8);
    parseLeaf(parse, 3472);
    if (s.id.make.empty()) parseJpegMarkers(parse, 0);
    normaliseNames(s);
    if (s.id.make.empty()) return;

    Geometry& g = s.geometry;
    if (g.rawHeight < 0 || g.rawWidth < 0) g.rawHeight = g.rawWidth = 0;
    if (!g.height) g.height = g.rawHeight;
    if (!g.width) g.width = g.rawWidth;
    // The turned sides of a Fuji layout, for sides a sensor can have: a size no sensor has
    // (as large as an int can be) would overflow the sum and is turned away before decoding.
    const auto sensorSide = [](int side) { return side >= 0 && side <= kMaxRawSide; };
    if (g.fujiWidth && sensorSide(g.height) && sensorSide(g.fujiWidth)) {
        g.width = g.height + g.fujiWidth;
        g.height = g.width - 1;
    }

    if (s.sensor.dngVersion) {
        s.id.model += " DNG";
        if (!s.sensor.filterPattern) s.sensor.colourCount = s.container.samplesPerPixel;
        if (s.container.compression == 1) s.loader = Loader::kDngUncompressedRaw;
        if (s.container.compression == 7) s.loader = Loader::kDngLosslessRaw;
    } else if (s.sensor.isFoveon) {
        s.sensor.filterPattern = 0;
        s.loader = Loader::kFoveonRaw;
        s.colour.fixedMatrixSet = 0;
    } else {
        if (!s.sensor.filterPattern) s.sensor.filterPattern = kDefaultPattern;
        s.sensor.isCanon = s.id.make == "Canon";
        if (s.sensor.isCanon) {
            s.loader =
                headHas(c, 6, "HEAPCCDR") ? Loader::kCanonCompressedRaw : Loader::kLosslessJpegRaw;
        }
        if (s.id.make == "NIKON") {
            s.loader = nikonCompressed(c) ? Loader::kNikonCompressedRaw : Loader::kNikonPackedRaw;
        }
        applyCameraTable(c);
    }
    if (s.colour.fixedMatrixSet >= 0) setFixedColourMatrix(s, s.colour.fixedMatrixSet);
    if (!s.sensor.useColourMatrix) applyColourMatrixTable(s);

    if (s.loader == Loader::kNone || g.height == 0 || s.loader == Loader::kNothing ||
        s.id.model.find("JPEG") != std::string::npos) {
        return;
    }
    if (!g.rawHeight) g.rawHeight = g.height;
    if (!g.rawWidth) g.rawWidth = g.width;
    s.supported = true;
    dc.file.seek(s.container.dataOffset);
}

}  // namespace tavrin::raw
