#include "platform/imaging/ppm_writer.hpp"

#include <string>

#include "platform/system/files.hpp"

namespace tavrin::imaging {

bool writePpm(const Bitmap& bitmap, const std::filesystem::path& path) {
    std::string out =
        "P6\n" + std::to_string(bitmap.width()) + " " + std::to_string(bitmap.height()) + "\n255\n";
    const std::size_t header = out.size();
    out.resize(header + static_cast<std::size_t>(bitmap.width()) * bitmap.height() * 3);
    char* p = out.data() + header;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* bgr = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x, bgr += 3) {
            *p++ = static_cast<char>(bgr[2]);
            *p++ = static_cast<char>(bgr[1]);
            *p++ = static_cast<char>(bgr[0]);
        }
    }
    return files::writeAtomically(path, out);
}

}  // namespace tavrin::imaging
