#include "controlpanel/general_page.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "common/strings.hpp"
#include "controlpanel/associations.hpp"
#include "controlpanel/control_ids.hpp"
#include "controlpanel/qt_text.hpp"
#include "platform/registry/registry.hpp"

namespace tavrin::cpl {
namespace {

using registry::Root;
namespace names = settings;

constexpr unsigned kOpenVerbText = 501;
constexpr std::string_view kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr std::string_view kThumbnailSize = "ThumbnailSize";
constexpr int kFirstThumbnailSize = 40, kLastThumbnailSize = 250;

}  // namespace

CGeneralPage::CGeneralPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);

    associateBox_ = new QCheckBox(text("Unterstützte Dateien mit der &Tavrin-Vorschau verknüpfen"));
    associateBox_->setObjectName(controlName(kAssociateBox));
    layout->addWidget(associateBox_);

    auto* qualityGroup = new QGroupBox(text("Bildqualität"));
    quality_ = QualityControls::add(*new QGridLayout(qualityGroup), 0);
    layout->addWidget(qualityGroup);

    auto* balanceGroup = new QGroupBox(text("Weißabgleich"));
    whiteBalance_ = WhiteBalanceButtons::add(*new QVBoxLayout(balanceGroup), this,
                                             text("Automatischen &Weißabgleich durchführen"));
    layout->addWidget(balanceGroup);

    auto* brightnessGroup = new QGroupBox(text("Helligkeit"));
    auto* brightnessLayout = new QGridLayout(brightnessGroup);
    brightnessBar_ = new QSlider(Qt::Horizontal);
    brightnessBar_->setObjectName(controlName(kBrightnessSlider));
    brightnessBar_->setRange(-10, 10);
    // Ticks at 2, 4, ... 10; those the page asks for beyond the range do not show.
    brightnessBar_->setTickInterval(2);
    brightnessBar_->setTickPosition(QSlider::TicksBelow);
    brightnessBar_->setPageStep(1);
    brightnessText_ = new QLabel;
    brightnessText_->setObjectName(controlName(kBrightnessText));
    brightnessLayout->addWidget(new QLabel(text("-10")), 0, 0);
    brightnessLayout->addWidget(brightnessBar_, 0, 1);
    brightnessLayout->addWidget(new QLabel(text("+10")), 0, 2);
    brightnessLayout->addWidget(brightnessText_, 1, 1, Qt::AlignHCenter);
    layout->addWidget(brightnessGroup);

    auto* rowLayout = new QHBoxLayout;
    rowLayout->addWidget(new QLabel(text("Diaschau-Intervall (Sekunden):")));
    delay_ = new QSpinBox;
    delay_->setObjectName(controlName(kSlideshowDelay));
    delay_->setRange(0, 120);
    rowLayout->addWidget(delay_);
    rowLayout->addStretch();
    rowLayout->addWidget(new QLabel(text("Miniaturansichten:")));
    thumbnailList_ = new QComboBox;
    thumbnailList_->setObjectName(controlName(kThumbnailSizeList));
    for (int size = kFirstThumbnailSize; size <= kLastThumbnailSize; size += 10) {
        const QString entry = size == 100 ? QString("%1 x %2 (Standard)").arg(size).arg(size)
                                          : QString("%1 x %2").arg(size).arg(size);
        thumbnailList_->addItem(entry, size);
    }
    rowLayout->addWidget(thumbnailList_);
    layout->addLayout(rowLayout);
    layout->addStretch();

    load();

    connect(associateBox_, &QCheckBox::toggled, this, [this](bool on) {
        associate_ = on;
        setModified();
    });
    connect(quality_.slider, &QSlider::valueChanged, this, [this](int position) {
        const bool moved = position != viewMode_;
        viewMode_ = position;
        showViewMode();
        if (moved) setModified();
    });
    connect(brightnessBar_, &QSlider::valueChanged, this, [this](int position) {
        const bool moved = position != brightness_;
        brightness_ = position;
        showBrightness();
        if (moved) setModified();
    });
    connect(whiteBalance_.group, &QButtonGroup::idClicked, this, [this] { setModified(); });
    connect(delay_, &QSpinBox::valueChanged, this, [this] { setModified(); });
    connect(thumbnailList_, &QComboBox::activated, this, [this](int index) {
        thumbnailSize_ = index * 10 + kFirstThumbnailSize;
        setModified();
    });
}

