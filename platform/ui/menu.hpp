#pragma once
// Popup menus as the shell hands them to a context-menu handler: items inserted by position,
// read back by the host that shows them.

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::ui {

using UINT = std::uint32_t;
using HMENU = void*;

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;

struct MenuItem {
    UINT id = 0;
    std::string text;
    bool separator = false;
};

HMENU CreatePopupMenu();
bool DestroyMenu(HMENU menu);
// Inserts before the item at position (by position only); a position past the end appends.
bool InsertMenuA(HMENU menu, UINT position, UINT flags, std::uintptr_t id, const char* text);

// The items in menu order.
const std::vector<MenuItem>& menuItems(HMENU menu);

}  // namespace tavrin::ui
