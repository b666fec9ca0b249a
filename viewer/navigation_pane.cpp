#include "viewer/navigation_pane.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "viewer/picture_view.hpp"

namespace tavrin::viewer {

CNavigationPane::CNavigationPane(CPictureView& view, QWidget* parent)
    : QWidget(parent), view_(view) {
    setObjectName("110");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QPoint CNavigationPane::thumbnailOffset(const QSize& thumbnail) const {
    return {std::max(0, (width() - thumbnail.width()) / 2),
            std::max(0, (height() - thumbnail.height()) / 2)};
}

void CNavigationPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const DisplayPicture* picture = view_.browser().currentPicture();
    if (!picture) return;
    const QImage& thumbnail = picture->navigationThumbnail();
    const QPoint offset = thumbnailOffset(thumbnail.size());
    painter.drawImage(offset, thumbnail);
    const SourceRect& source = view_.viewGeometry().source();
    const double sx = static_cast<double>(thumbnail.width()) / picture->width();
    const double sy = static_cast<double>(thumbnail.height()) / picture->height();
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = QRect(static_cast<int>(offset.x() + source.x * sx),
                       static_cast<int>(offset.y() + source.y * sy),
                       static_cast<int>(source.width * sx), static_cast<int>(source.height * sy));
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(focus.rect.adjusted(0, 0, -1, -1));
}

void CNavigationPane::centreOn(const QPoint& panePoint) {
    const DisplayPicture* picture = view_.browser().currentPicture();
    if (!picture) return;
    const QImage& thumbnail = picture->navigationThumbnail();
    const QPoint offset = thumbnailOffset(thumbnail.size());
    const float px = static_cast<float>((panePoint.x() - offset.x()) *
                                        static_cast<double>(picture->width()) / thumbnail.width());
    const float py = static_cast<float>(
        (panePoint.y() - offset.y()) * static_cast<double>(picture->height()) / thumbnail.height());
    view_.centreOn(px, py);
}

void CNavigationPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setCursor(Qt::ClosedHandCursor);
    centreOn(event->position().toPoint());
    view_.finishClick();
}

void CNavigationPane::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::LeftButton) return;
    centreOn(event->position().toPoint());
    update();
}

void CNavigationPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) unsetCursor();
}

}  // namespace tavrin::viewer
