// The viewer's window under the offscreen Qt platform, with the real shell object registered in
// a registry of the test's own: stepping through real camera files with preloading, the zoom
// states, put aside, the settings dialog, bad files, and the window's stored placement.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <fstream>

#include "tests/viewer/viewer_window_fixture.hpp"
#include "viewer/colored_toolbar.hpp"
#include "viewer/shell_object_client.hpp"
#include "viewer/viewer_settings_dlg.hpp"

namespace tavrin::viewer {
namespace {

TEST_F(ViewerWindow, stepsThroughRealFilesWithPreloading) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    CMainFrame& frame = open({"CRW_0104.CRW"});
    ASSERT_TRUE(waitForCurrent());
    const PictureList& list = browser().list();
    ASSERT_EQ(list.count(), 8);  // six CRW, their THM and a JPG
    EXPECT_EQ(list.name(browser().currentIndex()), "CRW_0104.CRW");
    EXPECT_EQ(frame.windowTitle(), "CRW_0104.CRW - Tavrin Picture Viewer");

    // Forward once round the folder and one more: each step shows the preloaded next file.
    for (int step = 0; step <= list.count(); ++step) {
        ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; })) << step;
        run(ID_NEXT_IMAGE);
        const PictureSlot* current = browser().current();
        ASSERT_NE(current, nullptr) << "the preloaded picture is shown at once";
        const std::string& name = list.name(browser().currentIndex());
        EXPECT_EQ(current->name, name);
        ASSERT_NE(current->picture, nullptr) << name;
        const auto expected = embeddedPreview(list.path(browser().currentIndex()));
        ASSERT_NE(expected, nullptr) << name;
        EXPECT_EQ(digest(current->picture->bitmap()), digest(*expected)) << name;
        EXPECT_FALSE(current->infoText.empty()) << name;
    }
    EXPECT_EQ(list.name(browser().currentIndex()), "CRW_0105.CRW");

    // Back: the previous slot at once, then loads.
    run(ID_PREVIOUS_IMAGE);
    ASSERT_NE(browser().current(), nullptr);
    EXPECT_EQ(browser().current()->name, "CRW_0104.CRW");
    EXPECT_EQ(browser().nextSlot()->name, "CRW_0105.CRW");
    ASSERT_TRUE(waitFor([&] { return !browser().currentLoadRunning(); }));
    run(ID_PREVIOUS_IMAGE);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().current()->name, "CRW_0101.THM");
    run(ID_PREVIOUS_IMAGE);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().current()->name, "CRW_0101.CRW");
    // Previous on the first goes to the last.
    run(ID_PREVIOUS_IMAGE);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().current()->name, "IMG_0108.JPG");
    EXPECT_EQ(browser().current()->picture->width(), 2272);  // the JPEG itself, mode 0
}

TEST_F(ViewerWindow, cancelledLoadsNeverHandOverAPicture) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    setUserSetting("Viewer", "ViewMode", 1);  // half-size decodes: long enough to cancel
    open({"CRW_0104.CRW"});
    std::vector<std::string> shown;
    QObject::connect(&browser(), &PictureBrowser::currentChanged, [&] {
        if (browser().current()) shown.push_back(browser().current()->name);
    });
    browser().selectAndLoad("CRW_0112.CRW");
    browser().selectAndLoad("CRW_0117.CRW");
    // While the current file loads, stepping waits for it.
    EXPECT_FALSE(frame_->action(ID_NEXT_IMAGE)->isEnabled());
    ASSERT_TRUE(waitForCurrent());
    // Let every queued hand-over of the cancelled loads arrive.
    waitFor([] { return false; }, 300);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "CRW_0117.CRW");
    for (const std::string& name : shown)
        EXPECT_NE(name, "CRW_0112.CRW");
    ASSERT_NE(browser().currentPicture(), nullptr);
    EXPECT_EQ(browser().currentPicture()->width(), 2312 / 2);  // half the sensor
}

TEST_F(ViewerWindow, loaderWithoutKeepGoingReportsNothing) {
    std::atomic<bool> keepGoing{false};
    bool reported = false;
    {
        PictureLoader loader(
            1, {folder_ / "missing.CRW", "missing.CRW"}, keepGoing, [](int) {},
            [&](std::uint64_t, LoadResult) { reported = true; });
    }
    EXPECT_FALSE(reported);
}

