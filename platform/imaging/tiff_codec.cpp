#include <algorithm>
#include <cstring>
#include <new>

#include "platform/imaging/codecs.hpp"
#include "platform/imaging/tiff_api.hpp"

namespace tavrin::imaging::detail {
namespace {

// The largest single allocation libtiff may make for us.
constexpr tmsize_t kMaxTiffAllocation = 1024 * 1024 * 1024;

struct MemoryStream {
    std::span<const std::uint8_t> data;
    toff_t pos = 0;
};

tmsize_t readProc(thandle_t h, void* buf, tmsize_t size) {
    auto* s = static_cast<MemoryStream*>(h);
    if (size <= 0 || s->pos >= s->data.size()) return 0;
    const auto n = std::min<toff_t>(static_cast<toff_t>(size), s->data.size() - s->pos);
    std::memcpy(buf, s->data.data() + s->pos, n);
    s->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekProc(thandle_t h, toff_t off, int whence) {
    auto* s = static_cast<MemoryStream*>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR) base = s->pos;
    if (whence == SEEK_END) base = s->data.size();
    if (off > UINT64_MAX - base) return static_cast<toff_t>(-1);
    s->pos = base + off;
    return s->pos;
}

int closeProc(thandle_t) {
    return 0;
}
toff_t sizeProc(thandle_t h) {
    return static_cast<MemoryStream*>(h)->data.size();
}
int mapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapProc(thandle_t, void*, toff_t) {}

int quietHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

}  // namespace

bool isTiff(std::span<const std::uint8_t> head) {
    return head.size() >= 4 &&
           ((head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
            (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42));
}

namespace {

// A libtiff handle over the stream, quiet and with our allocation limit; nothing on failure.
TIFF* openTiff(const TiffApi& tiff, MemoryStream& stream) {
    TIFFOpenOptions* opts = tiff.OpenOptionsAlloc();
    if (!opts) return nullptr;
    tiff.OpenOptionsSetMaxSingleMemAlloc(opts, kMaxTiffAllocation);
    tiff.OpenOptionsSetErrorHandlerExtR(opts, quietHandler, nullptr);
    tiff.OpenOptionsSetWarningHandlerExtR(opts, quietHandler, nullptr);
    TIFF* tif = tiff.ClientOpenExt("memory", "rm", &stream, readProc, writeProc, seekProc,
                                   closeProc, sizeProc, mapProc, unmapProc, opts);
    tiff.OpenOptionsFree(opts);
    return tif;
}

}  // namespace

Probed probeTiff(std::span<const std::uint8_t> data) {
    const TiffApi* tiff = tiffApi();
    if (!tiff) return Probed{Status::NotImplemented, 0, 0};
    MemoryStream stream{data, 0};
    TIFF* tif = openTiff(*tiff, stream);
    if (!tif) return Probed{Status::InvalidParameter, 0, 0};
    std::uint32_t width = 0, height = 0;
    char message[1024];
    Probed result{Status::InvalidParameter, 0, 0};
    if (tiff->GetField(tif, TIFFTAG_IMAGEWIDTH, &width) &&
        tiff->GetField(tif, TIFFTAG_IMAGELENGTH, &height) && tiff->RGBAImageOK(tif, message)) {
        result = Bitmap::sizeAllowed(width, height, data.size())
                     ? Probed{Status::Ok, static_cast<int>(width), static_cast<int>(height)}
                     : Probed{Status::ValueOverflow, 0, 0};
    }
    tiff->Close(tif);
    return result;
}

Decoded decodeTiff(std::span<const std::uint8_t> data, const DecodeOptions& options) {
    const TiffApi* tiff = tiffApi();
    if (!tiff) return failed(Status::NotImplemented);
    MemoryStream stream{data, 0};
    TIFF* tif = openTiff(*tiff, stream);
    if (!tif) return failed(Status::InvalidParameter);

    Decoded result = failed(Status::InvalidParameter);
    std::uint32_t width = 0, height = 0;
    char message[1024];
    if (tiff->GetField(tif, TIFFTAG_IMAGEWIDTH, &width) &&
        tiff->GetField(tif, TIFFTAG_IMAGELENGTH, &height) && tiff->RGBAImageOK(tif, message)) {
        if (!Bitmap::sizeAllowed(width, height, data.size())) {
            result = failed(Status::ValueOverflow);
        } else if (auto bitmap =
                       Bitmap::createUnfilled(static_cast<int>(width), static_cast<int>(height))) {
            const std::size_t pixels = static_cast<std::size_t>(width) * height;
            std::unique_ptr<std::uint32_t[]> raster(new (std::nothrow) std::uint32_t[pixels]);
            if (!raster) {
                result = failed(Status::OutOfMemory);
            } else if (tiff->ReadRGBAImageOriented(tif, width, height, raster.get(),
                                                   ORIENTATION_TOPLEFT, 0)) {
                // Transparent parts are laid over white.
                for (std::uint32_t y = 0; y < height; ++y) {
                    const std::uint32_t* in = raster.get() + static_cast<std::size_t>(y) * width;
                    std::uint8_t* out = bitmap->row(static_cast<int>(y));
                    for (std::uint32_t x = 0; x < width; ++x, out += 3) {
                        const std::uint32_t p = in[x];
                        const unsigned a = TIFFGetA(p), white = 255 * (255 - a);
                        if (a == 255) {  // opaque, as almost every picture is throughout
                            out[0] = static_cast<std::uint8_t>(TIFFGetB(p));
                            out[1] = static_cast<std::uint8_t>(TIFFGetG(p));
                            out[2] = static_cast<std::uint8_t>(TIFFGetR(p));
                            continue;
                        }
                        out[0] = static_cast<std::uint8_t>((TIFFGetB(p) * a + white + 127) / 255);
                        out[1] = static_cast<std::uint8_t>((TIFFGetG(p) * a + white + 127) / 255);
                        out[2] = static_cast<std::uint8_t>((TIFFGetR(p) * a + white + 127) / 255);
                    }
                }
                std::uint32_t iccLength = 0;
                void* icc = nullptr;
                if (options.applyColorProfile &&
                    tiff->GetField(tif, TIFFTAG_ICCPROFILE, &iccLength, &icc) && icc) {
                    applyIccProfile(*bitmap, {static_cast<const std::uint8_t*>(icc), iccLength});
                }
                result = Decoded{Status::Ok, std::move(bitmap)};
            }
        } else {
            result = failed(Status::OutOfMemory);
        }
    }
    tiff->Close(tif);
    return result;
}

}  // namespace tavrin::imaging::detail
