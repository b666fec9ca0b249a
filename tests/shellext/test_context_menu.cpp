// The context-menu commands: which items a selection gets, and renames that never lose a file.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/registry/registry.hpp"
#include "platform/system/files.hpp"
#include "platform/ui/menu.hpp"
#include "platform/ui/message_box.hpp"
#include "shellext/surfaces/context_menu.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace com;
using registry::Root;

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ContextMenu : public test::TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        previous_ = ui::setMessageBoxHandler(
            [this](std::string_view text, std::string_view caption, UINT type) {
                messages_.push_back(std::string(caption) + "|" + std::string(text));
                EXPECT_EQ(type, ui::MB_ICONHAND);
                return ui::IDOK;
            });
    }
    void TearDown() override {
        ui::setMessageBoxHandler(previous_);
        TempRegistry::TearDown();
    }

    std::string file(const std::string& name, const std::string& content = "picture") {
        const auto path = root() / name;
        writeText(path, content);
        return path.string();
    }

    // The menu's items as "offset text", separators as "offset -".
    std::vector<std::string> menu(const std::string& single,
                                  const std::vector<std::string>& several, UINT flags = 0) {
        HMENU popup = ui::CreatePopupMenu();
        ui::InsertMenuA(popup, 0, ui::MF_BYPOSITION, 900, "Öffnen");
        const HRESULT n = buildContextMenu({single, several}, popup, 1, 100, flags);
        std::vector<std::string> items;
        for (const ui::MenuItem& item : ui::menuItems(popup)) {
            if (item.id == 900) continue;
            items.push_back(std::to_string(item.id - 100) + " " +
                            (item.separator ? "-" : item.text));
        }
        ui::DestroyMenu(popup);
        count_ = n;
        return items;
    }

    HRESULT invoke(MenuCommand command, const std::string& single,
                   const std::vector<std::string>& several) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(command));
        return invokeMenuCommand({single, several}, &info);
    }

    std::vector<std::string> messages_;
    HRESULT count_ = 0;

  private:
    ui::MessageBoxHandler previous_;
};

using Items = std::vector<std::string>;

TEST_F(ContextMenu, offersWhatTheSelectionCanDo) {
    EXPECT_EQ(menu(file("a.CR2"), {}), (Items{"1 Aussortieren", "3 Diaschau", "4 -"}));
    EXPECT_EQ(count_, 5);
    EXPECT_EQ(menu(file("a.CR2.TRASHED"), {}), (Items{"2 Zurückholen", "3 Diaschau", "4 -"}));
    EXPECT_EQ(menu("", {file("a.CR2"), file("b.CR2.trashed")}),
              (Items{"2 Zurückholen", "1 Aussortieren", "3 Diaschau", "4 -"}));
    EXPECT_EQ(count_, 6);
    EXPECT_EQ(menu("", {file("a.CR2"), file("b.NEF")}),
              (Items{"1 Aussortieren", "3 Diaschau", "4 -"}));
    EXPECT_TRUE(menu(file("a.CR2"), {}, CMF_DEFAULTONLY).empty());
    EXPECT_EQ(count_, 0);
}

TEST_F(ContextMenu, opensInTheViewerOnlyWhenTheUserChoseAnotherProgram) {
    const std::string key =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.CR2";
    registry::setValue(Root::ClassesRoot, ".CR2", "", std::string("TavrinImage"));
    registry::setValue(Root::CurrentUser, key, "ProgID", std::string("tavrinimage"));
    EXPECT_EQ(menu(file("a.CR2"), {}).size(), 3u);

    registry::setValue(Root::CurrentUser, key, "ProgID", std::string());
    registry::setValue(Root::CurrentUser, key, "Application", std::string("gimp.exe"));
    EXPECT_EQ(menu(file("a.CR2"), {}),
              (Items{"1 Aussortieren", "0 Vorschau mit Tavrin", "3 Diaschau", "4 -"}));
    EXPECT_EQ(count_, 6);
    EXPECT_EQ(menu(file("a.CR2.trashed"), {}).size(), 3u);  // never for a file put aside
}

