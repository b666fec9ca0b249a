#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// The loaders and the colour steps join here as they are built; until then every decode is
// refused as not implemented.
Pipeline builtInPipeline() {
    return Pipeline{};
}

}  // namespace tavrin::raw
