// Canon CRW files: the CIFF directory (make, model, size, time, turn, preview) and the fixed
// layout of the camera-settings block.

#include <ctime>
#include <vector>

#include "common/strings.hpp"
#include "shellext/info/info_context.hpp"
#include "shellext/metadata/canon_tables.hpp"

namespace tavrin::shell {
namespace {

constexpr std::uint64_t kCrwHeaderLength = 26;
constexpr std::size_t kMaxSettingsBlock = 1 << 20;
constexpr unsigned kMaxCiffRecords = 1000;

std::string tableText(const std::optional<CanonCode>& code, unsigned fallbackId) {
    if (!code) return std::string(strings::get(fallbackId));
    return code->textId ? std::string(strings::get(code->textId)) : std::string(code->text);
}

}  // namespace

HRESULT readCiffDirectory(InfoContext& ctx, std::uint64_t start, std::uint64_t length, int depth) {
    FileReader& f = ctx.file;
    ImageInfo& info = ctx.info;
    if (length < 4 || start + length > f.size() || depth > kMaxDepth) return com::S_OK;
    f.seek(start + length - 4);
    f.seek(start + f.ReadU32());
    const unsigned records = f.ReadU16();
    for (unsigned r = 0; r < records && r < kMaxCiffRecords && ctx.spend(); ++r) {
        const unsigned type = f.ReadU16();
        const std::uint32_t size = f.ReadU32();
        const std::uint64_t data = f.ReadU32() + start;
        const std::uint64_t next = f.tell();
        f.seek(data);
        switch (type) {
            case 0x180E: {
                const auto t = static_cast<std::time_t>(f.ReadU32());
                char text[64] = {};
                std::tm tm{};
                if (localtime_r(&t, &tm))
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
                info.shooting.width = f.ReadU16();
                info.shooting.height = f.ReadU16();
                break;
            case 0x080A:
                info.make = readText(f, 64, 64);
                f.seek(data + info.make.size() + 1);
                info.model = readText(f, 64, 64);
                break;
            case 0x1810:
                f.seek(data + 12);
                info.orientation = static_cast<std::int32_t>(f.ReadU32());
                break;
            default:
                if ((type >> 8) == 0x28 || (type >> 8) == 0x30) {
                    const HRESULT r2 = readCiffDirectory(ctx, data, size, depth + 1);
                    if (r2 != com::S_OK) return r2;
                }
                break;
        }
        f.seek(next);
    }
    return com::S_OK;
}

void readCanonShotInfo(InfoContext& ctx) {
    FileReader& f = ctx.file;
    ImageInfo& info = ctx.info;
    if (f.size() < 8) return;
    f.seek(f.size() - 8);
    const std::uint32_t a = f.ReadU32();
    const std::uint32_t b = f.ReadU32();
    if (b <= a || b - a > kMaxSettingsBlock || a + kCrwHeaderLength + (b - a) > f.size()) return;
    std::vector<std::uint8_t> block(b - a);
    f.seek(a + kCrwHeaderLength);
    if (f.read(block.data(), block.size()) != block.size()) return;

    auto s16 = [&](std::size_t at) -> std::int16_t {
        return at + 2 <= block.size() ? static_cast<std::int16_t>(f.u16(&block[at])) : 0;
    };
    auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(s16(at)); };
    ShootingData& sd = info.shooting;

    info.appendLine(1316, tableText(canonShutter(s16(0x2B0)), 626).c_str());
    const unsigned long bulb = 0x2B4 + 4 <= block.size() ? f.u32(&block[0x2B4]) : 0;
    info.appendLine(1340, bulb);
    sd.setAperture(tableText(canonAperture(s16(0x2AE)), 631));
    if (const auto iso = canonIso(s16(0x288))) {
        sd.isoText = std::string(iso->text);
    } else {
        sd.isoText = std::string(strings::get(635));
    }
    info.appendLine(1274, tableText(canonEv(s16(0x290)), 640).c_str());
    if (u16(0x2AA) == 0xFFFF) {
        info.appendLine(1300, std::string(strings::get(645)).c_str());
    } else {
        info.appendLine(1298, u16(0x2AA) * 0.01);
    }
    if (u16(0x2AC) == 0xFFFF) {
        info.appendLine(1301, std::string(strings::get(645)).c_str());
    } else {
        info.appendLine(1299, u16(0x2AC) * 0.01);
    }
    info.appendLine(1350, static_cast<unsigned>(u16(0x2E8)));
    info.appendLine(1351, static_cast<unsigned>(u16(0x2EA)));
    if (block.size() > 5422) sd.setFocalLengthShort(s16(0x152E));
    switch (s16(0x2C2)) {
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
    info.appendLine(1306, tableText(canonEv(s16(0x2A2)), 650).c_str());
    info.appendLine(1355, static_cast<int>(s16(0x2D4)));
    info.appendLine(1360, static_cast<int>(s16(0x2D6)));
    info.appendLine(1365, static_cast<int>(s16(0x2D8)));
    info.appendLine(1370, static_cast<int>(s16(0x30E)));
    // The release delay is a raw 16-bit number; it is shown as it stands.
    info.appendLine(1317, static_cast<double>(s16(0x2BE)));
    const int focus = s16(0x2C8);
    info.appendLine(1297, std::string(strings::get(focus == 0   ? 655
                                                   : focus == 1 ? 656
                                                   : focus == 3 ? 657
                                                                : 659))
                              .c_str());
    const int drive = s16(0x2C4);
    info.appendLine(1380, std::string(strings::get(drive == 0   ? 660
                                                   : drive == 1 ? 662
                                                                : 668))
                              .c_str());
    static constexpr unsigned kWhiteBalance[] = {570, 582, 572, 573, 575, 583, 576};
    const int wb = s16(0x292);
    sd.whiteBalance = strings::get(wb >= 0 && wb < 7 ? kWhiteBalance[wb] : 584);
}

}  // namespace tavrin::shell
