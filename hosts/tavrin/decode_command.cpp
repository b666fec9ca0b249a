// tavrin decode: the engine's converter from a RAW file to a finished picture.

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <ostream>
#include <string>

#include "engine_settings/decode_settings.hpp"
#include "engine_settings/decode_texts.hpp"
#include "hosts/tavrin/commands.hpp"
#include "platform/imaging/png_writer.hpp"
#include "platform/imaging/ppm_writer.hpp"
#include "platform/imaging/tiff_writer.hpp"
#include "platform/system/ascii.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"

namespace tavrin::host {
namespace {

constexpr std::string_view kUsage =
    "Usage: tavrin decode [--half] [--quality 1|2|3] [--wb 0|1|2] [--brightness N] FILE OUT\n"
    "\n"
    "Decodes a RAW file and writes the picture to OUT as PNG, PPM or TIFF (by its extension).\n"
    "  --quality 1   half size (as --half)\n"
    "  --quality 2   full size, bilinear interpolation\n"
    "  --quality 3   full size, VNG interpolation (the default)\n"
    "  --wb 0|1|2    white balance: fixed, the camera's, automatic (default: the settings)\n"
    "  --brightness N  brightness index: each step is 1.2 times brighter (default: the settings)\n";

using Writer = bool (*)(const imaging::Bitmap&, const std::filesystem::path&);

Writer writerFor(const std::filesystem::path& out) {
    const std::string extension = out.extension().string();
    if (ascii::equalsIgnoreCase(extension, ".png")) {
        return [](const imaging::Bitmap& picture, const std::filesystem::path& path) {
            return imaging::writePng(picture, path);
        };
    }
    if (ascii::equalsIgnoreCase(extension, ".ppm")) return imaging::writePpm;
    if (ascii::equalsIgnoreCase(extension, ".tif") || ascii::equalsIgnoreCase(extension, ".tiff"))
        return imaging::writeTiff;
    return nullptr;
}

bool parseInt(std::string_view text, int low, int high, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

struct Options {
    int quality = 3;
    std::uint32_t whiteBalance = raw::kWhiteBalanceFromSettings;
    std::optional<int> brightness;
    std::vector<std::string_view> files;
};

// Parses the options; on a mistake says what is wrong and returns false.
bool parse(std::span<const std::string_view> args, Options& o, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool hasValue = i + 1 < args.size();
        int value = 0;
        if (arg == "--half") {
            o.quality = 1;
        } else if (arg == "--quality" || arg == "--wb" || arg == "--brightness") {
            if (!hasValue) {
                err << "tavrin decode: " << arg << " needs a value\n";
                return false;
            }
            const std::string_view text = args[++i];
            if (arg == "--quality" && parseInt(text, 1, 3, value)) {
                o.quality = value;
            } else if (arg == "--wb" && parseInt(text, 0, 2, value)) {
                o.whiteBalance = static_cast<std::uint32_t>(value);
            } else if (arg == "--brightness" && parseInt(text, -20, 20, value)) {
                o.brightness = value;
            } else {
                err << "tavrin decode: invalid value '" << text << "' for " << arg << "\n";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "tavrin decode: unknown option '" << arg << "'\n";
            return false;
        } else {
            o.files.push_back(arg);
        }
    }
    if (o.files.size() != 2) {
        err << kUsage;
        return false;
    }
    return true;
}

}  // namespace

int runDecode(std::span<const std::string_view> args, Io io) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        io.out << kUsage;
        return 0;
    }
    Options o;
    if (!parse(args, o, io.err)) return 2;
    const std::filesystem::path input(o.files[0]), output(o.files[1]);
    const Writer write = writerFor(output);
    if (!write) {
        io.err << "tavrin decode: " << output.string()
               << ": unknown output format (use .png, .ppm, .tif or .tiff)\n";
        return 2;
    }

    raw::RawEngine engine;
    raw::DecodeOptions options = engine_settings::decodeOptionsFor(input.native());
    if (o.brightness) options.brightnessIndex = *o.brightness;
    if (engine.OpenAndIdentify(input, nullptr, nullptr, nullptr, nullptr, nullptr, false) !=
        com::S_OK) {
        return 1;  // the engine has said why
    }
    const raw::DecodeState& s = engine.state();
    if (!s.supported) {
        io.err << "tavrin decode: " << input.string() << ": not a RAW file the engine can read\n";
        return 1;
    }
    try {
        const com::HRESULT hr = engine.OpenImageFile(input, nullptr, o.quality == 1, o.quality == 2,
                                                     o.whiteBalance, options);
        if (hr == com::E_NOTIMPL && !s.supported) {
            io.err << "tavrin decode: " << input.string()
                   << ": the file is too short for the picture it describes (truncated?)\n";
            return 1;
        }
        if (hr == com::E_NOTIMPL) {
            io.err << "tavrin decode: " << input.string() << ": decoding " << s.id.make << " "
                   << s.id.model << " files (" << raw::loaderName(s.loader)
                   << ") is not supported\n";
            return 1;
        }
        if (hr != com::S_OK) {
            io.err << "tavrin decode: " << input.string() << ": decoding failed\n";
            return 1;
        }
    } catch (const raw::CImageLoaderException& e) {
        io.err << "tavrin decode: " << input.string() << ": "
               << engine_settings::loaderErrorText(e);
        return 1;
    }
    const auto bitmap = engine.CreateGdiplusBitmap();
    if (!bitmap) {
        io.err << "tavrin decode: " << input.string() << ": the picture is too large\n";
        return 1;
    }
    errno = 0;
    if (!write(*bitmap, output)) {
        io.err << "tavrin decode: " << cannotWrite(output.string(), errno) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tavrin::host
