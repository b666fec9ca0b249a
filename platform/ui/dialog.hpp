#pragma once
// Dialogs as far as pages written for the shell need them: a dialog procedure receives its
// messages, and sets and reads the texts of its controls by id. A host shows the texts (with Qt)
// or prints them.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace tavrin::imaging {
class Painter;
}

namespace tavrin::ui {

using UINT = std::uint32_t;
using HWND = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_DRAWITEM = 0x002B;

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What an owner-drawn control is drawn with (the lParam of WM_DRAWITEM).
struct DRAWITEMSTRUCT {
    UINT CtlID = 0;
    imaging::Painter* painter = nullptr;
    RECT rcItem;
};

// A dialog's state: its procedure, its controls' texts, the page's own data, and whether
// something asked for a repaint (from any thread).
class Dialog {
  public:
    explicit Dialog(DLGPROC procedure) : procedure_(procedure) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    INT_PTR send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return procedure_ ? procedure_(this, message, wParam, lParam) : 0;
    }

    std::map<int, std::string> texts;
    LPARAM userData = 0;

    // Asks for a repaint without waiting for the dialog's thread.
    void invalidate();
    // True when a repaint was asked for within the time; clears the request.
    bool waitForRepaint(std::chrono::milliseconds timeout);

  private:
    DLGPROC procedure_;
    std::mutex mutex_;
    std::condition_variable repaint_;
    bool invalid_ = false;
};

bool SetDlgItemTextA(HWND dialog, int control, const char* text);
// The control's text; empty for a control that has none.
std::string dialogItemText(HWND dialog, int control);

}  // namespace tavrin::ui
