#pragma once
// What fits from previews taught about each camera model, kept in the settings store under the
// product key's "LearnedColours", one text value per model ("MAKE MODEL"): the nine matrix
// entries, the three balance gains and the number of files they are the average of.

#include <optional>
#include <string>
#include <string_view>

#include "rawengine/colour/preview_fit.hpp"

namespace tavrin::raw {

inline constexpr std::string_view kLearnedColoursKey = "LearnedColours";

struct LearnedColour {
    ColourFit fit;
    int files = 0;
};

// The stored value for the model; nothing when there is none or it is damaged.
std::optional<LearnedColour> readLearnedColour(std::string_view model);

// Folds one more file's fit into the model's average and stores it; returns the new average.
LearnedColour rememberColourFit(std::string_view model, const ColourFit& fit);

// The stored text and back (the parser refuses anything a writer could not have written).
std::string formatLearnedColour(const LearnedColour& learned);
std::optional<LearnedColour> parseLearnedColour(std::string_view text);

}  // namespace tavrin::raw
