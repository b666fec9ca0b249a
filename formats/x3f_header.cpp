#include "formats/x3f_header.hpp"

#include <cctype>
#include <cstring>

#include "formats/container_limits.hpp"

namespace tavrin::formats {
namespace {

bool markedAt(FileReader& f, std::uint64_t at, char kind) {
    char mark[4];
    f.seek(at);
    return f.read(mark, 4) == 4 && std::memcmp(mark, "SEC", 3) == 0 &&
           mark[3] == static_cast<char>(std::tolower(static_cast<unsigned char>(kind)));
}

}  // namespace

X3fHeader readX3fHeader(FileReader& f) {
    f.setOrder(kLittleEndian);
    X3fHeader header;
    f.seek(4);
    header.version = f.readU32();
    f.seek(36);
    header.rotation = f.readU32();
    f.seek(248);
    header.width = f.readU32();
    header.height = f.readU32();
    if (f.size() >= 4) {
        f.seek(f.size() - 4);
        header.directory = f.readU32();
    }
    return header;
}

bool walkX3fDirectory(FileReader& f, std::uint64_t directory,
                      const std::function<void(const X3fSection&)>& visit) {
    if (!markedAt(f, directory, 'd')) return false;
    f.seek(directory + 8);
    const std::uint32_t entries = f.readU32();
    for (std::uint32_t e = 0; e < entries && e < kMaxX3fSections; ++e) {
        X3fSection section;
        section.offset = f.readU32();
        section.length = f.readU32();
        f.read(section.type.data(), section.type.size());
        section.end = f.tell();
        visit(section);
        f.seek(section.end);
    }
    return true;
}

bool x3fSectionMarked(FileReader& f, const X3fSection& section) {
    return section.offset + section.length <= f.size() &&
           markedAt(f, section.offset, section.type[0]);
}

}  // namespace tavrin::formats