TEST_F(ViewerWindow, badFilesShowCannotLoadAndSteppingGoesOn) {
    fixtures::writeFile(folder_ / "a.CRW", {'n', 'o', 't', ' ', 'r', 'a', 'w'});
    fixtures::writeFile(folder_ / "b.JPG", fixtures::jpeg(64, 48));
    fixtures::writeFile(folder_ / "c.CR2", fixtures::jpeg(32, 24));
    fixtures::writeFile(folder_ / "d.JPG", fixtures::jpeg(16, 12));
    CMainFrame& frame = open({"a.CRW"});
    ASSERT_TRUE(waitFor([&] { return browser().current() && browser().nextSlot(); }));
    EXPECT_EQ(browser().currentPicture(), nullptr);
    EXPECT_FALSE(frame.action(ID_ZOOM_IN)->isEnabled());
    const QImage shot = frame.view().grab().toImage();
    EXPECT_FALSE(shot.isNull());

    // A file removed while listed fails alone. Only a's neighbours b and d are loaded yet, so c
    // is first read when b is shown.
    fs::remove(folder_ / "c.CR2");
    run(ID_NEXT_IMAGE);
    ASSERT_NE(browser().currentPicture(), nullptr);
    EXPECT_EQ(browser().currentPicture()->width(), 64);
    ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; }));
    run(ID_NEXT_IMAGE);
    EXPECT_EQ(browser().current()->name, "c.CR2");
    EXPECT_EQ(browser().currentPicture(), nullptr);
    ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; }));
    run(ID_NEXT_IMAGE);
    EXPECT_EQ(browser().current()->name, "d.JPG");
    ASSERT_NE(browser().currentPicture(), nullptr);
    ASSERT_TRUE(waitFor([&] { return browser().nextSlot() != nullptr; }));
    run(ID_NEXT_IMAGE);  // wraps to the first
    EXPECT_EQ(browser().current()->name, "a.CRW");
}

TEST_F(ViewerWindow, emptyFolderShowsNothing) {
    fixtures::writeFile(folder_ / "x.NEF", fixtures::jpeg(16, 16));  // not associated
    CMainFrame& frame = open({});
    EXPECT_TRUE(browser().list().empty());
    EXPECT_EQ(browser().current(), nullptr);
    EXPECT_FALSE(browser().currentLoadRunning());
    EXPECT_FALSE(frame.action(ID_NEXT_IMAGE)->isEnabled());
    EXPECT_FALSE(frame.action(ID_SLIDESHOW)->isEnabled());
    run(ID_APP_EXIT);
}

TEST_F(ViewerWindow, putAsideNeverReplacesAFile) {
    for (const char* name : {"a.JPG", "b.JPG", "c.JPG"})
        fixtures::writeFile(folder_ / name, fixtures::jpeg(40, 30));
    std::ofstream(folder_ / "b.JPG.trashed") << "kept";
    open({"b.JPG"});
    ASSERT_TRUE(waitForCurrent());
    run(ID_PUT_ASIDE);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("b.JPG"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder_ / "b.JPG"));
    std::ifstream kept(folder_ / "b.JPG.trashed");
    std::string content;
    kept >> content;
    EXPECT_EQ(content, "kept");
    EXPECT_EQ(browser().list().count(), 3);
    EXPECT_EQ(browser().current()->name, "b.JPG");

    fs::remove(folder_ / "b.JPG.trashed");
    run(ID_PUT_ASIDE);
    EXPECT_TRUE(fs::exists(folder_ / "b.JPG.trashed"));
    EXPECT_FALSE(fs::exists(folder_ / "b.JPG"));
    EXPECT_EQ(browser().list().count(), 2);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().current()->name, "c.JPG");
}

