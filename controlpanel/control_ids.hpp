#pragma once
// The applet's control ids. Each control carries its id as its object name, by which the
// tests find it; one dialog's ids are distinct, different dialogs reuse them.

#include <QString>

namespace tavrin::cpl {

// White-balance radio buttons, in mode order: none, the camera's, automatic.
inline constexpr int kFirstWhiteBalanceButton = 1003;
// Options: the file types page.
inline constexpr int kFileTypeList = 1022;
// Options: the general page.
inline constexpr int kSlideshowDelay = 1030;
inline constexpr int kThumbnailSizeList = 1032;
inline constexpr int kAssociateBox = 1048;
inline constexpr int kBrightnessSlider = 1049;
inline constexpr int kBrightnessText = 1050;
// The image-quality slider, its mode's text and its two end labels.
inline constexpr int kQualitySlider = 1046;
inline constexpr int kQualityText = 1047;
inline constexpr int kQualitySpeedEnd = 1053;
inline constexpr int kQualityQualityEnd = 1054;
// The type dialogs.
inline constexpr int kStandardButton = 1030;
inline constexpr int kCrossTrashedBox = 1033;
inline constexpr int kSlideshowBox = 1034;
inline constexpr int kUseEmbeddedBox = 1035;
inline constexpr int kTypeNote = 1036;
inline constexpr int kOwnWhiteBalanceBox = 1037;
inline constexpr int kOwnQualityBox = 1038;

// The object name of the control with the id.
inline QString controlName(int id) {
    return QString::number(id);
}

}  // namespace tavrin::cpl
