#pragma once
// The viewer's profile: the normal window's placement, kept under
// HKCU\Software\TavrinPictureViewer\PictureViewer\Position.

namespace tavrin::viewer {

inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;

struct WindowPlacement {
    int showCmd = kShowMaximized;
    bool hasRect = false;  // all four of the rectangle's values are stored
    int x = 0, y = 0, width = 0, height = 0;
};

WindowPlacement readPlacement();
void writePlacement(const WindowPlacement& placement);

}  // namespace tavrin::viewer
