#include "platform/imaging/png_writer.hpp"

#include <png.h>
#include <zlib.h>

#include <string_view>

#include "platform/system/files.hpp"

namespace tavrin::imaging {
namespace {

void appendData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

// Runs the encoder over rows that row(y) gives; libpng reports failures by jumping back to the
// setjmp here.
template <typename RowFn>
bool encode(int width, int height, int colorType, bool bgr, PngUse use, RowFn row,
            std::vector<std::uint8_t>& out, std::span<const PngText> texts = {}) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendData, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (use == PngUse::Handoff) {
        png_set_compression_level(png, Z_NO_COMPRESSION);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    } else {
        // Small pictures written once: fast compression beats the last bytes. Deflate's time
        // goes into coding the literals whatever the strategy; on thumbnails of camera
        // previews it runs quicker after the UP filter than after SUB, for files of about the
        // same size. Adaptive filtering costs half as much again for a tenth fewer bytes.
        png_set_compression_level(png, 1);
        png_set_compression_strategy(png, Z_RLE);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    }
    std::vector<png_text> chunks(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(texts[i].key.c_str());
        chunks[i].text = const_cast<char*>(texts[i].value.c_str());
        chunks[i].text_length = texts[i].value.size();
    }
    if (!chunks.empty()) png_set_text(png, info, chunks.data(), static_cast<int>(chunks.size()));
    png_write_info(png, info);
    if (bgr) png_set_bgr(png);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(row(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writeBytes(const std::vector<std::uint8_t>& data, const std::filesystem::path& path,
                PngUse use) {
    return files::writeAtomically(
        path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
        use == PngUse::Handoff ? files::Durability::Cached : files::Durability::Synced);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodePng(const Bitmap& bitmap, PngUse use,
                                                   std::span<const PngText> texts) {
    std::vector<std::uint8_t> out;
    const std::size_t rows =
        static_cast<std::size_t>(bitmap.height()) * (3 * std::size_t(bitmap.width()) + 1);
    if (use == PngUse::Handoff) {
        // Stored rows, each with its filter byte; libpng writes them in 8 KB chunks of 12 bytes
        // framing, each holding at least one stored deflate block of 5; the other chunks.
        out.reserve(rows + (rows / 8192 + 1) * 17 + 1024);
    } else {
        // Photographs compress to about a third: half the rows is seldom outgrown.
        out.reserve(rows / 2 + 1024);
    }
    if (!encode(
            bitmap.width(), bitmap.height(), PNG_COLOR_TYPE_RGB, true, use,
            [&](int y) { return bitmap.row(y); }, out, texts)) {
        return std::nullopt;
    }
    return out;
}

bool writePng(const Bitmap& bitmap, const std::filesystem::path& path, PngUse use) {
    const auto data = encodePng(bitmap, use);
    return data && writeBytes(*data, path, use);
}

bool writePngRgba(int width, int height, const std::uint32_t* argb,
                  const std::filesystem::path& path) {
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width) * 4), out;
    const auto row = [&](int y) {
        const std::uint32_t* p = argb + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            line[4 * x] = static_cast<std::uint8_t>(p[x] >> 16);
            line[4 * x + 1] = static_cast<std::uint8_t>(p[x] >> 8);
            line[4 * x + 2] = static_cast<std::uint8_t>(p[x]);
            line[4 * x + 3] = static_cast<std::uint8_t>(p[x] >> 24);
        }
        return line.data();
    };
    return encode(width, height, PNG_COLOR_TYPE_RGB_ALPHA, false, PngUse::Keep, row, out) &&
           writeBytes(out, path, PngUse::Keep);
}

}  // namespace tavrin::imaging
