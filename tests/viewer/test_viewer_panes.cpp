// The slideshow and the information bar: the slide timer, the types a show skips, the three
// sections, the histogram's scale, the navigation pane and what a step repaints.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "tests/viewer/viewer_window_fixture.hpp"
#include "viewer/filmstrip.hpp"
#include "viewer/flex_bar.hpp"
#include "viewer/histogram_plot.hpp"
#include "viewer/navigation_pane.hpp"
#include "viewer/picture_info_pane.hpp"

namespace tavrin::viewer {
namespace {

class Slideshow : public ViewerWindow {
  protected:
    void writePictures(std::initializer_list<const char*> names) {
        for (const char* name : names)
            fixtures::writeFile(folder_ / name, fixtures::jpeg(64, 48));
    }
    std::string currentName() {
        return browser().current() ? browser().current()->name : std::string();
    }
};

TEST_F(Slideshow, slidesChangeAfterTheDelayReadEachTime) {
    writePictures({"a.jpg", "b.jpg", "c.jpg"});
    setUserSetting("Slideshow", "Delay", 1);
    open({"-s", folder_.string()}, true);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(currentName(), "a.jpg");
    EXPECT_FALSE(frame_->view().slideshowPaused());
    EXPECT_FALSE(frame_->action(ID_ZOOM_IN)->isEnabled());  // disabled while the show runs
    EXPECT_TRUE(frame_->action(ID_ZOOM_IN_KEY)->isEnabled());
    EXPECT_TRUE(frame_->action(ID_SLIDESHOW)->isChecked());

    EXPECT_TRUE(waitFor([&] { return currentName() == "b.jpg"; }, 3000));
    setUserSetting("Slideshow", "Delay", 2);  // read when the next slide's timer starts
    EXPECT_TRUE(waitFor([&] { return currentName() == "c.jpg"; }, 3000));
    EXPECT_FALSE(waitFor([&] { return currentName() == "a.jpg"; }, 1300));
    EXPECT_TRUE(waitFor([&] { return currentName() == "a.jpg"; }, 3000));

    run(ID_PAUSE);
    EXPECT_TRUE(frame_->view().slideshowPaused());
    EXPECT_TRUE(frame_->action(ID_ZOOM_IN)->isEnabled());
    EXPECT_FALSE(waitFor([&] { return currentName() != "a.jpg"; }, 2500));
    run(ID_PAUSE);
    EXPECT_TRUE(waitFor([&] { return currentName() == "b.jpg"; }, 3000));  // the show loops
}

TEST_F(Slideshow, aSlowDecodeLengthensTheSlideByWholePeriods) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    for (const char* type : {".JPG", ".THM"})
        setUserSetting(type, "SupportSlideshow", 0);
    setUserSetting("Viewer", "ViewMode", 2);  // full-size decodes: slower than the delay
    setUserSetting("Slideshow", "Delay", 1);
    open({"-s", folder_.string()}, true);
    std::vector<QElapsedTimer> shown;
    QObject::connect(&browser(), &PictureBrowser::pictureShown, [&] {
        shown.emplace_back();
        shown.back().start();
    });
    ASSERT_TRUE(waitFor([&] { return shown.size() >= 3; }, 120000));
    for (std::size_t i = 1; i < shown.size(); ++i) {
        const double seconds = (shown[i - 1].nsecsElapsed() - shown[i].nsecsElapsed()) / 1e9;
        EXPECT_GE(seconds, 0.95);
        EXPECT_NEAR(seconds, std::round(seconds), 0.25) << "a slide of " << seconds << " s";
    }
}

TEST_F(Slideshow, skipsTypesWithoutSlideshowSupport) {
    writePictures({"a.jpg", "b.thm", "c.jpg"});
    setUserSetting(".THM", "SupportSlideshow", 0);
    setUserSetting("Slideshow", "Delay", 1);
    open({"-s", folder_.string()}, true);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(currentName(), "a.jpg");
    ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; }));
    EXPECT_EQ(browser().nextSlot()->name, "c.jpg");
    EXPECT_TRUE(waitFor([&] { return currentName() == "c.jpg"; }, 3000));
}

TEST_F(Slideshow, nothingIsShownWhenNoTypeTakesPart) {
    writePictures({"a.jpg", "b.jpg"});
    setUserSetting(".JPG", "SupportSlideshow", 0);
    open({"-s", folder_.string()}, true);
    waitFor([] { return false; }, 200);
    EXPECT_EQ(browser().current(), nullptr);
    EXPECT_FALSE(browser().loading());
}

