#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/decode_context.hpp"
#include "rawengine/foveon/foveon_interpolate.hpp"
#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {

Pipeline builtInPipeline() {
    return Pipeline{loaderFor,  foveonInterpolate, scaleColours,     vngInterpolate,
                    fujiRotate, convertToRgb,      colourFromPreview};
}

}  // namespace tavrin::raw
