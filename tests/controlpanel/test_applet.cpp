// The settings applet under the offscreen Qt platform: the real pages and dialogs, driven as a
// user would, against a registry of the test's own.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include "common/help.hpp"
#include "common/settings.hpp"
#include "controlpanel/associations.hpp"
#include "controlpanel/control_ids.hpp"
#include "controlpanel/file_types_page.hpp"
#include "controlpanel/general_page.hpp"
#include "controlpanel/options_sheet.hpp"
#include "controlpanel/type_dialogs.hpp"
#include "platform/registry/registry.hpp"
#include "platform/ui/control_panel.hpp"
#include "tests/support/offscreen_application.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::cpl {
namespace {

using registry::Root;

constexpr std::string_view kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

class Applet : public test::TempRegistry {
  protected:
    static void SetUpTestSuite() {
        ::setenv("TAVRIN_APPLET_TEST", "1", 1);
        test::useOffscreenApplication();
    }
    void SetUp() override {
        TempRegistry::SetUp();
        registry::setValue(Root::ClassesRoot, "TavrinImage\\App", "", std::string("/opt/t/viewer"));
    }

    template <typename T>
    static T* control(QWidget& parent, int id) {
        T* widget = parent.findChild<T*>(controlName(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }
    static std::uint32_t user(std::string_view subkey, std::string_view name, std::uint32_t def) {
        return getUserSetting(subkey, name, def);
    }
    static std::optional<std::string> classOf(std::string_view extension) {
        return registry::queryString(Root::ClassesRoot, extension, "");
    }
    static QTreeWidgetItem* row(CFileTypesPage& page, const QString& text) {
        auto* list = page.findChild<QTreeWidget*>(controlName(kFileTypeList));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(1) == text) return list->topLevelItem(i);
        }
        ADD_FAILURE() << "no row " << text.toStdString();
        return nullptr;
    }
};

TEST_F(Applet, answersTheControlPanelsMessages) {
    void* library = ::dlopen(TAVRIN_APPLET_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto applet = reinterpret_cast<ui::APPLET_PROC>(::dlsym(library, "CPlApplet"));
    ASSERT_NE(applet, nullptr);
    EXPECT_EQ(applet(nullptr, ui::CPL_INIT, 0, 0), 1);
    EXPECT_EQ(applet(nullptr, ui::CPL_GETCOUNT, 0, 0), 1);
    ui::CPLINFO info{};
    EXPECT_EQ(applet(nullptr, ui::CPL_INQUIRE, 0, reinterpret_cast<ui::LPARAM>(&info)), 0);
    EXPECT_EQ(info.idIcon, 5);
    EXPECT_EQ(info.idName, 10000);
    EXPECT_EQ(info.idInfo, 10001);
    EXPECT_EQ(applet(nullptr, 99, 0, 0), 0);
    ::dlclose(library);
}

TEST_F(Applet, aFreshStoreShowsTheDefaults) {
    registry::createKey(Root::CurrentUser, kExplorer);
    COptionsSheet sheet;
    CGeneralPage& page = sheet.generalPage();
    EXPECT_EQ(control<QSlider>(page, kQualitySlider)->value(), 1);
    EXPECT_EQ(control<QSlider>(page, kBrightnessSlider)->value(), 0);
    EXPECT_EQ(control<QLabel>(page, kBrightnessText)->text(), "0");
    // "No white balance" chosen, greyed at quality 1.
    EXPECT_TRUE(control<QRadioButton>(page, kFirstWhiteBalanceButton)->isChecked());
    for (const int id :
         {kFirstWhiteBalanceButton, kFirstWhiteBalanceButton + 1, kFirstWhiteBalanceButton + 2}) {
        EXPECT_EQ(control<QRadioButton>(page, id)->isChecked(), id == kFirstWhiteBalanceButton)
            << id;
        EXPECT_FALSE(control<QRadioButton>(page, id)->isEnabled()) << id;
    }
    EXPECT_EQ(control<QSpinBox>(page, kSlideshowDelay)->value(), 5);
    auto* sizes = control<QComboBox>(page, kThumbnailSizeList);
    EXPECT_EQ(sizes->count(), 22);
    EXPECT_EQ(sizes->currentText(), "100 x 100 (Standard)");
    EXPECT_TRUE(control<QCheckBox>(page, kAssociateBox)->isChecked());
    EXPECT_EQ(control<QLabel>(page, kQualityText)->text(), QString::fromUtf8("Halbe Auflösung"));
}

TEST_F(Applet, writesTheGeneralPageInItsOwnForms) {
    registry::setValue(Root::CurrentUser, kExplorer, "ThumbnailSize", std::uint32_t{96});
    setUserSetting("WhiteBalance", "Mode", 2);
    {
        COptionsSheet sheet;
        CGeneralPage& page = sheet.generalPage();
        EXPECT_EQ(control<QComboBox>(page, kThumbnailSizeList)->currentText(), "90 x 90");
        control<QSlider>(page, kBrightnessSlider)->setValue(3);
        EXPECT_EQ(control<QLabel>(page, kBrightnessText)->text(), "+3");
        control<QSlider>(page, kQualitySlider)
            ->setValue(0);  // the buttons grey out, the choice stays
        EXPECT_FALSE(control<QRadioButton>(page, kFirstWhiteBalanceButton + 2)->isEnabled());
        EXPECT_TRUE(sheet.applyPages());
    }
    EXPECT_EQ(registry::queryDword(Root::CurrentUser, kExplorer, "ThumbnailSize"), 96u);
    EXPECT_EQ(getUserStringSetting("Viewer", "BrightnessIndex", "x"), "3");
    EXPECT_EQ(user("Viewer", "ViewMode", 9), 0u);
    EXPECT_EQ(user("WhiteBalance", "Mode", 9), 2u);
    EXPECT_EQ(registry::queryString(Root::ClassesRoot, "TavrinImage\\shell\\open\\command", ""),
              "/opt/t/viewer \"%1\"");
    EXPECT_EQ(registry::queryString(Root::ClassesRoot, "TavrinImage\\shell\\open", ""),
              "Vorschau mit Tavrin");

    // Choosing an entry writes its size; clearing the box removes the open verb only.
    cpl::associate(".cr2", kImageClass);
    {
        COptionsSheet sheet;
        CGeneralPage& page = sheet.generalPage();
        auto* sizes = control<QComboBox>(page, kThumbnailSizeList);
        sizes->setCurrentIndex(2);
        emit sizes->activated(2);
        control<QCheckBox>(page, kAssociateBox)->setChecked(false);
        sheet.applyPages();
    }
    EXPECT_EQ(registry::queryDword(Root::CurrentUser, kExplorer, "ThumbnailSize"), 60u);
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, "TavrinImage\\shell"));
    EXPECT_EQ(classOf(".cr2"), "TavrinImage");
}

