#include "shellext/surfaces/context_menu.hpp"

#include <algorithm>
#include <cstring>

#include "common/file_types.hpp"
#include "common/strings.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/registry/registry.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/files.hpp"
#include "platform/system/process.hpp"
#include "platform/ui/menu.hpp"
#include "platform/ui/message_box.hpp"
#include "resources/string_ids.hpp"

namespace tavrin::shell {
namespace {

using namespace com;
using registry::Root;

struct CommandTexts {
    unsigned menuText;
    unsigned helpText;
};

// By command offset.
constexpr CommandTexts kCommandTexts[] = {{501, 423}, {400, 420}, {401, 421}, {402, 422}};
constexpr std::size_t kMaxValue = 260;

bool hasTrashedExtension(std::string_view path) {
    return ascii::equalsIgnoreCase(extensionOf(path), kTrashedExtension);
}

void insert(HMENU menu, UINT position, UINT firstId, MenuCommand command) {
    const auto offset = static_cast<UINT>(command);
    if (command == MenuCommand::Separator) {
        ui::InsertMenuA(menu, position, ui::MF_BYPOSITION | ui::MF_SEPARATOR, firstId + offset,
                        nullptr);
        return;
    }
    const std::string text(strings::get(kCommandTexts[offset].menuText));
    ui::InsertMenuA(menu, position, ui::MF_BYPOSITION | ui::MF_STRING, firstId + offset,
                    text.c_str());
}

std::string limited(std::optional<std::string> value) {
    return value && value->size() < kMaxValue ? *value : std::string();
}

// True when the user opens files of this extension with another program than its class.
bool userChoseAnotherProgram(std::string_view extension) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" +
                            std::string(extension);
    std::string choice = limited(registry::queryString(Root::CurrentUser, key, "ProgID"));
    if (choice.empty())
        choice = limited(registry::queryString(Root::CurrentUser, key, "Application"));
    if (choice.empty()) return false;
    return !ascii::equalsIgnoreCase(
        choice, limited(registry::queryString(Root::ClassesRoot, extension, "")));
}

// Renames each file that wants it; a file that cannot be renamed (in use, name taken, gone)
// is reported and the others still go. An existing target is never replaced.
template <typename Wants, typename NewName>
void renameEach(const MenuSelection& selection, Wants wants, NewName newName) {
    const auto renameOne = [&](const std::string& path) {
        if (!wants(path)) return;
        if (files::renameNoReplace(path, newName(path))) return;
        ui::MessageBoxA(nullptr, strings::format(strings::kRenameFailed, path.c_str()).c_str(),
                        std::string(strings::get(strings::kErrorCaption)).c_str(), ui::MB_ICONHAND);
    };
    if (selection.files.empty()) {
        renameOne(selection.filePath);
    } else {
        std::for_each(selection.files.begin(), selection.files.end(), renameOne);
    }
}

HRESULT startViewer(const std::string& parameters) {
    const std::string viewer =
        limited(registry::queryString(Root::ClassesRoot, "TavrinImage\\App", ""));
    if (viewer.empty()) return E_INVALIDARG;
    return process::startProgram(viewer, parameters) ? S_OK : E_FAIL;
}

}  // namespace

HRESULT buildContextMenu(const MenuSelection& selection, HMENU menu, UINT index, UINT firstId,
                         UINT flags) {
    if (flags & CMF_DEFAULTONLY) return S_OK;
    UINT n = 0;
    if (!selection.files.empty()) {
        const bool anyTrashed =
            std::any_of(selection.files.begin(), selection.files.end(),
                        [](const std::string& f) { return hasTrashedExtension(f); });
        const bool anyOther =
            std::any_of(selection.files.begin(), selection.files.end(),
                        [](const std::string& f) { return !hasTrashedExtension(f); });
        if (anyTrashed) insert(menu, index + n++, firstId, MenuCommand::TakeBack);
        if (anyOther) insert(menu, index + n++, firstId, MenuCommand::PutAside);
        insert(menu, index + n++, firstId, MenuCommand::Slideshow);
    } else {
        const bool trashed = hasTrashedExtension(selection.filePath);
        insert(menu, index, firstId, trashed ? MenuCommand::TakeBack : MenuCommand::PutAside);
        insert(menu, index + 1, firstId, MenuCommand::Slideshow);
        n = 2;
        if (!trashed && userChoseAnotherProgram(extensionOf(selection.filePath))) {
            insert(menu, index + 1, firstId, MenuCommand::OpenInViewer);
            ++n;
        }
    }
    insert(menu, index + n, firstId, MenuCommand::Separator);
    return static_cast<HRESULT>(n + 3);
}

HRESULT invokeMenuCommand(const MenuSelection& selection, const CMINVOKECOMMANDINFO* info) {
    if (!info) return E_INVALIDARG;
    const auto verb = reinterpret_cast<std::uintptr_t>(info->lpVerb);
    if ((verb >> 16) != 0 || (verb & 0xFFFF) > static_cast<UINT>(MenuCommand::Slideshow))
        return E_INVALIDARG;
    switch (static_cast<MenuCommand>(verb & 0xFFFF)) {
        case MenuCommand::OpenInViewer:
            return startViewer(process::quoteArgument(selection.filePath));
        case MenuCommand::PutAside:
            // Only files not yet aside: a second ".trashed" would hide the picture's type.
            renameEach(
                selection, [](const std::string& p) { return !hasTrashedExtension(p); },
                [](const std::string& p) { return p + std::string(kTrashedExtension); });
            return S_OK;
        case MenuCommand::TakeBack:
            // Only files aside: anything else would lose its real extension.
            renameEach(
                selection, [](const std::string& p) { return hasTrashedExtension(p); },
                [](const std::string& p) {
                    return p.substr(0, p.size() - kTrashedExtension.size());
                });
            return S_OK;
        default: {
            std::string parameters = " -s";
            const auto add = [&](const std::string& file) {
                parameters += ' ';
                parameters += process::quoteArgument(file);
            };
            if (selection.files.empty()) {
                add(selection.filePath);
            } else {
                for (const std::string& f : selection.files)
                    add(f);
            }
            return startViewer(parameters);
        }
    }
}

HRESULT menuHelpText(std::uintptr_t id, UINT type, char* buffer, UINT chars) {
    if (id > static_cast<UINT>(MenuCommand::Slideshow) || !(type & GCS_HELPTEXTA))
        return E_INVALIDARG;
    if (!buffer || chars == 0) return E_INVALIDARG;
    const std::string_view text = strings::get(kCommandTexts[id].helpText);
    if (type & GCS_UNICODE) {
        const std::u16string wide = toWide(text);
        const std::size_t n = std::min<std::size_t>(wide.size(), chars - 1);
        auto* target = reinterpret_cast<WCHAR*>(buffer);
        std::copy_n(wide.data(), n, target);
        target[n] = 0;
    } else {
        std::size_t n = std::min<std::size_t>(text.size(), chars - 1);
        while (n > 0 && n < text.size() && (text[n] & 0xC0) == 0x80)
            --n;  // never half a character
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return S_OK;
}

}  // namespace tavrin::shell
