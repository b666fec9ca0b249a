#pragma once
// The viewer's toolbar bitmaps: strips of 16 x 16 button images on the grey (RGB 192,192,192)
// that the toolbar replaces by the window colour; black is the mask colour, so the glyphs use
// none.

#include <QImage>

namespace tavrin::resources {

inline constexpr int kToolbarNormal = 132;           // buttons of toolbar 128
inline constexpr int kToolbarHot = 134;              // the same, under the mouse
inline constexpr int kSlideshowToolbarHot = 140;     // buttons of toolbar 139, under the mouse
inline constexpr int kSlideshowToolbarNormal = 142;  // buttons of toolbar 139
inline constexpr int kButtonSize = 16;

// A null image for other ids.
QImage loadToolbarBitmap(int resourceId);

}  // namespace tavrin::resources
