#include "shellext/surfaces/info_tip.hpp"

#include "common/file_types.hpp"
#include "platform/system/ascii.hpp"
#include "resources/string_ids.hpp"

namespace tavrin::shell {

using namespace strings;

std::string buildInfoLines(const ImageInfo& info) {
    const ShootingData& sd = info.shooting;
    std::string tip;
    if (sd.width != 0 && sd.height != 0) tip += strings::format(kSizeLine, sd.width, sd.height);
    if (!sd.dateTaken.empty()) tip += strings::format(kDateLine, sd.dateTaken.c_str());
    if (!info.model.empty()) {
        tip += strings::format(kModelLine, info.model.c_str());
    } else if (!info.model2.empty()) {
        tip += strings::format(kModelLine, info.model2.c_str());
    }
    // The type: the extension without its dot; a put-aside file shows the one it had before.
    const bool aside = isTrashed(info.filePath);
    std::string type = ascii::upper(innerExtension(info.filePath));
    if (!type.empty()) type.erase(0, 1);
    tip += strings::format(aside ? kTypeAsideLine : kTypeLine, type.c_str());
    tip += strings::format(kFileSizeLine, static_cast<double>(info.fileSize) / 1048576.0);
    if (!sd.isoText.empty()) tip += strings::format(kIsoLine, sd.isoText.c_str());
    if (!sd.exposureTime.empty()) tip += strings::format(kExposureLine, sd.exposureTime.c_str());
    if (!sd.aperture.empty()) tip += strings::format(kApertureLine, sd.aperture.c_str());
    if (!sd.focalLength.empty()) {
        const bool jpeg = ascii::endsWithIgnoreCase(info.filePath, ".jpg") ||
                          ascii::endsWithIgnoreCase(info.filePath, ".jpeg");
        tip += strings::format(jpeg ? kFocalLengthAsWrittenLine : kFocalLengthLine,
                               sd.focalLength.c_str());
    }
    if (!sd.flash.empty()) tip += strings::format(kFlashLine, sd.flash.c_str());
    if (!sd.whiteBalance.empty())
        tip += strings::format(kWhiteBalanceLine, sd.whiteBalance.c_str());
    return tip;
}

std::string buildInfoTip(const ImageInfo& info) {
    std::string tip = buildInfoLines(info);
    while (!tip.empty() && (tip.back() == ' ' || tip.back() == '\n'))
        tip.pop_back();
    return tip;
}

}  // namespace tavrin::shell
