#include "platform/imaging/png_texts.hpp"

#include <png.h>

#include <cstdio>
#include <memory>

namespace tavrin::imaging {

std::optional<std::vector<PngText>> readPngTexts(const std::filesystem::path& path) {
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rbe"), &std::fclose);
    if (!file) return std::nullopt;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    // libpng reports a damaged file by jumping back here.
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    png_textp chunks = nullptr;
    const int count = png_get_text(png, info, &chunks, nullptr);
    std::vector<PngText> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back({chunks[i].key, std::string(chunks[i].text, chunks[i].text_length)});
    png_destroy_read_struct(&png, &info, nullptr);
    return texts;
}

}  // namespace tavrin::imaging
