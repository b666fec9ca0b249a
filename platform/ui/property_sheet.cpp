#include "platform/ui/property_sheet.hpp"

#include <new>

namespace tavrin::ui {

struct PropertySheetPage {
    PROPSHEETPAGEA description;
    std::string title;
};

HPROPSHEETPAGE CreatePropertySheetPageA(const PROPSHEETPAGEA* description) {
    if (!description || description->dwSize != sizeof(PROPSHEETPAGEA)) return nullptr;
    auto* page = new (std::nothrow) PropertySheetPage{*description, {}};
    if (!page) return nullptr;
    if ((description->dwFlags & PSP_USETITLE) && description->pszTitle)
        page->title = description->pszTitle;
    page->description.pszTitle = page->title.c_str();
    if ((description->dwFlags & PSP_USEREFPARENT) && description->pcRefParent)
        ++*description->pcRefParent;
    if (description->dwFlags & PSP_USECALLBACK && description->pfnCallback) {
        description->pfnCallback(nullptr, PSPCB_CREATE, &page->description);
    }
    return page;
}

bool DestroyPropertySheetPage(HPROPSHEETPAGE page) {
    if (!page) return false;
    PROPSHEETPAGEA& d = page->description;
    if ((d.dwFlags & PSP_USECALLBACK) && d.pfnCallback) d.pfnCallback(nullptr, PSPCB_RELEASE, &d);
    if ((d.dwFlags & PSP_USEREFPARENT) && d.pcRefParent) --*d.pcRefParent;
    delete page;
    return true;
}

const PROPSHEETPAGEA& pageDescription(HPROPSHEETPAGE page) {
    return page->description;
}

const std::string& pageTitle(HPROPSHEETPAGE page) {
    return page->title;
}

}  // namespace tavrin::ui
