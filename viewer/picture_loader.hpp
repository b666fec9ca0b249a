#pragma once
// One load of the viewer: a file decoded into a picture on a worker thread of its own, with its
// own engine and shell object, cancelled through its progress sink.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "rawengine/decode_progress.hpp"
#include "viewer/display_picture.hpp"

namespace tavrin::viewer {

struct LoadRequest {
    std::filesystem::path path;
    std::string name;  // as listed, for the type key and the log
    int overrideViewMode = -1;
    int overrideWhiteBalance = -1;
    // The view's picture area, which the picture is fitted into ahead of its first paint.
    int areaWidth = 0;
    int areaHeight = 0;
};

// What a load gives: the picture, or none when the file could not be decoded.
struct LoadResult {
    std::string name;
    std::unique_ptr<DisplayPicture> picture;
    std::string infoText;
};

// The load step itself, on the calling thread: mode 0 through the shell object's preview, the
// others through the engine. Never throws: a failure of any kind gives no picture, with the
// status "Kann Bild nicht laden".
LoadResult loadPicture(const LoadRequest& request, raw::IDecodeProgress& progress);

// A load running on its own thread. Its progress goes to onStatus, and its result to onFinished,
// both called on the worker thread; onFinished is not called when the load was cancelled.
class PictureLoader final : public raw::IDecodeProgress {
  public:
    using StatusFn = std::function<void(int percent)>;
    using FinishedFn = std::function<void(std::uint64_t id, LoadResult result)>;

    PictureLoader(std::uint64_t id, LoadRequest request, const std::atomic<bool>& keepGoing,
                  StatusFn onStatus, FinishedFn onFinished);
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;
    // Waits for the thread.
    ~PictureLoader();

    std::uint64_t id() const { return id_; }
    const LoadRequest& request() const { return request_; }
    bool running() const { return running_; }
    void wait();

    void SetStatusId(unsigned stringId, int percent) override;
    void SetStatus(const raw::DecodeStatus& status, int percent) override;
    bool ShouldContinue() override { return keepGoing_; }

  private:
    void run();

    std::uint64_t id_;
    LoadRequest request_;
    const std::atomic<bool>& keepGoing_;
    StatusFn onStatus_;
    FinishedFn onFinished_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

}  // namespace tavrin::viewer
