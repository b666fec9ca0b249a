#include "shellext/metadata/exif_reader.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "formats/tiff_directory.hpp"
#include "formats/tiff_types.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::shell {
namespace {

constexpr std::size_t kMaxSegment = 100000;
constexpr std::size_t kTiffStart = 8;  // segment offset of the TIFF header

enum class Kind {
    Number,
    Text,
    Rationals,
    HexOffset,
    Version,
    InteropVersion,
    NewSubfileType,
    BitsPerSample,
    Compression,
    Photometric,
    StripOffsets,
    Orientation,
    SamplesPerPixel,
    RowsPerStrip,
    PlanarConfiguration,
    ResolutionUnit,
    YCbCrSubSampling,
    YCbCrPositioning,
    CfaRepeat,
    ExifOffset,
    ExposureProgram,
    GpsInfo,
    Interlace,
    TimeZoneOffset,
    Aperture,
    MeteringMode,
    LightSource,
    Flash,
    FocalLength,
    SecurityClassification,
    SubjectLocation,
    UserComment,
    ColorSpace,
    InteropOffset,
    FocalPlaneUnit,
    SensingMethod,
};

struct TagRow {
    std::uint16_t tag;
    const char* name;
    Kind kind;
};

constexpr TagRow kTags[] = {
    {1, "InteroperabilityIndex", Kind::Text},
    {2, "InteroperabilityVersion", Kind::InteropVersion},
    {254, "NewSubfileType", Kind::NewSubfileType},
    {255, "SubfileType", Kind::Number},
    {256, "ImageWidth", Kind::Number},
    {257, "ImageHeight", Kind::Number},
    {258, "BitsPerSample", Kind::BitsPerSample},
    {259, "Compression", Kind::Compression},
    {262, "PhotometricInterpretation", Kind::Photometric},
    {270, "ImageDescription", Kind::Text},
    {271, "Make", Kind::Text},
    {272, "Model", Kind::Text},
    {273, "StripOffsets", Kind::StripOffsets},
    {274, "Orientation", Kind::Orientation},
    {277, "SamplesPerPixel", Kind::SamplesPerPixel},
    {278, "RowsPerStrip", Kind::RowsPerStrip},
    {279, "StripByteConunts", Kind::Number},
    {282, "XResolution", Kind::Rationals},
    {283, "YResolution", Kind::Rationals},
    {284, "PlanarConfiguration", Kind::PlanarConfiguration},
    {296, "ResolutionUnit", Kind::ResolutionUnit},
    {301, "TransferFunction", Kind::Number},
    {305, "Software", Kind::Text},
    {306, "DateTime", Kind::Text},
    {315, "Artist", Kind::Text},
    {317, "Predictor", Kind::Number},
    {318, "WhitePoint", Kind::Rationals},
    {319, "PrimaryChromaticities", Kind::Rationals},
    {322, "TileWidth", Kind::Number},
    {323, "TileLength", Kind::Number},
    {324, "TileOffsets", Kind::Number},
    {325, "TileByteCounts", Kind::Number},
    {330, "SubIFDs", Kind::Number},
    {347, "JPEGTables", Kind::Number},
    {513, "JpegIFOffset", Kind::Number},
    {514, "JpegIFByteCount", Kind::Number},
    {529, "YCbCrCoefficients", Kind::Rationals},
    {530, "YCbCrSubSampling", Kind::YCbCrSubSampling},
    {531, "YCbCrPositioning", Kind::YCbCrPositioning},
    {532, "ReferenceBlackWhite", Kind::Rationals},
    {33421, "CFARepeatPatternDim", Kind::CfaRepeat},
    {33422, "CFAPattern", Kind::Number},
    {33423, "BatteryLevel", Kind::Rationals},
    {33432, "Copyright", Kind::Text},
    {33434, "ExposureTime", Kind::Rationals},
    {33437, "FNumber", Kind::Rationals},
    {33723, "IPTC/NAA", Kind::HexOffset},
    {34665, "ExifOffset", Kind::ExifOffset},
    {34675, "InterColorProfile", Kind::Number},
    {34850, "ExposureProgram", Kind::ExposureProgram},
    {34852, "SpectralSensitivity", Kind::Text},
    {34853, "GPSInfo", Kind::GpsInfo},
    {34855, "ISOSpeedRatings", Kind::Number},
    {34856, "OECF", Kind::Number},
    {34857, "Interlace", Kind::Interlace},
    {34858, "TimeZoneOffset", Kind::TimeZoneOffset},
    {34859, "SelfTimerMode", Kind::Number},
    {36864, "ExifVersion", Kind::Version},
    {36867, "DateTimeOriginal", Kind::Text},
    {36868, "DateTimeDigitized", Kind::Text},
    {37121, "ComponentConfiguration", Kind::Version},
    {37122, "CompressedBitsPerPixel", Kind::Rationals},
    {37377, "ShutterSpeedValue", Kind::Rationals},
    {37378, "ApertureValue", Kind::Aperture},
    {37379, "BrightnessValue", Kind::Rationals},
    {37380, "ExposureBiasValue", Kind::Rationals},
    {37381, "MaxApertureValue", Kind::Rationals},
    {37382, "SubjectDistance", Kind::Rationals},
    {37383, "MeteringMode", Kind::MeteringMode},
    {37384, "LightSource", Kind::LightSource},
    {37385, "Flash", Kind::Flash},
    {37386, "FocalLength", Kind::FocalLength},
    {37387, "FlashEnergy", Kind::Rationals},
    {37388, "SpatialFrequencyResponse", Kind::Number},
    {37389, "Noise", Kind::Number},
    {37393, "ImageNumber", Kind::Number},
    {37394, "SecurityClassification", Kind::SecurityClassification},
    {37395, "ImageHistory", Kind::Text},
    {37396, "SubjectLocation", Kind::SubjectLocation},
    {37397, "ExposureIndex", Kind::Rationals},
    {37398, "TIFF/EPStandardID", Kind::Number},
    {37510, "UserComment", Kind::UserComment},
    {37520, "SubSecTime", Kind::Text},
    {37521, "SubSecTimeOriginal", Kind::Text},
    {37522, "SubSecTimeDigitized", Kind::Text},
    {40960, "FlashPixVersion", Kind::Version},
    {40961, "ColorSpace", Kind::ColorSpace},
    {40962, "ExifImageWidth", Kind::Number},
    {40963, "ExifImageHeight", Kind::Number},
    {40964, "RelatedSoundFile", Kind::Text},
    {40965, "ExifInteroperabilityOffset", Kind::InteropOffset},
    {41483, "FlashEnergy", Kind::Rationals},
    {41484, "SpatialFrequencyResponse", Kind::Number},
    {41486, "FocalPlaneXResolution", Kind::Rationals},
    {41487, "FocalPlaneYResolution", Kind::Rationals},
    {41488, "FocalPlaneResolutionUnit", Kind::FocalPlaneUnit},
    {41492, "SubjectLocation", Kind::SubjectLocation},
    {41493, "ExposureIndex", Kind::Rationals},
    {41495, "SensingMethod", Kind::SensingMethod},
    {41728, "FileSource", Kind::Number},
    {41729, "SceneType", Kind::Number},
    {41730, "CFAPattern", Kind::Number},
};

const TagRow* rowOf(unsigned tag) {
    for (const auto& row : kTags) {
        if (row.tag == tag) return &row;
    }
    return nullptr;
}

// Appends printf output, keeping the text within its limit. The formats are the literals of the
// renderings below.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
template <typename... Args>
void add(std::string& text, const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    text.append(buffer,
                std::min(std::strlen(buffer), kMaxExifText - std::min(kMaxExifText, text.size())));
}
#pragma GCC diagnostic pop

const char* pick(unsigned value, std::initializer_list<std::pair<unsigned, const char*>> texts) {
    for (const auto& [v, t] : texts) {
        if (v == value) return t;
    }
    return nullptr;
}

constexpr const char* kChromaWidth[] = {
    "ImageWidth of this chroma image is equal to the ImageWidth of the associated luma image",
    "ImageWidth of this chroma image is half the ImageWidth of the associated luma image",
    "ImageWidth of this chroma image is one-quarter the ImageWidth of the associated luma image"};
constexpr const char* kChromaLength[] = {
    "ImageLength (height) of this chroma image is equal to the ImageLength of the associated luma "
    "image",
    "ImageLength (height) of this chroma image is half the ImageLength of the associated luma "
    "image",
    "ImageLength (height) of this chroma image is one-quarter the ImageLength of the associated "
    "luma "
    "image"};

}  // namespace

