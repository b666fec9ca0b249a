// Minolta's note: where the camera's preview picture lies.

#include "shellext/metadata/maker_notes.hpp"

namespace tavrin::shell {
namespace {

constexpr std::uint16_t kTagPreview = 0x0081;
constexpr std::uint16_t kTagPreviewOffset = 0x0088;
constexpr std::uint16_t kTagPreviewLength = 0x0089;

}  // namespace

void readMinoltaNoteEntry(InfoContext& ctx, const formats::TiffEntry& entry) {
    ImageInfo& info = ctx.info;
    if (info.make.find("Minolta") == std::string::npos &&
        info.make.find("MINOLTA") == std::string::npos) {
        return;
    }
    const std::uint64_t base = entry.directory->base;
    if (entry.tag == kTagPreview) {
        info.previewOffset = entry.field + base;
        info.previewLength = entry.count;
    }
    if (entry.tag == kTagPreviewOffset) info.previewOffset = entry.field + base;
    if (entry.tag == kTagPreviewLength) info.previewLength = entry.field;
}

}  // namespace tavrin::shell
