#pragma once
// The protocol between the control panel and its applets: the messages a host sends to an
// applet library's CPlApplet export, and the information an applet gives about itself.

#include <cstdint>

#include "platform/ui/dialog.hpp"

namespace tavrin::ui {

inline constexpr UINT CPL_INIT = 1;
inline constexpr UINT CPL_GETCOUNT = 2;
inline constexpr UINT CPL_INQUIRE = 3;
inline constexpr UINT CPL_SELECT = 4;
inline constexpr UINT CPL_DBLCLK = 5;
inline constexpr UINT CPL_STOP = 6;
inline constexpr UINT CPL_EXIT = 7;

struct CPLINFO {
    int idIcon;
    int idName;
    int idInfo;
    LPARAM lData;
};

using LONG = std::int32_t;
using APPLET_PROC = LONG (*)(HWND parent, UINT message, LPARAM first, LPARAM second);

}  // namespace tavrin::ui
