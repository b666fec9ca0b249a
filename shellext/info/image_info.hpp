#pragma once
// What the shell object knows of its one file: identity, shooting data and where the camera
// put its embedded preview, which is held as one complete image file in memory.

#include <cstdint>
#include <string>
#include <type_traits>

#include "common/strings.hpp"
#include "platform/com/global_memory.hpp"
#include "shellext/metadata/shooting_data.hpp"

namespace tavrin::shell {

inline constexpr std::size_t kMaxMakeLength = 127;
inline constexpr std::size_t kMaxSoftwareLength = 63;

struct ImageInfo {
    std::string filePath;
    std::int32_t requestedWidth = 0;
    std::int32_t requestedHeight = 0;
    std::int32_t orientation = 0;
    std::string make;
    std::string model;
    std::string model2;
    std::string software;
    std::string extraInfo;
    std::int64_t fileSize = 0;
    ShootingData shooting;
    std::string previewPrefix;
    com::HGLOBAL previewData = nullptr;  // one complete image file, owned
    std::int64_t previewOffset = 0;
    std::int64_t previewLength = 0;
    bool previewPlanar = false;
    std::int32_t previewWidth = 0;
    std::int32_t previewHeight = 0;
    std::int64_t tiffStripBytes = 0;
    std::int64_t tiffStripOffset = 0;
    std::int32_t tiffBitsPerSample = 0;
    std::uint16_t byteOrder = 0x4949;
    std::int32_t thumbRowPadding = 0;
    std::int32_t formatVersion = 0;
    // A JPEG file's own picture size from its frame, before any turn; 0 for other files.
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;

    ImageInfo() = default;
    ImageInfo(const ImageInfo&) = delete;
    ImageInfo& operator=(const ImageInfo&) = delete;
    ~ImageInfo() { freePreview(); }

    void freePreview() { previewData = com::GlobalFree(previewData); }
    // Bytes of previewWidth x previewHeight pixels of that many bytes each; 0 for a size no
    // picture can have (so that no product of file values overflows or asks for too much).
    std::int64_t previewPixelBytes(int bytesPerPixel) const;
    // Appends string-table line id, filled with the arguments its format takes, to extraInfo.
    template <typename... Args>
    void appendLine(std::type_identity_t<strings::FormatId<Args...>> id,
                    std::type_identity_t<Args>... args) {
        extraInfo += strings::format(id, args...);
    }
};

}  // namespace tavrin::shell
