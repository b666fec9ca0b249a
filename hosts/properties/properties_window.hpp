#pragma once
// The properties window of the file manager: the object's pages as tabs and a close button.

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/property_sheet.hpp"

class QTabWidget;

namespace tavrin::host {

class PropertiesWindow final : public QDialog {
  public:
    // Shows the pages this host knows, titled after the file; the window owns the pages.
    PropertiesWindow(const std::string& fileName, std::vector<ui::HPROPSHEETPAGE> pages);
    ~PropertiesWindow() override;

    int pageCount() const { return static_cast<int>(widgets_.size()); }

  private:
    QTabWidget* tabs_;
    std::vector<ui::HPROPSHEETPAGE> pages_;
    std::vector<std::unique_ptr<QWidget>> widgets_;
};

}  // namespace tavrin::host
