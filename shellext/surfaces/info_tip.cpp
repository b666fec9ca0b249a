#include "shellext/surfaces/info_tip.hpp"

#include "common/file_types.hpp"
#include "common/strings.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::shell {
namespace {

constexpr unsigned kSize = 1210, kModel = 1220, kDate = 1230, kType = 1240, kTypeAside = 1241,
                   kFileSize = 1250, kIso = 1260, kExposure = 1270, kAperture = 1280,
                   kFocalWithUnit = 1290, kFocalAsWritten = 1292, kFlash = 1305,
                   kWhiteBalance = 1310;

}  // namespace

std::string buildInfoLines(const ImageInfo& info) {
    const ShootingData& sd = info.shooting;
    std::string tip;
    if (sd.width != 0 && sd.height != 0) tip += strings::format(kSize, sd.width, sd.height);
    if (!sd.dateTaken.empty()) tip += strings::format(kDate, sd.dateTaken.c_str());
    if (!info.model.empty()) {
        tip += strings::format(kModel, info.model.c_str());
    } else if (!info.model2.empty()) {
        tip += strings::format(kModel, info.model2.c_str());
    }
    // The type: the extension without its dot; a put-aside file shows the one it had before.
    const bool aside = isTrashed(info.filePath);
    std::string type = ascii::upper(innerExtension(info.filePath));
    if (!type.empty()) type.erase(0, 1);
    tip += strings::format(aside ? kTypeAside : kType, type.c_str());
    tip += strings::format(kFileSize, static_cast<double>(info.fileSize) / 1048576.0);
    if (!sd.isoText.empty()) tip += strings::format(kIso, sd.isoText.c_str());
    if (!sd.exposureTime.empty()) tip += strings::format(kExposure, sd.exposureTime.c_str());
    if (!sd.aperture.empty()) tip += strings::format(kAperture, sd.aperture.c_str());
    if (!sd.focalLength.empty()) {
        const bool jpeg = ascii::endsWithIgnoreCase(info.filePath, ".jpg") ||
                          ascii::endsWithIgnoreCase(info.filePath, ".jpeg");
        tip += strings::format(jpeg ? kFocalAsWritten : kFocalWithUnit, sd.focalLength.c_str());
    }
    if (!sd.flash.empty()) tip += strings::format(kFlash, sd.flash.c_str());
    if (!sd.whiteBalance.empty()) tip += strings::format(kWhiteBalance, sd.whiteBalance.c_str());
    return tip;
}

std::string buildInfoTip(const ImageInfo& info) {
    std::string tip = buildInfoLines(info);
    while (!tip.empty() && (tip.back() == ' ' || tip.back() == '\n'))
        tip.pop_back();
    return tip;
}

}  // namespace tavrin::shell
