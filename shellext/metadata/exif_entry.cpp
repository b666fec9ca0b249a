// The EXIF entry handler of the TIFF walker and the dispatch of maker notes by make.

#include "common/strings.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/info/info_context.hpp"

namespace tavrin::shell {
namespace {

HRESULT dispatchMakerNote(InfoContext& ctx, std::uint64_t base) {
    const std::string& make = ctx.info.make;
    if (ascii::startsWithIgnoreCase(make, "NIKON") ||
        ascii::startsWithIgnoreCase(make, "OLYMPUS") || make.find("Minolta") != std::string::npos ||
        make.find("MINOLTA") != std::string::npos) {
        return readMakerNote(ctx, base);
    }
    if (make.find("PENTAX") != std::string::npos) {
        readPentaxNote(ctx);
    } else if (ascii::startsWithIgnoreCase(make, "FUJIFILM")) {
        readFujiNote(ctx);
    }
    return com::S_OK;
}

// The text of string-table id, or nothing.
std::string textOf(unsigned id) {
    return std::string(strings::get(id));
}

}  // namespace

HRESULT handleExifEntry(InfoContext& ctx, unsigned tag, unsigned type) {
    ImageInfo& info = ctx.info;
    ShootingData& sd = info.shooting;
    formats::FileReader& f = ctx.file;
    const std::uint64_t at = f.tell();
    unsigned v = 0;
    std::uint32_t n = 0, d = 0;
    if (type == 3) v = f.ReadU16();
    if (type == 5 || type == 10) {
        n = f.ReadU32();
        d = f.ReadU32();
    }
    const auto sn = static_cast<std::int32_t>(n), sdn = static_cast<std::int32_t>(d);
    const double unsignedQuotient = d ? static_cast<double>(n) / d : 0.0;
    const double signedQuotient = sdn ? static_cast<double>(sn) / sdn : 0.0;
    const double quotient = type == 10 ? signedQuotient : unsignedQuotient;
    switch (tag) {
        case 33434:
            sd.setExposureRational(sn, sdn);
            break;
        case 33437:
            sd.setApertureRational(n, d);
            break;
        case 34850:
            if (v <= 8) info.appendLine(1272, textOf(590 + v).c_str());
            break;
        case 34855:
            sd.setIso(static_cast<int>(v));
            break;
        case 36867:
            f.seek(at);
            sd.setDate(readText(f, 19, 19));
            break;
        case 37377:
            info.appendLine(1315, quotient);
            break;
        case 37378:
            info.appendLine(1282, unsignedQuotient);
            break;
        case 37379:
            info.appendLine(1320, quotient);
            break;
        case 37380:
            info.appendLine(1273, signedQuotient);
            break;
        case 37381:
            info.appendLine(1284, unsignedQuotient);
            break;
        case 37382:
            info.appendLine(1325, unsignedQuotient);
            break;
        case 37383:
            if (v <= 6) info.appendLine(1330, textOf(600 + v).c_str());
            break;
        case 37384: {
            static constexpr std::pair<unsigned, unsigned> kSources[] = {
                {0, 610},  {1, 611},  {2, 612},  {3, 613},  {17, 614},
                {18, 615}, {19, 617}, {20, 618}, {21, 619}, {22, 620}};
            for (const auto& [value, id] : kSources) {
                if (v == value) info.appendLine(1335, textOf(id).c_str());
            }
            break;
        }
        case 37385:
            sd.setFlashState(v & 1 ? 0 : 1);
            break;
        case 37386:
            sd.setFocalLengthRational(n, d);
            break;
        case 37500:
            if (ctx.depth >= kMaxDepth) break;
            f.seek(at);
            return dispatchMakerNote(ctx, at);
        default:
            break;
    }
    return com::S_OK;
}

}  // namespace tavrin::shell
