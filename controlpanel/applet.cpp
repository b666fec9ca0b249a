// The applet library's entry: the control panel's messages and their answers.

#include <QApplication>
#include <memory>

#include "controlpanel/options_sheet.hpp"
#include "platform/ui/control_panel.hpp"

namespace {

using namespace tavrin::ui;

constexpr int kIcon = 5;
constexpr int kName = 10000;
constexpr int kDescription = 10001;

void showSheet() {
    // A host without Qt gets an application object for the sheet's lifetime.
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "tavrin-control";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
    }
    tavrin::cpl::COptionsSheet sheet;
    sheet.exec();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) LONG CPlApplet(HWND, UINT message, LPARAM,
                                                                 LPARAM second) {
    switch (message) {
        case CPL_INIT:
            return 1;
        case CPL_GETCOUNT:
            return 1;
        case CPL_INQUIRE:
            if (auto* info = reinterpret_cast<CPLINFO*>(second)) {
                *info = CPLINFO{kIcon, kName, kDescription, 0};
            }
            return 0;
        case CPL_DBLCLK:
            showSheet();
            return 0;
        default:
            return 0;
    }
}
