// tavrin-control: the control panel's part for the settings applet. Loads the applet library,
// asks it about itself and opens it as a double click in the control panel would.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/ui/control_panel.hpp"

#ifndef TAVRIN_APPLET_BUILD_PATH
#define TAVRIN_APPLET_BUILD_PATH ""
#endif
#ifndef TAVRIN_LIBDIR
#define TAVRIN_LIBDIR "lib"
#endif

namespace {

using namespace tavrin::ui;

// $TAVRIN_APPLET, else the library installed beside this program, else the build's.
std::string appletPath() {
    if (const char* env = std::getenv("TAVRIN_APPLET"); env && *env) return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto installed = self.parent_path().parent_path() / TAVRIN_LIBDIR / "libTVR_CPL.so";
    if (!ec && std::filesystem::exists(installed, ec)) return installed.string();
    return TAVRIN_APPLET_BUILD_PATH;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts(
            "Usage: tavrin-control\nOpens the Tavrin Plus settings (the applet "
            "libTVR_CPL.so, or $TAVRIN_APPLET).");
        return 0;
    }
    const std::string path = appletPath();
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "tavrin-control: %s\n", ::dlerror());
        return 1;
    }
    auto applet = reinterpret_cast<APPLET_PROC>(::dlsym(library, "CPlApplet"));
    if (!applet) {
        std::fprintf(stderr, "tavrin-control: %s has no CPlApplet\n", path.c_str());
        return 1;
    }
    if (applet(nullptr, CPL_INIT, 0, 0) == 0) {
        std::fprintf(stderr, "tavrin-control: the applet failed to start\n");
        return 1;
    }
    const LONG count = applet(nullptr, CPL_GETCOUNT, 0, 0);
    for (LONG i = 0; i < count; ++i) {
        CPLINFO info{};
        applet(nullptr, CPL_INQUIRE, i, reinterpret_cast<LPARAM>(&info));
    }
    if (count > 0) applet(nullptr, CPL_DBLCLK, 0, 0);
    for (LONG i = 0; i < count; ++i)
        applet(nullptr, CPL_STOP, i, 0);
    applet(nullptr, CPL_EXIT, 0, 0);
    return 0;
}
