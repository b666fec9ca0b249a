#pragma once
// Dialogs as far as pages written for the shell need them: a dialog procedure receives its
// messages, and sets and reads the texts of its controls by id. A host shows the texts (with Qt)
// or prints them.

#include <cstdint>
#include <map>
#include <string>

namespace tavrin::ui {

using UINT = std::uint32_t;
using HWND = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_DESTROY = 0x0002;

// A dialog's state: its procedure and its controls' texts.
struct Dialog {
    DLGPROC procedure = nullptr;
    std::map<int, std::string> texts;

    INT_PTR send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return procedure ? procedure(this, message, wParam, lParam) : 0;
    }
};

bool SetDlgItemTextA(HWND dialog, int control, const char* text);
// The control's text; empty for a control that has none.
std::string dialogItemText(HWND dialog, int control);

}  // namespace tavrin::ui
