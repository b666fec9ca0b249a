#pragma once
// The size of a JPEG file's own picture, from its frame header.

#include <optional>

#include "formats/file_reader.hpp"

namespace tavrin::shell {

struct FrameSize {
    int width;
    int height;
};

// Walks the marker segments from the start of the file to the first frame header (SOF0 to
// SOF15); nothing when the scan or the end of the file comes first. Moves the read position.
std::optional<FrameSize> readJpegFrameSize(formats::FileReader& file);

}  // namespace tavrin::shell
