#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/decode_context.hpp"
#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {

// Foveon interpolation is not part of this build: Foveon files are refused as not implemented.
Pipeline builtInPipeline() {
    return Pipeline{loaderFor,   nullptr,      ScaleColours,     vng_interpolate,
                    fuji_rotate, ConvertToRgb, ColourFromPreview};
}

}  // namespace tavrin::raw
