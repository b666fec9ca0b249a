// tavrin identify: what the engine's identification tells of each file.

#include <cstdio>
#include <ctime>
#include <ostream>
#include <string>

#include "engine_settings/settings_learned_colours.hpp"
#include "hosts/tavrin/commands.hpp"
#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/raw_engine.hpp"

namespace tavrin::host {
namespace {

std::string hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

std::string list(const std::array<float, 4>& values) {
    std::string text;
    for (const float v : values) {
        char number[32];
        std::snprintf(number, sizeof number, "%s%g", text.empty() ? "" : " ",
                      static_cast<double>(v));
        text += number;
    }
    return text;
}

std::string utc(std::time_t t) {
    if (t <= 0) return "0";
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return std::to_string(static_cast<long long>(t)) + " (" + text + ")";
}

void describe(std::ostream& out, const std::string& path, const raw::DecodeState& s) {
    const engine_settings::SettingsLearnedColours learned;
    const auto& g = s.geometry;
    out << "file: " << path << "\n"
        << "make: " << s.id.make << "\n"
        << "model: " << s.id.model << "\n"
        << "model2: " << s.id.model2 << "\n"
        << "raw size: " << g.rawWidth << " x " << g.rawHeight << "\n"
        << "visible size: " << g.width << " x " << g.height << "\n"
        << "margins: top " << g.topMargin << ", left " << g.leftMargin << "\n"
        << "fuji width: " << g.fujiWidth << "\n"
        << "filter pattern: " << hex(s.sensor.filterPattern) << "\n"
        << "colours: " << s.sensor.colourCount << "\n"
        << "black: " << s.sensor.blackLevel << "\n"
        << "white: " << s.sensor.whiteLevel << "\n"
        << "loader: " << raw::loaderName(s.loader) << "\n"
        << "data offset: " << s.container.dataOffset << "\n"
        << "rotation: " << s.container.rotationDegrees << "\n"
        << "timestamp: " << utc(s.container.timestamp) << "\n"
        << "camera multipliers: " << list(s.colour.cameraMultipliers) << "\n"
        << "preset multipliers: " << list(s.colour.presetMultipliers) << "\n"
        << "colour matrix: " << raw::matrixOrigin(s, &learned) << "\n"
        << "supported: " << (s.supported ? "yes" : "no") << "\n";
}

}  // namespace

int runIdentify(std::span<const std::string_view> args, Io io) {
    if (args.empty() || args[0] == "--help") {
        (args.empty() ? io.err : io.out) << "Usage: tavrin identify FILE...\n";
        return args.empty() ? 2 : 0;
    }
    int status = 0;
    bool first = true;
    for (const std::string_view arg : args) {
        const std::string path(arg);
        raw::RawEngine engine;
        if (engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, true) !=
            com::S_OK) {
            status = 1;  // the engine has said why on standard error
            continue;
        }
        if (!first) io.out << "\n";
        first = false;
        describe(io.out, path, engine.state());
    }
    return status;
}

}  // namespace tavrin::host
