#pragma once
// Learned colours kept in the settings store: one text value per model under the product key's
// "LearnedColours", shared by every process of the user.

#include <string_view>

#include "rawengine/colour/learned_colours.hpp"

namespace tavrin::engine_settings {

inline constexpr std::string_view kLearnedColoursKey = "LearnedColours";

class SettingsLearnedColours final : public raw::LearnedColourStore {
  public:
    std::string read(std::string_view model) const override;
    void write(std::string_view model, const std::string& text) override;
    void update(std::string_view model,
                const std::function<std::string(std::string_view before)>& change) override;
};

}  // namespace tavrin::engine_settings
