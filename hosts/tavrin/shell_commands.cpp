// The commands that play Explorer: they reach the shell object only through its registration
// and its COM interfaces, in Explorer's order.

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "common/file_types.hpp"
#include "hosts/tavrin/commands.hpp"
#include "hosts/tavrin/shell_object.hpp"
#include "hosts/tavrin/thumbnail_maker.hpp"
#include "platform/com/activation.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/variant.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/imaging/painter.hpp"
#include "platform/imaging/png_writer.hpp"
#include "platform/registry/registry.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/paths.hpp"
#include "platform/ui/menu.hpp"
#include "platform/ui/property_sheet.hpp"
#include "resources/dialog_ids.hpp"
#include "resources/icons.hpp"

#ifndef TAVRIN_MODULE_BUILD_PATH
#define TAVRIN_MODULE_BUILD_PATH ""
#endif
#ifndef TAVRIN_LIBDIR
#define TAVRIN_LIBDIR "lib"
#endif

namespace tavrin::host {
namespace {

using namespace com;

constexpr int kMaxThumbnail = 4096;
constexpr std::uint32_t kDialogColour = 0xFFF0F0F0;

// The module to register: $TAVRIN_MODULE, else the one installed beside this program, else the
// one of the build this program comes from.
std::string moduleToRegister() {
    if (const char* env = std::getenv("TAVRIN_MODULE"); env && *env) return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto installed = self.parent_path().parent_path() / TAVRIN_LIBDIR / "libTavrinPlus.so";
    if (!ec && std::filesystem::exists(installed, ec)) return installed.string();
    return TAVRIN_MODULE_BUILD_PATH;
}

// The classes the supported types are tied to, which the settings applet and the context menu
// use, with the name a file manager shows for their files.
struct FileClass {
    std::string_view name;
    std::string_view description;
};
constexpr FileClass kFileClasses[] = {{"TavrinImage", "Kamera-Rohbild (Tavrin)"},
                                      {"TavrinImageT", "Aussortiertes Kamera-Rohbild (Tavrin)"}};

// The viewer the classes open: $TAVRIN_VIEWER, else the one installed beside this program;
// nothing when there is none.
std::string viewerToRegister() {
    if (const char* env = std::getenv("TAVRIN_VIEWER"); env && *env) return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto installed = self.parent_path() / "TavrinViewer";
    return !ec && std::filesystem::is_regular_file(installed, ec) ? installed.string() : "";
}

// Made with the object's registration, as installation makes them: the classes, and the
// viewer under TavrinImage\App when there is one (a viewer registered before stays otherwise).
bool registerFileClasses() {
    for (const FileClass& c : kFileClasses) {
        if (!registry::setValue(registry::Root::ClassesRoot, c.name, "",
                                std::string(c.description)))
            return false;
    }
    const std::string viewer = viewerToRegister();
    return viewer.empty() ||
           registry::setValue(registry::Root::ClassesRoot, "TavrinImage\\App", "", viewer);
}

void unregisterFileClasses() {
    for (const FileClass& c : kFileClasses)
        registry::deleteKey(registry::Root::ClassesRoot, c.name);
}

int selfRegistration(std::span<const std::string_view> args, Io io, const char* entry) {
    const bool registering = std::string_view(entry) == "DllRegisterServer";
    bool machine = false;
    for (const auto a : args) {
        if (a == "--system") {
            machine = true;
        } else {
            io.err << "Usage: tavrin " << (registering ? "register" : "unregister")
                   << " [--system]\n";
            return 2;
        }
    }
    const std::string module = moduleToRegister();
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        io.err << "tavrin: cannot load " << module << ": " << ::dlerror() << "\n";
        return 1;
    }
    auto function = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, entry));
    registry::useMachineScopeForClasses(machine);
    HRESULT hr = function ? function() : E_FAIL;
    if (SUCCEEDED(hr) && registering && !registerFileClasses()) hr = E_ACCESSDENIED;
    if (SUCCEEDED(hr) && !registering) unregisterFileClasses();
    registry::useMachineScopeForClasses(false);
    if (FAILED(hr)) {
        io.err << "tavrin: " << entry << " failed (" << hex(hr) << ")\n";
        return 1;
    }
    io.out << entry << " " << module << ": done\n";
    return 0;
}

}  // namespace

int runRegister(std::span<const std::string_view> args, Io io) {
    return selfRegistration(args, io, "DllRegisterServer");
}

int runUnregister(std::span<const std::string_view> args, Io io) {
    return selfRegistration(args, io, "DllUnregisterServer");
}

