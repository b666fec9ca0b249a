#pragma once
// The per-type options dialogs the file types page opens for a checked type: RAW types, the
// picture types that need no decoding options, and put-aside files.

#include <QDialog>
#include <string>
#include <vector>

#include "controlpanel/quality_controls.hpp"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;

namespace tavrin::cpl {

class CGeneralPage;

// OK writes, Cancel does not; "Stan&dard" restores the defaults in the dialog.
class TypeDialogBase : public QDialog {
    Q_OBJECT
  protected:
    TypeDialogBase(const QString& typeText, const char* helpTopic, QWidget* parent);
    // Adds the buttons below the dialog's own controls.
    void finish(QLayout* content);
    virtual void restoreDefaults() = 0;
    virtual void save() = 0;

    QLabel* note_;

  private:
    const char* helpTopic_;
};

class CRawTypeDlg : public TypeDialogBase {
    Q_OBJECT
  public:
    // extension in upper case (".CR2"); general gives the values of types without overrides.
    CRawTypeDlg(const std::string& extension, const CGeneralPage& general,
                QWidget* parent = nullptr);

  private:
    void restoreDefaults() override;
    void save() override;
    void qualityRule();
    void enableRule();
    void fallBackRule();

    std::string key_;
    const CGeneralPage& general_;
    QCheckBox* useEmbedded_;
    QCheckBox* supportSlideshow_;
    QCheckBox* useImageQuality_;
    QCheckBox* useWhiteBalance_;
    QualityControls quality_;
    WhiteBalanceButtons balance_;
};

// One box, one value: "SupportSlideshow" of a picture type, or "CrossImage" of put-aside files.
class CheckTypeDialog : public TypeDialogBase {
    Q_OBJECT
  protected:
    CheckTypeDialog(const QString& typeText, const char* helpTopic, const char* boxText,
                    int control, std::vector<std::string> keys, std::string valueName,
                    QWidget* parent);

  private:
    void restoreDefaults() override;
    void save() override;

    std::vector<std::string> keys_;
    std::string valueName_;
    QCheckBox* box_;
};

class CJpegTypeDlg : public CheckTypeDialog {
    Q_OBJECT
  public:
    // rowText as the file types page shows it (".jpg, .jpeg", ".ppm", ...).
    explicit CJpegTypeDlg(const std::string& rowText, QWidget* parent = nullptr);
};

class CTrashedTypeDlg : public CheckTypeDialog {
    Q_OBJECT
  public:
    explicit CTrashedTypeDlg(QWidget* parent = nullptr);
};

}  // namespace tavrin::cpl
