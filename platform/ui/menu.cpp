#include "platform/ui/menu.hpp"

#include <algorithm>

namespace tavrin::ui {
namespace {

struct Menu {
    std::vector<MenuItem> items;
};

}  // namespace

HMENU CreatePopupMenu() {
    return new Menu;
}

bool DestroyMenu(HMENU menu) {
    delete static_cast<Menu*>(menu);
    return menu != nullptr;
}

bool InsertMenuA(HMENU menu, UINT position, UINT flags, std::uintptr_t id, const char* text) {
    if (!menu || !(flags & MF_BYPOSITION)) return false;
    auto& items = static_cast<Menu*>(menu)->items;
    MenuItem item{static_cast<UINT>(id), {}, (flags & MF_SEPARATOR) != 0};
    if (!item.separator && text) item.text = text;
    items.insert(items.begin() + std::min<std::size_t>(position, items.size()), std::move(item));
    return true;
}

const std::vector<MenuItem>& menuItems(HMENU menu) {
    static const std::vector<MenuItem> kNone;
    return menu ? static_cast<Menu*>(menu)->items : kNone;
}

}  // namespace tavrin::ui
