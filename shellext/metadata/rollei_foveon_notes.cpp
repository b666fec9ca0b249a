// The text header of Rollei files and the property list of Foveon X3F files.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/settings.hpp"
#include "common/strings.hpp"
#include "formats/rollei_header.hpp"
#include "formats/x3f_header.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/info/info_context.hpp"

namespace tavrin::shell {
namespace {

constexpr std::uint64_t kMaxPropertyBytes = 16 << 20;

// Where the section behind the one of the given type begins: the word behind that type's entry in
// the directory.
std::optional<std::uint32_t> sectionAfter(formats::FileReader& f, std::uint64_t directory,
                                          std::string_view type) {
    std::optional<std::uint64_t> behind;
    formats::walkX3fDirectory(f, directory, [&](const formats::X3fSection& section) {
        if (!behind && section.is(type)) behind = section.end;
    });
    if (!behind) return std::nullopt;
    f.seek(*behind);
    return f.readU32();
}

std::string textOf(unsigned id) {
    return std::string(strings::get(id));
}

// A value word and its string-table text, compared without case.
struct Word {
    const char* word;
    unsigned id;
};

template <std::size_t N>
std::optional<std::string> lookup(const Word (&words)[N], const std::string& value) {
    for (const auto& w : words) {
        if (ascii::equalsIgnoreCase(value, w.word)) return textOf(w.id);
    }
    return std::nullopt;
}

// "A to B" as "A - B".
std::string range(const std::string& value) {
    const auto to = value.find("to");
    if (to == std::string::npos) return value;
    return trimmed(value.substr(0, to)) + " - " + trimmed(value.substr(to + 2));
}

void takeProperty(ImageInfo& info, const std::string& name, const std::string& value) {
    ShootingData& sd = info.shooting;
    auto is = [&](const char* key) { return ascii::equalsIgnoreCase(name, key); };
    if (name == "CAMMANUF")
        info.make = value.substr(0, kMaxMakeLength);
    else if (name == "CAMMODEL")
        info.model = value.substr(0, kMaxMakeLength);
    else if (is("WB_DESC"))
        sd.whiteBalance = value;
    else if (is("SH_DESC")) {
        info.appendLine<const char*>(1316, value.c_str());
        sd.setExposureText(value);
    } else if (is("RESOLUTION")) {
        static constexpr Word kWords[] = {{"HI", 556}, {"MED", 557}, {"LOW", 555}};
        if (auto t = lookup(kWords, value)) sd.sizeNote = *t;
    } else if (is("PMODE")) {
        static constexpr Word kWords[] = {{"P", 670}, {"A", 671}, {"S", 672}, {"M", 673}};
        if (auto t = lookup(kWords, value)) info.appendLine<const char*>(1385, t->c_str());
    } else if (is("LENSFRANGE")) {
        sd.focalNote = range(value);
        info.appendLine<const char*>(1294, sd.focalNote.c_str());
    } else if (is("LENSARANGE")) {
        sd.apertureNote = range(value);
        info.appendLine<const char*>(1283, sd.apertureNote.c_str());
    } else if (is("ISO")) {
        if (parseDecimal(value) <= kMaxIso) sd.isoText = value;
    } else if (is("FOCUS")) {
        static constexpr Word kWords[] = {{"AF", 675}, {"NO LOCK", 676}, {"M", 677}};
        if (auto t = lookup(kWords, value)) info.appendLine<const char*>(1296, t->c_str());
    } else if (is("FLENGTH")) {
        sd.setFocalLengthReal(std::strtod(value.c_str(), nullptr));
    } else if (is("FLASH")) {
        static constexpr Word kWords[] = {{"ON", 560}, {"OFF", 561}, {"REDEYE", 562}};
        if (auto t = lookup(kWords, value)) sd.flash = *t;
    } else if (is("FIRMVERS"))
        info.appendLine<const char*>(1390, value.c_str());
    else if (is("EXPNET"))
        info.appendLine<const char*>(1275, value.c_str());
    else if (is("EXPCOMP"))
        info.appendLine<const char*>(1274, value.c_str());
    else if (is("DRIVE")) {
        static constexpr Word kWords[] = {{"SINGLE", 660}, {"MULTI", 661}, {"2S", 663},
                                          {"10S", 664},    {"UP", 665},    {"AB", 666},
                                          {"OFF", 667}};
        if (auto t = lookup(kWords, value)) info.appendLine<const char*>(1380, t->c_str());
    } else if (is("BURST"))
        info.appendLine<const char*>(1395, value.c_str());
    else if (is("BRACKET"))
        info.appendLine<const char*>(1396, value.c_str());
    else if (is("APERTURE"))
        info.appendLine<const char*>(1285, value.c_str());
    else if (is("AP_DESC"))
        sd.setAperture("f " + value);
    else if (is("AFMODE")) {
        static constexpr Word kWords[] = {{"AF-S", 655}, {"AF-C", 658}, {"MF", 657}};
        if (auto t = lookup(kWords, value)) info.appendLine<const char*>(1297, t->c_str());
    } else if (is("AEMODE")) {
        static constexpr Word kWords[] = {{"8", 680}, {"C", 681}, {"A", 682}};
        if (auto t = lookup(kWords, value)) info.appendLine<const char*>(1276, t->c_str());
    } else if (is("ROTATION"))
        info.appendLine<const char*>(1400, value.c_str());
}

}  // namespace

void readRolleiHeader(InfoContext& ctx) {
    ImageInfo& info = ctx.info;
    const bool complete =
        formats::walkRolleiHeader(ctx.file, [&](const std::string& key, const std::string& value) {
            if (key == "HDR") info.previewOffset = parseDecimal(value);
            if (key == "X  ") info.shooting.width = parseDecimal(value);
            if (key == "Y  ") info.shooting.height = parseDecimal(value);
            if (key == "TX ") info.previewWidth = parseDecimal(value);
            if (key == "TY ") info.previewHeight = parseDecimal(value);
            if (key == "ORI") info.orientation = parseDecimal(value) * 3;
            if (key == "DAT") info.shooting.setDate(value);
            if (key == "TIM") info.shooting.setDate(info.shooting.dateTaken + " " + value);
            if (key == "APT") {
                char text[32];
                std::snprintf(text, sizeof text, "f %.1f", std::strtod(value.c_str(), nullptr));
                info.shooting.setAperture(text);
            }
            if (key == "FOCLEN") info.shooting.setFocalLengthInt(parseDecimal(value));
        });
    if (complete) {
        info.make = "Rollei";
        info.model = "d530flex";
        info.previewLength = info.previewPixelBytes(2);
    }
}

HRESULT readFoveonProperties(InfoContext& ctx) {
    formats::FileReader& f = ctx.file;
    ImageInfo& info = ctx.info;
    const formats::X3fHeader header = formats::readX3fHeader(f);
    info.formatVersion = static_cast<std::int32_t>(header.version);
    info.shooting.width = static_cast<std::int32_t>(header.width & 0x7FFFFFFF);
    info.shooting.height = static_cast<std::int32_t>(header.height & 0x7FFFFFFF);
    info.orientation = static_cast<std::int32_t>(header.rotation & 0x7FFFFFFF);
    if (!header.directory) return com::S_OK;
    const std::uint64_t directory = *header.directory;

    if (const auto properties = sectionAfter(f, directory, "CAMF")) {
        const std::uint64_t p = *properties;
        f.seek(p + 8);
        const std::uint64_t n = f.readU32();
        const std::uint64_t start = p + 24 + 8 * n;
        if (start < directory && directory - start <= kMaxPropertyBytes) {
            std::vector<char> texts((directory - start) / 2);
            f.seek(start);
            for (char& c : texts)
                c = static_cast<char>(f.readU16() & 0xFF);
            std::size_t at = 0;
            auto next = [&]() {
                std::string s;
                while (at < texts.size() && texts[at])
                    s += texts[at++];
                ++at;
                return s;
            };
            while (at < texts.size()) {
                const std::string name = next();
                if (name.empty()) break;
                takeProperty(info, name, next());
            }
        }
    } else {
        return com::S_OK;
    }

    const auto image = sectionAfter(f, directory, info.formatVersion == 0x20001 ? "IMAG" : "IMA2");
    if (!image) return com::E_NOTIMPL;
    f.seek(*image + 16);
    info.previewWidth = static_cast<std::int32_t>(f.readU32() & 0xFFFF);
    info.previewHeight = static_cast<std::int32_t>(f.readU32() & 0xFFFF);
    const auto rowSize = static_cast<std::int32_t>(f.readU32() & 0x3FFFF);
    if (info.formatVersion == 0x20001) {
        info.previewWidth = rowSize / 3;
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, "P6 %d %d 255\n", info.previewWidth,
                      info.previewHeight);
        info.previewPrefix = prefix;
    } else {
        info.thumbRowPadding = rowSize - 3 * info.previewWidth;
    }
    info.previewOffset = static_cast<std::int64_t>(f.tell());
    info.previewLength = info.previewPixelBytes(3);
    return com::S_OK;
}

}  // namespace tavrin::shell