TEST_F(ContextMenu, putsAsideAndTakesBackOnlyTheFilesThatFit) {
    const std::string a = file("a.CR2"), b = file("b.CR2.trashed");
    EXPECT_EQ(invoke(MenuCommand::PutAside, "", {a, b}), S_OK);
    EXPECT_TRUE(std::filesystem::exists(a + ".trashed"));
    EXPECT_TRUE(std::filesystem::exists(b));
    EXPECT_FALSE(std::filesystem::exists(b + ".trashed"));

    EXPECT_EQ(invoke(MenuCommand::TakeBack, "", {a + ".trashed", file("c.NEF")}), S_OK);
    EXPECT_TRUE(std::filesystem::exists(a));
    EXPECT_TRUE(std::filesystem::exists(root() / "c.NEF"));  // keeps its real extension
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ContextMenu, aTakenNameIsNeverReplaced) {
    const std::string kept = file("x.NEF", "the newer picture"),
                      aside = file("x.NEF.trashed", "the older one");
    const std::string gone = (root() / "gone.NEF").string();
    EXPECT_EQ(invoke(MenuCommand::TakeBack, "", {aside, gone + ".trashed", file("y.NEF.trashed")}),
              S_OK);
    EXPECT_EQ(files::readText(kept), "the newer picture");
    EXPECT_EQ(files::readText(aside), "the older one");
    EXPECT_TRUE(std::filesystem::exists(root() / "y.NEF"));  // the next file is still handled
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0].substr(0, messages_[0].find(':')),
              "Tavrin Fehler|Kann Datei " + aside + " nicht umbenennen");
    EXPECT_NE(messages_[1].find(gone + ".trashed nicht umbenennen"), std::string::npos);
}

TEST_F(ContextMenu, startsTheViewerWithTheSelection) {
    const std::string a = file("a b.CR2"), b = file("c.NEF.trashed");
    EXPECT_EQ(invoke(MenuCommand::Slideshow, "", {a, b}), E_INVALIDARG);  // no viewer registered
    EXPECT_EQ(invoke(MenuCommand::Separator, a, {}), E_INVALIDARG);

    const auto output = root() / "arguments";
    const auto viewer = root() / "viewer";
    writeText(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + output.string() + ".part && mv " +
                          output.string() + ".part " + output.string() + "\n");
    std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
    registry::setValue(Root::ClassesRoot, "TavrinImage\\App", "", viewer.string());

    EXPECT_EQ(invoke(MenuCommand::Slideshow, "", {a, b}), S_OK);
    for (int i = 0; i < 500 && !std::filesystem::exists(output); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(files::readText(output), "-s\n" + a + "\n" + b + "\n");
}

TEST_F(ContextMenu, theViewerGetsEveryFileNameByteForByte) {
    // The viewer writes its arguments each ended by a zero byte.
    const auto output = root() / "arguments";
    const auto viewer = root() / "viewer";
    writeText(viewer, "#!/bin/sh\nprintf '%s\\0' \"$@\" > " + output.string() + ".part && mv " +
                          output.string() + ".part " + output.string() + "\n");
    std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
    registry::setValue(Root::ClassesRoot, "TavrinImage\\App", "", viewer.string());
    const auto arguments = [&](MenuCommand command, const std::string& single,
                               const std::vector<std::string>& several) {
        std::filesystem::remove(output);
        EXPECT_EQ(invoke(command, single, several), S_OK);
        for (int i = 0; i < 500 && !std::filesystem::exists(output); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return files::readText(output).value_or("<none>");
    };

    const std::vector<std::string> names = {
        file("say \"hi\".CR2"),   file("back\\slash.NEF"),
        file("two\\\\\"q\\.CR2"), file("M\xC3\xBCller Caf\xC3\xA9.NEF"),
        file("caf\xE9  x\t.CR2"), file("trailing\\")};
    std::string expected = std::string("-s") + '\0';
    for (const std::string& name : names)
        expected += name + '\0';
    EXPECT_EQ(arguments(MenuCommand::Slideshow, "", names), expected);
    EXPECT_EQ(arguments(MenuCommand::Slideshow, names[2], {}),
              "-s" + std::string(1, '\0') + names[2] + '\0');
    EXPECT_EQ(arguments(MenuCommand::OpenInViewer, names[0], {}), names[0] + '\0');
}

TEST_F(ContextMenu, givesHelpTextsInBothCharacterSets) {
    char narrow[16];
    ASSERT_EQ(menuHelpText(3, GCS_HELPTEXTA, narrow, sizeof narrow), S_OK);
    EXPECT_STREQ(narrow, "Diaschau aus ma");
    WCHAR wide[64];
    ASSERT_EQ(menuHelpText(0, GCS_HELPTEXTW, reinterpret_cast<char*>(wide), 64), S_OK);
    EXPECT_EQ(std::u16string(wide), u"Öffnet den Tavrin-Betrachter um das Bild anzuzeigen");
    char tiny[2];
    ASSERT_EQ(menuHelpText(0, GCS_HELPTEXTA, tiny, sizeof tiny), S_OK);
    EXPECT_STREQ(tiny, "");  // "Ö" does not fit whole
    EXPECT_EQ(menuHelpText(4, GCS_HELPTEXTA, narrow, sizeof narrow), E_INVALIDARG);
    EXPECT_EQ(menuHelpText(1, 0, narrow, sizeof narrow), E_INVALIDARG);
}

}  // namespace
}  // namespace tavrin::shell
