#pragma once
// The controls that choose how the viewer decodes, as the applet's page, its per-type dialogs
// and the viewer's settings dialog all show them: the quality slider from "Geschwindigkeit" to
// "Qualität" with the mode's text under it, and the three white-balance buttons.

#include <QString>
#include <array>
#include <cstdint>

class QBoxLayout;
class QButtonGroup;
class QGridLayout;
class QLabel;
class QObject;
class QRadioButton;
class QSlider;

namespace tavrin::cpl {

// Controls 1046 (slider), 1053 and 1054 (its end labels) and 1047 (the mode's text).
struct QualityControls {
    QSlider* slider;
    std::array<QLabel*, 2> ends;
    QLabel* modeText;

    // The slider and its labels on row row of layout, the mode's text on the row below.
    static QualityControls add(QGridLayout& layout, int row);
    int mode() const;
    // The slider at mode (clamped to the four modes), its text shown.
    void setMode(int mode);
    // The text of the slider's mode (string 550 + mode).
    void showModeText();
    void setEnabled(bool enabled);
};

// Radio buttons 1003 to 1005: none, the camera's, automatic.
struct WhiteBalanceButtons {
    QButtonGroup* group;
    std::array<QRadioButton*, 3> buttons;

    // The buttons under each other in layout; automaticText is the third one's text, whose
    // mnemonic differs between the dialogs.
    static WhiteBalanceButtons add(QBoxLayout& layout, QObject* owner,
                                   const QString& automaticText);
    // Checks the button of mode; none for any other value.
    void select(std::uint32_t mode);
    // The checked button's mode, -1 when none is.
    int selected() const;
    void setEnabled(bool enabled);
};

}  // namespace tavrin::cpl
