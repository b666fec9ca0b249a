#pragma once
// The image info record as IImageInfoSource hands it out: one "name: value" line a field.

#include <string>

#include "platform/com/types.hpp"
#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

// The record with the reader's result; the extra information follows "extraInfo:", each of
// its lines indented by four spaces.
std::string imageInfoRecord(const ImageInfo& info, com::HRESULT result);

}  // namespace tavrin::shell
