#include "controlpanel/quality_controls.hpp"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>

#include "common/strings.hpp"
#include "controlpanel/control_ids.hpp"
#include "controlpanel/qt_text.hpp"

namespace tavrin::cpl {

namespace {

constexpr unsigned kViewModeTexts = 550;
constexpr int kModes = 4;

}  // namespace

QualityControls QualityControls::add(QGridLayout& layout, int row) {
    QualityControls controls{new QSlider(Qt::Horizontal),
                             {new QLabel(text("Geschwindigkeit")), new QLabel(text("Qualität"))},
                             new QLabel};
    controls.slider->setObjectName(controlName(kQualitySlider));
    controls.slider->setRange(0, kModes - 1);
    controls.slider->setPageStep(1);
    controls.slider->setTickPosition(QSlider::TicksBelow);
    controls.ends[0]->setObjectName(controlName(kQualitySpeedEnd));
    controls.ends[1]->setObjectName(controlName(kQualityQualityEnd));
    controls.modeText->setObjectName(controlName(kQualityText));
    layout.addWidget(controls.ends[0], row, 0);
    layout.addWidget(controls.slider, row, 1);
    layout.addWidget(controls.ends[1], row, 2);
    layout.addWidget(controls.modeText, row + 1, 0, 1, 3);
    return controls;
}

int QualityControls::mode() const {
    return slider->value();
}

void QualityControls::setMode(int mode) {
    slider->setValue(std::clamp(mode, 0, kModes - 1));
    showModeText();
}

void QualityControls::showModeText() {
    modeText->setText(text(strings::get(kViewModeTexts + static_cast<unsigned>(mode()))));
}

void QualityControls::setEnabled(bool enabled) {
    slider->setEnabled(enabled);
    modeText->setEnabled(enabled);
    for (QLabel* label : ends)
        label->setEnabled(enabled);
}

WhiteBalanceButtons WhiteBalanceButtons::add(QBoxLayout& layout, QObject* owner,
                                             const QString& automaticText) {
    WhiteBalanceButtons controls{new QButtonGroup(owner), {}};
    const std::array<QString, 3> texts = {text("Weißabgleich &nicht benutzen"),
                                          text("Einstellungen der &Kamera übernehmen"),
                                          automaticText};
    for (int i = 0; i < 3; ++i) {
        QRadioButton* button = new QRadioButton(texts[static_cast<std::size_t>(i)]);
        button->setObjectName(controlName(kFirstWhiteBalanceButton + i));
        controls.group->addButton(button, i);
        layout.addWidget(button);
        controls.buttons[static_cast<std::size_t>(i)] = button;
    }
    return controls;
}

void WhiteBalanceButtons::select(std::uint32_t mode) {
    group->setExclusive(false);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setChecked(i == mode);
    group->setExclusive(true);
}

int WhiteBalanceButtons::selected() const {
    return group->checkedId();
}

void WhiteBalanceButtons::setEnabled(bool enabled) {
    for (QRadioButton* button : buttons)
        button->setEnabled(enabled);
}

}  // namespace tavrin::cpl
