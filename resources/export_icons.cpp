// Writes type icons as a freedesktop icon theme folder, so that the desktop shows them for the
// camera types it learns from our MIME package: DIR/hicolor/<n>x<n>/mimetypes/tavrin-<name>.png.
// Usage: tavrin-export-icons DIR

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/imaging/png_writer.hpp"
#include "resources/icons.hpp"

namespace {

struct ThemeIcon {
    const char* name;
    int index;  // of the type icon
};

// The icons the MIME package names: the plain figure, Kodak's and the put-aside one.
constexpr ThemeIcon kThemeIcons[] = {
    {"tavrin-image", 0}, {"tavrin-trashed", 1}, {"tavrin-kodak", 4}};
constexpr int kSizes[] = {16, 32, 48, 64};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: tavrin-export-icons DIR\n");
        return 2;
    }
    for (const int size : kSizes) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path dir =
            std::filesystem::path(argv[1]) / "hicolor" / sizeName / "mimetypes";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        for (const ThemeIcon& icon : kThemeIcons) {
            const auto image = tavrin::resources::loadIconImage(
                tavrin::resources::kFirstTypeIcon + icon.index, size);
            const std::filesystem::path file = dir / (std::string(icon.name) + ".png");
            if (!image || !tavrin::imaging::writePngRgba(image->size, image->size,
                                                         image->argb.data(), file)) {
                std::fprintf(stderr, "tavrin-export-icons: cannot write %s\n", file.c_str());
                return 1;
            }
        }
    }
    return 0;
}
