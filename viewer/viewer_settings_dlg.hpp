#pragma once
// "Betrachter-Einstellungen anpassen": the decode mode and white balance of this run of the
// viewer, saved as the defaults when asked to.

#include <QDialog>

#include "controlpanel/quality_controls.hpp"

class QCheckBox;

namespace tavrin::viewer {

class CViewerSettingsDlg : public QDialog {
    Q_OBJECT
  public:
    // Starts from the run-time overrides, or from the settings where they are -1.
    CViewerSettingsDlg(int overrideViewMode, int overrideWhiteBalance, QWidget* parent = nullptr);

    int viewMode() const;
    int whiteBalance() const;

    void accept() override;

  private:
    void updateControls();

    cpl::QualityControls quality_;
    cpl::WhiteBalanceButtons balance_;
    QCheckBox* saveChanges_;
};

}  // namespace tavrin::viewer
