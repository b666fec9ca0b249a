// The camera table: an ordered chain of tests on model, make, file size or raw width; the first
// row that matches applies its geometry, pattern, loader, levels, channel count, gains and
// colour set, and rows that need more than data run their own step. Keys are complete and in
// their order. Where the values of a row are not known to us the row matches and changes
// nothing, so such a camera stays with what its container said (and is unsupported when that
// gives no loader) instead of taking invented numbers.

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/system/ascii.hpp"
#include "rawengine/identify/identify.hpp"

namespace tavrin::raw {
namespace {

enum class Key {
    Model,          // model equals text
    ModelPrefix,    // model begins with text
    CanonRawWidth,  // make "Canon" and rawWidth equals number
    FileSize,       // the file has number bytes
    Make,           // make equals text, ignoring case (the row's step looks at the model)
};

struct Row {
    Key key;
    std::string_view text = {};
    std::int64_t number = 0;
    int height = 0, width = 0, rawWidth = 0;
    int top = 0, left = 0;
    std::uint32_t pattern = 0;
    Loader loader = Loader::kNone;
    int black = -1, white = 0, colours = 0;
    float red = 0, blue = 0;
    int matrixSet = -1;
    int fujiWidth = 0;
    void (*step)(IdentifyContext&) = nullptr;
};

bool noTimestamp(const IdentifyContext& c) {
    return c.s.container.timestamp == 0;
}

// --- content tests -------------------------------------------------------------------------

bool genuineE990(IdentifyContext& c) {
    std::uint8_t data[2000] = {};
    c.file.seek(2383920);
    c.file.read(data, sizeof data);
    int counts[256] = {};
    for (const std::uint8_t b : data)
        ++counts[b];
    return counts[0x00] > 400 || counts[0x55] > 400 || counts[0xAA] > 400 || counts[0xFF] > 400;
}

bool genuineE2100(IdentifyContext& c) {
    c.file.seek(0);
    for (int i = 0; i < 1024; ++i) {
        std::uint8_t b[12] = {};
        c.file.read(b, sizeof b);
        if ((((b[2] & b[4] & b[7] & b[9]) >> 4) & b[1] & b[6] & b[8] & b[11] & 3) != 3)
            return false;
    }
    return true;
}

bool isOptio33WR(IdentifyContext& c) {
    if (c.fileSize < 952) return false;
    std::uint8_t tail[952] = {};
    c.file.seek(c.fileSize - sizeof tail);
    c.file.read(tail, sizeof tail);
    long s0 = 0, s1 = 0;
    for (std::size_t i = 0; i < sizeof tail; ++i)
        (i & 4 ? s1 : s0) += tail[i];
    return s0 < 4 * s1;
}

bool isDimageZ2(IdentifyContext& c) {
    if (c.fileSize < 424) return false;
    std::uint8_t tail[424] = {};
    c.file.seek(c.fileSize - sizeof tail);
    c.file.read(tail, sizeof tail);
    return std::any_of(std::begin(tail), std::end(tail), [](std::uint8_t b) { return b != 0; });
}

// --- rows that need a step ----------------------------------------------------------------

void gains(DecodeState& s, std::initializer_list<std::pair<int, float>> channelGains) {
    for (const auto& [c, gain] : channelGains)
        s.colour.presetMultipliers[c] = gain;
}

void canon2144(IdentifyContext& c) {
    if (c.s.id.model == "PowerShot G1") {
        c.s.sensor.filterPattern = 0xB4B4B4B4;
        c.s.sensor.colourCount = 4;
    }
}

void canonMarginsFromRaw(IdentifyContext& c) {
    Geometry& g = c.s.geometry;
    g.height = g.rawHeight - g.topMargin;
    g.width = g.rawWidth - g.leftMargin;
}

void eosD2000c(IdentifyContext& c) {
    c.s.sensor.blackLevel = c.s.colour.toneCurve[200];
}

void eos1dRawSize(IdentifyContext& c) {
    c.s.geometry.rawHeight = c.s.geometry.height;
    c.s.geometry.rawWidth = c.s.geometry.width;
    c.s.container.dataOffset = c.s.id.model == "EOS-1D" ? 288912 : 289168;
}

void nikonD1(IdentifyContext& c) {
    c.s.colour.cameraMultipliers[0] *= 256.0f / 527;
    c.s.colour.cameraMultipliers[2] *= 256.0f / 317;
}

void nikonD100(IdentifyContext& c) {
    Geometry& g = c.s.geometry;
    if (c.s.container.compression == 34713 && c.s.loader == Loader::kNikonPackedRaw) {
        g.width += 3;
        g.rawWidth = g.width;
    }
}

void nikonE900(IdentifyContext& c) {
    gains(c.s, {{0, 1.2085f}, {1, 1.0943f}, {3, 1.1103f}});
}

void nikonE990(IdentifyContext& c) {
    DecodeState& s = c.s;
    s.geometry.height = 1540;
    s.geometry.width = 2064;
    s.sensor.colourCount = 4;
    if (noTimestamp(c) && !genuineE990(c)) {
        s.id.model = "E995";
        s.sensor.filterPattern = 0xE1E1E1E1;
        return;
    }
    s.sensor.filterPattern = 0xB4B4B4B4;
    s.colour.fixedMatrixSet = 2;
    gains(s, {{0, 1.196f}, {1, 1.246f}, {2, 1.018f}});
}

void nikonE2100(IdentifyContext& c) {
    DecodeState& s = c.s;
    if (!noTimestamp(c) || genuineE2100(c)) {
        s.geometry.height = 1206;
        s.geometry.width = 1616;
        s.loader = Loader::kNikonE2100Raw;
        s.colour.presetMultipliers[0] = 1.945f;
        s.colour.presetMultipliers[2] = 1.04f;
        return;
    }
    s.id.model = "E2500";
    s.geometry.height = 1204;
    s.geometry.width = 1616;
    s.sensor.filterPattern = 0x4B4B4B4B;
    s.sensor.colourCount = 4;
}

void nikonE3700(IdentifyContext& c) {
    if (noTimestamp(c) && isOptio33WR(c)) {
        c.s.id.make = "PENTAX";
        c.s.id.model = "Optio 33WR";
    }
}

void nikonE4300(IdentifyContext& c) {
    if (noTimestamp(c) && isDimageZ2(c)) {
        c.s.id.make = "MINOLTA";
        c.s.id.model = "DiMAGE Z2";
    }
}

void fujiS2Pro(IdentifyContext& c) {
    c.s.id.model = "FinePix S2Pro";
}

void fujiS5100(IdentifyContext& c) {
    c.s.container.dataOffset += 23040;
}

// The Minolta DiMAGE G and Konica KD rows share their tail: big-endian white-balance words.
void minoltaTail(IdentifyContext& c, std::uint64_t wordsAt) {
    DecodeState& s = c.s;
    s.sensor.filterPattern = 0x61616161;
    s.loader = Loader::kUnpackedRaw;
    s.sensor.whiteLevel = 991;
    c.file.setOrder(formats::kBigEndian);
    c.file.seek(wordsAt);
    static constexpr int kTarget[] = {0, 2, 1, 3};
    for (int t : kTarget)
        s.colour.cameraMultipliers[t] = c.file.readU16();
}

void presetIfUnset(DecodeState& s) {
    if (s.colour.presetMultipliers[0] == 1.0f && s.colour.presetMultipliers[2] == 1.0f) {
        s.colour.presetMultipliers[0] = 1.42f;
        s.colour.presetMultipliers[2] = 1.25f;
    }
}

void konicaKd400z(IdentifyContext& c) {
    Geometry& g = c.s.geometry;
    g.height = 1712, g.width = 2312, g.rawWidth = 2336;
    c.s.container.dataOffset = 4034;
    minoltaTail(c, 2032);
    presetIfUnset(c.s);
}

void konicaKd510z(IdentifyContext& c) {
    Geometry& g = c.s.geometry;
    g.height = 1956, g.width = 2607, g.rawWidth = 2624;
    c.s.container.dataOffset = 4032;
    c.s.colour.presetMultipliers[0] = 1.297f;
    c.s.colour.presetMultipliers[2] = 1.438f;
    minoltaTail(c, 2032);
    presetIfUnset(c.s);
}

void minolta(IdentifyContext& c) {
    DecodeState& s = c.s;
    const std::string& m = s.id.model;
    s.loader = Loader::kUnpackedRaw;
    s.sensor.whiteLevel = 3965;
    if (m.compare(0, 8, "DiMAGE A") == 0) {
        s.loader = Loader::kPacked12Raw;
        s.sensor.whiteLevel = m.size() > 8 && m[8] == '1' ? 3979 : 4095;
        if (m == "DiMAGE A200") s.sensor.filterPattern = 0x49494949;
    } else if (m.compare(0, 5, "ALPHA") == 0 || m.compare(0, 5, "DYNAX") == 0 ||
               m.compare(0, 6, "MAXXUM") == 0) {
        s.loader = Loader::kPacked12Raw;
        s.sensor.whiteLevel = 4091;
    } else if (m.compare(0, 8, "DiMAGE G") == 0 && m.size() > 8) {
        Geometry& g = s.geometry;
        if (m[8] == '4') {
            g.height = 1716, g.width = 2304;
            s.container.dataOffset = 5056;
            s.colour.presetMultipliers[0] = 1.602f;
            s.colour.presetMultipliers[2] = 1.441f;
            minoltaTail(c, 2078);
        } else if (m[8] == '5') {
            g.height = 1956, g.width = 2607, g.rawWidth = 2624;
            s.container.dataOffset = 4016;
            minoltaTail(c, 1936);
        } else if (m[8] == '6') {
            g.height = 2136, g.width = 2848;
            s.container.dataOffset = 4032;
            minoltaTail(c, 2030);
        }
    }
    presetIfUnset(s);
}

void pentaxOptioS(IdentifyContext& c) {
    DecodeState& s = c.s;
    if (c.fileSize == 3178560) {
        s.geometry.height = 1540, s.geometry.width = 2064;
        s.loader = Loader::kEightBitRaw;
        s.colour.presetMultipliers[0] = 1.391f;
        s.colour.presetMultipliers[2] = 1.188f;
        s.colour.cameraMultipliers[0] *= 4;
        s.colour.cameraMultipliers[2] *= 4;
    } else {
        s.geometry.height = 1544, s.geometry.width = 2068, s.geometry.rawWidth = 3136;
        s.loader = Loader::kPacked12Raw;
        s.sensor.whiteLevel = 3964;
        s.colour.presetMultipliers[0] = 1.137f;
        s.colour.presetMultipliers[2] = 1.453f;
    }
}

void phaseOne(IdentifyContext& c) {
    DecodeState& s = c.s;
    s.loader = Loader::kPhaseOneRaw;
    s.sensor.whiteLevel = 65535;
    struct Back {
        int rawHeight;
        const char* model;
        float red, blue;
    };
    static constexpr Back kBacks[] = {
        {2060, "LightPhase", 1.331f, 1.154f},
        {2682, "H 10", 0, 0},
        {4128, "H 20", 1.963f, 1.43f},
        {5488, "H 25", 2.8f, 1.2f},
    };
    for (const auto& b : kBacks) {
        if (s.geometry.rawHeight != b.rawHeight) continue;
        s.id.model = b.model;
        if (b.red) s.colour.presetMultipliers[0] = b.red;
        if (b.blue) s.colour.presetMultipliers[2] = b.blue;
    }
}

void imacon(IdentifyContext& c) {
    DecodeState& s = c.s;
    s.geometry.height = 5444, s.geometry.width = 4080, s.geometry.rawWidth = 4090;
    s.sensor.filterPattern = 0x61616161;
    s.loader = Loader::kUnpackedRaw;
    s.sensor.whiteLevel = 65535;
    s.colour.presetMultipliers[0] = 1.963f;
    s.colour.presetMultipliers[2] = 1.43f;
    s.container.dataOffset = 49394;
    s.id.model =
        "Ixpress " + std::to_string(s.geometry.height * s.geometry.width / 1000000) + "-Mp";
}

void leaf(IdentifyContext& c) {
    DecodeState& s = c.s;
    s.loader = Loader::kUnpackedRaw;
    s.sensor.whiteLevel = 16383;
    s.sensor.filterPattern = s.geometry.height > s.geometry.width ? 0x16161616 : 0;
    s.id.model = "Valeo";
    if (s.geometry.rawWidth == 2060) {
        s.sensor.filterPattern = 0;
        s.loader = Loader::kLeafRaw;
        s.sensor.whiteLevel = 65535;
        s.id.model = "Volare";
    }
}

void olympusE300(IdentifyContext& c) {
    DecodeState& s = c.s;
    s.geometry.width -= 21;
    if (c.fileSize >= 15728641) {
        s.loader = Loader::kUnpackedRaw;
        s.sensor.whiteLevel = 64560;
    } else {
        s.loader = Loader::kOlympusE300Raw;
        s.sensor.blackLevel = 62;
    }
}

void sonyV3(IdentifyContext& c) {
    c.s.geometry.width = 3109;
}

void sonyF828(IdentifyContext& c) {
    c.s.geometry.width = 3288;
}

// The Kodak family: a few per-model changes, then the loader by compression.
void kodak(IdentifyContext& c) {
    DecodeState& s = c.s;
    Geometry& g = s.geometry;
    const std::string& m = s.id.model;
    auto narrow = [&](int left) {
        g.width -= 4;
        g.leftMargin = left;
    };
    auto mono = [&] {
        s.sensor.colourCount = 1;
        s.sensor.filterPattern = 0;
    };
    if (m == "NC2000F") {
        narrow(1);
        for (std::size_t i = 176; i < s.colour.toneCurve.size(); ++i)
            s.colour.toneCurve[i] = s.colour.toneCurve[175];
        s.colour.presetMultipliers[0] = 1.509f;
        s.colour.presetMultipliers[2] = 2.686f;
    } else if (m == "EOSDCS3B" || m == "EOSDCS1" || m == "DCS420" || m == "DCS460") {
        narrow(2);
    } else if (m == "DCS460A") {
        narrow(2);
        mono();
    } else if (m == "DCS315C" || m == "DCS330C") {
        s.sensor.blackLevel = 8;
    } else if (m == "DCS520C" || m == "DCS620C") {
        s.sensor.blackLevel = 180;
    } else if (m == "DCS560C") {
        s.sensor.blackLevel = 188;
    } else if (m == "DCS620X") {
        s.sensor.blackLevel = 185;
    } else if (m == "DCS660C") {
        s.sensor.blackLevel = 214;
    } else if (m == "DCS660M") {
        s.sensor.blackLevel = 214;
        mono();
    } else if (m == "DCS760M") {
        mono();
    } else if (m.find("DC25") != std::string::npos) {
        return;  // values not known to us
    } else if (m.compare(0, 3, "DC2") == 0) {
        const bool wide = c.fileSize >= 100000;
        g.height = 242;
        g.width = wide ? 501 : 249;
        g.rawWidth = wide ? 512 : 256;
        s.sensor.filterPattern = 0x8D8D8D8D;
        s.loader = Loader::kKodakEasyRaw;
        s.sensor.colourCount = 4;
        gains(s, {{1, 1.179f}, {2, 1.209f}, {3, 1.036f}});
        s.colour.fixedMatrixSet = 1;
        s.container.dataOffset += static_cast<std::uint64_t>(g.rawWidth) + 1;
        return;
    } else if (m == "Digital Camera 40") {
        s.id.model = "DC40";
        g.height = 512, g.width = 768;
        s.loader = Loader::kKodakRadialRaw;
        s.container.dataOffset = 1152;
        return;
    } else if (m.find("DC50") != std::string::npos) {
        return;  // values not known to us
    } else if (m.find("DC120") != std::string::npos) {
        g.height = 976, g.width = 848;
        s.loader = s.container.compression == 7 ? Loader::kNothing : Loader::kKodakDc120Raw;
        return;
    }
    switch (s.container.compression) {
        case 0:
        case 1:
            s.loader = Loader::kKodakEasyRaw;
            break;
        case 7:
            s.loader = Loader::kLosslessJpegRaw;
            break;
        case 32867:
            break;
        case 65000:
            if (s.container.photometric == 32803) {
                s.loader = Loader::kKodak65000Raw;
            } else {
                g.height = (g.height + 1) & ~1;
                g.width = (g.width + 1) & ~1;
                s.sensor.filterPattern = 0;
                s.loader = Loader::kKodakYuvRaw;
            }
            break;
        default:
            s.loader = Loader::kNone;
            break;
    }
}

void nucore(IdentifyContext& c) {
    DecodeState& s = c.s;
    s.sensor.filterPattern = 0x61616161;
    s.loader = Loader::kUnpackedRaw;
    if (s.geometry.width == 2598) {
        s.sensor.filterPattern = 0x16161616;
        s.loader = Loader::kNucoreRaw;
    }
}

// The chain, in its order.
const std::vector<Row>& rows() {
    // clang-format off
    static const std::vector<Row> kRows = {
        {.key = Key::Model, .text = "PowerShot 600", .height = 613, .width = 854, .pattern = 0xE1E4E1E4, .loader = Loader::kCanon600Raw, .colours = 4},
        {.key = Key::Model, .text = "PowerShot A5", .height = 773, .width = 960, .rawWidth = 992, .pattern = 0x1E4E1E4E, .loader = Loader::kCanonA5Raw, .colours = 4},
        {.key = Key::Model, .text = "PowerShot A5 Zoom", .height = 773, .width = 960, .rawWidth = 992, .pattern = 0x1E4E1E4E, .loader = Loader::kCanonA5Raw, .colours = 4},
        {.key = Key::Model, .text = "PowerShot A50", .height = 968, .width = 1290, .rawWidth = 1320, .pattern = 0x1B4E4B1E, .loader = Loader::kCanonA5Raw, .colours = 4},
        {.key = Key::Model, .text = "PowerShot Pro70", .height = 1024, .width = 1552, .pattern = 0x1E4B4E1B, .loader = Loader::kCanonA5Raw, .black = 34, .colours = 4},
        {.key = Key::Model, .text = "PowerShot Pro90 IS", .width = 1896, .pattern = 0xB4B4B4B4, .colours = 4},
        {.key = Key::CanonRawWidth, .number = 2144, .height = 1550, .width = 2088, .top = 8, .left = 4, .step = canon2144},
        {.key = Key::CanonRawWidth, .number = 2224, .height = 1448, .width = 2176, .top = 6, .left = 48},
        {.key = Key::CanonRawWidth, .number = 2376, .height = 1720, .width = 2312, .top = 6, .left = 12},
        {.key = Key::CanonRawWidth, .number = 2672, .height = 1960, .width = 2616, .top = 6, .left = 12},
        {.key = Key::CanonRawWidth, .number = 3152, .height = 2056, .width = 3088, .top = 12, .left = 64, .white = 4000},
        {.key = Key::CanonRawWidth, .number = 3160, .height = 2328, .width = 3112, .top = 12, .left = 44},
        {.key = Key::CanonRawWidth, .number = 3344, .height = 2472, .width = 3288, .top = 6, .left = 4},
        {.key = Key::Model, .text = "EOS D2000C", .pattern = 0x61616161, .step = eosD2000c},
        {.key = Key::Model, .text = "EOS-1D", .height = 1662, .width = 2496, .pattern = 0x61616161, .step = eos1dRawSize},
        {.key = Key::Model, .text = "EOS-1DS", .height = 2718, .width = 4082, .pattern = 0x61616161, .step = eos1dRawSize},
        {.key = Key::CanonRawWidth, .number = 3516, .top = 14, .left = 42, .step = canonMarginsFromRaw},
        {.key = Key::CanonRawWidth, .number = 3596, .top = 12, .left = 74, .step = canonMarginsFromRaw},
        {.key = Key::CanonRawWidth, .number = 5108, .top = 13, .left = 98, .white = 3712, .step = canonMarginsFromRaw},
        {.key = Key::Model, .text = "D1", .step = nikonD1},
        {.key = Key::Model, .text = "D1X", .width = 4024},
        {.key = Key::Model, .text = "D100", .white = 3372, .step = nikonD100},
        {.key = Key::Model, .text = "D2H", .width = 2482, .left = 6},
        {.key = Key::Model, .text = "D2X", .width = 4312, .red = 1.514f, .blue = 1.727f},
        {.key = Key::FileSize, .number = 1581060, .height = 963, .width = 1287, .rawWidth = 1632, .pattern = 0x1E1E1E1E, .loader = Loader::kNikonE900Raw, .white = 1012, .colours = 4, .matrixSet = 2, .step = nikonE900},
        {.key = Key::FileSize, .number = 2465792},
        {.key = Key::Model, .text = "E880", .step = nikonE990},
        {.key = Key::Model, .text = "E990", .step = nikonE990},
        {.key = Key::Model, .text = "E995", .height = 1540, .width = 2064, .pattern = 0xE1E1E1E1, .colours = 4},
        {.key = Key::Model, .text = "E2100", .step = nikonE2100},
        {.key = Key::Model, .text = "E2500", .height = 1204, .width = 1616, .pattern = 0x4B4B4B4B, .colours = 4},
        {.key = Key::Model, .text = "E3700", .step = nikonE3700},
        {.key = Key::Model, .text = "Optio 33WR"},
        {.key = Key::Model, .text = "E4300", .step = nikonE4300},
        {.key = Key::Model, .text = "DiMAGE Z2"},
        {.key = Key::Model, .text = "E4500"},
        {.key = Key::FileSize, .number = 7438336},
        {.key = Key::Model, .text = "R-D1"},
        {.key = Key::Model, .text = "FinePixS2Pro", .height = 3584, .width = 3583, .pattern = 0x61616161, .loader = Loader::kFujiS2Raw, .black = 128, .fujiWidth = 2144, .step = fujiS2Pro},
        {.key = Key::Model, .text = "FinePix S3Pro", .height = 3583, .width = 3584, .pattern = 0x49494949, .loader = Loader::kFujiS3Raw, .white = 15869, .fujiWidth = 2144},
        {.key = Key::Model, .text = "FinePix S5000", .height = 2499, .width = 2500, .pattern = 0x49494949, .loader = Loader::kFujiRotatedRaw, .white = 15872, .fujiWidth = 1423},
        {.key = Key::Model, .text = "FinePix S5100", .height = 1735, .width = 2304, .pattern = 0x49494949, .loader = Loader::kUnpackedRaw, .white = 65535, .step = fujiS5100},
        {.key = Key::Model, .text = "FinePix S5500", .height = 1735, .width = 2304, .pattern = 0x49494949, .loader = Loader::kUnpackedRaw, .white = 65535, .step = fujiS5100},
        {.key = Key::Model, .text = "FinePix E550"},
        {.key = Key::ModelPrefix, .text = "FinePix F8"},
        {.key = Key::Model, .text = "FinePix S7000"},
        {.key = Key::ModelPrefix, .text = "FinePix F7"},
        {.key = Key::Model, .text = "FinePix S20Pro"},
        {.key = Key::Model, .text = "Digital Camera KD-400Z", .step = konicaKd400z},
        {.key = Key::Model, .text = "Digital Camera KD-510Z", .step = konicaKd510z},
        {.key = Key::Make, .text = "MINOLTA", .step = minolta},
        {.key = Key::Model, .text = "*ist D"},
        {.key = Key::Model, .text = "*ist DS"},
        {.key = Key::Model, .text = "Optio S", .step = pentaxOptioS},
        {.key = Key::ModelPrefix, .text = "Optio S4"},
        {.key = Key::Model, .text = "STV680 VGA", .height = 484, .width = 644, .pattern = 0x16161616, .loader = Loader::kEightBitRaw, .black = 16, .red = 1.097f, .blue = 1.128f},
        {.key = Key::Make, .text = "Phase One", .step = phaseOne},
        {.key = Key::Make, .text = "Imacon", .step = imacon},
        {.key = Key::Make, .text = "Sinar"},
        {.key = Key::Make, .text = "Leaf", .step = leaf},
        {.key = Key::Model, .text = "DIGILUX 2"},
        {.key = Key::Model, .text = "DMC-LC1"},
        {.key = Key::Model, .text = "E-1"},
        {.key = Key::Model, .text = "E-10"},
        {.key = Key::ModelPrefix, .text = "E-20"},
        {.key = Key::Model, .text = "E-300", .step = olympusE300},
        {.key = Key::Make, .text = "OLYMPUS"},
        {.key = Key::Model, .text = "N Digital"},
        {.key = Key::Model, .text = "DSC-F828", .left = 5, .pattern = 0x9C9C9C9C, .loader = Loader::kSonyRaw, .black = 491, .colours = 4, .step = sonyF828},
        {.key = Key::Model, .text = "DSC-V3", .left = 59, .loader = Loader::kSonyRaw, .step = sonyV3},
        {.key = Key::Make, .text = "KODAK", .step = kodak},
        {.key = Key::Model, .text = "Fotoman Pixtura"},
        {.key = Key::Make, .text = "Rollei"},
        {.key = Key::Model, .text = "PC-CAM 600"},
        {.key = Key::Model, .text = "QV-2000UX"},
        {.key = Key::Model, .text = "QV-3*00EX"},
        {.key = Key::Model, .text = "QV-4000"},
        {.key = Key::Model, .text = "QV-5700", .height = 1924, .width = 2576, .loader = Loader::kCasioQV5700Raw},
        {.key = Key::Model, .text = "QV-R51"},
        {.key = Key::Model, .text = "EX-Z50"},
        {.key = Key::Model, .text = "EX-Z55"},
        {.key = Key::Model, .text = "EX-P505"},
        {.key = Key::Model, .text = "EX-P600"},
        {.key = Key::Model, .text = "EX-P700"},
        {.key = Key::Make, .text = "Nucore", .step = nucore},
    };
    // clang-format on
    return kRows;
}

bool matches(const Row& row, const IdentifyContext& c) {
    const DecodeState& s = c.s;
    const std::string& model = s.id.model;
    switch (row.key) {
        case Key::Model:
            return model == row.text;
        case Key::ModelPrefix:
            return model.compare(0, row.text.size(), row.text) == 0;
        case Key::CanonRawWidth:
            return s.id.make == "Canon" && s.geometry.rawWidth == row.number;
        case Key::FileSize:
            return static_cast<std::int64_t>(c.fileSize) == row.number;
        case Key::Make:
            return ascii::equalsIgnoreCase(s.id.make, row.text);
    }
    return false;
}

void apply(const Row& row, IdentifyContext& c) {
    DecodeState& s = c.s;
    Geometry& g = s.geometry;
    if (row.height) g.height = row.height;
    if (row.width) g.width = row.width;
    if (row.rawWidth) g.rawWidth = row.rawWidth;
    if (row.top) g.topMargin = row.top;
    if (row.left) g.leftMargin = row.left;
    if (row.pattern) s.sensor.filterPattern = row.pattern;
    if (row.loader != Loader::kNone) s.loader = row.loader;
    if (row.black >= 0) s.sensor.blackLevel = row.black;
    if (row.white) s.sensor.whiteLevel = row.white;
    if (row.colours) s.sensor.colourCount = row.colours;
    if (row.red) s.colour.presetMultipliers[0] = row.red;
    if (row.blue) s.colour.presetMultipliers[2] = row.blue;
    if (row.matrixSet >= 0) s.colour.fixedMatrixSet = row.matrixSet;
    if (row.fujiWidth) g.fujiWidth = row.fujiWidth;
    if (row.step) row.step(c);
}

}  // namespace

void applyCameraTable(IdentifyContext& c) {
    for (const Row& row : rows()) {
        if (matches(row, c)) {
            apply(row, c);
            return;
        }
    }
}

}  // namespace tavrin::raw