void CGeneralPage::load() {
    associate_ =
        getUserSetting(names::kViewer, names::kViewerUse.name, names::kViewerUse.defaultValue) != 0;
    viewMode_ = static_cast<int>(getUserSetting(names::kViewer, names::kViewModeApplet.name,
                                                names::kViewModeApplet.defaultValue));
    brightness_ = getBrightnessIndex();
    const std::uint32_t balance =
        getUserSetting(names::kWhiteBalance, names::kWhiteBalanceModeGlobal.name,
                       names::kWhiteBalanceModeGlobal.defaultValue);
    const std::uint32_t delay = getUserSetting(names::kSlideshow, names::kSlideshowDelay.name,
                                               names::kSlideshowDelay.defaultValue);
    thumbnailSize_ = static_cast<int>(
        registry::queryDword(Root::CurrentUser, kExplorerKey, kThumbnailSize).value_or(100));

    associateBox_->setChecked(associate_);
    quality_.setMode(viewMode_);
    brightnessBar_->setValue(std::clamp(brightness_, -10, 10));
    whiteBalance_.select(balance);
    delay_->setValue(static_cast<int>(std::min<std::uint32_t>(delay, 120)));
    thumbnailList_->setCurrentIndex(
        std::clamp(thumbnailSize_ / 10 - 4, 0, thumbnailList_->count() - 1));
    showViewMode();
    showBrightness();
    modified_ = false;
}

int CGeneralPage::whiteBalance() const {
    return whiteBalance_.selected();
}

void CGeneralPage::setModified() {
    modified_ = true;
    emit changed();
}

void CGeneralPage::showViewMode() {
    quality_.showModeText();
    // White balance matters only when the viewer decodes the raw data.
    whiteBalance_.setEnabled(viewMode_ >= 2);
}

void CGeneralPage::showBrightness() {
    brightnessText_->setText(brightness_ == 0 ? QString("0")
                                              : QString::asprintf("%+d", brightness_));
}

bool CGeneralPage::apply() {
    setUserSetting(names::kViewer, names::kViewerUse.name, associate_ ? 1 : 0);
    setUserSetting(names::kViewer, names::kViewModeApplet.name,
                   static_cast<std::uint32_t>(viewMode_));
    setUserStringSetting(names::kViewer, names::kBrightnessIndex.name, std::to_string(brightness_));
    if (associate_) {
        const std::string app =
            registry::queryString(Root::ClassesRoot, "TavrinImage\\App", "").value_or("");
        registry::setValue(Root::ClassesRoot, "TavrinImage\\shell\\open\\command", "",
                           app.substr(0, 259) + " \"%1\"");
        registry::setValue(Root::ClassesRoot, "TavrinImage\\shell\\open", "",
                           std::string(strings::get(kOpenVerbText)));
    } else {
        registry::deleteKey(Root::ClassesRoot, "TavrinImage\\shell\\open\\command");
        registry::deleteKey(Root::ClassesRoot, "TavrinImage\\shell\\open");
        registry::deleteKey(Root::ClassesRoot, "TavrinImage\\shell");
    }
    setUserSetting(names::kSlideshow, names::kSlideshowDelay.name,
                   static_cast<std::uint32_t>(delay_->value()));
    if (registry::keyExists(Root::CurrentUser, kExplorerKey)) {
        registry::setValue(Root::CurrentUser, kExplorerKey, kThumbnailSize,
                           static_cast<std::uint32_t>(thumbnailSize_));
    }
    if (whiteBalance() >= 0) {
        setUserSetting(names::kWhiteBalance, names::kWhiteBalanceModeGlobal.name,
                       static_cast<std::uint32_t>(whiteBalance()));
    }
    modified_ = false;
    return true;
}

}  // namespace tavrin::cpl
