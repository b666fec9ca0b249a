#include "controlpanel/options_sheet.hpp"

#include <QDialogButtonBox>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/help.hpp"
#include "common/strings.hpp"
#include "controlpanel/associations.hpp"
#include "controlpanel/file_types_page.hpp"
#include "controlpanel/general_page.hpp"
#include "controlpanel/qt_text.hpp"
#include "resources/icons.hpp"

namespace tavrin::cpl {
namespace {

constexpr unsigned kCaption = 10014;

// The applet's icon: Tavrin's file figure.
QIcon appletIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        if (const auto image = resources::loadIconImage(resources::kFirstTypeIcon, size)) {
            icon.addPixmap(
                QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(image->argb.data()), size,
                                          size, QImage::Format_ARGB32)
                                       .copy()));
        }
    }
    return icon;
}

}  // namespace

COptionsSheet::COptionsSheet(QWidget* parent) : QDialog(parent) {
    setWindowTitle(text(strings::get(kCaption)));
    setWindowIcon(appletIcon());
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget;
    general_ = new CGeneralPage;
    fileTypes_ = new CFileTypesPage(*general_);
    tabs_->addTab(general_, text("Optionen"));
    tabs_->addTab(fileTypes_, text("Dateitypen"));
    layout->addWidget(tabs_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Apply | QDialogButtonBox::Help);
    buttons->button(QDialogButtonBox::Cancel)->setText(text("Abbrechen"));
    applyButton_ = buttons->button(QDialogButtonBox::Apply);
    applyButton_->setText(text("Ü&bernehmen"));
    applyButton_->setEnabled(false);
    buttons->button(QDialogButtonBox::Help)->setText(text("Hilfe"));
    layout->addWidget(buttons);

    const auto enableApply = [this] { applyButton_->setEnabled(true); };
    connect(general_, &CGeneralPage::changed, this, enableApply);
    connect(fileTypes_, &CFileTypesPage::changed, this, enableApply);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (applyPages()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(applyButton_, &QPushButton::clicked, this, [this] {
        applyPages();
        applyButton_->setEnabled(false);
    });
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { showPageHelp(); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { showPageHelp(); });
}

bool COptionsSheet::applyPages() {
    if (!general_->apply()) return false;
    fileTypes_->apply();
    return true;
}

void COptionsSheet::showPageHelp() {
    showHelp(tabs_->currentWidget() == general_ ? "::/General Options page.htm"
                                                : "::/File types page.htm");
}

}  // namespace tavrin::cpl
