// tavrin-properties: the shell object's property pages for files, as tabs of a properties window.

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hosts/properties/page_widgets.hpp"
#include "platform/com/activation.hpp"
#include "platform/com/data_object.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
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
        ComPtr<IDataObject> selection(CreateFileListDataObject(files));
        if (init) init->Initialize(nullptr, selection.get(), nullptr);
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The arguments Qt leaves, as their bytes: a name need not be in the locale's encoding.
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
        files.push_back(paths::fullPath(argv[i]));
    if (files.empty()) {
        std::fprintf(stderr, "Usage: tavrin-properties FILE...\n");
        return 2;
    }
    ComPtr<IShellPropSheetExt> sheet = sheetFor(files);
    if (!sheet) {
        std::fprintf(
            stderr,
            "tavrin-properties: the shell object is not registered (run tavrin register)\n");
        return 1;
    }
    std::vector<ui::HPROPSHEETPAGE> pages;
    sheet->AddPages(collectPage, reinterpret_cast<LPARAM>(&pages));

    QDialog window;
    window.setWindowTitle(
        QStringLiteral("Eigenschaften von %1")
            .arg(QString::fromStdString(std::filesystem::path(files[0]).filename().string())));
    auto* layout = new QVBoxLayout(&window);
    auto* tabs = new QTabWidget;
    layout->addWidget(tabs);
    std::vector<std::unique_ptr<QWidget>> widgets;
    for (ui::HPROPSHEETPAGE page : pages) {
        if (auto widget = host::createPageWidget(page)) {
            tabs->addTab(widget.get(), QString::fromStdString(ui::pageTitle(page)));
            widgets.push_back(std::move(widget));
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    layout->addWidget(buttons);
    if (widgets.empty()) {
        std::fprintf(stderr, "tavrin-properties: no pages for %s\n",
                     files.size() > 1 ? "several files" : files[0].c_str());
        return 1;
    }
    window.exec();
    // Pages close before they are destroyed, as in the file manager's dialog.
    for (auto& widget : widgets) {
        tabs->removeTab(tabs->indexOf(widget.get()));
        widget.reset();
    }
    for (ui::HPROPSHEETPAGE page : pages)
        ui::DestroyPropertySheetPage(page);
    return 0;
}
