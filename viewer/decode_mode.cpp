#include "viewer/decode_mode.hpp"

#include <array>

#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::viewer {

namespace {

using namespace settings;

constexpr std::array<std::string_view, 5> kPreviewOnlyTypes = {".PPM", ".JPEG", ".JPG", ".THM",
                                                               ".TIFF"};

int setting(std::string_view key, const DwordSetting& value) {
    return static_cast<int>(getUserSetting(key, value.name, value.defaultValue));
}

}  // namespace

std::string typeKeyOf(std::string_view name) {
    const std::size_t dot = name.find('.');
    return dot == std::string_view::npos ? std::string() : ascii::upper(name.substr(dot));
}

int viewModeFor(std::string_view typeKey, int overrideMode) {
    int mode = setting(kViewer, kViewModeViewer);
    if (setting(typeKey, kUseImageQuality) == 1) mode = setting(typeKey, kViewModeViewer);
    if (overrideMode != kNoOverride) mode = overrideMode;
    for (std::string_view type : kPreviewOnlyTypes)
        if (typeKey == type) return 0;
    return mode;
}

int whiteBalanceFor(std::string_view typeKey) {
    if (setting(typeKey, kUseWhiteBalance) == 1) return setting(typeKey, kWhiteBalanceMode);
    return setting(kWhiteBalance, kWhiteBalanceModeGlobal);
}

}  // namespace tavrin::viewer
