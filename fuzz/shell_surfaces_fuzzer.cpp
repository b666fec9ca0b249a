// The readers behind the shell surfaces that take a file on their own: the histogram page's
// picture loading (PPM reader, imaging decoders) and the detail columns' PPM and JPEG fast paths;
// and the conversion of the texts they show, whatever bytes those hold.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/com/variant.hpp"
#include "platform/com/wide_text.hpp"
#include "shellext/surfaces/detail_columns.hpp"
#include "shellext/surfaces/histogram.hpp"

namespace {

void write(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

void columns(const std::string& path) {
    using namespace tavrin::com;
    SHCOLUMNDATA item{};
    const std::u16string wide = toWide(path);
    std::copy_n(wide.c_str(), wide.size() + 1, item.wszFile);
    for (DWORD pid : {0u, 1u}) {
        const SHCOLUMNID column{tavrin::shell::FMTID_TavrinColumns, pid};
        VARIANT value{};
        tavrin::shell::columnValue(&column, &item, &value);
        VariantClear(&value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrin::com::toUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string base = "/tmp/tavrin-fuzz-surfaces-" + std::to_string(::getpid());
    for (const char* extension : {".ppm", ".jpg"}) {
        const std::string path = base + extension;
        write(path, data, size);
        if (auto picture = tavrin::shell::loadPicture(path, nullptr)) {
            tavrin::shell::LevelCounts counts{};
            tavrin::shell::countLevels(*picture, counts);
            tavrin::shell::renderPreview(*picture);
        }
        columns(path);
    }
    return 0;
}
