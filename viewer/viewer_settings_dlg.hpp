#pragma once
// "Betrachter-Einstellungen anpassen": the decode mode and white balance of this run of the
// viewer, saved as the defaults when asked to.

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;

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

    QSlider* quality_;
    QLabel* qualityText_;
    QButtonGroup* balance_;
    std::array<QRadioButton*, 3> balanceButtons_{};
    QCheckBox* saveChanges_;
};

}  // namespace tavrin::viewer
