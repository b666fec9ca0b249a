// The Foveon X3F header: a directory of sections (camera metadata, image, properties) found
// through the file's last word.

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {
namespace {

constexpr std::uint32_t kMaxSections = 256;
constexpr std::uint32_t kMaxProperties = 256;

// A text of 16-bit characters (their low bytes kept), ended by a zero character, 64 at most.
std::string readWideText(formats::FileReader& f) {
    std::string text;
    for (int i = 0; i < 256; ++i) {
        const std::uint16_t c = f.ReadU16();
        if (c == 0 || f.atEnd()) break;
        if (text.size() < kMaxNameLength) text += static_cast<char>(c & 0xFF);
    }
    return text;
}

// A section starts "SEC" and the first letter of its type in lower case ("SECp" for "PROP").
bool sectionIs(formats::FileReader& f, std::uint64_t at, char kind) {
    char mark[4];
    f.seek(at);
    return f.read(mark, 4) == 4 && std::memcmp(mark, "SEC", 3) == 0 &&
           mark[3] == static_cast<char>(std::tolower(static_cast<unsigned char>(kind)));
}

}  // namespace

void parseFoveon(ParseContext& ctx) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    f.setOrder(formats::kLittleEndian);
    f.seek(36);
    const std::uint32_t rotation = f.ReadU32();
    if (rotation % 90 == 0 && rotation < 360)
        s.container.rotationDegrees = static_cast<int>(rotation);
    if (f.size() < 4) return;
    f.seek(f.size() - 4);
    const std::uint64_t directory = f.ReadU32();
    if (!sectionIs(f, directory, 'd')) return;
    f.seek(directory + 8);
    const std::uint32_t entries = f.ReadU32();
    bool haveImage = false;
    for (std::uint32_t e = 0; e < entries && e < kMaxSections; ++e) {
        const std::uint64_t offset = f.ReadU32();
        const std::uint32_t length = f.ReadU32();
        char type[4];
        f.read(type, 4);
        const std::uint64_t next = f.tell();
        if (offset + length > f.size() || !sectionIs(f, offset, type[0])) {
            f.seek(next);
            continue;
        }
        if (std::memcmp(type, "CAMF", 4) == 0 && length >= 28) {
            s.container.metaOffset = offset + 24;
            s.container.metaLength = std::min<std::uint32_t>(length - 28, kMaxMetaLength);
        } else if (std::memcmp(type, "IMAG", 4) == 0 && !haveImage) {
            haveImage = true;
            s.container.dataOffset = offset + 28;
            f.seek(offset + 16);  // behind the mark, version, image type and data format
            s.geometry.rawWidth = static_cast<int>(f.ReadU32() & 0xFFFF);
            s.geometry.rawHeight = static_cast<int>(f.ReadU32() & 0xFFFF);
        } else if (std::memcmp(type, "PROP", 4) == 0) {
            f.seek(offset + 8);
            const std::uint32_t count = std::min(f.ReadU32(), kMaxProperties);
            f.seek(offset + 24);
            const std::uint64_t texts = offset + 24 + static_cast<std::uint64_t>(count) * 8;
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint64_t nameAt = texts + 2 * static_cast<std::uint64_t>(f.ReadU32());
                const std::uint64_t valueAt = texts + 2 * static_cast<std::uint64_t>(f.ReadU32());
                const std::uint64_t pair = f.tell();
                f.seek(nameAt);
                const std::string name = readWideText(f);
                f.seek(valueAt);
                const std::string value = readWideText(f);
                if (name == "CAMMANUF") s.id.make = value;
                if (name == "CAMMODEL") s.id.model = value;
                if (name == "WB_DESC") s.id.model2 = value;
                if (name == "TIME") {
                    const long t = std::strtol(value.c_str(), nullptr, 10);
                    if (t > 0) s.container.timestamp = static_cast<std::time_t>(t);
                }
                f.seek(pair);
            }
        }
        f.seek(next);
    }
    s.sensor.isFoveon = true;
}

}  // namespace tavrin::raw