int runThumbnail(std::span<const std::string_view> args, Io io) {
    int size = 0;
    bool canvas = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-s" && i + 1 < args.size()) {
            const auto text = args[++i];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
            if (ec != std::errc() || end != text.data() + text.size() || size <= 0 ||
                size > kMaxThumbnail) {
                io.err << "tavrin: the size must be a number from 1 to " << kMaxThumbnail << "\n";
                return 2;
            }
        } else if (args[i] == "--canvas") {
            canvas = true;
        } else {
            files.emplace_back(args[i]);
        }
    }
    if (files.size() != 2) {
        io.err << "Usage: tavrin thumbnail [-s SIZE] [--canvas] INPUT OUTPUT.png\n";
        return 2;
    }
    ThumbnailMaker maker;
    if (!readable(files[0], io) || !maker.open(io)) return 1;
    maker.load(paths::fullPath(files[0]));
    const Thumbnail thumbnail = maker.extract(size, canvas);
    if (!thumbnail.bitmap) {
        io.err << "tavrin: no thumbnail for " << files[0] << ": " << thumbnail.why() << "\n";
        return 1;
    }
    // The file manager that asked decodes the picture and keeps its own copy.
    errno = 0;
    if (!imaging::writePng(*imaging::bitmapOf(thumbnail.bitmap.get()), files[1],
                           imaging::PngUse::Handoff)) {
        io.err << "tavrin: " << cannotWrite(files[1], errno) << "\n";
        return 1;
    }
    return 0;
}

int runIcon(std::span<const std::string_view> args, Io io) {
    const bool toPng = args.size() == 3 && args[1] == "--png";
    if (args.size() != 1 && !toPng) {
        io.err << "Usage: tavrin icon FILE [--png OUT.png]\n";
        return 2;
    }
    ComPtr<IExtractIconA> icon;
    if (FAILED(createFor(std::string(args[0]), icon, io))) return 1;
    char module[261] = {};
    int index = -1;
    UINT flags = 0;
    if (FAILED(icon->GetIconLocation(0, module, sizeof module, &index, &flags))) return 1;
    io.out << module << "," << index << "\n";
    if (!toPng) return 0;
    const auto image = resources::loadIconImage(resources::kFirstTypeIcon + index, 64);
    errno = 0;
    if (!image || !imaging::writePngRgba(image->size, image->size, image->argb.data(),
                                         std::filesystem::path(args[2]))) {
        io.err << "tavrin: " << cannotWrite(std::string(args[2]), errno) << "\n";
        return 1;
    }
    return 0;
}

int runTip(std::span<const std::string_view> args, Io io) {
    if (args.size() != 1) {
        io.err << "Usage: tavrin tip FILE\n";
        return 2;
    }
    ComPtr<IQueryInfo> query;
    const std::string file(args[0]);
    if (!readable(file, io) || FAILED(createFor(file, query, io))) return 1;
    LPWSTR text = nullptr;
    const HRESULT hr = query->GetInfoTip(0, &text);
    if (FAILED(hr) || !text) {
        io.err << "tavrin: GetInfoTip failed (" << hex(hr) << ")\n";
        return 1;
    }
    io.out << fromWide(text) << "\n";
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc))) {
        malloc->Free(text);
        malloc->Release();
    }
    return 0;
}

int runColumns(std::span<const std::string_view> args, Io io) {
    if (args.empty()) {
        io.err << "Usage: tavrin columns FILE...\n";
        return 2;
    }
    CLSID clsid;
    ComPtr<IColumnProvider> provider;
    if (FAILED(CLSIDFromProgID(kProgId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IColumnProvider,
                                provider.out()))) {
        io.err << "tavrin: the shell object is not registered (run tavrin register)\n";
        return 1;
    }
    provider->Initialize(nullptr);
    std::vector<SHCOLUMNINFO> columns;
    for (SHCOLUMNINFO c{};
         provider->GetColumnInfo(static_cast<DWORD>(columns.size()), &c) == S_OK;) {
        columns.push_back(c);
    }
    // One header line of the titles, then per file its name and the values, tab-separated.
    io.out << "Name";
    for (const SHCOLUMNINFO& c : columns)
        io.out << "\t" << fromWide(c.wszTitle);
    io.out << "\n";
    int status = 0;
    for (const auto file : args) {
        std::error_code ec;
        SHCOLUMNDATA item{};
        if (std::filesystem::is_directory(std::filesystem::path(file), ec)) {
            item.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        } else if (!readable(std::string(file), io)) {
            status = 1;
            continue;
        }
        const std::u16string wide = toWide(paths::fullPath(file));
        if (wide.size() >= MAX_PATH) {
            io.err << "tavrin: path too long: " << file << "\n";
            status = 1;
            continue;
        }
        std::copy_n(wide.c_str(), wide.size() + 1, item.wszFile);
        io.out << file;
        for (const SHCOLUMNINFO& c : columns) {
            VARIANT value{};
            io.out << "\t";
            if (provider->GetItemData(&c.scid, &item, &value) != S_OK) continue;
            io.out << fromWide(value.bstrVal);
            VariantClear(&value);
        }
        io.out << "\n";
    }
    return status;
}

