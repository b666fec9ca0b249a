#include "shellext/surfaces/property_pages.hpp"

#include <mutex>

#include "common/strings.hpp"
#include "resources/dialog_ids.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/surfaces/histogram.hpp"
#include "shellext/surfaces/info_tip.hpp"

namespace tavrin::shell {
namespace {

using namespace com;

constexpr unsigned kInformationTitle = 9000, kHistogramTitle = 9010;
constexpr unsigned kLoadingText = 9020;
constexpr std::string_view kSeparator = "\n\n";

// The texts the pages show, written by the most recent AddPages and read when a page is made.
struct PageText {
    std::mutex mutex;
    std::string text;
    std::string path;
};

PageText& pageText() {
    static PageText texts;
    return texts;
}

std::string withCarriageReturns(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

ui::UINT keepPage(ui::HWND, ui::UINT, ui::PROPSHEETPAGEA*) {
    return 1;
}

bool offerPage(int templateId, unsigned title, ui::DLGPROC procedure, void* object,
               ui::LPFNADDPROPSHEETPAGE addPage, ui::LPARAM param) {
    const std::string caption(strings::get(title));
    ui::PROPSHEETPAGEA description{};
    description.dwSize = sizeof description;
    description.dwFlags = ui::PSP_USETITLE | ui::PSP_USEREFPARENT | ui::PSP_USECALLBACK;
    description.templateId = templateId;
    description.pszTitle = caption.c_str();
    description.pfnDlgProc = procedure;
    description.lParam = reinterpret_cast<ui::LPARAM>(object);
    description.pfnCallback = keepPage;
    description.pcRefParent = &moduleCounts().lockCount();
    ui::HPROPSHEETPAGE page = ui::CreatePropertySheetPageA(&description);
    if (!page) return false;
    if (addPage(page, param)) return true;
    ui::DestroyPropertySheetPage(page);
    return false;
}

}  // namespace

std::string buildPageText(const ImageInfo& info) {
    return buildInfoLines(info) + std::string(kSeparator) + info.extraInfo;
}

HRESULT addPropertyPages(IUnknown* object, ImageInfo& info,
                         const std::vector<std::string>& selectedFiles,
                         ui::LPFNADDPROPSHEETPAGE addPage, ui::LPARAM param) {
    if (!selectedFiles.empty()) return E_INVALIDARG;
    if (!addPage) return E_POINTER;
    ReadImageInfo(info, false);
    {
        PageText& texts = pageText();
        const std::lock_guard lock(texts.mutex);
        texts.text = buildPageText(info);
        texts.path = info.filePath;
    }
    offerPage(resources::kInformationPageTemplate, kInformationTitle, informationPageProcedure,
              object, addPage, param);
    offerPage(resources::kHistogramPageTemplate, kHistogramTitle, histogramPageProcedure, object,
              addPage, param);
    return S_OK;
}

ui::INT_PTR informationPageProcedure(ui::HWND dialog, ui::UINT message, ui::WPARAM, ui::LPARAM) {
    if (message != ui::WM_INITDIALOG) return 0;
    std::string text;
    {
        PageText& texts = pageText();
        const std::lock_guard lock(texts.mutex);
        text = texts.text;
    }
    // The summary's last line end and the two that follow it separate the two parts.
    const std::size_t at = text.find(kSeparator);
    const std::string_view summary =
        at == std::string::npos ? std::string_view() : std::string_view(text).substr(0, at);
    std::string_view extra = at == std::string::npos || at + 3 > text.size()
                                 ? std::string_view()
                                 : std::string_view(text).substr(at + 3);
    while (!extra.empty() && (extra.front() == ' ' || extra.front() == '\n'))
        extra.remove_prefix(1);
    ui::SetDlgItemTextA(dialog, resources::kSummaryControl, withCarriageReturns(summary).c_str());
    ui::SetDlgItemTextA(dialog, resources::kExtraInfoControl, withCarriageReturns(extra).c_str());
    return 0;
}

ui::INT_PTR histogramPageProcedure(ui::HWND window, ui::UINT message, ui::WPARAM,
                                   ui::LPARAM lParam) {
    auto* dialog = static_cast<ui::Dialog*>(window);
    auto* job = reinterpret_cast<HistogramJob*>(dialog->userData);
    switch (message) {
        case ui::WM_INITDIALOG: {
            std::string path;
            {
                PageText& texts = pageText();
                const std::lock_guard lock(texts.mutex);
                path = texts.path;
            }
            dialog->userData =
                reinterpret_cast<ui::LPARAM>(new HistogramJob(std::move(path), dialog));
            break;
        }
        case ui::WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const ui::DRAWITEMSTRUCT*>(lParam);
            if (!job || !item || !item->painter) break;
            if (item->CtlID == resources::kHistogramControl) {
                drawHistogram(*item->painter, item->rcItem, job->counts(), job->running());
            } else if (item->CtlID == resources::kPreviewControl && job->running()) {
                const ui::RECT& r = item->rcItem;
                item->painter->drawCenteredText(r.left, r.top, r.right, r.bottom,
                                                strings::get(kLoadingText), imaging::rgb(0, 0, 0));
            } else if (item->CtlID == resources::kPreviewControl && job->preview()) {
                item->painter->copy(*job->preview(), item->rcItem.left, item->rcItem.top);
            }
            break;
        }
        case ui::WM_DESTROY:
            delete job;  // stops a running worker and waits for it
            dialog->userData = 0;
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace tavrin::shell
