#pragma once
// The filmstrip: a list of the listed files with their thumbnails, along the bottom of the view
// when it is shown. Thumbnails come from the shell object on a worker thread of their own,
// only while the strip is visible, and never hold up a step.

#include <QListWidget>
#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

namespace tavrin::viewer {

class PictureList;

class CFilmstrip : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 150;
    static constexpr int kThumbnailSize = 100;

    explicit CFilmstrip(QWidget* parent);
    ~CFilmstrip() override;

    // One item per listed file: its name, and its thumbnail once made.
    void setFiles(const PictureList& list);
    // The items whose thumbnails have arrived.
    int thumbnailsMade() const { return made_; }

  signals:
    // A click on a file's item.
    void fileChosen(const QString& name);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void startThumbnails();
    void stopThumbnails();

    std::vector<std::filesystem::path> paths_;
    std::vector<bool> done_;
    int made_ = 0;
    std::atomic<bool> keepGoing_{false};
    std::thread worker_;
};

}  // namespace tavrin::viewer
