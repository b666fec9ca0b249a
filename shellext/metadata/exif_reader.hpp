#pragma once
// The EXIF block of a JPEG file as named, rendered entries. The rendered texts are an interface:
// the readers look entries up by name and parse their texts further.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/file_reader.hpp"

namespace tavrin::shell {

// The longest rendered text kept (the stored buffer holds 4200 bytes with its terminator).
inline constexpr std::size_t kMaxExifText = 4199;

struct ExifTag {
    std::uint32_t tag;
    std::string name;
    std::string text;
};

class ExifReader {
  public:
    explicit ExifReader(formats::FileReader& file) : file_(file) {}

    // Finds and loads the APP1 segment and renders every entry it recognises; false when the
    // marker, the header or the segment cannot be read.
    bool read();
    // The first entry of that name, ignoring case.
    const ExifTag* findByName(std::string_view name) const;
    const std::vector<ExifTag>& tags() const { return tags_; }

  private:
    struct Entry;
    class Walker;
    void render(const Entry& e);
    std::uint16_t u16(std::size_t at) const;
    std::uint32_t u32(std::size_t at) const;

    formats::FileReader& file_;
    std::vector<std::uint8_t> segment_;
    bool intel_ = true;
    std::size_t exifIfd_ = 0;
    std::size_t interopIfd_ = 0;
    bool sawExif_ = false;
    bool sawInterop_ = false;
    int planarConfiguration_ = 1;
    std::vector<ExifTag> tags_;
};

}  // namespace tavrin::shell
