#pragma once
// The pictures of the listed folder and the three decoded ones at hand (current, next and
// previous), loaded on worker threads and handed to the user-interface thread through queued
// calls, so that the list, the slots and the loaders are touched on that thread only.

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "viewer/picture_list.hpp"
#include "viewer/picture_loader.hpp"

namespace tavrin::viewer {

// A finished load held for showing: its picture, or none when the file could not be loaded.
struct PictureSlot {
    std::string name;
    std::unique_ptr<DisplayPicture> picture;
    std::string infoText;
};

class PictureBrowser : public QObject {
    Q_OBJECT
  public:
    // In a slideshow, files of types whose "SupportSlideshow" is 0 are skipped.
    explicit PictureBrowser(bool slideshowMode, QObject* parent = nullptr);
    ~PictureBrowser() override;

    PictureList& list() { return list_; }
    const PictureList& list() const { return list_; }

    // Makes the entry of that name current (the first one when none has it) and loads it.
    void selectAndLoad(const std::string& name);
    void next();
    void previous();
    // Renames the current file to its name + ".trashed" (never over an existing file) and steps
    // on; false, with the file left in the list, when the rename fails.
    bool putAside();
    // Drops every slot and loads the current file again (the decode settings changed).
    void reload();

    int currentIndex() const { return currentIndex_; }
    // The current file's finished load, or nothing while it is still loading.
    const PictureSlot* current() const { return slots_[Current] ? &*slots_[Current] : nullptr; }
    DisplayPicture* currentPicture() const {
        return slots_[Current] ? slots_[Current]->picture.get() : nullptr;
    }
    // The current file is being loaded.
    bool currentLoadRunning() const { return currentLoader_ != nullptr; }
    bool preloadRunning() const { return preloader_ != nullptr; }
    // A load step runs (the current file's or the next one's).
    bool loading() const;
    const PictureSlot* nextSlot() const { return slots_[Next] ? &*slots_[Next] : nullptr; }
    const PictureSlot* previousSlot() const {
        return slots_[Previous] ? &*slots_[Previous] : nullptr;
    }

    // The last percentage a load reported, which the progress bar's timer moves on.
    int progressPercent() const { return progressPercent_; }
    void setProgressPercent(int percent) { progressPercent_ = percent; }

    int overrideViewMode = -1;
    int overrideWhiteBalance = -1;
    // The size of the view's picture area, for loads started from now on.
    int areaWidth = 0;
    int areaHeight = 0;

  signals:
    // The current slot changed: a new picture to fit, or none.
    void currentChanged();
    // A finished load became the current picture (the slide timer starts from here).
    void pictureShown();
    // The selection moved: the file named is the current one now.
    void selected(const QString& name);
    // A load finished or started, which changes what the commands may do.
    void loadsChanged();

  private:
    enum SlotIndex { Current = 0, Next = 1, Previous = 2 };

    void selectIndex(int index);
    // The first index from index on (wrapping) that may be shown; -1 when none may.
    int showableFrom(int index) const;
    // Starts a load of the named file as loader.
    void startLoader(std::unique_ptr<PictureLoader>& loader, const std::string& name);
    void startPreload();
    void finished(std::uint64_t id, LoadResult result);
    void setImage(PictureSlot slot, bool fromPreloader);
    void cancelAndWait();
    // The slot's content, leaving it empty.
    std::optional<PictureSlot> take(SlotIndex index);
    // Replaces the slot's content; the old content is freed on a worker thread.
    void store(SlotIndex index, std::optional<PictureSlot> slot);
    void freeSlots();

    bool slideshowMode_;
    PictureList list_;
    int currentIndex_ = -1;
    std::array<std::optional<PictureSlot>, 3> slots_;
    std::unique_ptr<PictureLoader> currentLoader_;
    std::unique_ptr<PictureLoader> preloader_;
    std::atomic<bool> keepGoing_{true};
    std::uint64_t nextLoadId_ = 1;

    std::atomic<int> progressPercent_{0};
};

}  // namespace tavrin::viewer
