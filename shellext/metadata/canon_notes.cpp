// Canon CRW files: the CIFF heap's records for make, model, size, time, turn and preview, and the
// shooting data of its shot-info, camera-settings, focal-length and exposure-information records.

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "common/strings.hpp"
#include "formats/ciff_heap.hpp"
#include "shellext/info/info_context.hpp"
#include "shellext/metadata/canon_tables.hpp"
#include "shellext/metadata/ciff_layout.hpp"

namespace tavrin::shell {
namespace {

using namespace ciff;

constexpr std::uint32_t kMaxShotRecord = 4096;

// Calls visit(type without its storage bits, size, data position) for each record of the heap and
// of its sub-heaps, in file order, with the file at the data.
template <typename Visit>
void walkHeap(InfoContext& ctx, std::uint64_t start, std::uint64_t length, Visit& visit) {
    formats::walkCiffHeap(ctx.file, start, length, 0, ctx.budget,
                          [&](const formats::CiffRecord& record) {
                              visit(record.kind(), record.dataSize(), record.dataOffset());
                          });
}

// One record's bytes; a field beyond its end is absent.
class Record {
  public:
    void read(formats::FileReader& f, std::uint32_t size) {
        bytes_.resize(std::min(size, kMaxShotRecord));
        bytes_.resize(f.read(bytes_.data(), bytes_.size()));
        order_ = f.order();
    }
    std::optional<std::int16_t> word(std::size_t index) const {
        if (2 * index + 2 > bytes_.size()) return std::nullopt;
        const std::uint8_t* p = &bytes_[2 * index];
        return static_cast<std::int16_t>(order_ == formats::kLittleEndian ? p[0] | p[1] << 8
                                                                          : p[0] << 8 | p[1]);
    }
    std::optional<std::uint16_t> unsignedWord(std::size_t index) const {
        const auto w = word(index);
        return w ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*w)) : std::nullopt;
    }
    // A float in APEX units as a 1/32-EV code; absent when it is no plausible value.
    std::optional<std::int16_t> apexCode(std::size_t index) const {
        const auto high = unsignedWord(2 * index + 1), low = unsignedWord(2 * index);
        if (!high || !low) return std::nullopt;
        const float value = std::bit_cast<float>(order_ == formats::kLittleEndian
                                                     ? std::uint32_t{*high} << 16 | *low
                                                     : std::uint32_t{*low} << 16 | *high);
        if (!std::isfinite(value) || std::fabs(value) > 64) return std::nullopt;
        return static_cast<std::int16_t>(std::lround(value * 32));
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint16_t order_ = formats::kLittleEndian;
};

struct ShotRecords {
    Record shotInfo, cameraSettings, focalLength, exposureInfo;
};

ShotRecords findShotRecords(InfoContext& ctx) {
    formats::FileReader& f = ctx.file;
    ShotRecords found;
    f.seek(2);
    const std::uint64_t heap = f.readU32();
    auto visit = [&](unsigned type, std::uint32_t size, std::uint64_t) {
        switch (type) {
            case ShotInfoRecord:
                found.shotInfo.read(f, size);
                break;
            case CameraSettingsRecord:
                found.cameraSettings.read(f, size);
                break;
            case FocalLengthRecord:
                found.focalLength.read(f, size);
                break;
            case ExposureInfoRecord:
                found.exposureInfo.read(f, size);
                break;
            default:
                break;
        }
    };
    if (heap < f.size()) walkHeap(ctx, heap, f.size() - heap, visit);
    return found;
}

std::optional<std::int16_t> either(std::optional<std::int16_t> first,
                                   std::optional<std::int16_t> second) {
    return first ? first : second;
}

std::string tableText(const CanonCode& code) {
    return code.textId ? std::string(strings::get(code.textId)) : std::string(code.text);
}

// One number in one of the formats below.
std::string printed(const char* format, double value) {
    char text[32];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, value);
#pragma GCC diagnostic pop
    return text;
}

