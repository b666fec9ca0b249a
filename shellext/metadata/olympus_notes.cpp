// Olympus's note: where the camera's preview picture lies.

#include "shellext/metadata/maker_notes.hpp"

namespace tavrin::shell {
namespace {

constexpr std::uint16_t kTagPreview = 0x0100;
constexpr std::uint16_t kTagPreviewWithoutMarker = 0x0280;

}  // namespace

void readOlympusNoteEntry(InfoContext& ctx, const formats::TiffEntry& entry) {
    ImageInfo& info = ctx.info;
    const std::uint64_t base = entry.directory->base;
    if (entry.tag == kTagPreview && entry.type == 7 && info.make.compare(0, 7, "OLYMPUS") == 0) {
        info.previewOffset = entry.field + base;
        info.previewLength = entry.count;
    }
    // A picture stored without its first byte, the 0xFF of its start marker.
    if (entry.tag == kTagPreviewWithoutMarker && entry.type == 1) {
        info.previewOffset = entry.field + base + 1;
        info.previewLength = static_cast<std::int64_t>(entry.count) - 1;
        info.previewPrefix = std::string(1, '\xFF');
    }
}

}  // namespace tavrin::shell
