#pragma once
// The sheet's second page, "Dateitypen": ties and unties each supported type and opens the
// per-type dialogs.

#include <QWidget>
#include <vector>

#include "controlpanel/associations.hpp"

class QPushButton;
class QTreeWidget;

namespace tavrin::cpl {

class CGeneralPage;

class CFileTypesPage : public QWidget {
    Q_OBJECT
  public:
    CFileTypesPage(const CGeneralPage& general, QWidget* parent = nullptr);

    bool apply();
    bool modified() const { return modified_; }
    // Opens the dialogs of the selected, checked rows one after the other ("A&npassen").
    void customize();

  signals:
    void changed();

  private:
    void updateButton();

    const CGeneralPage& general_;
    std::vector<TypeRow> rows_;
    std::vector<bool> applied_;  // each row's state as loaded or last applied
    QTreeWidget* list_;
    QPushButton* customizeButton_;
    bool modified_ = false;
};

}  // namespace tavrin::cpl
