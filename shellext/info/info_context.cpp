#include "shellext/info/info_context.hpp"

#include "common/strings.hpp"
#include "platform/imaging/bitmap.hpp"

namespace tavrin::shell {

std::string readText(formats::FileReader& file, std::uint64_t count, std::size_t limit) {
    std::string text;
    for (std::uint64_t i = 0; i < count && text.size() < limit; ++i) {
        const int c = file.get();
        if (c <= 0) break;
        text += static_cast<char>(c);
    }
    return text;
}

std::string readExifText(formats::FileReader& file, std::uint64_t count, std::size_t limit) {
    std::string text = readText(file, count, limit);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::int64_t ImageInfo::previewPixelBytes(int bytesPerPixel) const {
    if (!imaging::Bitmap::sizeAllowed(previewWidth, previewHeight)) return 0;
    return static_cast<std::int64_t>(previewWidth) * previewHeight * bytesPerPixel;
}

}  // namespace tavrin::shell
