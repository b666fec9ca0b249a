#pragma once
// The German texts of the engine's progress stages and memory errors.

#include <string>

#include "rawengine/decode_progress.hpp"
#include "rawengine/loader_exception.hpp"

namespace tavrin::engine_settings {

// "Lade MAKE MODEL Bild von PATH...", "VNG-Interpolation..." and the other stages' lines.
std::string statusText(const raw::DecodeStatus& status);

// "Nicht genügend Speicher in STEP\n" for a memory error; the engine's own text otherwise.
std::string loaderErrorText(const raw::CImageLoaderException& error);

}  // namespace tavrin::engine_settings
