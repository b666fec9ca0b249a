#include "platform/imaging/tiff_writer.hpp"

#include <unistd.h>

#include <system_error>
#include <vector>

#include "platform/imaging/tiff_api.hpp"

namespace tavrin::imaging {
namespace {

bool writeTo(const detail::TiffApi& tiff, const Bitmap& bitmap, const std::filesystem::path& path) {
    TIFF* tif = tiff.Open(path.c_str(), "w");
    if (!tif) return false;
    tiff.SetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(bitmap.width()));
    tiff.SetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(bitmap.height()));
    tiff.SetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    tiff.SetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    tiff.SetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    tiff.SetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    tiff.SetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    tiff.SetField(tif, TIFFTAG_ROWSPERSTRIP, tiff.DefaultStripSize(tif, 0));
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(bitmap.width()) * 3);
    bool ok = true;
    for (int y = 0; y < bitmap.height() && ok; ++y) {
        const std::uint8_t* bgr = bitmap.row(y);
        for (std::size_t x = 0; x < rgb.size(); x += 3) {
            rgb[x] = bgr[x + 2];
            rgb[x + 1] = bgr[x + 1];
            rgb[x + 2] = bgr[x];
        }
        ok = tiff.WriteScanline(tif, rgb.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    ok = tiff.Flush(tif) == 1 && ok;
    tiff.Close(tif);
    return ok;
}

}  // namespace

bool writeTiff(const Bitmap& bitmap, const std::filesystem::path& path) {
    const detail::TiffApi* tiff = detail::tiffApi();
    if (!tiff) return false;
    std::filesystem::path temporary = path;
    temporary += ".tmp" + std::to_string(::getpid());
    std::error_code ec;
    if (!writeTo(*tiff, bitmap, temporary)) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    std::filesystem::rename(temporary, path, ec);
    if (!ec) return true;
    std::filesystem::remove(temporary, ec);
    return false;
}

}  // namespace tavrin::imaging
