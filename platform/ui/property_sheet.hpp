#pragma once
// Property-sheet pages as a shell extension hands them to the properties dialog: a page
// description, the page made from it, and the host's add-page function.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/ui/dialog.hpp"

namespace tavrin::ui {

using DWORD = std::uint32_t;
using BOOL = int;

inline constexpr DWORD PSP_USETITLE = 0x0008;
inline constexpr DWORD PSP_USEREFPARENT = 0x0040;
inline constexpr DWORD PSP_USECALLBACK = 0x0080;
inline constexpr UINT PSPCB_RELEASE = 1;
inline constexpr UINT PSPCB_CREATE = 2;

struct PROPSHEETPAGEA;
using LPFNPSPCALLBACKA = UINT (*)(HWND, UINT message, PROPSHEETPAGEA* page);

// The first layout of the page description. The parent reference is the module's lock count:
// it counts the page while the page exists.
struct PROPSHEETPAGEA {
    DWORD dwSize;
    DWORD dwFlags;
    void* hInstance;
    int templateId;
    void* hIcon;
    const char* pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKA pfnCallback;
    std::atomic<long>* pcRefParent;
};

using HPROPSHEETPAGE = struct PropertySheetPage*;
using LPFNADDPROPSHEETPAGE = BOOL (*)(HPROPSHEETPAGE page, LPARAM param);

// A page from the description (copied, the title too); nothing for a description of another size.
HPROPSHEETPAGE CreatePropertySheetPageA(const PROPSHEETPAGEA* description);
bool DestroyPropertySheetPage(HPROPSHEETPAGE page);

// What a host needs to show a page.
const PROPSHEETPAGEA& pageDescription(HPROPSHEETPAGE page);
const std::string& pageTitle(HPROPSHEETPAGE page);

}  // namespace tavrin::ui
