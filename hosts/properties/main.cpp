// tavrin-properties: the shell object's property pages for files, as tabs of a properties window.

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hosts/properties/properties_window.hpp"
#include "platform/com/activation.hpp"
#include "platform/com/data_object.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/system/files.hpp"
#include "platform/system/paths.hpp"

using namespace tavrin;
using namespace tavrin::com;

namespace {

ui::BOOL collectPage(ui::HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<ui::HPROPSHEETPAGE>*>(pages)->push_back(page);
    return 1;
}

// The object bound to the files: one file loaded, several as the file manager's selection.
ComPtr<IShellPropSheetExt> sheetFor(const std::vector<std::string>& files) {
    CLSID clsid;
    ComPtr<IShellPropSheetExt> sheet;
    if (FAILED(CLSIDFromProgID("Tavrin.RawImageExtractor", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellPropSheetExt,
                                sheet.out()))) {
        return sheet;
    }
    if (files.size() == 1) {
        ComPtr<IPersistFile> persist;
        sheet->QueryInterface(IID_IPersistFile, persist.out());
        if (persist) persist->Load(toWide(files[0]).c_str(), 0);
    } else {
        ComPtr<IShellExtInit> init;
        sheet->QueryInterface(IID_IShellExtInit, init.out());
        ComPtr<IDataObject> selection(createFileListDataObject(files));
        if (init) init->Initialize(nullptr, selection.get(), nullptr);
    }
    return sheet;
}

constexpr const char* kUsage =
    "Usage: tavrin-properties FILE...\n"
    "Shows the property pages of camera files (image information and histogram) in a window.\n";

}  // namespace

int main(int argc, char** argv) {
    // Arguments first: usage and unreadable files need no window system.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<std::string> files;
    bool unreadable = false;
    for (const std::string& file : arguments) {
        if (const std::string why = files::whyUnreadable(file); !why.empty()) {
            std::fprintf(stderr, "tavrin-properties: cannot read %s: %s\n", file.c_str(),
                         why.c_str());
            unreadable = true;
        }
        files.push_back(paths::fullPath(file));
    }
    if (unreadable) return 1;
    QApplication app(argc, argv);
    ComPtr<IShellPropSheetExt> sheet = sheetFor(files);
    if (!sheet) {
        std::fprintf(
            stderr,
            "tavrin-properties: the shell object is not registered (run tavrin register)\n");
        return 1;
    }
    std::vector<ui::HPROPSHEETPAGE> pages;
    sheet->AddPages(collectPage, reinterpret_cast<LPARAM>(&pages));

    const std::string title = std::filesystem::path(files[0]).filename().string();
    host::PropertiesWindow window(title, std::move(pages));
    if (window.pageCount() == 0) {
        std::fprintf(stderr, "tavrin-properties: no pages for %s\n",
                     files.size() > 1 ? "several files" : files[0].c_str());
        return 1;
    }
    window.exec();
    return 0;
}
