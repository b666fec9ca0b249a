#pragma once
// The viewer's commands: their ids (whose string resources hold "status text\ntooltip"), and
// the buttons of its two toolbars.

#include <array>
#include <span>

namespace tavrin::viewer {

enum Command : int {
    ID_NEXT_IMAGE = 32775,
    ID_PREVIOUS_IMAGE = 32776,
    ID_ZOOM_IN = 32782,
    ID_ZOOM_OUT = 32784,
    ID_FIT_KEY = 32788,
    ID_ROTATE_CLOCKWISE = 32796,
    ID_ROTATE_COUNTERCLOCKWISE = 32797,
    ID_SLIDESHOW = 32801,
    ID_IMAGE_INFORMATION = 32804,
    ID_CUSTOMIZE_SETTINGS = 32805,
    ID_OPTIMAL_HEIGHT = 32806,
    ID_ACTUAL_SIZE = 32807,
    ID_MOVE = 32808,
    ID_ZOOM_IN_KEY = 32810,
    ID_ZOOM_OUT_KEY = 32811,
    ID_PAUSE = 32814,
    ID_PUT_ASIDE = 32815,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
};

inline constexpr int kSeparator = 0;

// Toolbar 128 (normal window) and toolbar 139 (slideshow), left to right; images in this order.
inline constexpr std::array<int, 22> kNormalToolbar = {
    ID_PREVIOUS_IMAGE,
    ID_NEXT_IMAGE,
    ID_PAUSE,
    kSeparator,
    ID_ZOOM_IN,
    ID_ZOOM_OUT,
    ID_MOVE,
    kSeparator,
    ID_OPTIMAL_HEIGHT,
    ID_ACTUAL_SIZE,
    ID_SLIDESHOW,
    kSeparator,
    ID_ROTATE_CLOCKWISE,
    ID_ROTATE_COUNTERCLOCKWISE,
    kSeparator,
    ID_CUSTOMIZE_SETTINGS,
    kSeparator,
    ID_IMAGE_INFORMATION,
    kSeparator,
    ID_PUT_ASIDE,
    kSeparator,
    ID_APP_ABOUT,
};
inline constexpr std::array<int, 11> kSlideshowToolbar = {
    ID_PREVIOUS_IMAGE,    ID_NEXT_IMAGE, ID_PAUSE,    kSeparator,
    ID_ZOOM_IN,           ID_ZOOM_OUT,   ID_MOVE,     kSeparator,
    ID_IMAGE_INFORMATION, kSeparator,    ID_APP_EXIT,
};

// What the toolbar and the keys show of a command.
struct CommandState {
    bool enabled = false;
    bool checked = false;
};

}  // namespace tavrin::viewer
