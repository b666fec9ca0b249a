#pragma once
// The applet's property sheet: the general options and file types pages with OK, Cancel,
// Apply and Help.

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace tavrin::cpl {

class CGeneralPage;
class CFileTypesPage;

class COptionsSheet : public QDialog {
    Q_OBJECT
  public:
    explicit COptionsSheet(QWidget* parent = nullptr);

    CGeneralPage& generalPage() { return *general_; }
    CFileTypesPage& fileTypesPage() { return *fileTypes_; }

    // Both pages' applies, as OK and Apply run them; false when the general page refused.
    bool applyPages();

  private:
    void showPageHelp();

    QTabWidget* tabs_;
    CGeneralPage* general_;
    CFileTypesPage* fileTypes_;
    QPushButton* applyButton_;
};

}  // namespace tavrin::cpl
