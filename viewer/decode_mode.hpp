#pragma once
// How the viewer decodes a file: the mode (0 the embedded preview, 1 half resolution, 2 full
// resolution with quick interpolation, 3 full colour interpolation) and the white balance,
// from the settings, the file's type and the settings dialog's run-time overrides.

#include <string>
#include <string_view>

namespace tavrin::viewer {

inline constexpr int kNoOverride = -1;

// The per-type key of a file name: its text from the first dot on, in upper case
// ("IMG.0001.CR2" gives ".0001.CR2").
std::string typeKeyOf(std::string_view name);

// "ViewMode" of "Viewer", or of the type's key when its "UseImageQuality" is 1, or the
// override; types the engine does not decode (JPEG, TIFF, PPM, THM) always use mode 0.
int viewModeFor(std::string_view typeKey, int overrideMode = kNoOverride);

// "Mode" of "WhiteBalance", or the type's "WhiteBalanceMode" when its "UseWhiteBalance" is 1.
int whiteBalanceFor(std::string_view typeKey);

}  // namespace tavrin::viewer
