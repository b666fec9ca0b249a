#include "viewer/picture_loader.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "common/log.hpp"
#include "engine_settings/decode_settings.hpp"
#include "rawengine/raw_engine.hpp"
#include "viewer/decode_mode.hpp"
#include "viewer/shell_object_client.hpp"

namespace tavrin::viewer {

namespace {

using com::FAILED;
using com::HRESULT;

constexpr unsigned kCannotLoad = 10004, kConverting = 10005, kMakingPreview = 10007;
constexpr int kLoaderNice = 5;

std::unique_ptr<imaging::Bitmap> decode(const LoadRequest& request, raw::IDecodeProgress& progress,
                                        HRESULT& result) {
    const std::string typeKey = typeKeyOf(request.name);
    int mode = viewModeFor(typeKey, request.overrideViewMode);

    raw::RawEngine engine;
    engine.ResetSession();
    int width = 0, height = 0, rotation = 0;
    std::string make, model;
    result =
        engine.OpenAndIdentify(request.path, &width, &height, &rotation, &make, &model, mode == 0);
    if (make.empty() && typeKey == ".TIF") mode = 0;
    char line[512];
    std::snprintf(line, sizeof line,
                  "Viewer identified the file %s as %s %s camera, dimensions %d x %d, rotation "
                  "angle %d",
                  request.name.c_str(), make.c_str(), model.c_str(), width, height, rotation);
    logLine(line);

    if (mode == 0) {
        progress.SetStatusId(kConverting, 95);
        progress.SetStatusId(kMakingPreview, 15);
        return embeddedPreview(request.path);
    }
    const auto whiteBalance = request.overrideWhiteBalance < 0
                                  ? raw::kWhiteBalanceFromSettings
                                  : static_cast<std::uint32_t>(request.overrideWhiteBalance);
    result = engine.OpenImageFile(request.path, &progress, mode == 1, mode == 1 || mode == 2,
                                  whiteBalance,
                                  engine_settings::decodeOptionsFor(request.path.native()));
    logLine("Viewer opened the full image for " + request.name);
    progress.SetStatusId(kConverting, 95);
    if (FAILED(result)) return nullptr;
    std::unique_ptr<imaging::Bitmap> bitmap = engine.CreateGdiplusBitmap();
    if (bitmap) {
        std::snprintf(line, sizeof line, "Viewer created bitmap image with sizes %d x %d for %s",
                      bitmap->width(), bitmap->height(), request.name.c_str());
        logLine(line);
    }
    return bitmap;
}

}  // namespace

LoadResult loadPicture(const LoadRequest& request, raw::IDecodeProgress& progress) {
    LoadResult loaded;
    loaded.name = request.name;
    // An engine that runs out of memory or fails in any other way ends this load, not the
    // viewer.
    try {
        HRESULT result = com::S_OK;
        std::unique_ptr<imaging::Bitmap> bitmap = decode(request, progress, result);
        if (bitmap) {
            loaded.picture = std::make_unique<DisplayPicture>(std::move(bitmap));
            loaded.picture->prepareFitted(request.areaWidth, request.areaHeight);
        }
        loaded.infoText = infoText(request.path);
    } catch (...) {
        loaded.picture.reset();
    }
    if (!loaded.picture) progress.SetStatusId(kCannotLoad, 0);
    return loaded;
}

PictureLoader::PictureLoader(std::uint64_t id, LoadRequest request,
                             const std::atomic<bool>& keepGoing, StatusFn onStatus,
                             FinishedFn onFinished)
    : id_(id),
      request_(std::move(request)),
      keepGoing_(keepGoing),
      onStatus_(std::move(onStatus)),
      onFinished_(std::move(onFinished)),
      thread_([this] { run(); }) {}

PictureLoader::~PictureLoader() {
    wait();
}

void PictureLoader::wait() {
    if (thread_.joinable()) thread_.join();
}

void PictureLoader::run() {
    // Decodes give way to the user-interface thread, which paints what they deliver.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kLoaderNice);
    LoadResult result = loadPicture(request_, *this);
    running_ = false;
    if (keepGoing_) onFinished_(id_, std::move(result));
}

// The view shows no status line; only the percentage moves the progress bar.
void PictureLoader::SetStatusId(unsigned, int percent) {
    onStatus_(percent);
}

void PictureLoader::SetStatus(const raw::DecodeStatus&, int percent) {
    onStatus_(percent);
}

}  // namespace tavrin::viewer
