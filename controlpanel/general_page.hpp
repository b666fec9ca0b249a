#pragma once
// The sheet's first page, "Optionen": the settings that apply to every file type.

#include <QWidget>

#include "controlpanel/quality_controls.hpp"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace tavrin::cpl {

class CGeneralPage : public QWidget {
    Q_OBJECT
  public:
    explicit CGeneralPage(QWidget* parent = nullptr);

    // Writes the page's values; always reports success, as registry errors are not reported.
    bool apply();
    bool modified() const { return modified_; }

    // The values the per-type dialogs show for a type that does not override them.
    int viewMode() const { return viewMode_; }
    int whiteBalance() const;  // 0, 1, 2, or -1 when no button is checked

  signals:
    void changed();

  private:
    void load();
    void setModified();
    void showViewMode();
    void showBrightness();

    bool associate_ = true;
    int viewMode_ = 1;
    int brightness_ = 0;
    int thumbnailSize_ = 100;
    bool modified_ = false;

    QCheckBox* associateBox_;
    QualityControls quality_;
    QSlider* brightnessBar_;
    QLabel* brightnessText_;
    WhiteBalanceButtons whiteBalance_;
    QSpinBox* delay_;
    QComboBox* thumbnailList_;
};

}  // namespace tavrin::cpl
