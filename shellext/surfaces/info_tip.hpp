#pragma once
// The lines the info tip and the image-information page show for a file's record.

#include <string>

#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

// The eleven lines, each under its condition, each with its line end.
std::string buildInfoLines(const ImageInfo& info);

// The lines without the blanks and line ends at the end.
std::string buildInfoTip(const ImageInfo& info);

}  // namespace tavrin::shell
