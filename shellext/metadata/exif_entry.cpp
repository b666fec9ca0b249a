// The EXIF entry handler of the TIFF directories the info reader walks.

#include "common/strings.hpp"
#include "formats/tiff_tags.hpp"
#include "shellext/info/info_context.hpp"

namespace tavrin::shell {
namespace {

// The text of string-table id, or nothing.
std::string textOf(unsigned id) {
    return std::string(strings::get(id));
}

// Hands every entry of the EXIF directory to the handler.
class ExifVisitor final : public formats::TiffVisitor {
  public:
    explicit ExifVisitor(InfoContext& ctx) : ctx_(ctx) {}

    void visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) override {
        handleExifEntry(ctx_, e);
    }

  private:
    InfoContext& ctx_;
};

}  // namespace

void walkExifDirectory(InfoContext& ctx, std::uint64_t offset, std::uint64_t base, int depth) {
    ExifVisitor visitor(ctx);
    ctx.tiff.walkDirectory(offset, base, formats::TiffDirectoryKind::Exif, depth, visitor);
}

void handleExifEntry(InfoContext& ctx, const formats::TiffEntry& entry) {
    using namespace formats;
    const unsigned type = entry.type;
    ImageInfo& info = ctx.info;
    ShootingData& sd = info.shooting;
    formats::FileReader& f = ctx.file;
    const std::uint64_t at = f.tell();
    unsigned v = 0;
    std::uint32_t n = 0, d = 0;
    if (type == 3) v = f.readU16();
    if (type == 5 || type == 10) {
        n = f.readU32();
        d = f.readU32();
    }
    const auto sn = static_cast<std::int32_t>(n), sdn = static_cast<std::int32_t>(d);
    const double unsignedQuotient = d ? static_cast<double>(n) / d : 0.0;
    const double signedQuotient = sdn ? static_cast<double>(sn) / sdn : 0.0;
    const double quotient = type == 10 ? signedQuotient : unsignedQuotient;
    switch (entry.tag) {
        case kTagExposureTime:
            sd.setExposureRational(sn, sdn);
            break;
        case kTagFNumber:
            sd.setApertureRational(n, d);
            break;
        case kTagExposureProgram:
            if (v <= 8) info.appendLine<const char*>(1272, textOf(590 + v).c_str());
            break;
        case kTagIsoSpeed:
            sd.setIso(static_cast<int>(v));
            break;
        case kTagDateTimeOriginal:
            f.seek(at);
            sd.setDate(readText(f, 19, 19));
            break;
        case kTagShutterSpeedValue:
            info.appendLine<double>(1315, quotient);
            break;
        case kTagApertureValue:
            info.appendLine<double>(1282, unsignedQuotient);
            break;
        case kTagBrightnessValue:
            info.appendLine<double>(1320, quotient);
            break;
        case kTagExposureBias:
            info.appendLine<double>(1273, signedQuotient);
            break;
        case kTagMaxApertureValue:
            info.appendLine<double>(1284, unsignedQuotient);
            break;
        case kTagSubjectDistance:
            info.appendLine<double>(1325, unsignedQuotient);
            break;
        case kTagMeteringMode:
            if (v <= 6) info.appendLine<const char*>(1330, textOf(600 + v).c_str());
            break;
        case kTagLightSource: {
            static constexpr std::pair<unsigned, unsigned> kSources[] = {
                {0, 610},  {1, 611},  {2, 612},  {3, 613},  {17, 614},
                {18, 615}, {19, 617}, {20, 618}, {21, 619}, {22, 620}};
            for (const auto& [value, id] : kSources) {
                if (v == value) info.appendLine<const char*>(1335, textOf(id).c_str());
            }
            break;
        }
        case kTagFlash:
            sd.setFlashState(v & 1 ? 0 : 1);
            break;
        case kTagFocalLength:
            sd.setFocalLengthRational(n, d);
            break;
        case kTagMakerNote:
            if (ctx.depth >= kMaxDepth) break;
            f.seek(at);
            readMakerNote(ctx, entry);
            break;
        default:
            break;
    }
}

}  // namespace tavrin::shell
