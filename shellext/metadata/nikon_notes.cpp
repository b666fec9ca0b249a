// Nikon's note: the ISO setting and the white-balance text.

#include "shellext/metadata/maker_notes.hpp"

namespace tavrin::shell {
namespace {

constexpr std::uint16_t kTagIso = 0x0002;
constexpr std::uint16_t kTagWhiteBalance = 0x0005;

}  // namespace

void readNikonNoteEntry(InfoContext& ctx, const formats::TiffEntry& entry) {
    formats::FileReader& f = ctx.file;
    if (entry.tag == kTagIso) {
        f.seek(entry.valueAt + 2);
        const unsigned iso = f.readU16();
        if (iso <= kMaxIso) ctx.info.shooting.isoText = std::to_string(iso);
    }
    if (entry.tag == kTagWhiteBalance && entry.count > 0) {
        f.seek(entry.valueAt);
        ctx.info.shooting.whiteBalance = readExifText(f, entry.count - 1, entry.count - 1);
    }
}

}  // namespace tavrin::shell
