#pragma once
// The histogram page's work: a worker loads the picture, counts its levels and renders a
// reduced preview; the page draws the preview and the histogram once the worker is done.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/imaging/painter.hpp"
#include "platform/ui/dialog.hpp"
#include "rawengine/decode_progress.hpp"
#include "resources/dialog_ids.hpp"

namespace tavrin::shell {

// counts[3 * level + channel], channels red, green, blue.
using LevelCounts = std::array<std::uint32_t, 768>;

void countLevels(const imaging::Bitmap& picture, LevelCounts& counts);
// The picture scaled to fit 366 x 300, centred on the dialog colour.
std::unique_ptr<imaging::Bitmap> renderPreview(const imaging::Bitmap& picture);
// The picture of a file as the page shows it; nothing when it cannot be loaded.
std::unique_ptr<imaging::Bitmap> loadPicture(const std::string& path,
                                             raw::IDecodeProgress* progress);

void drawHistogram(imaging::Painter& painter, const ui::RECT& r, const LevelCounts& counts,
                   bool running);

class HistogramJob final : public raw::IDecodeProgress {
  public:
    HistogramJob(std::string path, ui::Dialog* window);
    HistogramJob(const HistogramJob&) = delete;
    HistogramJob& operator=(const HistogramJob&) = delete;
    // Asks a running worker to stop and waits for it.
    ~HistogramJob();

    bool running() const { return running_; }
    // Read only while not running: the worker writes them before it ends.
    const LevelCounts& counts() const { return counts_; }
    const imaging::Bitmap* preview() const { return preview_.get(); }

    // The page shows no status line.
    void SetStatusId(unsigned, int) override {}
    void SetStatus(const raw::DecodeStatus&, int) override {}
    bool ShouldContinue() override { return running_; }

  private:
    void work();

    std::string path_;
    ui::Dialog* window_;
    LevelCounts counts_{};
    std::unique_ptr<imaging::Bitmap> preview_;
    std::atomic<bool> running_{true};
    std::thread thread_;  // last: starts when everything else exists
};

}  // namespace tavrin::shell
