#include "viewer/filmstrip.hpp"

#include <QPixmap>

#include "viewer/picture_list.hpp"
#include "viewer/shell_object_client.hpp"

namespace tavrin::viewer {

CFilmstrip::CFilmstrip(QWidget* parent) : QListWidget(parent) {
    setObjectName("100");
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit fileChosen(item->text()); });
    hide();
}

CFilmstrip::~CFilmstrip() {
    stopThumbnails();
}

void CFilmstrip::setFiles(const PictureList& list) {
    stopThumbnails();
    clear();
    paths_.clear();
    for (int i = 0; i < list.count(); ++i) {
        addItem(QString::fromStdString(list.name(i)));
        paths_.push_back(list.path(i));
    }
    done_.assign(paths_.size(), false);
    made_ = 0;
    if (isVisible()) startThumbnails();
}

void CFilmstrip::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    startThumbnails();
}

void CFilmstrip::hideEvent(QHideEvent* event) {
    stopThumbnails();
    QListWidget::hideEvent(event);
}

void CFilmstrip::startThumbnails() {
    if (worker_.joinable()) return;
    std::vector<std::pair<int, std::filesystem::path>> wanted;
    for (std::size_t i = 0; i < paths_.size(); ++i)
        if (!done_[i]) wanted.emplace_back(static_cast<int>(i), paths_[i]);
    if (wanted.empty()) return;
    keepGoing_ = true;
    worker_ = std::thread([this, wanted = std::move(wanted)] {
        for (const auto& [index, path] : wanted) {
            if (!keepGoing_) return;
            std::unique_ptr<imaging::Bitmap> picture = thumbnail(path, kThumbnailSize);
            QImage image;
            if (picture) {
                image = QImage(picture->row(0), picture->width(), picture->height(),
                               picture->stride(), QImage::Format_BGR888)
                            .copy();
            }
            QMetaObject::invokeMethod(
                this,
                [this, index, image] {
                    if (index >= count() || done_[static_cast<std::size_t>(index)]) return;
                    done_[static_cast<std::size_t>(index)] = true;
                    ++made_;
                    if (!image.isNull()) item(index)->setIcon(QPixmap::fromImage(image));
                },
                Qt::QueuedConnection);
        }
    });
}

void CFilmstrip::stopThumbnails() {
    keepGoing_ = false;
    if (worker_.joinable()) worker_.join();
}

}  // namespace tavrin::viewer
