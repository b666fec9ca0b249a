#include "viewer/colored_progress_ctrl.hpp"

#include <QPainter>

namespace tavrin::viewer {

CColoredProgressCtrl::CColoredProgressCtrl(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setTextVisible(false);
}

void CColoredProgressCtrl::setFinished(bool finished) {
    if (finished_ == finished) return;
    finished_ = finished;
    update();
}

void CColoredProgressCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, palette().color(QPalette::Base));
    // A sunken frame: black at the top and left, grey at the bottom and right.
    painter.setPen(Qt::black);
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
    const int span = maximum() - minimum();
    if (span <= 0) return;
    const int position = std::clamp(value(), minimum(), maximum()) - minimum();
    const int right = frame.width() * position / span;
    if (right <= 0) return;
    const QPalette::ColorRole role = finished_ ? QPalette::PlaceholderText : QPalette::Highlight;
    painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, right - 1, frame.height() - 2),
                     palette().color(QPalette::Active, role));
}

}  // namespace tavrin::viewer
