#include "platform/imaging/tiff_writer.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/imaging/tiff_api.hpp"
#include "platform/system/files.hpp"

namespace tavrin::imaging {
namespace {

constexpr toff_t kMaxTiffFile = 0xFFFFFFFF;  // the offsets of a classic TIFF file

// The file libtiff writes, in memory: its bytes reach the disk in one atomic write.
struct GrowingFile {
    std::string bytes;
    std::size_t pos = 0;
};

tmsize_t readProc(thandle_t h, void* buf, tmsize_t size) {
    auto* s = static_cast<GrowingFile*>(h);
    if (size <= 0 || s->pos >= s->bytes.size()) return 0;
    const std::size_t n = std::min(static_cast<std::size_t>(size), s->bytes.size() - s->pos);
    std::memcpy(buf, s->bytes.data() + s->pos, n);
    s->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t writeProc(thandle_t h, void* buf, tmsize_t size) {
    auto* s = static_cast<GrowingFile*>(h);
    if (size < 0) return -1;
    const auto n = static_cast<std::size_t>(size);
    if (s->bytes.size() < s->pos + n) s->bytes.resize(s->pos + n);
    std::memcpy(s->bytes.data() + s->pos, buf, n);
    s->pos += n;
    return size;
}

toff_t seekProc(thandle_t h, toff_t off, int whence) {
    auto* s = static_cast<GrowingFile*>(h);
    const std::size_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->bytes.size() : 0;
    if (off > kMaxTiffFile || base + off > kMaxTiffFile) return static_cast<toff_t>(-1);
    s->pos = static_cast<std::size_t>(base + off);
    return s->pos;
}

int closeProc(thandle_t) {
    return 0;
}
toff_t sizeProc(thandle_t h) {
    return static_cast<GrowingFile*>(h)->bytes.size();
}
int mapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapProc(thandle_t, void*, toff_t) {}

// libtiff's messages would name the in-memory file; the caller reports the failure.
int quietHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

bool encode(const detail::TiffApi& tiff, const Bitmap& bitmap, GrowingFile& file) {
    TIFFOpenOptions* opts = tiff.OpenOptionsAlloc();
    if (!opts) return false;
    tiff.OpenOptionsSetErrorHandlerExtR(opts, quietHandler, nullptr);
    tiff.OpenOptionsSetWarningHandlerExtR(opts, quietHandler, nullptr);
    TIFF* tif = tiff.ClientOpenExt("picture", "w", &file, readProc, writeProc, seekProc, closeProc,
                                   sizeProc, mapProc, unmapProc, opts);
    tiff.OpenOptionsFree(opts);
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
    GrowingFile file;
    return tiff && encode(*tiff, bitmap, file) && files::writeAtomically(path, file.bytes);
}

}  // namespace tavrin::imaging
