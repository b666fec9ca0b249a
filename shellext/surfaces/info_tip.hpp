#pragma once
// The lines the info tip and the image-information page show for a file's record.

#include <string>

#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

// The eleven lines, each under its condition, without the last line's end.
std::string buildInfoTip(const ImageInfo& info);

}  // namespace tavrin::shell
