// The viewer's rules that need no window: its command line, the decode mode of a file, the
// folder list, the zoom and pan arithmetic and the toolbar's place.

#include <gtest/gtest.h>

#include <fstream>

#include "common/settings.hpp"
#include "platform/registry/registry.hpp"
#include "platform/system/process.hpp"
#include "tests/support/temp_registry.hpp"
#include "viewer/command_line.hpp"
#include "viewer/decode_mode.hpp"
#include "viewer/display_picture.hpp"
#include "viewer/main_frame.hpp"
#include "viewer/picture_list.hpp"
#include "viewer/view_geometry.hpp"

namespace tavrin::viewer {
namespace {

using registry::Root;

TEST(ViewerCommandLine, opensTheLastPlainArgument) {
    const ViewerCommandLine none = parseCommandLine({});
    EXPECT_FALSE(none.slideshowMode);
    EXPECT_EQ(none.fileToOpen, "");

    const ViewerCommandLine file = parseCommandLine({"/home/u/pics/a.CR2"});
    EXPECT_FALSE(file.slideshowMode);
    EXPECT_EQ(file.fileToOpen, "/home/u/pics/a.CR2");
    EXPECT_TRUE(file.slideshowFiles.empty());

    EXPECT_EQ(parseCommandLine({"a.CR2", "-x", "b.NEF"}).fileToOpen, "b.NEF");
}

TEST(ViewerCommandLine, slideshowSwitchListsTheNamesAfterIt) {
    for (const char* slideshowSwitch : {"-s", "/s"}) {
        const ViewerCommandLine line = parseCommandLine({slideshowSwitch, "a.CR2", "b.CR2"});
        EXPECT_TRUE(line.slideshowMode);
        EXPECT_EQ(line.slideshowFiles, (std::vector<std::string>{"a.CR2", "b.CR2"}));
        EXPECT_EQ(line.fileToOpen, "b.CR2");
    }
    const ViewerCommandLine last = parseCommandLine({"-s"});
    EXPECT_TRUE(last.slideshowMode);
    EXPECT_TRUE(last.slideshowFiles.empty());
    EXPECT_EQ(last.fileToOpen, "");

    // Names keep their name part; a folder (no dot in its last part) is not a file.
    const ViewerCommandLine paths =
        parseCommandLine({"-s", "/home/u/My Pics/x.NEF", "/home/u/My Pics"});
    EXPECT_EQ(paths.slideshowFiles, std::vector<std::string>{"x.NEF"});
    EXPECT_EQ(paths.fileToOpen, "/home/u/My Pics");
    // Before the switch, names are not slideshow files.
    EXPECT_TRUE(parseCommandLine({"a.CR2", "-s"}).slideshowFiles.empty());
}

TEST(ViewerCommandLine, slideshowOfAFolderCarriesItsNameWhole) {
    for (const std::string folder :
         {"/home/u/My Pics", "/tmp/a \"b\" c", "/tmp/back\\slash\\", "/tmp/Ünïcode \\\"x"}) {
        const auto args = process::splitCommandLine(slideshowParameters(folder));
        ASSERT_EQ(args.size(), 2u);
        EXPECT_EQ(parseCommandLine(args).fileToOpen, folder);
    }
}

class ViewerSettings : public test::TempRegistry {
  protected:
    static void set(std::string_view key, std::string_view name, std::uint32_t value) {
        setUserSetting(key, name, value);
    }
};

TEST_F(ViewerSettings, decodeModeFollowsTypeKeyAndOverride) {
    EXPECT_EQ(typeKeyOf("IMG.0001.CR2"), ".0001.CR2");
    EXPECT_EQ(typeKeyOf("x.raf.trashed"), ".RAF.TRASHED");
    EXPECT_EQ(viewModeFor(".CR2"), 0);
    set("Viewer", "ViewMode", 2);
    EXPECT_EQ(viewModeFor(".CR2"), 2);
    set(".CR2", "ViewMode", 3);
    EXPECT_EQ(viewModeFor(".CR2"), 2);  // the type's own only with UseImageQuality
    set(".CR2", "UseImageQuality", 1);
    EXPECT_EQ(viewModeFor(".CR2"), 3);
    EXPECT_EQ(viewModeFor(".CR2", 1), 1);
    // IMG.0001.CR2 takes the settings of the key ".0001.CR2", not ".CR2".
    EXPECT_EQ(viewModeFor(typeKeyOf("IMG.0001.CR2")), 2);
    // Pictures the engine does not decode are always shown through the preview path.
    for (const char* type : {".JPG", ".JPEG", ".PPM", ".THM", ".TIFF"})
        EXPECT_EQ(viewModeFor(type, 3), 0) << type;
    EXPECT_EQ(viewModeFor(".TIF", 3), 3);  // decided by identification
}

TEST_F(ViewerSettings, whiteBalanceOfAType) {
    set("WhiteBalance", "Mode", 1);
    EXPECT_EQ(whiteBalanceFor(".NEF"), 1);
    set(".NEF", "WhiteBalanceMode", 2);
    EXPECT_EQ(whiteBalanceFor(".NEF"), 1);
    set(".NEF", "UseWhiteBalance", 1);
    EXPECT_EQ(whiteBalanceFor(".NEF"), 2);
}

class FolderList : public test::TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        folder_ = root() / "pictures";
        std::filesystem::create_directories(folder_ / "sub.CR2");
    }
    void touch(const std::string& name) { std::ofstream(folder_ / name) << "x"; }
    static void associate(const std::string& extension) {
        registry::setValue(Root::ClassesRoot, extension, "", std::string("TavrinImage"));
    }
    std::filesystem::path folder_;
};

