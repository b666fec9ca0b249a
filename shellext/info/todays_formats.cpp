#include "shellext/info/todays_formats.hpp"

#include <cstring>

#include "common/file_types.hpp"
#include "formats/isobmff_boxes.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::shell {
namespace {

// CMT1 (IFD0), CMT2 (EXIF) and CMT3 (maker notes); CMT4 holds GPS data, which is not shown.
constexpr std::size_t kShownMetadataBlocks = 3;

constexpr std::string_view kLargestPictureTypes[] = {".arw", ".sr2", ".srw", ".nrw",
                                                     ".3fr", ".iiq", ".rw2", ".rwl"};

EmbeddedPicture pictureOf(formats::ByteRange range) {
    return {static_cast<std::int64_t>(range.offset), static_cast<std::int64_t>(range.length)};
}

}  // namespace

std::optional<HRESULT> readCr3Info(InfoContext& ctx,
                                   const std::function<HRESULT(std::uint64_t)>& readTiffBlock) {
    const std::optional<formats::Cr3Layout> layout = formats::readCr3Layout(ctx.file);
    if (!layout) return std::nullopt;
    for (std::size_t i = 0; i < kShownMetadataBlocks; ++i) {
        if (layout->metadata[i].empty()) continue;
        if (const HRESULT r = readTiffBlock(layout->metadata[i].offset); r != com::S_OK) return r;
    }
    // The TIFF walk may have taken a strip for a picture: only the boxes' JPEGs count here.
    ctx.pictures.clear();
    takePicture(ctx.info, {});
    for (const formats::ByteRange range : {layout->thumbnail, layout->preview}) {
        if (range.empty()) continue;
        ctx.notePicture(pictureOf(range).offset, pictureOf(range).length);
        takePicture(ctx.info, pictureOf(range));
    }
    return com::S_OK;
}

std::optional<std::uint64_t> exifBlockOf(formats::FileReader& file, std::uint64_t jpegOffset) {
    // Start of image, APP1 and its length, "Exif" and two zero bytes.
    constexpr std::uint64_t kTiffAt = 12;
    std::uint8_t head[kTiffAt];
    if (jpegOffset == 0) return std::nullopt;
    file.seek(jpegOffset);
    if (file.read(head, sizeof head) != sizeof head) return std::nullopt;
    const bool exif = head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF && head[3] == 0xE1 &&
                      std::memcmp(head + 6, "Exif\0\0", 6) == 0;
    return exif ? std::optional(jpegOffset + kTiffAt) : std::nullopt;
}

bool showsLargestPicture(std::string_view path) {
    const std::string_view extension = innerExtension(path);
    for (const std::string_view type : kLargestPictureTypes) {
        if (ascii::equalsIgnoreCase(extension, type)) return true;
    }
    return false;
}

const EmbeddedPicture* largestIntactPicture(const std::vector<EmbeddedPicture>& pictures,
                                            std::int64_t fileSize) {
    const EmbeddedPicture* best = nullptr;
    for (const EmbeddedPicture& p : pictures) {
        const bool inside = p.offset >= 0 && p.length > 0 && p.length <= fileSize - p.offset;
        if (inside && (!best || p.length > best->length)) best = &p;
    }
    return best;
}

void takePicture(ImageInfo& info, const EmbeddedPicture& picture) {
    info.previewPrefix.clear();
    info.previewOffset = picture.offset;
    info.previewLength = picture.length;
}

}  // namespace tavrin::shell