struct ExifReader::Entry {
    unsigned tag, type;
    std::uint32_t count;
    std::size_t field;   // segment offset of the value field
    std::size_t values;  // segment offset of the first value
    bool valueInField;   // the value lies in the field itself
    std::uint8_t b[4];   // the value field's bytes, low byte of each 16-bit unit first
};

std::uint16_t ExifReader::u16(std::size_t at) const {
    if (at + 2 > segment_.size()) return 0;
    return intel_ ? static_cast<std::uint16_t>(segment_[at] | segment_[at + 1] << 8)
                  : static_cast<std::uint16_t>(segment_[at] << 8 | segment_[at + 1]);
}

std::uint32_t ExifReader::u32(std::size_t at) const {
    if (at + 4 > segment_.size()) return 0;
    return intel_ ? u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16
                  : static_cast<std::uint32_t>(u16(at)) << 16 | u16(at + 2);
}

// Renders the entries of directories that lie wholly inside the segment, skipping entries
// whose values do not.
class ExifReader::Walker final : public formats::TiffVisitor {
  public:
    explicit Walker(ExifReader& reader) : r_(reader) {}

    void beginDirectory(const formats::TiffDirectory& d) override {
        inside_ =
            d.offset + 2 + 12 * static_cast<std::uint64_t>(d.entryCount) <= r_.segment_.size();
    }
    void visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) override {
        if (!inside_) return;
        const auto at = static_cast<std::size_t>(e.position);
        Entry entry{e.tag, e.type, e.count, at + 8, at + 8, true, {}};
        if (!e.inlineValue) {
            const std::uint64_t bytes =
                static_cast<std::uint64_t>(formats::tiffTypeSize(e.type)) * e.count;
            if (e.field >= kMaxSegment || e.field + kTiffStart + bytes > r_.segment_.size()) return;
            entry.values = e.field + kTiffStart;
            entry.valueInField = false;
        }
        const std::uint8_t* field = &r_.segment_[at + 8];
        if (r_.intel_) {
            std::memcpy(entry.b, field, 4);
        } else {
            entry.b[0] = field[1], entry.b[1] = field[0], entry.b[2] = field[3],
            entry.b[3] = field[2];
        }
        r_.render(entry);
    }

  private:
    ExifReader& r_;
    bool inside_ = false;
};

