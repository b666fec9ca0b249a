#pragma once
// Rollei's text header: "DSC-Image", then key=value lines up to one that begins "EOHD".

#include <functional>
#include <string>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

// Calls visit(key, value) for each line with an "=" (at most kMaxRolleiLines lines, each cut at
// kMaxRolleiLineLength characters), from the start of the file. True when the "EOHD" line ended
// the header.
bool walkRolleiHeader(
    FileReader& file,
    const std::function<void(const std::string& key, const std::string& value)>& visit);

}  // namespace tavrin::formats
