#include "platform/imaging/tiff_writer.hpp"

#include <tiffio.h>
#include <unistd.h>

#include <system_error>
#include <vector>

namespace tavrin::imaging {
namespace {

bool writeTo(const Bitmap& bitmap, const std::filesystem::path& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(bitmap.width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(bitmap.height()));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(bitmap.width()) * 3);
    bool ok = true;
    for (int y = 0; y < bitmap.height() && ok; ++y) {
        const std::uint8_t* bgr = bitmap.row(y);
        for (std::size_t x = 0; x < rgb.size(); x += 3) {
            rgb[x] = bgr[x + 2];
            rgb[x + 1] = bgr[x + 1];
            rgb[x + 2] = bgr[x];
        }
        ok = TIFFWriteScanline(tif, rgb.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    ok = TIFFFlush(tif) == 1 && ok;
    TIFFClose(tif);
    return ok;
}

}  // namespace

bool writeTiff(const Bitmap& bitmap, const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".tmp" + std::to_string(::getpid());
    std::error_code ec;
    if (!writeTo(bitmap, temporary)) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    std::filesystem::rename(temporary, path, ec);
    if (!ec) return true;
    std::filesystem::remove(temporary, ec);
    return false;
}

}  // namespace tavrin::imaging
