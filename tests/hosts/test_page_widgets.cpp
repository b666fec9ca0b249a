// The property pages in Qt widgets, under the offscreen platform: the texts in their boxes, and
// the histogram page loading, then drawing its preview.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cstdlib>
#include <optional>
#include <utility>

#include "hosts/properties/page_widgets.hpp"
#include "hosts/properties/properties_window.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/offscreen_application.hpp"
#include "tests/support/shell_object.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

class PageWidgets : public test::TempRegistry {
  protected:
    static void SetUpTestSuite() { test::useOffscreenApplication(); }
    void SetUp() override {
        TempRegistry::SetUp();
        shellObject_.emplace();
        ASSERT_TRUE(shellObject_->ok());
    }
    void TearDown() override {
        for (ui::HPROPSHEETPAGE page : pages_)
            ui::DestroyPropertySheetPage(page);
        shellObject_.reset();
        TempRegistry::TearDown();
    }

    // The file's pages, as tavrin-properties gets them from the registered object.
    void open(const fixtures::Bytes& file, const std::string& name) {
        const auto path = root() / name;
        fixtures::writeFile(path, file);
        const auto collect = [](ui::HPROPSHEETPAGE page, ui::LPARAM list) -> ui::BOOL {
            reinterpret_cast<std::vector<ui::HPROPSHEETPAGE>*>(list)->push_back(page);
            return 1;
        };
        ASSERT_EQ(shellObject_->addPages(path, collect, reinterpret_cast<ui::LPARAM>(&pages_)),
                  com::S_OK);
        ASSERT_EQ(pages_.size(), 2u);
    }

    std::optional<test::RegisteredShellObject> shellObject_;
    std::vector<ui::HPROPSHEETPAGE> pages_;
};

TEST_F(PageWidgets, showTheInformationTexts) {
    open(fixtures::jpeg(60, 30), "a.jpg");
    const auto page = createPageWidget(pages_[0]);
    ASSERT_TRUE(page);
    const auto boxes = page->findChildren<QPlainTextEdit*>();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[0]->toPlainText().contains(QStringLiteral("Typ: JPG Bild\n")));
    EXPECT_FALSE(boxes[0]->toPlainText().contains(QLatin1Char('\r')));
    EXPECT_TRUE(boxes[1]->toPlainText().isEmpty());
}

TEST_F(PageWidgets, showTextsInWindows1252AsTheirCharacters) {
    const fixtures::Fields f;
    open(fixtures::jpegWithExif(fixtures::tiff({fixtures::Ifd{{f.text(272, "Mod\xE9")}}}),
                                fixtures::jpeg(60, 30)),
         "c.jpg");
    const auto page = createPageWidget(pages_[0]);
    ASSERT_TRUE(page);
    const auto boxes = page->findChildren<QPlainTextEdit*>();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[0]->toPlainText().contains(
        QStringLiteral("Kameramodell: Mod\u00E9\nTyp: JPG Bild\n")))
        << boxes[0]->toPlainText().toStdString();
}

TEST_F(PageWidgets, drawThePreviewOnceTheWorkerIsDone) {
    open(fixtures::jpeg(366, 300), "b.jpg");
    const auto page = createPageWidget(pages_[1]);
    ASSERT_TRUE(page);
    page->resize(420, 520);
    page->show();
    QElapsedTimer clock;
    clock.start();
    const QWidget* preview = page->childAt(page->width() / 2, 20);
    ASSERT_TRUE(preview);
    const QRgb background = page->palette().color(QPalette::Window).rgb();
    const auto previewPixel = [&] {
        return page->grab().toImage().pixel(preview->x() + 10, preview->y() + 100) & 0xFFFFFF;
    };
    // Background while loading, the picture afterwards.
    while (clock.elapsed() < 30000 && previewPixel() == (background & 0xFFFFFF))
        QApplication::processEvents();
    EXPECT_NE(previewPixel(), background & 0xFFFFFF);
}

TEST_F(PageWidgets, theWindowShowsThePagesAsTabsWithAGermanCloseButton) {
    open(fixtures::jpeg(60, 30), "c.jpg");
    PropertiesWindow window("c.jpg", std::exchange(pages_, {}));
    EXPECT_EQ(window.pageCount(), 2);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Eigenschaften von c.jpg"));
    const auto* tabs = window.findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->count(), 2);
    const auto* buttons = window.findChild<QDialogButtonBox*>();
    ASSERT_TRUE(buttons);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Close)->text(), QStringLiteral("Schließen"));
}

}  // namespace
}  // namespace tavrin::host
