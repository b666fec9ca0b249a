#include "viewer/viewer_settings_dlg.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "common/help.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "common/strings.hpp"

namespace tavrin::viewer {

namespace {

constexpr unsigned kFirstModeText = 550;
constexpr int kModes = 4;
constexpr std::string_view kHelpTopic = "::/Customize Viewer Settings window.htm";

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int stored(std::string_view key, const settings::DwordSetting& value, int count) {
    return static_cast<int>(
        std::min<std::uint32_t>(GetUserSetting(key, value.name, value.defaultValue), count - 1));
}

}  // namespace

CViewerSettingsDlg::CViewerSettingsDlg(int overrideViewMode, int overrideWhiteBalance,
                                       QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(text("Betrachter-Einstellungen anpassen"));
    auto* layout = new QVBoxLayout(this);

    auto* qualityGroup = new QGroupBox(text("Bildqualität"));
    auto* qualityLayout = new QGridLayout(qualityGroup);
    quality_ = new QSlider(Qt::Horizontal);
    quality_->setObjectName("1046");
    quality_->setRange(0, kModes - 1);
    quality_->setPageStep(1);
    quality_->setTickPosition(QSlider::TicksBelow);
    qualityLayout->addWidget(new QLabel(text("Geschwindigkeit")), 0, 0);
    qualityLayout->addWidget(quality_, 0, 1);
    qualityLayout->addWidget(new QLabel(text("Qualität")), 0, 2);
    qualityText_ = new QLabel;
    qualityText_->setObjectName("1047");
    qualityLayout->addWidget(qualityText_, 1, 0, 1, 3);
    layout->addWidget(qualityGroup);

    auto* balanceGroup = new QGroupBox(text("Weißabgleich"));
    auto* balanceLayout = new QVBoxLayout(balanceGroup);
    balance_ = new QButtonGroup(this);
    const std::array<const char*, 3> balanceTexts = {"Weißabgleich &nicht benutzen",
                                                     "Einstellungen der &Kamera übernehmen",
                                                     "Automatischen W&eißabgleich durchführen"};
    for (int i = 0; i < 3; ++i) {
        balanceButtons_[i] = new QRadioButton(text(balanceTexts[i]));
        balanceButtons_[i]->setObjectName(QString::number(1003 + i));
        balance_->addButton(balanceButtons_[i], i);
        balanceLayout->addWidget(balanceButtons_[i]);
    }
    layout->addWidget(balanceGroup);

    saveChanges_ = new QCheckBox(text("Än&derungen speichern"));
    layout->addWidget(saveChanges_);
    auto* note = new QLabel(
        text("Die Änderungen gelten nur, bis der Betrachter beendet wird, es sei denn, Sie wählen "
             "„Änderungen speichern“."));
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(text("Abbrechen"));
    QPushButton* help = buttons->addButton(text("&Hilfe"), QDialogButtonBox::HelpRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { showHelp(kHelpTopic); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [] { showHelp(kHelpTopic); });
    connect(quality_, &QSlider::valueChanged, this, &CViewerSettingsDlg::updateControls);

    quality_->setValue(overrideViewMode >= 0
                           ? std::min(overrideViewMode, kModes - 1)
                           : stored(settings::kViewer, settings::kViewModeViewer, kModes));
    const int balance = overrideWhiteBalance >= 0
                            ? std::min(overrideWhiteBalance, 2)
                            : stored(settings::kWhiteBalance, settings::kWhiteBalanceModeGlobal, 3);
    balanceButtons_[static_cast<std::size_t>(balance)]->setChecked(true);
    updateControls();
}

int CViewerSettingsDlg::viewMode() const {
    return quality_->value();
}

int CViewerSettingsDlg::whiteBalance() const {
    return std::max(balance_->checkedId(), 0);
}

void CViewerSettingsDlg::updateControls() {
    qualityText_->setText(text(strings::get(kFirstModeText + static_cast<unsigned>(viewMode()))));
    for (QRadioButton* button : balanceButtons_)
        button->setEnabled(viewMode() >= 2);
}

void CViewerSettingsDlg::accept() {
    if (saveChanges_->isChecked()) {
        SetUserSetting(settings::kViewer, settings::kViewModeViewer.name,
                       static_cast<std::uint32_t>(viewMode()));
        SetUserSetting(settings::kWhiteBalance, settings::kWhiteBalanceModeGlobal.name,
                       static_cast<std::uint32_t>(whiteBalance()));
    }
    QDialog::accept();
}

}  // namespace tavrin::viewer
