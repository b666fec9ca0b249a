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

void Dialog::invalidate() {
    {
        const std::lock_guard lock(mutex_);
        invalid_ = true;
    }
    repaint_.notify_all();
}

bool Dialog::waitForRepaint(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const bool invalid = repaint_.wait_for(lock, timeout, [this] { return invalid_; });
    invalid_ = false;
    return invalid;
}

}  // namespace tavrin::ui