// The texts of codes, from Canon's tables; a code between their steps is shown by its value in
// the tables' form, and a code that stands for no plausible value by the unknown text.
std::string shutterText(std::int16_t code) {
    if (const auto row = canonShutter(code)) return tableText(*row);
    const double seconds = std::exp2(-canonEvValue(code));
    if (!(seconds > 1e-5 && seconds < 1e5)) return std::string(strings::get(626));
    if (seconds < 0.3) return "1/" + std::to_string(std::lround(1 / seconds));
    std::string text = printed("%.1f", seconds);
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    return text;
}

std::string apertureText(std::int16_t code) {
    if (const auto row = canonAperture(code)) return tableText(*row);
    const double f = std::exp2(canonEvValue(code) / 2);
    if (!(f >= 0.5 && f < 1000)) return std::string(strings::get(631));
    return printed(f < 10 ? "f %.1f" : "f %.0f", f);
}

std::string evText(std::int16_t code, unsigned unknownId) {
    if (const auto row = canonEv(code)) return tableText(*row);
    const double ev = canonEvValue(code);
    if (std::fabs(ev) > 16) return std::string(strings::get(unknownId));
    return printed("%+.2f EV", ev);
}

void readIso(ShootingData& sd, std::int16_t code) {
    if (const auto row = canonIso(code)) {
        sd.isoText = std::string(row->text);
        return;
    }
    const double iso = 100 * std::exp2(canonEvValue(code) - 5);
    if (iso >= 1 && iso <= kMaxIso) {
        sd.setIso(static_cast<int>(std::lround(iso)));
    } else {
        sd.isoText = std::string(strings::get(635));
    }
}

// A focus distance in centimetres; 0xFFFF stands for infinity.
void appendFocusDistance(ImageInfo& info, std::optional<std::uint16_t> cm,
                         strings::FormatId<double> valueLine,
                         strings::FormatId<const char*> infinityLine) {
    if (!cm) return;
    if (*cm == 0xFFFF) {
        info.appendLine<const char*>(infinityLine, std::string(strings::get(645)).c_str());
    } else {
        info.appendLine<double>(valueLine, *cm * 0.01);
    }
}

// A lens length in the camera's focal units, in whole millimetres.
std::optional<unsigned> millimetres(std::optional<std::uint16_t> length, int units) {
    if (!length) return std::nullopt;
    return static_cast<unsigned>(std::lround(static_cast<double>(*length) / units));
}

void appendNumber(ImageInfo& info, strings::FormatId<short> line,
                  std::optional<std::int16_t> value) {
    if (value) info.appendLine<short>(line, *value);
}

}  // namespace

HRESULT readCiffDirectory(InfoContext& ctx, std::uint64_t start, std::uint64_t length) {
    formats::FileReader& f = ctx.file;
    ImageInfo& info = ctx.info;
    auto visit = [&](unsigned type, std::uint32_t size, std::uint64_t data) {
        switch (type) {
            case 0x180E: {
                // The camera's own clock, which knows no zone: shown as it stands.
                const auto t = static_cast<std::time_t>(f.readU32());
                char text[64] = {};
                std::tm tm{};
                if (gmtime_r(&t, &tm))
                    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &tm);
                info.shooting.setDate(text);
                break;
            }
            case 0x2007:
                info.previewOffset = static_cast<std::int64_t>(data);
                info.previewLength = size;
                ctx.notePicture(info.previewOffset, size);
                break;
            case 0x2008:  // the small thumbnail, for when the large picture is cut off
                ctx.notePicture(static_cast<std::int64_t>(data), size);
                break;
            case 0x1031:
                f.seek(data + 2);
                info.shooting.width = f.readU16();
                info.shooting.height = f.readU16();
                break;
            case 0x080A:
                info.make = readText(f, 64, 64);
                f.seek(data + info.make.size() + 1);
                info.model = readText(f, 64, 64);
                break;
            case 0x1810:
                f.seek(data + 12);
                info.orientation = static_cast<std::int32_t>(f.readU32());
                break;
            default:
                break;
        }
    };
    walkHeap(ctx, start, length, visit);
    return com::S_OK;
}

