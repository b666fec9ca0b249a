// The Foveon X3F header: a directory of sections (camera metadata, image, properties) found
// through the file's last word.

#include <cstdlib>
#include <string>

#include "formats/container_limits.hpp"
#include "formats/x3f_header.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {
namespace {

// A text of 16-bit characters (their low bytes kept), ended by a zero character, 64 at most.
std::string readWideText(formats::FileReader& f) {
    std::string text;
    for (int i = 0; i < 256; ++i) {
        const std::uint16_t c = f.readU16();
        if (c == 0 || f.atEnd()) break;
        if (text.size() < kMaxNameLength) text += static_cast<char>(c & 0xFF);
    }
    return text;
}

}  // namespace

void parseFoveon(ParseContext& ctx) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    const formats::X3fHeader header = formats::readX3fHeader(f);
    if (header.rotation % 90 == 0 && header.rotation < 360)
        s.container.rotationDegrees = static_cast<int>(header.rotation);
    if (!header.directory) return;
    bool haveImage = false;
    const bool found =
        formats::walkX3fDirectory(f, *header.directory, [&](const formats::X3fSection& section) {
            if (!formats::x3fSectionMarked(f, section)) return;
            const std::uint64_t offset = section.offset;
            const std::uint32_t length = section.length;
            if (section.is("CAMF") && length >= 28) {
                s.container.metaOffset = offset + 24;
                s.container.metaLength = std::min<std::uint32_t>(length - 28, kMaxMetaLength);
            } else if (section.is("IMAG") && !haveImage) {
                haveImage = true;
                s.container.dataOffset = offset + 28;
                f.seek(offset + 16);  // behind the mark, version, image type and data format
                s.geometry.rawWidth = static_cast<int>(f.readU32() & 0xFFFF);
                s.geometry.rawHeight = static_cast<int>(f.readU32() & 0xFFFF);
            } else if (section.is("PROP")) {
                f.seek(offset + 8);
                const std::uint32_t count = std::min(f.readU32(), formats::kMaxX3fProperties);
                f.seek(offset + 24);
                const std::uint64_t texts = offset + 24 + static_cast<std::uint64_t>(count) * 8;
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint64_t nameAt =
                        texts + 2 * static_cast<std::uint64_t>(f.readU32());
                    const std::uint64_t valueAt =
                        texts + 2 * static_cast<std::uint64_t>(f.readU32());
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
        });
    if (found) s.sensor.isFoveon = true;
}

}  // namespace tavrin::raw
