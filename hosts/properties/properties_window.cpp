#include "hosts/properties/properties_window.hpp"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "hosts/properties/page_widgets.hpp"

namespace tavrin::host {

PropertiesWindow::PropertiesWindow(const std::string& fileName,
                                   std::vector<ui::HPROPSHEETPAGE> pages)
    : tabs_(new QTabWidget), pages_(std::move(pages)) {
    setWindowTitle(QStringLiteral("Eigenschaften von %1").arg(QString::fromStdString(fileName)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    for (ui::HPROPSHEETPAGE page : pages_) {
        if (auto widget = createPageWidget(page)) {
            tabs_->addTab(widget.get(), QString::fromStdString(ui::pageTitle(page)));
            widgets_.push_back(std::move(widget));
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PropertiesWindow::~PropertiesWindow() {
    // Pages close before they are destroyed, as in the file manager's dialog.
    for (auto& widget : widgets_) {
        tabs_->removeTab(tabs_->indexOf(widget.get()));
        widget.reset();
    }
    for (ui::HPROPSHEETPAGE page : pages_)
        ui::DestroyPropertySheetPage(page);
}

}  // namespace tavrin::host