bool ExifReader::read() {
    tags_.clear();
    segment_.clear();
    intel_ = true;
    exifIfd_ = interopIfd_ = 0;
    sawExif_ = sawInterop_ = false;
    planarConfiguration_ = 1;

    // The marker, looked for in byte pairs from the start: one at an odd offset is not seen.
    formats::FileReader& f = file_;
    f.seek(0);
    std::uint64_t marker = 0;
    for (;;) {
        const int a = f.get(), b = f.get();
        if (a < 0 || b < 0) return false;
        if (a == 0xFF && b == 0xE1) {
            marker = f.tell() - 2;
            break;
        }
    }
    std::uint8_t header[12];
    f.seek(marker >= 2 ? marker - 2 : 0);
    if (marker < 2 || f.read(header, sizeof header) != sizeof header) return false;
    const std::size_t length = static_cast<std::size_t>(header[4] << 8 | header[5]);
    if (length >= kMaxSegment || std::memcmp(header + 6, "Exif\0\0", 6) != 0) return false;
    segment_.resize(length);
    f.seek(marker + 2);
    if (f.read(segment_.data(), length) != length) {
        segment_.clear();
        return false;
    }
    if (length >= 10 && segment_[8] == 'M' && segment_[9] == 'M') intel_ = false;
    // The IFD0 chain first, then the EXIF and interoperability directories it names.
    formats::FileReader tiff;
    tiff.openView(segment_);
    tiff.setOrder(intel_ ? formats::kLittleEndian : formats::kBigEndian);
    formats::TiffDirectoryReader reader(tiff);
    Walker walker(*this);
    reader.walkChain(kTiffStart, u32(12), walker);
    if (sawExif_)
        reader.walkDirectory(exifIfd_, kTiffStart, formats::TiffDirectoryKind::Exif, 1, walker);
    if (sawInterop_)
        reader.walkDirectory(interopIfd_, kTiffStart, formats::TiffDirectoryKind::Exif, 2, walker);
    return true;
}