TEST_F(Slideshow, oneAcceptableFileStays) {
    writePictures({"a.jpg", "b.NEF"});  // .nef is not associated
    setUserSetting("Slideshow", "Delay", 1);
    open({"-s", folder_.string()}, true);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_FALSE(frame_->action(ID_NEXT_IMAGE)->isEnabled());
    EXPECT_FALSE(waitFor([&] { return browser().current() == nullptr; }, 1500));
    EXPECT_EQ(currentName(), "a.jpg");
}

TEST_F(Slideshow, givenFilesAreShownInTheirOrder) {
    writePictures({"a.jpg", "b.jpg", "c.jpg"});
    open({"-s", (folder_ / "c.jpg").string(), (folder_ / "a.jpg").string()}, true);
    ASSERT_EQ(browser().list().count(), 2);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(currentName(), "c.jpg");
}

TEST_F(Slideshow, anUnreadableFolderEndsWithAMessage) {
    open({"-s", (folder_ / "gone").string()}, true);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("gone"), std::string::npos);
    EXPECT_TRUE(waitFor([&] { return !frame_->isVisible(); }, 2000));
}

TEST_F(Slideshow, windowScreenshot) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    open({"-s", folder_.string()}, true);
    ASSERT_TRUE(waitForCurrent());
    frame_->resize(1000, 700);
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame_->grab().save("viewer-slideshow.png"));
}

using InfoBar = ViewerWindow;

TEST_F(InfoBar, sectionsSetTheBarsSizeAndAreKept) {
    CMainFrame& frame = open({});
    CPictureInfoPane& pane = frame.infoPane();
    EXPECT_EQ(frame.infoBar().size(), QSize(280, 569));
    for (int section = 0; section < 3; ++section)
        pane.toggleSection(section);
    EXPECT_EQ(frame.infoBar().size(), QSize(280, 64));
    EXPECT_EQ(pane.headerRect(2), QRect(0, 40, 280, 20));
    pane.toggleSection(1);
    EXPECT_EQ(frame.infoBar().size(), QSize(280, 189));
    EXPECT_EQ(pane.headerRect(2), QRect(0, 165, 280, 20));
    frame_.reset();
    EXPECT_EQ(getUserSetting("Viewer", "EXIFWindowsState", 9), 2u);
    EXPECT_EQ(getUserSetting("Slideshow", "EXIFWindowsState", 9), 9u);
}

TEST_F(InfoBar, showsTheCurrentFilesDataAndIsPaintedOnlyWhenShown) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    CMainFrame& frame = open({"CRW_0104.CRW"});
    ASSERT_TRUE(waitForCurrent());
    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++*count;
            return false;
        }
    } counter;
    counter.count = &paints;
    frame.infoPane().installEventFilter(&counter);
    ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; }));
    run(ID_NEXT_IMAGE);
    waitFor([] { return false; }, 100);
    EXPECT_EQ(paints, 0);  // hidden: a step does not repaint it

    run(ID_IMAGE_INFORMATION);
    EXPECT_TRUE(frame.infoBar().isVisible());
    EXPECT_TRUE(frame.action(ID_IMAGE_INFORMATION)->isChecked());
    ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; }));
    paints = 0;
    run(ID_NEXT_IMAGE);
    EXPECT_TRUE(waitFor([&] { return paints > 0; }, 2000));
    EXPECT_TRUE(frame.infoBar().grab().save("viewer-information-bar.png"));
    frame_.reset();
    EXPECT_EQ(getUserSetting("Viewer", "EXIFOnOff", 9), 1u);
}

TEST_F(InfoBar, navigationDragStopsAtThePicturesEdges) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    CMainFrame& frame = open({"IMG_0108.JPG"});
    ASSERT_TRUE(waitForCurrent());
    run(ID_ZOOM_IN);
    run(ID_ZOOM_IN);
    auto* navigation = frame.infoPane().findChild<CNavigationPane*>("110");
    ASSERT_NE(navigation, nullptr);
    const auto drag = [&](QPoint to) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(138, 100), QPointF(138, 100),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(navigation, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(navigation, &move);
    };
    const SourceRect& source = frame.view().viewGeometry().source();
    drag({-500, -500});
    EXPECT_LE(source.x, 1);
    EXPECT_GE(source.x, 0);
    EXPECT_LE(source.y, 1);
    EXPECT_GE(source.y, 0);
    drag({5000, 5000});
    EXPECT_FLOAT_EQ(source.x + source.width, 2272);
    EXPECT_FLOAT_EQ(source.y + source.height, 1704);
}

