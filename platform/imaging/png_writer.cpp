#include "platform/imaging/png_writer.hpp"

#include <png.h>

#include <string_view>

#include "platform/system/files.hpp"

namespace tavrin::imaging {
namespace {

void appendData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

// Runs the encoder; libpng reports failures by jumping back to the setjmp here.
bool encode(const Bitmap& bitmap, std::vector<std::uint8_t>& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendData, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.width()),
                 static_cast<png_uint_32>(bitmap.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Thumbnails are small and written once per file: fast compression beats the last bytes.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < bitmap.height(); ++y) {
        png_write_row(png, const_cast<png_bytep>(bitmap.row(y)));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodePng(const Bitmap& bitmap) {
    std::vector<std::uint8_t> out;
    if (!encode(bitmap, out)) return std::nullopt;
    return out;
}

bool writePng(const Bitmap& bitmap, const std::filesystem::path& path) {
    const auto data = encodePng(bitmap);
    return data &&
           files::writeAtomically(
               path, std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

}  // namespace tavrin::imaging
