#pragma once
// Every subkey, value name and default of the shared settings.

#include <cstdint>
#include <string_view>

namespace tavrin::settings {

struct DwordSetting {
    std::string_view name;
    std::uint32_t defaultValue;
};

struct TextSetting {
    std::string_view name;
    std::string_view defaultValue;
};

// Subkeys of the product key (the per-type subkeys are the extensions with their dot).
inline constexpr std::string_view kViewer = "Viewer";
inline constexpr std::string_view kSlideshow = "Slideshow";
inline constexpr std::string_view kWhiteBalance = "WhiteBalance";
inline constexpr std::string_view kLog = "Log";
inline constexpr std::string_view kTrashed = ".trashed";

// Per-type values.
inline constexpr DwordSetting kUseEmbeddedForThumbnail{"UseEmbededForThumbnail", 1};
inline constexpr DwordSetting kSupportSlideshow{"SupportSlideshow", 1};
inline constexpr DwordSetting kUseWhiteBalance{"UseWhiteBalance", 0};
inline constexpr DwordSetting kWhiteBalanceMode{"WhiteBalanceMode", 0};
inline constexpr DwordSetting kUseImageQuality{"UseImageQuality", 0};
// "ViewMode" defaults to 0 in the viewer and to 1 in the applet (per type and under "Viewer").
inline constexpr DwordSetting kViewModeViewer{"ViewMode", 0};
inline constexpr DwordSetting kViewModeApplet{"ViewMode", 1};

// ".trashed"
inline constexpr DwordSetting kCrossImage{"CrossImage", 1};

// "Viewer"
inline constexpr DwordSetting kViewerUse{"Use", 1};
inline constexpr TextSetting kBrightnessIndex{"BrightnessIndex", "0"};
inline constexpr TextSetting kGamma{"Gamma", "0.45"};

// "Viewer" or "Slideshow"
inline constexpr DwordSetting kExifOnOff{"EXIFOnOff", 0};
inline constexpr DwordSetting kExifWindowsState{"EXIFWindowsState", 7};
inline constexpr DwordSetting kExifFrameX{"EXIFFrameX", 0};
inline constexpr DwordSetting kExifFrameY{"EXIFFrameY", 0};

// "Slideshow"
inline constexpr DwordSetting kSlideshowDelay{"Delay", 5};

// "WhiteBalance"
inline constexpr DwordSetting kWhiteBalanceModeGlobal{"Mode", 0};

// "Log"
inline constexpr DwordSetting kLogOn{"On", 0};
inline constexpr TextSetting kLogFileName{"FileName", "C:\\Tavrin.log"};

}  // namespace tavrin::settings