TEST_F(FolderList, listsAssociatedTypesInCaseInsensitiveOrder) {
    for (const char* name : {"b.CR2", "A.nef", "c.cr2", "IMG.0001.CR2", "x.CR2.trashed",
                             "notes.txt", "noextension", "a.JPG"})
        touch(name);
    PictureList list;
    list.listFolder(folder_);
    EXPECT_TRUE(list.empty());  // nothing associated yet

    associate(".cr2");
    associate(".NEF");
    list.listFolder(folder_);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.name(0), "A.nef");
    EXPECT_EQ(list.name(1), "b.CR2");
    EXPECT_EQ(list.name(2), "c.cr2");
    EXPECT_EQ(list.name(3), "IMG.0001.CR2");
    EXPECT_EQ(list.path(1), folder_ / "b.CR2");
    EXPECT_EQ(list.indexOf("C.CR2"), 2);
    EXPECT_EQ(list.indexOf("missing.CR2"), -1);
    EXPECT_EQ(list.wrap(4), 0);
    EXPECT_EQ(list.wrap(-1), 3);
}

TEST_F(FolderList, todaysFormatsJoinWhenAssociated) {
    for (const char* name : {"a.CR3", "b.rw2", "c.ARW", "d.iiq", "e.CR2"})
        touch(name);
    PictureList list;
    list.listFolder(folder_);
    EXPECT_TRUE(list.empty());
    for (const char* extension : {".cr3", ".rw2", ".arw", ".iiq"})
        associate(extension);
    list.listFolder(folder_);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.name(0), "a.CR3");
    EXPECT_EQ(list.name(3), "d.iiq");
}

TEST_F(FolderList, slideshowFilesKeepTheirOrder) {
    associate(".cr2");
    PictureList list;
    list.listFiles(folder_, {"z.CR2", "a.CR2", "a.txt", "a.JPG"});
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.name(0), "z.CR2");
    EXPECT_EQ(list.name(1), "a.CR2");
}

TEST(ViewGeometry, fitsASmallPictureAtActualSizeCentred) {
    ViewGeometry view;
    view.fit({1000, 700}, {640, 480});
    EXPECT_DOUBLE_EQ(view.zoom(), 1.0);
    EXPECT_FLOAT_EQ(view.source().x, -180);
    EXPECT_FLOAT_EQ(view.source().y, -110);
    EXPECT_TRUE(view.fitMode());
    EXPECT_TRUE(view.actualSizeMode());
}

TEST(ViewGeometry, fitsALargePictureByItsLimitingSide) {
    ViewGeometry view;
    view.fit({1000, 500}, {3000, 2000});
    EXPECT_DOUBLE_EQ(view.zoom(), 0.25);
    EXPECT_FLOAT_EQ(view.source().width, 4000);
    EXPECT_FLOAT_EQ(view.source().x, -500);
    EXPECT_FLOAT_EQ(view.source().y, 0);
    EXPECT_TRUE(view.fitMode());
    EXPECT_FALSE(view.actualSizeMode());
    // The same picture with a filmstrip's 150 pixels less height.
    view.fit({1000, 350}, {3000, 2000});
    EXPECT_NEAR(view.zoom(), 0.175, 1e-6);  // the source rectangle is held in floats
}

