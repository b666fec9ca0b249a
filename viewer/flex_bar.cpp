#include "viewer/flex_bar.hpp"

namespace tavrin::viewer {

CFlexBar::CFlexBar(const QString& title, QWidget* frame)
    : QWidget(frame, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(title);
}

void CFlexBar::setContent(QWidget* content) {
    content_ = content;
    content_->setParent(this);
    content_->setGeometry(rect());
    content_->show();
}

void CFlexBar::setSize(int width, int height) {
    setFixedSize(width, height);
}

void CFlexBar::resizeEvent(QResizeEvent*) {
    if (content_) content_->setGeometry(rect());
}

}  // namespace tavrin::viewer
