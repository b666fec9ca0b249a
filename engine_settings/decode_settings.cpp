#include "engine_settings/decode_settings.hpp"

#include <string>

#include "common/file_types.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "engine_settings/settings_learned_colours.hpp"

namespace tavrin::engine_settings {
namespace {

std::uint32_t whiteBalanceMode(std::string_view path) {
    using namespace settings;
    const std::string extension(extensionOf(path));
    if (getUserSetting(extension, kUseWhiteBalance.name, kUseWhiteBalance.defaultValue) == 1)
        return getUserSetting(extension, kWhiteBalanceMode.name, kWhiteBalanceMode.defaultValue);
    return getUserSetting(kWhiteBalance, kWhiteBalanceModeGlobal.name,
                          kWhiteBalanceModeGlobal.defaultValue);
}

}  // namespace

raw::DecodeOptions decodeOptionsFor(std::string_view path) {
    // The store holds nothing of its own: one serves every decode.
    static SettingsLearnedColours learned;
    raw::DecodeOptions options;
    options.brightnessIndex = getBrightnessIndex();
    options.whiteBalanceMode = whiteBalanceMode(path);
    options.learnedColours = &learned;
    return options;
}

}  // namespace tavrin::engine_settings
