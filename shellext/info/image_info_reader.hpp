#pragma once
// Reads a camera file into its ImageInfo record: identity, shooting data and the embedded
// preview, which it loads as one complete image file in memory when asked.

#include <string_view>

#include "platform/com/types.hpp"
#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

com::HRESULT ReadImageInfo(ImageInfo& info, bool loadPreview);
com::HRESULT parseImageContainer(ImageInfo& info, bool loadPreview);

// One entry in the application event log: source "Tavrin", type error, the code and the text.
void reportErrorEvent(com::HRESULT code, std::string_view text);

}  // namespace tavrin::shell
