#include "viewer/picture_view.hpp"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "common/log.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "common/strings.hpp"
#include "platform/system/process.hpp"
#include "viewer/decode_mode.hpp"
#include "viewer/filmstrip.hpp"
#include "viewer/viewer_settings_dlg.hpp"

namespace tavrin::viewer {

namespace {

constexpr unsigned kCannotLoad = 10004, kMakingPreview = 10007;
constexpr int kProgressInterval = 500;
constexpr std::string_view kCaptionFormat = "%1 - Tavrin Picture Viewer";

QString text(unsigned id) {
    const std::string_view s = strings::get(id);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string_view modeKey(bool slideshowMode) {
    return slideshowMode ? settings::kSlideshow : settings::kViewer;
}

}  // namespace

CPictureView::CPictureView(bool slideshowMode, QWidget* parent)
    : QWidget(parent), slideshowMode_(slideshowMode), browser_(slideshowMode) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    infoVisible_ = getUserSetting(modeKey(slideshowMode_), settings::kExifOnOff.name,
                                  settings::kExifOnOff.defaultValue) == 1;

    connect(&browser_, &PictureBrowser::currentChanged, this, [this] {
        fit();
        emit commandStatesChanged();
    });
    connect(&browser_, &PictureBrowser::selected, this, [this](const QString& name) {
        emit captionChanged(name.isEmpty() ? QString() : QString(kCaptionFormat.data()).arg(name));
    });
    connect(&browser_, &PictureBrowser::loadsChanged, this, [this] {
        update();
        emit commandStatesChanged();
    });
    connect(&browser_, &PictureBrowser::pictureShown, this, &CPictureView::startSlideTimer);
    connect(&progressTimer_, &QTimer::timeout, this, &CPictureView::tickProgress);
    slideTimer_.setSingleShot(true);
    slideTimer_.setTimerType(Qt::PreciseTimer);
    connect(&slideTimer_, &QTimer::timeout, this, &CPictureView::slideTimerFired);
    // Hidden: no command shows it.
    filmstrip_ = new CFilmstrip(this);
    connect(filmstrip_, &CFilmstrip::fileChosen, this,
            [this](const QString& name) { browser_.selectAndLoad(name.toStdString()); });
}

QRect CPictureView::pictureArea() const {
    QRect area = rect();
    if (filmstrip_->isVisible()) area.setBottom(area.bottom() - CFilmstrip::kHeight);
    return area;
}

CPictureView::~CPictureView() {
    setUserSetting(modeKey(slideshowMode_), settings::kExifOnOff.name, infoVisible_ ? 1 : 0);
}

bool CPictureView::open(const ViewerCommandLine& commandLine,
                        const std::filesystem::path& currentFolder) {
    std::filesystem::path folder = currentFolder;
    std::string first;
    if (!commandLine.fileToOpen.empty()) {
        const std::filesystem::path named = currentFolder / commandLine.fileToOpen;
        std::error_code ec;
        // A slideshow's one argument that names no file is its folder, readable or not.
        const bool namesFolder = commandLine.slideshowMode
                                     ? commandLine.slideshowFiles.empty()
                                     : std::filesystem::is_directory(named, ec);
        if (namesFolder) {
            folder = named;
        } else {
            folder = named.parent_path();
            first = named.filename().string();
        }
    }
    if (commandLine.slideshowMode) {
        logLine("Viewer started for slideshow");
        slideshowPaused_ = false;
    }
    logLine("Viewer selected current folder: " + folder.string());
    bool readable = true;
    if (commandLine.slideshowMode && commandLine.slideshowFiles.size() > 1) {
        browser_.list().listFiles(folder, commandLine.slideshowFiles);
    } else {
        readable = browser_.list().listFolder(folder);
    }
    filmstrip_->setFiles(browser_.list());
    progressTimer_.start(kProgressInterval);
    if (commandLine.slideshowMode && !commandLine.slideshowFiles.empty())
        first = commandLine.slideshowFiles.front();
    browser_.selectAndLoad(first);
    emit commandStatesChanged();
    return readable;
}

Size CPictureView::areaSize() const {
    const QRect area = pictureArea();
    return {area.width(), area.height()};
}

Size CPictureView::pictureSize() const {
    const DisplayPicture* picture = browser_.currentPicture();
    return picture ? Size{picture->width(), picture->height()} : Size{};
}

void CPictureView::fit() {
    browser_.areaWidth = pictureArea().width();
    browser_.areaHeight = pictureArea().height();
    if (hasPicture() && !pictureArea().isEmpty()) geometry_.fit(areaSize(), pictureSize());
    update();
    refreshInfoBar();
}

void CPictureView::refreshInfoBar() {
    if (infoVisible_) emit infoChanged();
}

void CPictureView::centreOn(float px, float py) {
    if (!hasPicture()) return;
    geometry_.centreOn(px, py, areaSize(), pictureSize());
    update();
}

void CPictureView::startSlideTimer() {
    if (!slideshowMode_ || slideshowPaused_) return;
    const auto delay = getUserSetting(settings::kSlideshow, settings::kSlideshowDelay.name,
                                      settings::kSlideshowDelay.defaultValue);
    slideTimer_.start(static_cast<int>(std::min<std::uint32_t>(delay, 86400) * 1000));
}

void CPictureView::slideTimerFired() {
    // A picture still being preloaded gets another whole period.
    if (browser_.preloadRunning()) {
        startSlideTimer();
        return;
    }
    if (browser_.list().count() > 1) command(ID_NEXT_IMAGE);
}

void CPictureView::zoomIn(bool setClickZoom) {
    if (setClickZoom) geometry_.setClickZoom(ClickZoom::In);
    if (!hasPicture()) return;
    geometry_.zoomIn(areaSize(), pictureSize());
    update();
    refreshInfoBar();
}

void CPictureView::zoomOut(bool setClickZoom) {
    if (setClickZoom) geometry_.setClickZoom(ClickZoom::Out);
    if (!hasPicture()) return;
    geometry_.zoomOut(areaSize(), pictureSize());
    update();
    refreshInfoBar();
}

void CPictureView::rotate(bool clockwise) {
    DisplayPicture* picture = browser_.currentPicture();
    if (!picture) return;
    picture->rotate(clockwise);
    fit();
}

void CPictureView::startSlideshow() {
    if (browser_.currentIndex() < 0) return;
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    process::startProgram(program, slideshowParameters(browser_.list().folder().string()));
}

void CPictureView::showSettings() {
    CViewerSettingsDlg dialog(browser_.overrideViewMode, browser_.overrideWhiteBalance, this);
    if (dialog.exec() != QDialog::Accepted) {
        browser_.overrideViewMode = browser_.overrideWhiteBalance = kNoOverride;
        return;
    }
    if (browser_.currentIndex() < 0) return;
    const std::string typeKey = typeKeyOf(browser_.list().name(browser_.currentIndex()));
    const int mode = dialog.viewMode();
    const bool changed = mode != viewModeFor(typeKey) ||
                         (mode >= 2 && dialog.whiteBalance() != whiteBalanceFor(typeKey));
    if (!changed) {
        if (browser_.overrideViewMode == kNoOverride) browser_.overrideViewMode = mode;
        return;
    }
    browser_.overrideViewMode = mode;
    browser_.overrideWhiteBalance = dialog.whiteBalance();
    browser_.reload();
}

void CPictureView::tickProgress() {
    browser_.setProgressPercent(browser_.progressPercent() + 1);
    emit progressChanged(browser_.progressPercent(), !browser_.currentLoadRunning(),
                         browser_.loading());
}

bool CPictureView::command(int id) {
    switch (id) {
        case ID_NEXT_IMAGE:
            slideTimer_.stop();
            browser_.next();
            break;
        case ID_PREVIOUS_IMAGE:
            slideTimer_.stop();
            browser_.previous();
            break;
        case ID_ZOOM_IN:
        case ID_ZOOM_IN_KEY:
            zoomIn(id == ID_ZOOM_IN);
            break;
        case ID_ZOOM_OUT:
        case ID_ZOOM_OUT_KEY:
            zoomOut(id == ID_ZOOM_OUT);
            break;
        case ID_OPTIMAL_HEIGHT:
        case ID_FIT_KEY:
            fit();
            break;
        case ID_ACTUAL_SIZE:
            if (hasPicture()) geometry_.actualSize(areaSize(), pictureSize());
            update();
            refreshInfoBar();
            break;
        case ID_MOVE:
            geometry_.setClickZoom(ClickZoom::None);
            break;
        case ID_ROTATE_CLOCKWISE:
        case ID_ROTATE_COUNTERCLOCKWISE:
            rotate(id == ID_ROTATE_CLOCKWISE);
            break;
        case ID_SLIDESHOW:
            startSlideshow();
            break;
        case ID_IMAGE_INFORMATION:
            infoVisible_ = !infoVisible_;
            emit infoVisibleChanged(infoVisible_);
            update();
            break;
        case ID_CUSTOMIZE_SETTINGS:
            showSettings();
            break;
        case ID_PUT_ASIDE:
            if (browser_.putAside()) filmstrip_->setFiles(browser_.list());
            update();
            break;
        case ID_PAUSE:
            slideshowPaused_ = !slideshowPaused_;
            if (slideshowPaused_) {
                slideTimer_.stop();
            } else {
                startSlideTimer();
            }
            break;
        default:
            return false;
    }
    emit commandStatesChanged();
    return true;
}

CommandState CPictureView::commandState(int id) const {
    const bool picture = hasPicture();
    const double zoom = geometry_.zoom();
    const ClickZoom click = geometry_.clickZoom();
    switch (id) {
        case ID_ZOOM_IN:
            return {picture && zoom < ViewGeometry::kMaxZoom && slideshowPaused_,
                    click == ClickZoom::In};
        case ID_ZOOM_OUT:
            return {picture && zoom > ViewGeometry::kMinZoom && slideshowPaused_,
                    click == ClickZoom::Out};
        case ID_ZOOM_IN_KEY:
            return {picture && zoom < ViewGeometry::kMaxZoom, click == ClickZoom::In};
        case ID_ZOOM_OUT_KEY:
            return {picture && zoom > ViewGeometry::kMinZoom, click == ClickZoom::Out};
        case ID_MOVE:
            return {picture, picture && click == ClickZoom::None};
        case ID_OPTIMAL_HEIGHT:
            return {picture && slideshowPaused_ && !geometry_.fitMode(), false};
        case ID_FIT_KEY:
            return {picture, false};
        case ID_ACTUAL_SIZE:
            return {picture && slideshowPaused_ && !geometry_.actualSizeMode(), false};
        case ID_ROTATE_CLOCKWISE:
        case ID_ROTATE_COUNTERCLOCKWISE:
        case ID_CUSTOMIZE_SETTINGS:
            return {picture && slideshowPaused_, false};
        case ID_PUT_ASIDE:
            return {picture, false};
        case ID_NEXT_IMAGE:
        case ID_PREVIOUS_IMAGE:
            return {browser_.list().count() > 1 && !browser_.currentLoadRunning(), false};
        case ID_SLIDESHOW:
            return {!browser_.list().empty(), slideshowMode_};
        case ID_IMAGE_INFORMATION:
            return {picture, infoVisible_ && picture};
        case ID_PAUSE:
            return {true, slideshowPaused_};
        default:
            return {true, false};
    }
}

void CPictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = pictureArea();
    painter.setClipRect(area);
    painter.fillRect(area, slideshowMode_ ? QColor(Qt::black) : palette().color(QPalette::Base));
    const DisplayPicture* picture = browser_.currentPicture();
    if (!picture) {
        QFont font("Arial");
        font.setPointSize(16);
        painter.setFont(font);
        painter.setPen(slideshowMode_ ? Qt::white : Qt::black);
        painter.drawText(area, Qt::AlignCenter,
                         text(browser_.currentLoadRunning() ? kMakingPreview : kCannotLoad));
        return;
    }
    const SourceRect& source = geometry_.source();
    const double zoom = geometry_.zoom();
    const QRectF visible = QRectF(source.x, source.y, source.width, source.height)
                               .intersected(QRectF(0, 0, picture->width(), picture->height()));
    if (visible.isEmpty()) return;
    const QRectF target(area.x() + (visible.x() - source.x) * zoom,
                        area.y() + (visible.y() - source.y) * zoom, visible.width() * zoom,
                        visible.height() * zoom);
    // The whole picture at the size that fits the view: the copy made for it.
    const QImage* fitted = picture->fitted(target.size());
    if (fitted && visible == QRectF(0, 0, picture->width(), picture->height())) {
        painter.drawImage(target.topLeft(), *fitted);
        return;
    }
    double scaleX = 1, scaleY = 1;
    const QImage& image = picture->imageFor(zoom, &scaleX, &scaleY);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom < 1);
    painter.drawImage(target, image,
                      QRectF(visible.x() * scaleX, visible.y() * scaleY, visible.width() * scaleX,
                             visible.height() * scaleY));
}

