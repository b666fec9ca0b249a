#include "engine_settings/settings_learned_colours.hpp"

#include "common/settings.hpp"

namespace tavrin::engine_settings {

std::string SettingsLearnedColours::read(std::string_view model) const {
    return getUserStringSetting(kLearnedColoursKey, model, "");
}

void SettingsLearnedColours::write(std::string_view model, const std::string& text) {
    setUserStringSetting(kLearnedColoursKey, model, text);
}

}  // namespace tavrin::engine_settings