namespace {

// A new object of the shell class initialised with the files as the file manager's selection.
HRESULT createForSelection(std::span<const std::string_view> files, ComPtr<IContextMenu>& menu,
                           Io io) {
    CLSID clsid;
    ComPtr<IShellExtInit> init;
    if (FAILED(CLSIDFromProgID(kProgId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                init.out()))) {
        io.err << "tavrin: the shell object is not registered (run tavrin register)\n";
        return E_FAIL;
    }
    // The file manager hands over full paths; messages name the files by them.
    std::vector<std::string> fullPaths;
    for (const auto f : files)
        fullPaths.push_back(paths::fullPath(f));
    ComPtr<IDataObject> selection(createFileListDataObject(fullPaths));
    HRESULT hr = init->Initialize(nullptr, selection.get(), nullptr);
    if (FAILED(hr)) {
        io.err << "tavrin: the shell object takes none of these files (" << hex(hr)
               << "): one file must be of a type associated with Tavrin, several must be camera "
                  "files\n";
        return hr;
    }
    return init->QueryInterface(IID_IContextMenu, menu.out());
}

// A rename that putting aside or taking back is to make, with the state of the folder before it.
struct Rename {
    std::string from, to;
    bool fromExisted = false, toExisted = false;

    static bool exists(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    // Why the rename did not happen; empty when it did.
    std::string failure() const {
        if (!fromExisted) return "no such file";
        if (!exists(from) && exists(to)) return {};
        if (toExisted) return std::filesystem::path(to).filename().string() + " exists";
        const std::string folder = std::filesystem::path(from).parent_path().string();
        if (::access(folder.c_str(), W_OK | X_OK) != 0) return "permission denied";
        if (std::filesystem::path(to).filename().string().size() > NAME_MAX)
            return "the new name is too long";
        return "the folder refuses the new name";
    }
};

// The renames the object makes: ".trashed" added to each other file, or taken from each
// ".trashed" file.
std::vector<Rename> renamesOf(std::span<const std::string_view> files, bool aside) {
    constexpr std::string_view kTrashed = kTrashedExtension;
    std::vector<Rename> renames;
    for (const auto f : files) {
        const std::string from = std::filesystem::absolute(f).lexically_normal().string();
        const bool trashed = ascii::endsWithIgnoreCase(from, kTrashed);
        if (trashed == aside) continue;
        const std::string to =
            aside ? from + std::string(kTrashed) : from.substr(0, from.size() - kTrashed.size());
        renames.push_back({from, to, Rename::exists(from), Rename::exists(to)});
    }
    return renames;
}

}  // namespace

int runMenu(std::span<const std::string_view> args, Io io) {
    if (args.empty()) {
        io.err << "Usage: tavrin menu FILE...\n";
        return 2;
    }
    ComPtr<IContextMenu> menu;
    if (FAILED(createForSelection(args, menu, io))) return 1;
    HMENU popup = ui::CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, 0, 0x7FFF, 0);
    for (const ui::MenuItem& item : ui::menuItems(popup)) {
        char help[256] = {};
        if (item.separator) {
            io.out << item.id << "\t-\t\n";
            continue;
        }
        menu->GetCommandString(item.id, GCS_HELPTEXTA, nullptr, help, sizeof help);
        io.out << item.id << "\t" << item.text << "\t" << help << "\n";
    }
    ui::DestroyMenu(popup);
    return 0;
}

int runInvoke(std::span<const std::string_view> args, Io io) {
    static constexpr std::string_view kVerbs[] = {"open", "aside", "back", "slideshow"};
    const auto* verb =
        args.empty() ? std::end(kVerbs) : std::find(std::begin(kVerbs), std::end(kVerbs), args[0]);
    if (verb == std::end(kVerbs) || args.size() < 2) {
        io.err << "Usage: tavrin invoke aside|back|slideshow|open FILE...\n";
        return 2;
    }
    ComPtr<IContextMenu> menu;
    if (FAILED(createForSelection(args.subspan(1), menu, io))) return 1;
    const std::vector<Rename> renames = *verb == "aside" || *verb == "back"
                                            ? renamesOf(args.subspan(1), *verb == "aside")
                                            : std::vector<Rename>{};
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb =
        reinterpret_cast<const char*>(static_cast<std::uintptr_t>(verb - std::begin(kVerbs)));
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = menu->InvokeCommand(&info);
    if (FAILED(hr)) {
        io.err << "tavrin: " << *verb << " failed (" << hex(hr)
               << (hr == E_INVALIDARG ? ": no viewer registered under HKCR\\TavrinImage\\App" : "")
               << ")\n";
        return 1;
    }
    // The object reports a failed rename in its message and still succeeds; the folder tells.
    int status = 0;
    for (const Rename& r : renames) {
        if (const std::string why = r.failure(); !why.empty()) {
            io.err << "tavrin: cannot rename " << r.from << ": " << why << "\n";
            status = 1;
        }
    }
    return status;
}

