// The shell object's image info reader (containers, EXIF, maker notes, pixel previews) and the
// EXIF reader, over any bytes written to a file of their own.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/file_reader.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/metadata/exif_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string kPath = "/tmp/tavrin-fuzz-" + std::to_string(::getpid()) + ".raw";
    if (std::FILE* f = std::fopen(kPath.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    tavrin::shell::ImageInfo info;
    info.filePath = kPath;
    tavrin::shell::ReadImageInfo(info, true);

    tavrin::formats::FileReader reader;
    reader.openMemory(std::vector<std::uint8_t>(data, data + size));
    tavrin::shell::ExifReader exif(reader);
    exif.read();
    return 0;
}
