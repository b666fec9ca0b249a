// The histogram page: loading by type, the level counts, the preview's placement, the drawing
// rules, and the page's worker from opening to closing.

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "platform/imaging/painter.hpp"
#include "resources/dialog_ids.hpp"
#include "shellext/surfaces/histogram.hpp"
#include "shellext/surfaces/property_pages.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace fixtures;

std::uint32_t pixel(const imaging::Bitmap& b, int x, int y) {
    const std::uint8_t* p = b.row(y) + 3 * x;
    return imaging::rgb(p[2], p[1], p[0]);
}

class Histogram : public test::TempRegistry {
  protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        const auto path = root() / name;
        std::filesystem::create_directories(path.parent_path());
        writeFile(path, bytes);
        return path.string();
    }
};

TEST_F(Histogram, loadsPicturesByTheTypeFromThePathsFirstDot) {
    const Bytes picture = jpeg(48, 32);
    const auto loaded = loadPicture(write("a.jpg", picture), nullptr);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->width(), 48);
    // A dot in a folder's name makes the type unknown: the RAW engine gets the file.
    EXPECT_FALSE(loadPicture(write("pics.2024/a.jpg", picture), nullptr));

    // A 16-bit PPM by the high bytes of its samples.
    Bytes ppm{'P', '6', '\n', '2', ' ', '1', '\n', '6', '5', '5', '3', '5', '\n'};
    for (const std::uint8_t b :
         {0x12, 0xFF, 0x34, 0x00, 0x56, 0x01, 0xAB, 0x00, 0xCD, 0x00, 0xEF, 0x00})
        ppm.push_back(b);
    const auto wide = loadPicture(write("b.ppm", ppm), nullptr);
    ASSERT_TRUE(wide);
    EXPECT_EQ(pixel(*wide, 0, 0), imaging::rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(pixel(*wide, 1, 0), imaging::rgb(0xAB, 0xCD, 0xEF));
    ppm.resize(ppm.size() - 1);  // one byte short
    EXPECT_FALSE(loadPicture(write("c.ppm", ppm), nullptr));
}

TEST_F(Histogram, countsLevelsAndCentresThePreview) {
    auto wide = imaging::Bitmap::create(3000, 2000);
    wide->clear(0xFF102030);
    LevelCounts counts{};
    countLevels(*wide, counts);
    EXPECT_EQ(counts[3 * 0x10 + 0], 6000000u);
    EXPECT_EQ(counts[3 * 0x20 + 1], 6000000u);
    EXPECT_EQ(counts[3 * 0x30 + 2], 6000000u);

    const auto preview = renderPreview(*wide);
    ASSERT_EQ(preview->width(), resources::kPreviewWidth);
    ASSERT_EQ(preview->height(), resources::kPreviewHeight);
    EXPECT_EQ(pixel(*preview, 0, 27), 0xF0F0F0u);
    EXPECT_EQ(pixel(*preview, 0, 28), imaging::rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(pixel(*preview, 365, 271), imaging::rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(pixel(*preview, 365, 272), 0xF0F0F0u);

    auto exact = imaging::Bitmap::create(resources::kPreviewWidth, resources::kPreviewHeight);
    exact->clear(0xFF405060);
    const auto same = renderPreview(*exact);
    EXPECT_EQ(pixel(*same, 0, 0), imaging::rgb(0x40, 0x50, 0x60));
    EXPECT_EQ(pixel(*same, 365, 299), imaging::rgb(0x40, 0x50, 0x60));
}

// A sink that stops the decode at its first question.
struct Cancel final : raw::IDecodeProgress {
    void SetStatusId(unsigned, int) override {}
    void SetStatus(const raw::DecodeStatus&, int) override {}
    bool ShouldContinue() override { return false; }
};

TEST_F(Histogram, decodesRawFilesAtFullSizeUnlessCancelled) {
    const auto crw = test::sample("digicam_corpus/Canon/PowerShot S40/CRW_0101.CRW");
    TAVRIN_REQUIRE_SAMPLE(crw);
    const auto picture = loadPicture(crw.string(), nullptr);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 2312);  // the visible sensor, with the border kept
    EXPECT_EQ(picture->height(), 1720);
    LevelCounts counts{};
    countLevels(*picture, counts);
    EXPECT_GT(std::accumulate(counts.begin() + 3 * 64, counts.end(), 0u), 0u);
    Cancel cancel;
    EXPECT_FALSE(loadPicture(crw.string(), &cancel));
}

TEST_F(Histogram, drawsCurvesOnlyForCountedLevels) {
    const ui::RECT r{0, 0, 255, 118};
    const auto draw = [&](const LevelCounts& counts, bool running) {
        auto target = imaging::Bitmap::create(256, 119);
        target->clear(0xFFFFFFFF);
        imaging::Painter painter(*target);
        drawHistogram(painter, r, counts, running);
        return target;
    };
    const auto hasColour = [](const imaging::Bitmap& b, std::uint32_t colour) {
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 255; ++x) {
                if (pixel(b, x, y) == colour) return true;
            }
        }
        return false;
    };
    LevelCounts counts{};
    for (int c = 0; c < 3; ++c)
        counts[3 * 255 + c] = 1000;  // all 255: the highest counted level has nothing
    auto drawn = draw(counts, false);
    EXPECT_EQ(pixel(*drawn, 10, 10), imaging::rgb(0x80, 0x80, 0x80));
    EXPECT_EQ(pixel(*drawn, 64, 10), imaging::rgb(255, 255, 255));  // the dotted grid
    EXPECT_EQ(pixel(*drawn, 200, 118), imaging::rgb(0, 0, 200));    // the blue ramp
    EXPECT_EQ(pixel(*drawn, 200, 108), imaging::rgb(0, 200, 0));    // the green ramp
    EXPECT_FALSE(hasColour(*drawn, imaging::rgb(255, 0, 0)));

    for (int v = 0; v < 256; ++v)
        counts[3 * v] = 50;
    EXPECT_TRUE(hasColour(*draw(counts, false), imaging::rgb(255, 0, 0)));
    EXPECT_FALSE(hasColour(*draw(counts, true), imaging::rgb(255, 0, 0)));  // not while loading
}

