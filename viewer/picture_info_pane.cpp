#include "viewer/picture_info_pane.hpp"

#include <QMouseEvent>
#include <QPainter>

#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "common/strings.hpp"
#include "viewer/flex_bar.hpp"
#include "viewer/histogram_plot.hpp"
#include "viewer/navigation_pane.hpp"
#include "viewer/picture_view.hpp"

namespace tavrin::viewer {

namespace {

constexpr std::array<unsigned, 3> kTitles = {10010, 10011, 10012};
constexpr int kInformation = 0, kHistogram = 1, kNavigation = 2;
const QColor kHeaderEdge(150, 150, 150);
const QColor kHeaderFill(0, 0, 160);
const QColor kInformationFill(200, 200, 200);

std::string_view modeKey(bool slideshowMode) {
    return slideshowMode ? settings::kSlideshow : settings::kViewer;
}

}  // namespace

CPictureInfoPane::CPictureInfoPane(CPictureView& view, bool slideshowMode, CFlexBar& bar)
    : QWidget(&bar), view_(view), slideshowMode_(slideshowMode), bar_(bar) {
    setObjectName("1234");
    setWindowTitle("Image Info View");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const std::uint32_t state =
        getUserSetting(modeKey(slideshowMode_), settings::kExifWindowsState.name,
                       settings::kExifWindowsState.defaultValue);
    for (int i = 0; i < 3; ++i)
        open_[static_cast<std::size_t>(i)] = (state >> i) & 1;
    navigation_ = new CNavigationPane(view_, this);
    bar_.setContent(this);
    layoutSections();
}

CPictureInfoPane::~CPictureInfoPane() {
    std::uint32_t state = 0;
    for (int i = 0; i < 3; ++i)
        state |= (open_[static_cast<std::size_t>(i)] ? 1u : 0u) << i;
    setUserSetting(modeKey(slideshowMode_), settings::kExifWindowsState.name, state);
}

int CPictureInfoPane::barHeight() const {
    int height = 3 * kHeaderHeight + 4;
    for (int i = 0; i < 3; ++i)
        if (sectionOpen(i)) height += kBodyHeights[static_cast<std::size_t>(i)];
    return height;
}

QRect CPictureInfoPane::headerRect(int section) const {
    int top = kHeaderHeight * section;
    for (int i = 0; i < section; ++i)
        if (sectionOpen(i)) top += kBodyHeights[static_cast<std::size_t>(i)];
    return QRect(0, top, kWidth, kHeaderHeight);
}

QRect CPictureInfoPane::bodyRect(int section) const {
    const QRect header = headerRect(section);
    return QRect(0, header.bottom() + 1, kWidth, kBodyHeights[static_cast<std::size_t>(section)]);
}

void CPictureInfoPane::layoutSections() {
    bar_.setSize(kWidth, barHeight());
    navigation_->setGeometry(bodyRect(kNavigation));
    navigation_->setVisible(sectionOpen(kNavigation));
    update();
}

void CPictureInfoPane::toggleSection(int section) {
    open_[static_cast<std::size_t>(section)] = !open_[static_cast<std::size_t>(section)];
    layoutSections();
}

void CPictureInfoPane::refresh() {
    update();
    navigation_->update();
}

void CPictureInfoPane::resizeEvent(QResizeEvent*) {
    navigation_->setGeometry(bodyRect(kNavigation));
}

int CPictureInfoPane::sectionAt(const QPoint& point) const {
    for (int i = 0; i < 3; ++i)
        if (headerRect(i).contains(point)) return i;
    return -1;
}

void CPictureInfoPane::mouseMoveEvent(QMouseEvent* event) {
    if (sectionAt(event->position().toPoint()) >= 0) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void CPictureInfoPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int section = sectionAt(event->position().toPoint());
    if (section >= 0) toggleSection(section);
}

void CPictureInfoPane::drawHeader(QPainter& painter, int section) {
    const QRect header = headerRect(section);
    painter.setPen(kHeaderEdge);
    painter.setBrush(kHeaderFill);
    painter.drawRect(header.adjusted(0, 0, -1, -1));
    const std::string_view title = strings::get(kTitles[static_cast<std::size_t>(section)]);
    painter.setPen(Qt::white);
    painter.drawText(header.adjusted(6, 0, -24, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    // A triangle pointing up for an open section, down for a closed one.
    const double cx = header.right() - 12, cy = header.center().y() + 0.5;
    const double d = sectionOpen(section) ? -3 : 3;
    const QPolygonF glyph{{QPointF(cx - 4, cy - d), QPointF(cx + 4, cy - d), QPointF(cx, cy + d)}};
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(glyph);
}

void CPictureInfoPane::drawInformation(QPainter& painter, const QRect& body) {
    painter.fillRect(body, kInformationFill);
    const PictureSlot* slot = view_.browser().current();
    if (!slot) return;
    painter.save();
    painter.setClipRect(body);
    painter.setPen(Qt::black);
    const int lineHeight = painter.fontMetrics().height();
    // One line per line feed, without wrapping; lines below the body are not drawn.
    const std::string& text = slot->infoText;
    int y = body.top();
    for (std::size_t start = 0; start <= text.size() && y < body.bottom(); y += lineHeight) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        painter.drawText(
            QPoint(body.left() + 2, y + painter.fontMetrics().ascent()),
            QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start)));
        start = end + 1;
    }
    painter.restore();
}

void CPictureInfoPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    for (int i = 0; i < 3; ++i)
        drawHeader(painter, i);
    if (sectionOpen(kInformation)) drawInformation(painter, bodyRect(kInformation));
    if (sectionOpen(kHistogram)) {
        const DisplayPicture* picture = view_.browser().currentPicture();
        drawHistogram(painter, bodyRect(kHistogram), picture ? &picture->histogram() : nullptr);
    }
}

}  // namespace tavrin::viewer
