#include "viewer/viewer_settings_dlg.hpp"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "common/help.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"

namespace tavrin::viewer {

namespace {

constexpr int kModes = 4;
constexpr std::string_view kHelpTopic = "::/Customize Viewer Settings window.htm";

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int stored(std::string_view key, const settings::DwordSetting& value, int count) {
    return static_cast<int>(
        std::min<std::uint32_t>(getUserSetting(key, value.name, value.defaultValue), count - 1));
}

}  // namespace

CViewerSettingsDlg::CViewerSettingsDlg(int overrideViewMode, int overrideWhiteBalance,
                                       QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(text("Betrachter-Einstellungen anpassen"));
    auto* layout = new QVBoxLayout(this);

    auto* qualityGroup = new QGroupBox(text("Bildqualität"));
    quality_ = cpl::QualityControls::add(*new QGridLayout(qualityGroup), 0);
    layout->addWidget(qualityGroup);

    auto* balanceGroup = new QGroupBox(text("Weißabgleich"));
    balance_ = cpl::WhiteBalanceButtons::add(*new QVBoxLayout(balanceGroup), this,
                                             text("Automatischen W&eißabgleich durchführen"));
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
    connect(quality_.slider, &QSlider::valueChanged, this, &CViewerSettingsDlg::updateControls);

    quality_.setMode(overrideViewMode >= 0
                         ? overrideViewMode
                         : stored(settings::kViewer, settings::kViewModeViewer, kModes));
    balance_.select(static_cast<std::uint32_t>(
        overrideWhiteBalance >= 0
            ? std::min(overrideWhiteBalance, 2)
            : stored(settings::kWhiteBalance, settings::kWhiteBalanceModeGlobal, 3)));
    updateControls();
}

int CViewerSettingsDlg::viewMode() const {
    return quality_.mode();
}

int CViewerSettingsDlg::whiteBalance() const {
    return std::max(balance_.selected(), 0);
}

void CViewerSettingsDlg::updateControls() {
    quality_.showModeText();
    // White balance applies only to decodes of the raw data.
    balance_.setEnabled(viewMode() >= 2);
}

void CViewerSettingsDlg::accept() {
    if (saveChanges_->isChecked()) {
        setUserSetting(settings::kViewer, settings::kViewModeViewer.name,
                       static_cast<std::uint32_t>(viewMode()));
        setUserSetting(settings::kWhiteBalance, settings::kWhiteBalanceModeGlobal.name,
                       static_cast<std::uint32_t>(whiteBalance()));
    }
    QDialog::accept();
}

}  // namespace tavrin::viewer
