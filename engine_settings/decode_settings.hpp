#pragma once
// The decode options as the user's settings give them for one file.

#include <string_view>

#include "rawengine/decode_options.hpp"

namespace tavrin::engine_settings {

// Brightness from the viewer's "BrightnessIndex"; the white-balance mode from "WhiteBalance",
// or from the file type's own when its "UseWhiteBalance" is 1; colours learned in the settings
// store.
raw::DecodeOptions decodeOptionsFor(std::string_view path);

}  // namespace tavrin::engine_settings
