#include "viewer/picture_browser.hpp"

#include <QThreadPool>

#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "platform/system/files.hpp"
#include "platform/ui/message_box.hpp"
#include "resources/string_ids.hpp"
#include "viewer/decode_mode.hpp"

namespace tavrin::viewer {

PictureBrowser::PictureBrowser(bool slideshowMode, QObject* parent)
    : QObject(parent), slideshowMode_(slideshowMode) {}

int PictureBrowser::showableFrom(int index) const {
    if (!slideshowMode_) return list_.wrap(index);
    for (int tried = 0; tried < list_.count(); ++tried) {
        const int candidate = list_.wrap(index + tried);
        const std::string typeKey = typeKeyOf(list_.name(candidate));
        if (getUserSetting(typeKey, settings::kSupportSlideshow.name,
                           settings::kSupportSlideshow.defaultValue) != 0) {
            return candidate;
        }
    }
    return -1;
}

PictureBrowser::~PictureBrowser() {
    cancelAndWait();
}

bool PictureBrowser::loading() const {
    return (currentLoader_ && currentLoader_->running()) || (preloader_ && preloader_->running());
}

void PictureBrowser::startLoader(std::unique_ptr<PictureLoader>& loader, const std::string& name) {
    LoadRequest request{list_.folder() / name, name,      overrideViewMode,
                        overrideWhiteBalance,  areaWidth, areaHeight};
    const std::uint64_t id = nextLoadId_++;
    auto onStatus = [this](int percent) { progressPercent_ = percent; };
    auto onFinished = [this](std::uint64_t loadId, LoadResult result) {
        auto held = std::make_shared<LoadResult>(std::move(result));
        QMetaObject::invokeMethod(
            this, [this, loadId, held] { finished(loadId, std::move(*held)); },
            Qt::QueuedConnection);
    };
    loader = std::make_unique<PictureLoader>(id, std::move(request), keepGoing_,
                                             std::move(onStatus), std::move(onFinished));
    emit loadsChanged();
}

void PictureBrowser::cancelAndWait() {
    keepGoing_ = false;
    currentLoader_.reset();
    preloader_.reset();
    keepGoing_ = true;
}

std::optional<PictureSlot> PictureBrowser::take(SlotIndex index) {
    std::optional<PictureSlot> slot = std::move(slots_[index]);
    slots_[index].reset();
    return slot;
}

void PictureBrowser::store(SlotIndex index, std::optional<PictureSlot> slot) {
    // Freeing a large picture costs milliseconds the step should not wait for.
    if (slots_[index]) {
        auto dropped = std::make_shared<PictureSlot>(std::move(*slots_[index]));
        QThreadPool::globalInstance()->start([dropped]() mutable { dropped.reset(); });
    }
    slots_[index] = std::move(slot);
}

void PictureBrowser::freeSlots() {
    for (SlotIndex index : {Current, Next, Previous})
        store(index, std::nullopt);
}

void PictureBrowser::finished(std::uint64_t id, LoadResult result) {
    // A hand-over queued before its load was cancelled finds neither loader and is dropped.
    const bool fromPreloader = preloader_ && preloader_->id() == id;
    if (!fromPreloader && !(currentLoader_ && currentLoader_->id() == id)) return;
    setImage({std::move(result.name), std::move(result.picture), std::move(result.infoText)},
             fromPreloader);
}

void PictureBrowser::setImage(PictureSlot slot, bool fromPreloader) {
    const bool failed = !slot.picture;
    if (fromPreloader) {
        preloader_.reset();
        store(Next, std::move(slot));
    } else {
        currentLoader_.reset();
        store(Current, std::move(slot));
        emit currentChanged();
        emit pictureShown();
        startPreload();
    }
    if (!failed) progressPercent_ = 0;
    emit loadsChanged();
}

void PictureBrowser::selectIndex(int index) {
    currentIndex_ = list_.wrap(index);
    emit selected(QString::fromStdString(list_.name(currentIndex_)));
}

void PictureBrowser::selectAndLoad(const std::string& name) {
    cancelAndWait();
    if (list_.empty()) return;
    const int named = list_.indexOf(name);
    const int index = showableFrom(named < 0 ? 0 : named);
    freeSlots();
    if (index < 0) {
        emit currentChanged();
        return;
    }
    selectIndex(index);
    emit currentChanged();
    startLoader(currentLoader_, list_.name(currentIndex_));
}

void PictureBrowser::startPreload() {
    if (list_.count() < 2) return;
    if (!preloader_) {
        const int next = showableFrom(currentIndex_ + 1);
        if (next >= 0) startLoader(preloader_, list_.name(next));
        return;
    }
    // The file being preloaded is the current one now.
    currentLoader_ = std::move(preloader_);
    store(Previous, take(Current));
    store(Next, std::nullopt);
    emit currentChanged();
}

void PictureBrowser::next() {
    if (currentLoader_) cancelAndWait();
    if (list_.empty()) return;
    // The file preloaded or being preloaded is the next one.
    const int preloaded = slots_[Next] ? list_.indexOf(slots_[Next]->name)
                          : preloader_ ? list_.indexOf(preloader_->request().name)
                                       : -1;
    const int next = preloaded >= 0 ? preloaded : showableFrom(currentIndex_ + 1);
    if (next < 0) return;
    selectIndex(next);
    // A finished preload, picture or failure, is the new current slot.
    if (slots_[Next]) {
        store(Previous, take(Current));
        store(Current, take(Next));
        emit currentChanged();
        emit pictureShown();
    } else if (!preloader_) {
        // Nothing was preloaded (a single file, or the preload was cancelled): load it now.
        store(Previous, take(Current));
        emit currentChanged();
        startLoader(currentLoader_, list_.name(currentIndex_));
        return;
    }
    startPreload();
}

void PictureBrowser::previous() {
    cancelAndWait();
    if (list_.empty()) return;
    const int held = slots_[Previous] ? list_.indexOf(slots_[Previous]->name) : -1;
    selectIndex(held >= 0 ? held : currentIndex_ - 1);
    if (held >= 0) {
        store(Next, take(Current));
        store(Current, take(Previous));
        emit currentChanged();
        emit pictureShown();
        emit loadsChanged();
        return;
    }
    selectAndLoad(list_.name(currentIndex_));
}

bool PictureBrowser::putAside() {
    if (currentIndex_ < 0 || list_.empty()) return false;
    const std::filesystem::path from = list_.path(currentIndex_);
    std::filesystem::path to = from;
    to += ".trashed";
    if (!files::renameNoReplace(from, to)) {
        ui::MessageBoxA(nullptr, strings::format(strings::kRenameFailed, from.c_str()).c_str(),
                        std::string(strings::get(strings::kErrorCaption)).c_str(), ui::MB_ICONHAND);
        return false;
    }
    store(Current, std::nullopt);
    list_.remove(currentIndex_);
    --currentIndex_;
    if (list_.empty()) {
        cancelAndWait();
        freeSlots();
        currentIndex_ = -1;
        emit currentChanged();
        emit selected(QString());
        emit loadsChanged();
        return true;
    }
    next();
    return true;
}

void PictureBrowser::reload() {
    if (list_.empty() || currentIndex_ < 0) return;
    const std::string name = list_.name(currentIndex_);
    cancelAndWait();
    freeSlots();
    selectAndLoad(name);
}

}  // namespace tavrin::viewer