TEST(ViewGeometry, zoomStepsAndLimits) {
    ViewGeometry view;
    const Size area{1000, 500}, picture{3000, 2000};
    view.actualSize(area, picture);
    for (int i = 0; i < 5; ++i)
        view.zoomIn(area, picture);
    EXPECT_DOUBLE_EQ(view.zoom(), 32);
    EXPECT_FALSE(view.fitMode() || view.actualSizeMode());
    view.zoomIn(area, picture);  // a click at 32 still doubles
    EXPECT_DOUBLE_EQ(view.zoom(), 64);
    view.zoomIn(area, picture);
    EXPECT_DOUBLE_EQ(view.zoom(), 64);
    view.actualSize(area, picture);
    for (int i = 0; i < 8; ++i)
        view.zoomOut(area, picture);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.03125);
    // The centre stays where it was while the picture fills the area.
    view.actualSize(area, picture);
    view.zoomIn(area, picture);
    EXPECT_FLOAT_EQ(view.source().x + view.source().width / 2, 1500);
    EXPECT_FLOAT_EQ(view.source().y + view.source().height / 2, 1000);
}

TEST(ViewGeometry, dragStopsAtTheEdgesAndKeepsSmallPicturesCentred) {
    ViewGeometry view;
    const Size area{1000, 500}, picture{3000, 2000};
    view.actualSize(area, picture);
    view.drag(0, 0, 5000, 5000, area, picture);  // far right and down: the top-left corner
    EXPECT_FLOAT_EQ(view.source().x, 0);
    EXPECT_FLOAT_EQ(view.source().y, 0);
    view.drag(5000, 5000, 0, 0, area, picture);  // far left and up: the bottom-right corner
    EXPECT_FLOAT_EQ(view.source().x, 2000);
    EXPECT_FLOAT_EQ(view.source().y, 1500);

    const Size small{640, 480};
    view.fit({1000, 700}, small);
    view.drag(0, 0, 300, 200, {1000, 700}, small);
    EXPECT_FLOAT_EQ(view.source().x, -180);
    EXPECT_FLOAT_EQ(view.source().y, -110);
}

TEST(MainFrameLayout, toolbarKeepsItsPlaceInNarrowWindows) {
    EXPECT_EQ(CMainFrame::toolbarRect(400, 600), QRect(QPoint(110, 576), QPoint(479, 599)));
    EXPECT_EQ(CMainFrame::toolbarRect(1000, 700), QRect(315, 676, 370, 24));
}

TEST(DisplayPicture, histogramAndHalvedCopies) {
    auto bitmap = imaging::Bitmap::create(1024, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 1024; ++x) {
            std::uint8_t* p = bitmap->row(y) + 3 * x;
            p[0] = 10, p[1] = 20, p[2] = 30;  // blue, green, red
        }
    DisplayPicture picture(std::move(bitmap));
    const Histogram& counts = picture.histogram();
    EXPECT_EQ(counts[3 * 30], 614400u);
    EXPECT_EQ(counts[3 * 20 + 1], 614400u);
    EXPECT_EQ(counts[3 * 10 + 2], 614400u);

    double sx = 0, sy = 0;
    EXPECT_EQ(picture.imageFor(1.0, &sx, &sy).width(), 1024);
    const QImage& quarter = picture.imageFor(0.25, &sx, &sy);
    EXPECT_EQ(quarter.width(), 256);
    EXPECT_EQ(quarter.pixel(100, 100), qRgb(30, 20, 10));
    EXPECT_DOUBLE_EQ(sx, 0.25);
    const QImage& between = picture.imageFor(0.3, &sx, &sy);
    EXPECT_EQ(between.width(), 512);  // never fewer pixels than the paint needs

    picture.rotate(true);
    EXPECT_EQ(picture.width(), 600);
    EXPECT_EQ(picture.height(), 1024);
    EXPECT_EQ(picture.imageFor(0.5, &sx, &sy).width(), 300);
}

}  // namespace
}  // namespace tavrin::viewer
