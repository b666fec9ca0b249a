#pragma once
// The text chunks of a PNG file: key and value pairs such as the thumbnail cache's
// "Thumb::URI".

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::imaging {

struct PngText {
    std::string key;
    std::string value;
};

// The text chunks before the picture data; nothing when the file is no readable PNG. The
// picture itself is not decoded.
std::optional<std::vector<PngText>> readPngTexts(const std::filesystem::path& path);

}  // namespace tavrin::imaging