namespace {

BOOL collectPage(ui::HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<ui::HPROPSHEETPAGE>*>(pages)->push_back(page);
    return 1;
}

// A text of the object's dialogs as the terminal shows it: in UTF-8, one line feed a line.
std::string forTerminal(std::string_view dialogText) {
    std::string text = toUtf8(dialogText);
    std::erase(text, '\r');
    return text;
}

// Opens the file's page with the template as the properties dialog does (WM_INITDIALOG), lets
// show run on it and closes it (WM_DESTROY). False when the object offers no such page.
template <typename Show>
bool showPage(const std::string& file, int templateId, Io io, Show show) {
    ComPtr<IShellPropSheetExt> sheet;
    if (!readable(file, io) || FAILED(createFor(file, sheet, io))) return false;
    std::vector<ui::HPROPSHEETPAGE> pages;
    const HRESULT hr = sheet->AddPages(collectPage, reinterpret_cast<LPARAM>(&pages));
    if (FAILED(hr)) {
        io.err << "tavrin: AddPages failed (" << hex(hr) << ")\n";
        return false;
    }
    bool shown = false;
    for (ui::HPROPSHEETPAGE page : pages) {
        const ui::PROPSHEETPAGEA& description = ui::pageDescription(page);
        if (description.templateId == templateId && !shown) {
            ui::Dialog dialog(description.pfnDlgProc);
            dialog.send(ui::WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&description));
            show(dialog);
            dialog.send(ui::WM_DESTROY);
            shown = true;
        }
        ui::DestroyPropertySheetPage(page);
    }
    return shown;
}

}  // namespace

int runInfo(std::span<const std::string_view> args, Io io) {
    if (args.size() != 1) {
        io.err << "Usage: tavrin info FILE\n";
        return 2;
    }
    const bool shown = showPage(
        std::string(args[0]), resources::kInformationPageTemplate, io, [&](ui::Dialog& dialog) {
            io.out << forTerminal(ui::dialogItemText(&dialog, resources::kSummaryControl)) << "\n\n"
                   << forTerminal(ui::dialogItemText(&dialog, resources::kExtraInfoControl))
                   << "\n";
        });
    return shown ? 0 : 1;
}

int runHistogram(std::span<const std::string_view> args, Io io) {
    if (args.size() != 2) {
        io.err << "Usage: tavrin histogram FILE OUT.png\n";
        return 2;
    }
    // The page's two owner-drawn controls in pixels (dialog units of an 8-point dialog font),
    // the preview above the histogram, on the dialog colour.
    const ui::RECT preview{0, 0, resources::kPreviewWidth, resources::kPreviewHeight};
    const ui::RECT histogram{55, 310, 55 + resources::kHistogramWidth,
                             310 + resources::kHistogramHeight};
    auto picture = imaging::Bitmap::create(resources::kPreviewWidth, histogram.bottom + 4);
    picture->clear(kDialogColour);
    imaging::Painter painter(*picture);
    const bool shown = showPage(
        std::string(args[0]), resources::kHistogramPageTemplate, io, [&](ui::Dialog& dialog) {
            dialog.waitForRepaint(std::chrono::minutes(10));
            // Each control draws on a surface of its own size, so nothing falls outside it.
            for (const auto& [control, rect] : {std::pair{resources::kPreviewControl, preview},
                                                {resources::kHistogramControl, histogram}}) {
                const int width = rect.right - rect.left, height = rect.bottom - rect.top;
                auto surface = imaging::Bitmap::create(width, height);
                surface->clear(kDialogColour);
                imaging::Painter controlPainter(*surface);
                const ui::DRAWITEMSTRUCT item{
                    static_cast<UINT>(control), &controlPainter, {0, 0, width, height}};
                dialog.send(ui::WM_DRAWITEM, static_cast<ui::WPARAM>(control),
                            reinterpret_cast<LPARAM>(&item));
                painter.copy(*surface, rect.left, rect.top);
            }
        });
    if (!shown) return 1;
    errno = 0;
    if (!imaging::writePng(*picture, std::string(args[1]))) {
        io.err << "tavrin: " << cannotWrite(std::string(args[1]), errno) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tavrin::host
