#pragma once
// What the image info reader does for the RAW formats of today's cameras: Canon's CR3 (an ISO
// base media file) and the TIFF-structured formats that keep several JPEGs of which the largest
// is the one to show.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "shellext/info/info_context.hpp"

namespace tavrin::shell {

// Reads a CR3 file: its metadata blocks CMT1 to CMT3 through readTiffBlock (given the offset of
// a TIFF block), then its preview (PRVW, else THMB) as the picture to show. Nothing when the file
// is no CR3; else the first failure of readTiffBlock, or S_OK.
std::optional<HRESULT> readCr3Info(InfoContext& ctx,
                                   const std::function<HRESULT(std::uint64_t)>& readTiffBlock);

// The TIFF block of the EXIF segment that opens the JPEG at jpegOffset (an RW2 file's
// JpgFromRaw), if there is one.
std::optional<std::uint64_t> exifBlockOf(formats::FileReader& file, std::uint64_t jpegOffset);

// True for the TIFF-structured formats of today's cameras (by the path's extension).
bool showsLargestPicture(std::string_view path);

// The largest embedded picture that lies wholly inside a file of fileSize bytes, if any.
const EmbeddedPicture* largestIntactPicture(const std::vector<EmbeddedPicture>& pictures,
                                            std::int64_t fileSize);

// Makes picture the preview: a complete file, with nothing in front of it.
void takePicture(ImageInfo& info, const EmbeddedPicture& picture);

}  // namespace tavrin::shell
