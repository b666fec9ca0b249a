#pragma once
// What fits from previews taught about each camera model, kept in a store the caller hands in,
// one text per model ("MAKE MODEL"): the nine matrix entries, the three balance gains and the
// number of files they are the average of.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "rawengine/colour/preview_fit.hpp"

namespace tavrin::raw {

struct LearnedColour {
    ColourFit fit;
    int files = 0;
};

// Where the texts are kept between decodes (and processes).
class LearnedColourStore {
  public:
    // The model's text; empty when there is none.
    virtual std::string read(std::string_view model) const = 0;
    virtual void write(std::string_view model, const std::string& text) = 0;
    // Replaces the model's text with what change makes of it. A store shared between processes
    // does this in one locked step, so that two decodes learning at once both count.
    virtual void update(std::string_view model,
                        const std::function<std::string(std::string_view before)>& change) {
        write(model, change(read(model)));
    }

  protected:
    ~LearnedColourStore() = default;
};

// The stored value for the model; nothing when there is none or it is damaged.
std::optional<LearnedColour> readLearnedColour(const LearnedColourStore& store,
                                               std::string_view model);

// Folds one more file's fit into the model's stored average (in one step of the store); returns
// the new average.
LearnedColour rememberColourFit(LearnedColourStore& store, std::string_view model,
                                const ColourFit& fit);

// The stored text and back (the parser refuses anything a writer could not have written).
std::string formatLearnedColour(const LearnedColour& learned);
std::optional<LearnedColour> parseLearnedColour(std::string_view text);

}  // namespace tavrin::raw