TEST_F(ViewerWindow, settingsDialogReloadsOnlyWhatChanged) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    CMainFrame& frame = open({"CRW_0104.CRW"});
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().currentPicture()->width(), 640);  // the embedded preview
    const auto answer = [](int mode, bool save) {
        QTimer::singleShot(0, [mode, save] {
            auto* dialog = qobject_cast<CViewerSettingsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QSlider*>("1046")->setValue(mode);
            if (save) dialog->findChild<QCheckBox*>()->setChecked(true);
            dialog->accept();
        });
    };
    // The same mode: nothing is reloaded, but the override is set.
    answer(0, false);
    run(ID_CUSTOMIZE_SETTINGS);
    EXPECT_NE(browser().current(), nullptr);
    EXPECT_EQ(browser().overrideViewMode, 0);

    answer(1, false);
    run(ID_CUSTOMIZE_SETTINGS);
    EXPECT_EQ(browser().current(), nullptr);
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().currentPicture()->width(), 2312 / 2);  // half the sensor
    EXPECT_EQ(getUserSetting("Viewer", "ViewMode", 9), 9u);    // not saved

    answer(1, true);
    run(ID_CUSTOMIZE_SETTINGS);
    EXPECT_EQ(getUserSetting("Viewer", "ViewMode", 9), 1u);

    // Cancel gives the decision back to the settings.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    run(ID_CUSTOMIZE_SETTINGS);
    EXPECT_EQ(browser().overrideViewMode, -1);
    EXPECT_EQ(browser().overrideWhiteBalance, -1);
    (void)frame;
}

TEST_F(ViewerWindow, zoomStatesAndScreenshots) {
    if (!copySamples(kCanonS40)) GTEST_SKIP() << "samples missing";
    setUserSetting("Viewer", "ViewMode", 3);  // a JPEG still goes through the preview path
    CMainFrame& frame = open({"IMG_0108.JPG"});
    ASSERT_TRUE(waitForCurrent());
    EXPECT_EQ(browser().currentPicture()->width(), 2272);
    CPictureView& view = frame.view();
    EXPECT_EQ(view.size(), QSize(1000, 700));
    EXPECT_TRUE(view.viewGeometry().fitMode());
    EXPECT_FALSE(frame.action(ID_OPTIMAL_HEIGHT)->isEnabled());
    EXPECT_TRUE(frame.action(ID_ACTUAL_SIZE)->isEnabled());
    frame.grab().save("viewer-fit.png");

    run(ID_ACTUAL_SIZE);
    EXPECT_DOUBLE_EQ(view.viewGeometry().zoom(), 1.0);
    frame.grab().save("viewer-actual-size.png");

    run(ID_ZOOM_IN);
    EXPECT_TRUE(frame.action(ID_ZOOM_IN)->isChecked());
    EXPECT_DOUBLE_EQ(view.viewGeometry().zoom(), 2.0);
    frame.grab().save("viewer-zoomed-in.png");

    run(ID_OPTIMAL_HEIGHT);
    run(ID_ZOOM_OUT);
    EXPECT_TRUE(frame.action(ID_ZOOM_OUT)->isChecked());
    frame.grab().save("viewer-zoomed-out.png");

    run(ID_ROTATE_CLOCKWISE);
    EXPECT_EQ(browser().currentPicture()->width(), 1704);
    EXPECT_TRUE(view.viewGeometry().fitMode());
    frame.grab().save("viewer-rotated.png");
    run(ID_MOVE);
    EXPECT_TRUE(frame.action(ID_MOVE)->isChecked());
}

TEST_F(ViewerWindow, toolbarLayoutAtClientWidth400) {
    CMainFrame& frame = open({});
    frame.resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.toolBar().geometry(), QRect(110, 276, 370, 24));
    EXPECT_EQ(frame.view().geometry(), QRect(0, 0, 400, 276));
    EXPECT_FALSE(frame.toolBar().widgetForAction(frame.action(ID_PAUSE))->isVisible());
}

TEST_F(ViewerWindow, aFirstStartRestoresToThreeQuartersOfTheScreenCentred) {
    writePlacement({kShowMaximized, false, 0, 0, 0, 0});  // no size stored yet
    open({});
    frame_->showNormal();
    QCoreApplication::processEvents();
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame_->geometry().size(), free.size() * 3 / 4);
    EXPECT_EQ(frame_->geometry().center(), free.center());
}

TEST_F(ViewerWindow, onlyTheNormalWindowStoresItsPlacement) {
    writePlacement({kShowNormal, true, 20, 30, 640, 480});
    open({}, true);
    frame_->close();
    frame_.reset();
    WindowPlacement stored = readPlacement();
    EXPECT_EQ(stored.x, 20);
    EXPECT_EQ(stored.width, 640);

    open({});
    frame_->showNormal();
    frame_->setGeometry(50, 60, 700, 500);
    frame_->close();
    stored = readPlacement();
    EXPECT_EQ(stored.showCmd, kShowNormal);
    EXPECT_EQ(stored.width, 700);
    EXPECT_EQ(stored.height, 500);
}

}  // namespace
}  // namespace tavrin::viewer