void ExifReader::render(const Entry& e) {
    const TagRow* row = rowOf(e.tag);
    if (!row) return;
    std::string t;
    // The entry's value as its type says; for values stored elsewhere, the offset field itself.
    const std::uint32_t value = !e.valueInField                      ? u32(e.field)
                                : e.type == 3                        ? u16(e.field)
                                : formats::tiffTypeSize(e.type) == 1 ? segment_[e.field]
                                                                     : u32(e.field);
    auto shortAt = [&](std::size_t i) { return u16(e.values + 2 * i); };
    auto numberAt = [&](std::size_t i) -> std::uint32_t {
        const auto size = static_cast<std::size_t>(formats::tiffTypeSize(e.type));
        if (size == 1) return e.values + i < segment_.size() ? segment_[e.values + i] : 0;
        return size == 2 ? shortAt(i) : u32(e.values + size * i);
    };
    auto enumerated = [&](std::initializer_list<std::pair<unsigned, const char*>> texts) {
        if (const char* s = pick(value, texts)) {
            add(t, "%s", s);
        } else {
            add(t, "%d", static_cast<int>(value));
        }
    };
    auto version = [&] {
        const std::uint8_t* f = &segment_[e.field];
        const int v[4] = {intel_ ? f[3] : f[0], intel_ ? f[2] : f[1], intel_ ? f[1] : f[2],
                          intel_ ? f[0] : f[3]};
        add(t, "[%d.%d.%d.%d]", v[0], v[1], v[2], v[3]);
    };
    switch (row->kind) {
        case Kind::Number:
            add(t, "%d", static_cast<int>(value));
            break;
        case Kind::Text: {
            // Up to the count and the first NUL: many cameras count the terminator, some do not.
            for (std::size_t i = 0; i < e.count && t.size() < kMaxExifText; ++i) {
                const char c = static_cast<char>(segment_[e.values + i]);
                if (c == '\0') break;
                t += c;
            }
            t.erase(t.find_last_not_of(' ') + 1);  // the padding of a fixed-size field
            break;
        }
        case Kind::Rationals:
            for (std::uint32_t i = 0; i < e.count; ++i) {
                add(t, "%d/", static_cast<std::int32_t>(u32(e.values + 8 * i)));
                add(t, "%d ", static_cast<std::int32_t>(u32(e.values + 8 * i + 4)));
            }
            break;
        case Kind::HexOffset:
            add(t, "%4x", value);
            break;
        case Kind::ExifOffset:
            add(t, "%4x", value);
            exifIfd_ = value + kTiffStart;
            sawExif_ = true;
            break;
        case Kind::Version:
            version();
            break;
        case Kind::InteropOffset:
            version();
            interopIfd_ = value + kTiffStart;
            sawInterop_ = true;
            break;
        case Kind::InteropVersion:
            add(t, "[%d.%d.%d.%d]", e.b[0], e.b[1], e.b[2], e.b[3]);
            break;
        case Kind::NewSubfileType:
            enumerated({{0, "indicates main image\""}, {1, "indicates thumbnail\""}});
            break;
        case Kind::BitsPerSample:
            // Mostly SHORT values, from some writers LONG or BYTE ones: each read by its type.
            for (std::uint32_t i = 0; i < e.count; ++i)
                add(t, i ? ",%d" : "%d", numberAt(i) & 0xFF);
            break;
        case Kind::Compression:
            if (const char* s =
                    pick(value, {{1, "no compression"}, {7, "TIFF/JPEG compression"}})) {
                add(t, "%s", s);
            } else {
                add(t, "%d=Vendor Unique Number", static_cast<int>(value));
            }
            break;
        case Kind::Photometric:
            if (const char* s = pick(
                    value,
                    {{1, "BlackIsZero"}, {2, "RGB"}, {6, "YCbCr color space"}, {32803, "CFA"}})) {
                add(t, "%s", s);
            } else {
                add(t, "%d=Vendor Unique Number", static_cast<int>(value));
            }
            break;
        case Kind::StripOffsets:
            add(t, "%d, ", static_cast<int>(value));
            add(t,
                planarConfiguration_ == 2 ? "%d=SamplesPerPixel * StripsPerImage"
                                          : "%d=StripsPerImage",
                static_cast<int>(e.count));
            break;
        case Kind::Orientation:
            enumerated({{1, "upper left"},
                        {3, "lower right"},
                        {6, "upper right"},
                        {8, "lower left"},
                        {9, "undefined"}});
            break;
        case Kind::SamplesPerPixel:
            if (value == 1 || value == 3) {
                add(t, "%d", static_cast<int>(value));
            } else {
                add(t, "%d=Vendor Unique Number", static_cast<int>(value));
            }
            break;
        case Kind::RowsPerStrip:
            add(t,
                "%d, Note that the number of StripsPerImage equals floor ((ImageLength + "
                "RowsPerStrip - 1) / RowsPerStrip)",
                static_cast<int>(value));
            break;
        case Kind::PlanarConfiguration:
            enumerated({{1, "chunky format"}, {2, "planer"}});
            planarConfiguration_ = static_cast<int>(value);
            break;
        case Kind::ResolutionUnit:
            if (intel_) {
                enumerated({{1, "1=no unit"}, {2, "2=inch"}, {3, "3=centimeter"}});
            } else if (const char* s =
                           pick(value, {{1, "no unit"}, {2, "inch"}, {3, "centimeter"}})) {
                add(t, "%s", s);
            } else {
                add(t, "%s", "?????????????????????????????\"");
            }
            break;
        case Kind::YCbCrSubSampling: {
            const unsigned first = shortAt(0), second = shortAt(1);
            const int wi = first == 1 ? 0 : first == 2 ? 1 : first == 4 ? 2 : -1;
            const int li = second == 1 ? 0 : second == 2 ? 1 : second == 4 ? 2 : -1;
            wi >= 0 ? add(t, "%s", kChromaWidth[wi]) : add(t, "%d", static_cast<int>(first));
            li >= 0 ? add(t, "%s", kChromaLength[li]) : add(t, "%d", static_cast<int>(second));
            break;
        }
        case Kind::YCbCrPositioning:
            enumerated({{1, "center of pixel array"}, {2, "the datum point"}});
            break;
        case Kind::CfaRepeat:
            add(t, "CFARepeatRows=%d, CFARepeatCols=%d", shortAt(0), shortAt(1));
            break;
        case Kind::ExposureProgram:
            enumerated({{1, "manual control"},
                        {2, "program normal"},
                        {3, "aperture priority"},
                        {4, "shutter priority"},
                        {5, "program creative (slow program)"},
                        {6, "program action(high-speed program)"},
                        {7, "portrait mode"},
                        {8, "landscape mode"}});
            break;
        case Kind::GpsInfo:
            add(t,
                "%4x=place to find more GPS info, more code needs to be written to decode this "
                "data",
                value);
            break;
        case Kind::Interlace:
            if (value == 0) {
                add(t, "%s", "0=non-interlaced (progressive scan)");
            } else if (value == 1) {
                add(t, "%s",
                    "1=vertical field 1, horizontal field 1 (video field 1, \"odd\" lines)");
            } else if (value == 2) {
                add(t, "%s",
                    "2=vertical field 2, horizontal field 1 (video field 2, \"even\" lines)");
            } else if (value <= 127) {
                add(t, "%d=vertical field 3-127, horizontal field 1", static_cast<int>(value));
            } else if (value == 128) {
                add(t, "%s", "128=vertical field 1, horizontal field 2");
            } else if (value <= 255) {
                add(t, "%d=vertical field 2-127, horizontal field 2", static_cast<int>(value));
            } else if (value <= 16383) {
                add(t, "%d=vertical field 1-127, horizontal field 3-127", static_cast<int>(value));
            } else {
                add(t, "%d", static_cast<int>(value));
            }
            break;
        case Kind::TimeZoneOffset:
            add(t,
                "%d=Time Zone Offset (in hours) of DateTimeOriginal tag-value relative to "
                "Greenwich Mean Time",
                e.b[0] - 128);
            if (e.count == 2) {
                add(t,
                    ", %d=Time Zone Offset (in hours) of DateTime tag-value relative to Greenwich "
                    "Mean Time",
                    e.b[1] - 128);
            }
            break;
        case Kind::Aperture:
            for (std::uint32_t i = 0; i < e.count; ++i) {
                const std::uint32_t n = u32(e.values + 8 * i), d = u32(e.values + 8 * i + 4);
                const double a = d == 0 ? 0.0
                                 : e.type == 10
                                     ? static_cast<double>(static_cast<std::int32_t>(n)) /
                                           static_cast<std::int32_t>(d)
                                     : static_cast<double>(n) / d;
                t.clear();
                add(t, "f %.1f", a);
            }
            break;
        case Kind::MeteringMode:
            enumerated({{1, "average"},
                        {2, "center weighted average"},
                        {3, "spot"},
                        {4, "multi-spot"},
                        {5, "multi-segment"}});
            break;
        case Kind::LightSource:
            enumerated(
                {{0, "auto"}, {1, "daylight"}, {2, "fluorescent"}, {3, "tungsten"}, {10, "flash"}});
            break;
        case Kind::Flash:
            add(t, "%s", value == 1 ? "On" : "Off");
            break;
        case Kind::FocalLength:
            for (std::uint32_t i = 0; i < e.count; ++i) {
                const std::uint32_t n = u32(e.values + 8 * i), d = u32(e.values + 8 * i + 4);
                t.clear();
                add(t, "%d mm", static_cast<int>(d ? n / d : 0));
            }
            break;
        case Kind::SecurityClassification: {
            const char c = static_cast<char>(segment_[e.values]);
            if (const char* s = pick(static_cast<unsigned char>(c), {{'C', "C=Confidential"},
                                                                     {'R', "R=Restricted"},
                                                                     {'S', "S=Secret"},
                                                                     {'T', "T=Top Secret"},
                                                                     {'U', "U=Unrestricted"}})) {
                add(t, "%s", s);
            } else {
                add(t, "%c", c);
            }
            break;
        }
        case Kind::SubjectLocation:
            add(t, "%d=column number, %d=row number", e.b[0], e.b[1]);
            if (e.b[2] != 0) {
                if (e.b[3] == 0) {
                    add(t, ", %d=diameter of circle", e.b[2]);
                } else {
                    add(t, ", %d=width, %d=heigth", e.b[2], e.b[3]);
                }
            }
            break;
        case Kind::UserComment:
            for (std::uint32_t i = 0; i < e.count && t.size() < kMaxExifText; ++i) {
                const unsigned c = segment_[e.values + i];
                add(t, c < 16 ? "[0%x]" : "[%x]", c);
            }
            break;
        case Kind::ColorSpace:
            add(t, "%d", static_cast<int>(value));
            break;
        case Kind::FocalPlaneUnit:
            enumerated({{1, "no-unit"}, {2, "inch"}, {3, "centimeter"}});
            break;
        case Kind::SensingMethod:
            enumerated({{2, "one chip color area sensor"}});
            break;
    }
    tags_.push_back(ExifTag{e.tag, row->name, std::move(t)});
}

const ExifTag* ExifReader::findByName(std::string_view name) const {
    for (const auto& t : tags_) {
        if (ascii::equalsIgnoreCase(t.name, name)) return &t;
    }
    return nullptr;
}

}  // namespace tavrin::shell