void CPictureView::resizeEvent(QResizeEvent*) {
    filmstrip_->setGeometry(0, height() - CFilmstrip::kHeight, width(), CFilmstrip::kHeight);
    fit();
}

void CPictureView::showEvent(QShowEvent*) {
    fit();
}

void CPictureView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragPoint_ = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void CPictureView::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->globalPosition().toPoint(), event->buttons(), event->modifiers());
    if (event->buttons() != Qt::LeftButton || event->modifiers() != Qt::NoModifier ||
        dragPoint_.isNull() || !hasPicture()) {
        return;
    }
    geometry_.setClickZoom(ClickZoom::None);
    const QPoint to = event->position().toPoint();
    geometry_.drag(dragPoint_.x(), dragPoint_.y(), to.x(), to.y(), areaSize(), pictureSize());
    dragPoint_ = to;
    update();
    refreshInfoBar();
    emit commandStatesChanged();
}

void CPictureView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) finishClick();
}

void CPictureView::finishClick() {
    if (hasPicture() && geometry_.clickZoom() != ClickZoom::None) {
        if (geometry_.clickZoom() == ClickZoom::In) {
            geometry_.zoomIn(areaSize(), pictureSize());
        } else {
            geometry_.zoomOut(areaSize(), pictureSize());
        }
        const QPoint centre = pictureArea().center();
        geometry_.drag(dragPoint_.x(), dragPoint_.y(), centre.x(), centre.y(), areaSize(),
                       pictureSize());
        update();
    }
    unsetCursor();
    dragPoint_ = QPoint();
    refreshInfoBar();
    emit commandStatesChanged();
}

}  // namespace tavrin::viewer
