#include "controlpanel/type_dialogs.hpp"

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

#include "common/help.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "common/strings.hpp"
#include "controlpanel/associations.hpp"
#include "controlpanel/control_ids.hpp"
#include "controlpanel/general_page.hpp"
#include "controlpanel/qt_text.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::cpl {
namespace {

namespace names = settings;

QString caption(const QString& typeText) {
    return QString("%1 Dateiverarbeitung anpassen").arg(typeText);
}

QString note(const QString& typeText) {
    return QString("Diese Einstellungen gelten nur für Dateien des Typs %1.").arg(typeText);
}

}  // namespace

TypeDialogBase::TypeDialogBase(const QString& typeText, const char* helpTopic, QWidget* parent)
    : QDialog(parent), helpTopic_(helpTopic) {
    setWindowTitle(caption(typeText));
    note_ = new QLabel(note(typeText));
    note_->setObjectName(controlName(kTypeNote));
    note_->setWordWrap(true);
}

void TypeDialogBase::finish(QLayout* content) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note_);
    layout->addLayout(content);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(text("Abbrechen"));
    QPushButton* standard = buttons->addButton(text("Stan&dard"), QDialogButtonBox::ResetRole);
    standard->setObjectName(controlName(kStandardButton));
    QPushButton* help = buttons->addButton(text("&Hilfe"), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        save();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(standard, &QPushButton::clicked, this, [this] { restoreDefaults(); });
    connect(help, &QPushButton::clicked, this, [this] { showHelp(helpTopic_); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { showHelp(helpTopic_); });
    layout->addWidget(buttons);
}

CRawTypeDlg::CRawTypeDlg(const std::string& extension, const CGeneralPage& general, QWidget* parent)
    : TypeDialogBase(text(extension), "::/Customize dialog.htm", parent),
      key_(ascii::upper(extension)),
      general_(general) {
    setWindowTitle(caption(text(key_)));
    note_->setText(note(text(key_)));
    auto* content = new QVBoxLayout;
    useEmbedded_ = new QCheckBox(text("Das eingebettete Vorscha&ubild wann immer möglich nutzen"));
    useEmbedded_->setObjectName(controlName(kUseEmbeddedBox));
    supportSlideshow_ = new QCheckBox(text("Unter&stützung in der Diaschau"));
    supportSlideshow_->setObjectName(controlName(kSlideshowBox));
    content->addWidget(useEmbedded_);
    content->addWidget(supportSlideshow_);

    auto* qualityGroup = new QGroupBox;
    auto* qualityLayout = new QGridLayout(qualityGroup);
    useImageQuality_ = new QCheckBox(text("B&ildqualität"));
    useImageQuality_->setObjectName(controlName(kOwnQualityBox));
    qualityLayout->addWidget(useImageQuality_, 0, 0, 1, 3);
    quality_ = QualityControls::add(*qualityLayout, 1);
    content->addWidget(qualityGroup);

    auto* balanceGroup = new QGroupBox;
    auto* balanceLayout = new QVBoxLayout(balanceGroup);
    useWhiteBalance_ = new QCheckBox(text("&Weißabgleich"));
    useWhiteBalance_->setObjectName(controlName(kOwnWhiteBalanceBox));
    balanceLayout->addWidget(useWhiteBalance_);
    balance_ = WhiteBalanceButtons::add(*balanceLayout, this,
                                        text("Automatischen &Weißabgleich durchführen"));
    content->addWidget(balanceGroup);
    finish(content);

    const auto setting = [&](const names::DwordSetting& s) {
        return getUserSetting(key_, s.name, s.defaultValue);
    };
    useEmbedded_->setChecked(setting(names::kUseEmbeddedForThumbnail) != 0);
    supportSlideshow_->setChecked(setting(names::kSupportSlideshow) != 0);
    useImageQuality_->setChecked(setting(names::kUseImageQuality) != 0);
    useWhiteBalance_->setChecked(setting(names::kUseWhiteBalance) != 0);
    quality_.setMode(static_cast<int>(std::min<std::uint32_t>(setting(names::kViewModeApplet), 3)));
    balance_.select(setting(names::kWhiteBalanceMode));
    qualityRule();
    enableRule();
    fallBackRule();

    connect(quality_.slider, &QSlider::valueChanged, this, [this] {
        qualityRule();
        enableRule();
    });
    connect(useImageQuality_, &QCheckBox::clicked, this, [this] { fallBackRule(); });
    connect(useWhiteBalance_, &QCheckBox::clicked, this, [this] { fallBackRule(); });
}

void CRawTypeDlg::qualityRule() {
    quality_.showModeText();
    // Without a decode of the raw data there is nothing to balance.
    const bool decodes = quality_.mode() >= 2;
    if (!decodes) useWhiteBalance_->setChecked(false);
    useWhiteBalance_->setEnabled(decodes);
}

void CRawTypeDlg::enableRule() {
    balance_.setEnabled(useWhiteBalance_->isChecked());
    quality_.setEnabled(useImageQuality_->isChecked());
}

void CRawTypeDlg::fallBackRule() {
    if (!useWhiteBalance_->isChecked()) {
        balance_.select(static_cast<std::uint32_t>(general_.whiteBalance()));
    }
    if (!useImageQuality_->isChecked()) {
        const QSignalBlocker block(quality_.slider);
        quality_.setMode(general_.viewMode());
    }
    enableRule();
}

void CRawTypeDlg::restoreDefaults() {
    supportSlideshow_->setChecked(true);
    useEmbedded_->setChecked(true);
    useWhiteBalance_->setChecked(false);
    useImageQuality_->setChecked(false);
    balance_.select(0);
    quality_.slider->setValue(0);
    qualityRule();
    enableRule();
}

void CRawTypeDlg::save() {
    const auto flag = [](const QCheckBox* box) { return box->isChecked() ? 1u : 0u; };
    setUserSetting(key_, names::kSupportSlideshow.name, flag(supportSlideshow_));
    setUserSetting(key_, names::kUseEmbeddedForThumbnail.name, flag(useEmbedded_));
    setUserSetting(key_, names::kUseImageQuality.name, flag(useImageQuality_));
    setUserSetting(key_, names::kUseWhiteBalance.name, flag(useWhiteBalance_));
    if (useWhiteBalance_->isChecked()) {
        setUserSetting(key_, names::kWhiteBalanceMode.name,
                       static_cast<std::uint32_t>(std::max(balance_.selected(), 0)));
    }
    if (useImageQuality_->isChecked()) {
        setUserSetting(key_, names::kViewModeApplet.name,
                       static_cast<std::uint32_t>(quality_.mode()));
    }
}

CheckTypeDialog::CheckTypeDialog(const QString& typeText, const char* helpTopic,
                                 const char* boxText, int control, std::vector<std::string> keys,
                                 std::string valueName, QWidget* parent)
    : TypeDialogBase(typeText, helpTopic, parent),
      keys_(std::move(keys)),
      valueName_(std::move(valueName)) {
    auto* content = new QVBoxLayout;
    box_ = new QCheckBox(text(boxText));
    box_->setObjectName(controlName(control));
    content->addWidget(box_);
    finish(content);
    box_->setChecked(getUserSetting(keys_.front(), valueName_, 1) != 0);
}

void CheckTypeDialog::restoreDefaults() {
    box_->setChecked(true);
}

void CheckTypeDialog::save() {
    for (const std::string& key : keys_)
        setUserSetting(key, valueName_, box_->isChecked() ? 1 : 0);
}

namespace {

std::vector<std::string> keysOf(const std::string& rowText) {
    if (rowText == ".jpg, .jpeg") return {".JPG", ".JPEG"};
    return {ascii::upper(rowText)};
}

}  // namespace

CJpegTypeDlg::CJpegTypeDlg(const std::string& rowText, QWidget* parent)
    : CheckTypeDialog(text(ascii::upper(rowText)), "::/Customize JPG.htm",
                      "&Unterstützung für Diaschau aktivieren", kSlideshowBox, keysOf(rowText),
                      std::string(settings::kSupportSlideshow.name), parent) {}

CTrashedTypeDlg::CTrashedTypeDlg(QWidget* parent)
    : CheckTypeDialog(text(".trashed"), "::/Customize .trashed Files dialog.htm",
                      ".trashed &Miniaturansichten und Icons rot ankreuzen", kCrossTrashedBox,
                      {std::string(settings::kTrashed)}, std::string(settings::kCrossImage.name),
                      parent) {}

}  // namespace tavrin::cpl
