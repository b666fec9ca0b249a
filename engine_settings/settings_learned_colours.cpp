#include "engine_settings/settings_learned_colours.hpp"

#include "common/settings.hpp"

namespace tavrin::engine_settings {

std::string SettingsLearnedColours::read(std::string_view model) const {
    return getUserStringSetting(kLearnedColoursKey, model, "");
}

void SettingsLearnedColours::write(std::string_view model, const std::string& text) {
    setUserStringSetting(kLearnedColoursKey, model, text);
}

void SettingsLearnedColours::update(
    std::string_view model, const std::function<std::string(std::string_view before)>& change) {
    updateUserStringSetting(kLearnedColoursKey, model, change);
}

}  // namespace tavrin::engine_settings
