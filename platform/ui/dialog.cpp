#include "platform/ui/dialog.hpp"

namespace tavrin::ui {

bool SetDlgItemTextA(HWND dialog, int control, const char* text) {
    if (!dialog) return false;
    static_cast<Dialog*>(dialog)->texts[control] = text ? text : "";
    return true;
}

std::string dialogItemText(HWND dialog, int control) {
    if (!dialog) return {};
    const auto& texts = static_cast<Dialog*>(dialog)->texts;
    const auto it = texts.find(control);
    return it == texts.end() ? std::string() : it->second;
}

}  // namespace tavrin::ui
