// Canon's CIFF heap: records of make and model, raw size, time, rotation, white balance and the
// decoder table number, with sub-heaps inside.

#include <array>
#include <string_view>

#include "formats/ciff_heap.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {
namespace {

constexpr std::array<int, 6> kMap2{1, 2, 3, 4, 5, 1};
constexpr std::array<int, 11> kMap3{0, 1, 3, 4, 5, 6, 0, 0, 2, 8, 0};

// These models mask their white-balance words with a fixed pair of words whose values this build
// does not have (and index them through their own map); their words are not read, and camera
// balance falls back as it does for a file without them.
bool masksWords(std::string_view model) {
    return model == "Canon PowerShot G6" || model == "Canon PowerShot S70" ||
           model == "Canon PowerShot Pro1";
}

struct CiffState {
    int whiteBalanceIndex = -1;
};

// Four colour words w0..w3: red = w1 / w0, blue = w2 / w3.
void readColourWords(ParseContext& ctx, std::uint64_t at) {
    ctx.file.seek(at);
    std::uint16_t w[4];
    for (auto& v : w)
        v = ctx.file.readU16();
    if (w[0] && w[3]) {
        ctx.s.colour.cameraMultipliers[0] = static_cast<float>(w[1]) / w[0];
        ctx.s.colour.cameraMultipliers[2] = static_cast<float>(w[2]) / w[3];
    }
}

// The 8 x 8 neutral patch: 64 samples of 10 or 12 bits from a stream of 16-bit words.
void readGrayPatch(ParseContext& ctx, std::uint64_t at) {
    formats::FileReader& f = ctx.file;
    f.seek(at + 2);
    if (f.readU32() != 0x80008 || f.readU32() == 0) return;
    const unsigned bits = f.readU16();
    if (bits != 10 && bits != 12) return;
    std::uint64_t buffer = 0;
    unsigned available = 0;
    for (int i = 0; i < 64; ++i) {
        while (available < bits) {
            buffer = buffer << 16 | f.readU16();
            available += 16;
        }
        available -= bits;
        ctx.s.colour.grayPatch[i / 8][i % 8] =
            static_cast<std::uint16_t>((buffer >> available) & ((1u << bits) - 1));
    }
}

void readRecord(ParseContext& ctx, CiffState& st, const formats::CiffRecord& record) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    const std::uint64_t data = record.offset;
    const std::uint32_t len = record.size;
    const std::string& model = s.id.model;
    f.seek(data);
    switch (record.type) {
        case 0x080A:
            s.id.make = readText(f, 64);
            f.seek(data + s.id.make.size() + 1);
            s.id.model = readText(f, 64);
            break;
        case 0x102A:
            f.seek(data + 14);
            st.whiteBalanceIndex = f.readU16();
            if (st.whiteBalanceIndex == 6 &&
                (model == "Canon EOS DIGITAL REBEL" || model == "Canon EOS 300D DIGITAL")) {
                st.whiteBalanceIndex = 7;
            }
            break;
        case 0x102C:
            if (model == "Canon PowerShot G1" || model == "Canon PowerShot Pro90 IS") {
                f.seek(data + 120);
                auto& g = s.colour.grayPatch;
                g[0][1] = f.readU16();
                g[0][0] = f.readU16();
                g[1][0] = f.readU16();
                g[1][1] = f.readU16();
            } else if (!masksWords(model)) {
                readColourWords(ctx, data + 100);
            }
            break;
        case 0x0032: {
            const int i = st.whiteBalanceIndex;
            if (model == "Canon EOS D30") {
                readColourWords(ctx, data + 72);
            } else if (masksWords(model)) {
                // masked words: see masksWords
            } else if (s.colour.cameraMultipliers[0] == 0) {
                const bool mapped = i >= 0 && i < static_cast<int>(kMap2.size());
                readColourWords(ctx, data + 80 + (mapped ? 8 * kMap2[i] : 0));
            }
            break;
        }
        case 0x10A9: {
            int i = st.whiteBalanceIndex;
            if (model == "Canon EOS 10D") {
                if (i < 0 || i >= static_cast<int>(kMap3.size())) break;
                i = kMap3[i];
            }
            if (i < 0 || i > 64) break;
            f.seek(data + 2 + 8 * static_cast<std::uint64_t>(i));
            std::uint16_t w[4];
            for (auto& v : w)
                v = f.readU16();
            if (w[1] && w[2]) {
                s.colour.cameraMultipliers[0] = static_cast<float>(w[0]) / w[1];
                s.colour.cameraMultipliers[2] = static_cast<float>(w[3]) / w[2];
            }
            break;
        }
        case 0x1030:
            if (st.whiteBalanceIndex == 6 || st.whiteBalanceIndex == 15) readGrayPatch(ctx, data);
            break;
        case 0x1031:
            f.seek(data + 2);
            s.geometry.rawWidth = f.readU16();
            s.geometry.rawHeight = f.readU16();
            break;
        case 0x180E: {
            const auto t = static_cast<std::time_t>(f.readU32());
            if (t > 0) s.container.timestamp = t;
            break;
        }
        case 0x580E:
            if (len > 0) s.container.timestamp = static_cast<std::time_t>(len);
            break;
        case 0x1810: {
            f.seek(data + 12);
            const std::uint32_t degrees = f.readU32();
            if (degrees % 90 == 0 && degrees < 360)
                s.container.rotationDegrees = static_cast<int>(degrees);
            break;
        }
        case 0x2007:  // the camera's JPEG of the picture
            s.container.notePreview(data, len);
            break;
        case 0x1835:
            s.container.canonTable = static_cast<int>(f.readU32() & 0xFF);
            break;
        default:
            break;
    }
}

}  // namespace

void parseCiff(ParseContext& ctx, std::uint64_t offset, std::uint64_t length) {
    CiffState st;
    formats::walkCiffHeap(ctx.file, offset, length, ctx.nesting, ctx.budget,
                          [&](const formats::CiffRecord& record) { readRecord(ctx, st, record); });
    if (st.whiteBalanceIndex == 0 && ctx.s.id.model == "Canon EOS D30") {
        ctx.s.colour.cameraMultipliers[0] = -1;
    }
}

}  // namespace tavrin::raw