TEST_F(InfoBar, filmstripShowsThumbnailsAndChoosesFiles) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        fixtures::writeFile(folder_ / name, fixtures::jpeg(300, 200));
    CMainFrame& frame = open({"a.jpg"});
    ASSERT_TRUE(waitForCurrent());
    CPictureView& view = frame.view();
    CFilmstrip& strip = view.filmstrip();
    EXPECT_FALSE(strip.isVisible());
    EXPECT_EQ(strip.count(), 3);
    waitFor([] { return false; }, 200);
    EXPECT_EQ(strip.thumbnailsMade(), 0);  // none made for a hidden strip

    strip.show();
    view.fit();
    EXPECT_EQ(view.pictureArea().height(), 700 - CFilmstrip::kHeight);
    EXPECT_DOUBLE_EQ(view.viewGeometry().zoom(), 1.0);
    ASSERT_TRUE(waitFor([&] { return strip.thumbnailsMade() == 3; }));
    EXPECT_FALSE(strip.item(1)->icon().isNull());
    emit strip.itemClicked(strip.item(2));
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().current()->name, "c.jpg");
}

TEST(HistogramPlot, aFlatColourStaysInsideThePlot) {
    Histogram flat{};
    flat[3 * 120] = flat[3 * 120 + 1] = flat[3 * 120 + 2] = 1'000'000;
    const double scale = histogramScale(flat);
    // One spike: scaled by the average (1e6 * 3 / 768 = 3906), not by the spike.
    EXPECT_NEAR(scale, 0.04 * 3906.25, 1e-9);
    Histogram single{};
    single[3 * 7] = single[3 * 7 + 1] = single[3 * 7 + 2] = 1;  // a picture of one pixel
    EXPECT_GT(histogramScale(single), 0);
    EXPECT_EQ(histogramScale(Histogram{}), 0);  // all light: nothing counted below 255

    for (const Histogram* counts : {&flat, &single}) {
        QImage image(280, 145, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        const QRect body(0, 20, 280, 125);
        drawHistogram(painter, body, counts);
        painter.end();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool inside = body.contains(x, y);
                EXPECT_EQ(image.pixel(x, y) == qRgb(255, 0, 255), !inside) << x << "," << y;
            }
    }
}

TEST_F(InfoBar, longInformationTextsAndTinyPicturesDrawInTheirRectangles) {
    fixtures::writeFile(folder_ / "tiny.jpg", fixtures::jpeg(1, 1));
    CMainFrame& frame = open({"tiny.jpg"});
    ASSERT_TRUE(waitForCurrent());
    run(ID_IMAGE_INFORMATION);
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "Zeile " + std::to_string(i) + "\n";
    const_cast<PictureSlot*>(browser().current())->infoText = text;
    const QImage shot = frame.infoPane().grab().toImage();
    ASSERT_EQ(shot.size(), QSize(280, 569));
    CPictureInfoPane& pane = frame.infoPane();
    // Text is drawn in the information body, and none of it runs into the next header.
    const QRect body = pane.bodyRect(0);
    bool inked = false;
    for (int y = body.top(); y <= body.bottom() && !inked; ++y)
        for (int x = body.left(); x <= body.right(); ++x)
            if (qGray(shot.pixel(x, y)) < 100) inked = true;
    EXPECT_TRUE(inked);
    const QRect header = pane.headerRect(1);
    int black = 0;  // the header is blue, grey and white: black here is text run over
    for (int y = header.top(); y <= header.bottom(); ++y)
        for (int x = header.left(); x <= header.right(); ++x)
            black += qMax(qMax(qRed(shot.pixel(x, y)), qGreen(shot.pixel(x, y))),
                          qBlue(shot.pixel(x, y))) < 60;
    EXPECT_EQ(black, 0);
    // The one-pixel picture's histogram stays inside its body.
    const QRect histogram = pane.bodyRect(1);
    EXPECT_EQ(shot.pixel(histogram.right() - 2, histogram.bottom()), qRgb(200, 200, 200));
}

}  // namespace
}  // namespace tavrin::viewer
