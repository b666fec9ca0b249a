// Shooting data kept as "Key: value" lines: the TIFF image description and Kodak's text block.

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/settings.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/info/info_context.hpp"

namespace tavrin::shell {
namespace {

// The value behind the first occurrence of key, up to the line end (a line feed, else a
// carriage return, else the end), trimmed; the key's line is then taken out of the text.
std::optional<std::string> takeKey(std::string& text, std::string_view key) {
    const auto at = text.find(key);
    if (at == std::string::npos) return std::nullopt;
    const auto start = at + key.size();
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.find('\r', start);
    const std::string value = trimmed(std::string_view(text).substr(
        start, end == std::string::npos ? std::string::npos : end - start));
    text.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    return value;
}

void takeIso(InfoContext& ctx, std::string& text, std::string_view key) {
    if (const auto iso = takeKey(text, key); iso && parseDecimal(*iso) <= kMaxIso) {
        ctx.info.shooting.isoText = *iso;
    }
}

// "F5.6" becomes "F 5.6": a blank after the first character.
std::string spaced(const std::string& value) {
    return value.empty() ? value : value.substr(0, 1) + " " + value.substr(1);
}

}  // namespace

void readDescriptionText(InfoContext& ctx, std::string text) {
    takeIso(ctx, text, "ISO:");
    if (const auto aperture = takeKey(text, "Aperture:")) {
        ctx.info.shooting.setAperture(ascii::lower(spaced(*aperture)));
    }
}

void readKodakText(InfoContext& ctx, std::string text) {
    ShootingData& sd = ctx.info.shooting;
    takeIso(ctx, text, "ISO Speed:");
    // The longer keys first: "Aperture:" also stands inside them.
    const auto maxAperture = takeKey(text, "Max Aperture:");
    const auto minAperture = takeKey(text, "Min Aperture:");
    if (maxAperture && minAperture) {
        sd.apertureNote = maxAperture->substr(std::min<std::size_t>(1, maxAperture->size())) +
                          " - " +
                          minAperture->substr(std::min<std::size_t>(1, minAperture->size()));
    }
    if (const auto aperture = takeKey(text, "Aperture:")) sd.setAperture(spaced(*aperture));
    if (const auto focal = takeKey(text, "Focal Length:"))
        sd.setFocalLengthReal(std::strtod(focal->c_str(), nullptr));
    if (const auto fired = takeKey(text, "Flash Fired:"))
        sd.setFlashState(!fired->empty() && (*fired)[0] == 'Y' ? 0 : 1);
}

}  // namespace tavrin::shell
