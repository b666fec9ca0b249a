#pragma once
// Foveon's X3F file: a little-endian header ("FOVb", version, turn, size) and a directory of
// sections ("SECd") found through the file's last word. The sections' contents are their
// readers' business.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

struct X3fHeader {
    std::uint32_t version = 0;
    std::uint32_t rotation = 0;  // degrees, as the header says
    std::uint32_t width = 0, height = 0;
    std::optional<std::uint64_t> directory;  // none in a file shorter than the word naming it
};

// Reads the header's fields; leaves the order little-endian.
X3fHeader readX3fHeader(FileReader& file);

struct X3fSection {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    std::array<char, 4> type{};  // "PROP", "IMAG", "IMA2", "CAMF" ...
    std::uint64_t end = 0;       // the position right behind the directory entry

    bool is(std::string_view name) const { return name == std::string_view(type.data(), 4); }
};

// Calls visit for each entry of the directory (at most kMaxX3fSections); visit may move the
// position. False when the directory does not begin "SECd".
bool walkX3fDirectory(FileReader& file, std::uint64_t directory,
                      const std::function<void(const X3fSection&)>& visit);

// The section lies inside the file and begins with its mark: "SEC" and the first letter of its
// type in lower case ("SECp" for "PROP").
bool x3fSectionMarked(FileReader& file, const X3fSection& section);

}  // namespace tavrin::formats
