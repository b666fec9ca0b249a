#pragma once
// Qt widgets that show the shell object's property pages: a page's dialog procedure runs on a
// dialog stand-in, and its control texts and owner drawing appear in widgets.

#include <QWidget>
#include <memory>

#include "platform/ui/property_sheet.hpp"

namespace tavrin::host {

// The widget for a page, or nothing for a template this host does not know.
std::unique_ptr<QWidget> createPageWidget(ui::HPROPSHEETPAGE page);

}  // namespace tavrin::host