TEST_F(Applet, tiesAndUntiesTypesAndLeavesOtherProgramsAlone) {
    cpl::associate(".jpeg", kImageClass);
    cpl::associate(".trashed", kTrashedClass);
    registry::setValue(Root::ClassesRoot, ".nef", "", std::string("OtherViewer.NEF"));
    registry::setValue(Root::ClassesRoot, ".trashed", "Content Type", std::string("x/y"));
    COptionsSheet sheet;
    CFileTypesPage& page = sheet.fileTypesPage();
    auto* list = page.findChild<QTreeWidget*>(controlName(kFileTypeList));
    ASSERT_EQ(list->topLevelItemCount(), 39);
    // The designed rows first, then today's formats, each its own raw type.
    EXPECT_EQ(list->topLevelItem(29)->text(1), ".x3f");
    EXPECT_EQ(list->topLevelItem(30)->text(1), ".cr3");
    EXPECT_EQ(list->topLevelItem(38)->text(1), ".iiq");
    QTreeWidgetItem* jpeg = row(page, ".jpg, .jpeg");
    EXPECT_EQ(jpeg->checkState(0), Qt::Unchecked);  // only one of the two is ours
    EXPECT_EQ(row(page, ".trashed")->checkState(0), Qt::Checked);
    EXPECT_EQ(row(page, ".nef")->checkState(0), Qt::Unchecked);
    sheet.applyPages();
    EXPECT_EQ(classOf(".jpeg"), "TavrinImage");  // left alone
    EXPECT_FALSE(classOf(".jpg"));
    EXPECT_EQ(classOf(".nef"), "OtherViewer.NEF");

    jpeg->setCheckState(0, Qt::Checked);
    row(page, ".trashed")->setCheckState(0, Qt::Unchecked);
    row(page, ".cr3")->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(page.modified());
    sheet.applyPages();
    EXPECT_EQ(classOf(".cr3"), "TavrinImage");
    EXPECT_EQ(classOf(".jpg"), "TavrinImage");
    EXPECT_EQ(classOf(".jpeg"), "TavrinImage");
    EXPECT_FALSE(classOf(".trashed"));
    // What another program keeps under the extension stays.
    EXPECT_EQ(registry::queryString(Root::ClassesRoot, ".trashed", "Content Type"), "x/y");
}

