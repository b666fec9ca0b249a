#pragma once
// "Über PictureViewer": the version and the product's home page.

#include <QDialog>

namespace tavrin::viewer {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tavrin::viewer