void readCanonShotInfo(InfoContext& ctx) {
    ImageInfo& info = ctx.info;
    ShootingData& sd = info.shooting;
    const ShotRecords r = findShotRecords(ctx);
    const Record& shotInfo = r.shotInfo;
    const Record& settings = r.cameraSettings;

    if (const auto code =
            either(shotInfo.word(shot::kShutter), r.exposureInfo.apexCode(exposure::kShutter))) {
        const std::string text = shutterText(*code);
        info.appendLine<const char*>(1316, text.c_str());
        if (std::isdigit(static_cast<unsigned char>(text[0]))) sd.setExposureText(text);
    }
    if (const auto bulb = shotInfo.unsignedWord(shot::kBulbDuration))
        info.appendLine<unsigned long>(1340, static_cast<unsigned long>(*bulb));
    if (const auto code =
            either(shotInfo.word(shot::kAperture), r.exposureInfo.apexCode(exposure::kAperture))) {
        sd.setAperture(apertureText(*code));
    }
    if (const auto code = shotInfo.word(shot::kIso)) readIso(sd, *code);
    if (const auto code = either(shotInfo.word(shot::kExposureCompensation),
                                 r.exposureInfo.apexCode(exposure::kCompensation))) {
        info.appendLine<const char*>(1274, evText(*code, 640).c_str());
    }
    appendFocusDistance(info, shotInfo.unsignedWord(shot::kNearFocus), 1298, 1300);
    appendFocusDistance(info, shotInfo.unsignedWord(shot::kFarFocus), 1299, 1301);
    const int units = std::max<int>(1, settings.word(settings::kFocalUnits).value_or(1));
    if (const auto mm = millimetres(settings.unsignedWord(settings::kShortestFocal), units))
        info.appendLine<unsigned short>(1350, *mm);
    if (const auto mm = millimetres(settings.unsignedWord(settings::kLongestFocal), units))
        info.appendLine<unsigned short>(1351, *mm);
    if (const auto mm = millimetres(r.focalLength.unsignedWord(kFocalLength), units))
        sd.setFocalLengthInt(static_cast<int>(*mm));
    if (const auto mode = settings.word(settings::kFlashMode)) {
        switch (*mode) {
            case 0:
                sd.setFlashState(1);
                break;
            case 2:
                sd.setFlashState(0);
                break;
            case 6:
                sd.setFlash(strings::get(562));
                break;
            default:
                sd.flash.clear();
                break;
        }
    }
    if (const auto code = shotInfo.word(shot::kFlashCompensation))
        info.appendLine<const char*>(1306, evText(*code, 650).c_str());
    appendNumber(info, 1355, settings.word(settings::kContrast));
    appendNumber(info, 1360, settings.word(settings::kSaturation));
    appendNumber(info, 1365, settings.word(settings::kSharpness));
    appendNumber(info, 1370, settings.word(settings::kColourTone));
    // The release delay is a raw 16-bit number; it is shown as it stands.
    if (const auto delay = settings.word(settings::kReleaseDelay))
        info.appendLine<double>(1317, static_cast<double>(*delay));
    if (const auto focus = settings.word(settings::kFocusMode)) {
        info.appendLine<const char*>(1297, std::string(strings::get(*focus == 0   ? 655
                                                                    : *focus == 1 ? 656
                                                                    : *focus == 3 ? 657
                                                                                  : 659))
                                               .c_str());
    }
    if (const auto drive = settings.word(settings::kDriveMode)) {
        info.appendLine<const char*>(1380, std::string(strings::get(*drive == 0   ? 660
                                                                    : *drive == 1 ? 662
                                                                                  : 668))
                                               .c_str());
    }
    if (const auto wb = shotInfo.word(shot::kWhiteBalance)) {
        static constexpr unsigned kWhiteBalance[] = {570, 582, 572, 573, 575, 583, 576};
        sd.whiteBalance = strings::get(*wb >= 0 && *wb < 7 ? kWhiteBalance[*wb] : 584);
    }
}

}  // namespace tavrin::shell