TEST_F(Applet, warnsWhenTheClassesCannotBeWritten) {
    // A folder the user cannot write to; the superuser writes anywhere, but not where the
    // classes file's lock is a folder.
    if (::geteuid() != 0) {
        std::filesystem::permissions(
            userDir(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    } else {
        const auto lock = userDir() / "HKEY_CLASSES_ROOT.reg.lock";
        std::filesystem::remove(lock);
        std::filesystem::create_directory(lock);
    }
    COptionsSheet sheet;
    EXPECT_FALSE(
        sheet.fileTypesPage().findChild<QTreeWidget*>(controlName(kFileTypeList))->isEnabled());
    std::filesystem::permissions(userDir(), std::filesystem::perms::owner_all);
}

TEST_F(Applet, aFreshRegistryLetsTheTypesBeChosen) {
    // Before any registration: no class yet, and nothing stands in the way of writing one.
    registry::deleteKey(Root::ClassesRoot, "TavrinImage");
    COptionsSheet sheet;
    EXPECT_TRUE(
        sheet.fileTypesPage().findChild<QTreeWidget*>(controlName(kFileTypeList))->isEnabled());
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, "TavrinImage"));  // the test left none
}

TEST_F(Applet, theRawDialogShowsAndWritesItsOverrides) {
    setUserSetting("Viewer", "ViewMode", 3);
    setUserSetting("WhiteBalance", "Mode", 1);
    COptionsSheet sheet;
    {
        CRawTypeDlg dialog(".cr2", sheet.generalPage());
        EXPECT_EQ(dialog.windowTitle(), ".CR2 Dateiverarbeitung anpassen");
        EXPECT_TRUE(control<QCheckBox>(dialog, kUseEmbeddedBox)->isChecked());
        EXPECT_TRUE(control<QCheckBox>(dialog, kSlideshowBox)->isChecked());
        EXPECT_FALSE(control<QCheckBox>(dialog, kOwnQualityBox)->isChecked());
        // The general page's values, greyed.
        EXPECT_EQ(control<QSlider>(dialog, kQualitySlider)->value(), 3);
        EXPECT_FALSE(control<QSlider>(dialog, kQualitySlider)->isEnabled());
        EXPECT_TRUE(control<QRadioButton>(dialog, kFirstWhiteBalanceButton + 1)->isChecked());
        EXPECT_FALSE(control<QRadioButton>(dialog, kFirstWhiteBalanceButton + 1)->isEnabled());

        control<QCheckBox>(dialog, kOwnWhiteBalanceBox)->click();  // white balance override on
        control<QRadioButton>(dialog, kFirstWhiteBalanceButton + 2)->click();
        control<QCheckBox>(dialog, kOwnQualityBox)->click();  // quality override on
        control<QSlider>(dialog, kQualitySlider)->setValue(1);
        EXPECT_FALSE(
            control<QCheckBox>(dialog, kOwnWhiteBalanceBox)->isChecked());  // cleared by position 1
        control<QCheckBox>(dialog, kOwnQualityBox)->click();                // and quality off again
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }
    EXPECT_EQ(user(".CR2", "UseWhiteBalance", 9), 0u);
    EXPECT_EQ(user(".CR2", "UseImageQuality", 9), 0u);
    EXPECT_EQ(user(".CR2", "ViewMode", 9), 9u);  // untouched with the override off
    EXPECT_EQ(user(".CR2", "SupportSlideshow", 9), 1u);

    CJpegTypeDlg jpeg(".jpg, .jpeg");
    control<QCheckBox>(jpeg, kSlideshowBox)->setChecked(false);
    jpeg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(user(".JPG", "SupportSlideshow", 9), 0u);
    EXPECT_EQ(user(".JPEG", "SupportSlideshow", 9), 0u);

    CTrashedTypeDlg trashed;
    control<QCheckBox>(trashed, kCrossTrashedBox)->setChecked(false);
    control<QPushButton>(trashed, kStandardButton)->click();  // "Standard" sets the box again
    trashed.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(user(".trashed", "CrossImage", 9), 9u);  // Cancel writes nothing
}

TEST_F(Applet, helpPathFollowsTheViewersFolder) {
    EXPECT_EQ(helpFilePath(), "/opt/t/TavrinHelp.chm");
    registry::deleteKey(Root::ClassesRoot, "TavrinImage\\App");
    EXPECT_EQ(helpFilePath(), "TavrinHelp.chm");
    showHelp("::/General Options page.htm");  // no page installed: nothing happens
}

// Pictures of every page and dialog for a reviewer: build/.../applet-*.png.
TEST_F(Applet, rendersEveryPageAndDialog) {
    COptionsSheet sheet;
    sheet.resize(520, 560);
    const auto save = [](QWidget& widget, const char* name) {
        widget.show();
        QApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(QString("applet-%1.png").arg(name)));
        widget.hide();
    };
    save(sheet, "sheet");
    CRawTypeDlg raw(".nef", sheet.generalPage());
    save(raw, "raw-type");
    CJpegTypeDlg jpeg(".tiff");
    save(jpeg, "jpeg-type");
    CTrashedTypeDlg trashed;
    save(trashed, "trashed-type");
}

}  // namespace
}  // namespace tavrin::cpl