TEST_F(Histogram, thePageRunsItsWorkerAndDrawsWhenItIsDone) {
    ImageInfo info;
    info.filePath = write("a.jpg", jpeg(60, 30));
    std::vector<ui::HPROPSHEETPAGE> pages;
    const auto collect = [](ui::HPROPSHEETPAGE page, ui::LPARAM list) -> ui::BOOL {
        reinterpret_cast<std::vector<ui::HPROPSHEETPAGE>*>(list)->push_back(page);
        return 1;
    };
    ASSERT_EQ(addPropertyPages(nullptr, info, {}, collect, reinterpret_cast<ui::LPARAM>(&pages)),
              com::S_OK);
    ASSERT_EQ(pages.size(), 2u);
    const ui::PROPSHEETPAGEA& page = ui::pageDescription(pages[1]);
    EXPECT_EQ(page.templateId, resources::kHistogramPageTemplate);
    EXPECT_EQ(ui::pageTitle(pages[1]), "Histogramm");

    ui::Dialog dialog(page.pfnDlgProc);
    dialog.send(ui::WM_INITDIALOG);
    ASSERT_TRUE(dialog.waitForRepaint(std::chrono::seconds(30)));
    auto target = imaging::Bitmap::create(resources::kPreviewWidth, resources::kPreviewHeight);
    imaging::Painter painter(*target);
    const ui::DRAWITEMSTRUCT item{resources::kPreviewControl,
                                  &painter,
                                  {0, 0, resources::kPreviewWidth, resources::kPreviewHeight}};
    dialog.send(ui::WM_DRAWITEM, resources::kPreviewControl, reinterpret_cast<ui::LPARAM>(&item));
    EXPECT_EQ(pixel(*target, 0, 0), 0xF0F0F0u);      // above the 366 x 183 picture
    EXPECT_NE(pixel(*target, 183, 150), 0xF0F0F0u);  // the picture
    dialog.send(ui::WM_DESTROY);

    // Closed at once: the worker is stopped and waited for.
    ui::Dialog closed(page.pfnDlgProc);
    closed.send(ui::WM_INITDIALOG);
    closed.send(ui::WM_DESTROY);
    EXPECT_EQ(closed.userData, 0);
    for (ui::HPROPSHEETPAGE p : pages)
        ui::DestroyPropertySheetPage(p);
}

}  // namespace
}  // namespace tavrin::shell
