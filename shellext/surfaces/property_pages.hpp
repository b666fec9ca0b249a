#pragma once
// The pages the shell object adds to a file's properties dialog: image information and histogram.

#include <string>
#include <vector>

#include "platform/com/unknown.hpp"
#include "platform/ui/property_sheet.hpp"
#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

// The summary lines, an empty line and the record's extra information.
std::string buildPageText(const ImageInfo& info);

// Reads the file's record and hands the pages to the dialog's add-page function; several
// selected files get no pages (E_INVALIDARG).
com::HRESULT addPropertyPages(com::IUnknown* object, ImageInfo& info,
                              const std::vector<std::string>& selectedFiles,
                              ui::LPFNADDPROPSHEETPAGE addPage, ui::LPARAM param);

// The information page's dialog procedure: fills the summary and extra-information boxes.
ui::INT_PTR informationPageProcedure(ui::HWND dialog, ui::UINT message, ui::WPARAM, ui::LPARAM);

// The histogram page's: starts the worker, draws the histogram (control 203) and the preview
// (control 204) from a DRAWITEMSTRUCT, and stops the worker when the page closes.
ui::INT_PTR histogramPageProcedure(ui::HWND dialog, ui::UINT message, ui::WPARAM,
                                   ui::LPARAM lParam);

}  // namespace tavrin::shell
