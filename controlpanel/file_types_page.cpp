#include "controlpanel/file_types_page.hpp"

#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/strings.hpp"
#include "controlpanel/control_ids.hpp"
#include "controlpanel/qt_text.hpp"
#include "controlpanel/type_dialogs.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::cpl {
namespace {

constexpr unsigned kAppletName = 10000;
constexpr unsigned kNoRights = 10009;
constexpr unsigned kSupportColumn = 10016;
constexpr unsigned kTypeColumn = 10017;

}  // namespace

CFileTypesPage::CFileTypesPage(const CGeneralPage& general, QWidget* parent)
    : QWidget(parent), general_(general), rows_(typeRows()) {
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget;
    list_->setObjectName(controlName(kFileTypeList));
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({text(strings::get(kSupportColumn)), text(strings::get(kTypeColumn))});
    list_->header()->resizeSection(0, 100);
    list_->header()->resizeSection(1, 250);
    for (const TypeRow& row : rows_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        applied_.push_back(row.associated());
        item->setCheckState(0, applied_.back() ? Qt::Checked : Qt::Unchecked);
        item->setText(1, text(row.text));
    }
    layout->addWidget(list_);
    customizeButton_ = new QPushButton(text("A&npassen"));
    customizeButton_->setObjectName("1029");
    layout->addWidget(customizeButton_, 0, Qt::AlignRight);

    if (!hasAssociationRights()) {
        list_->setEnabled(false);
        QMessageBox box(QMessageBox::Warning, text(strings::get(kAppletName)),
                        text(strings::get(kNoRights)), QMessageBox::Ok, this);
        box.setObjectName("noRights");
        if (qEnvironmentVariableIsSet("TAVRIN_APPLET_TEST")) {
            box.show();  // tests look at it without waiting for a click
            box.close();
        } else {
            box.exec();
        }
    }

    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0) {
            modified_ = true;
            emit changed();
        }
        updateButton();
    });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { updateButton(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { customize(); });
    connect(customizeButton_, &QPushButton::clicked, this, [this] { customize(); });
    updateButton();
}

void CFileTypesPage::updateButton() {
    bool any = false;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        any = any || (item->isSelected() && item->checkState(0) == Qt::Checked);
    }
    customizeButton_->setEnabled(any);
}

void CFileTypesPage::customize() {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (!item->isSelected() || item->checkState(0) != Qt::Checked) continue;
        const TypeRow& row = rows_[static_cast<std::size_t>(i)];
        std::unique_ptr<QDialog> dialog;
        switch (row.dialog) {
            case TypeDialog::Trashed:
                dialog = std::make_unique<CTrashedTypeDlg>(this);
                break;
            case TypeDialog::Simple:
                dialog = std::make_unique<CJpegTypeDlg>(row.text, this);
                break;
            case TypeDialog::Raw:
                dialog = std::make_unique<CRawTypeDlg>(ascii::upper(row.text), general_, this);
                break;
        }
        dialog->exec();
    }
}

// Checked rows are tied (again); a row is untied only when the user cleared it, so that a
// ".jpeg" tied on its own is not untied with the ".jpg, .jpeg" row it leaves unchecked.
bool CFileTypesPage::apply() {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        const bool checked = list_->topLevelItem(i)->checkState(0) == Qt::Checked;
        if (checked || applied_[index]) rows_[index].apply(checked);
        applied_[index] = checked;
    }
    modified_ = false;
    return true;
}

}  // namespace tavrin::cpl
