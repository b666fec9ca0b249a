#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/registry/registry.hpp"
#include "platform/system/files.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::registry {
namespace {

using test::TempRegistry;

void writeFile(const std::filesystem::path& path, std::string_view text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class Registry : public TempRegistry {};

TEST_F(Registry, writesAndReadsBackThroughTheFile) {
    EXPECT_FALSE(queryDword(Root::CurrentUser, "A\\B", "V"));
    ASSERT_TRUE(setValue(Root::CurrentUser, "A\\B", "V", std::uint32_t{7}));
    ASSERT_TRUE(setValue(Root::CurrentUser, "a\\b", "", std::string("default")));
    EXPECT_EQ(queryDword(Root::CurrentUser, "a\\B", "v"), 7u);
    EXPECT_EQ(queryString(Root::CurrentUser, "A\\B", ""), "default");
    EXPECT_FALSE(queryString(Root::CurrentUser, "A\\B", "V"));  // a DWORD is no text
    EXPECT_FALSE(queryDword(Root::CurrentUser, "A\\B", ""));    // and a text no DWORD
    EXPECT_TRUE(std::filesystem::exists(userDir() / "HKEY_CURRENT_USER.reg"));

    EXPECT_TRUE(deleteValue(Root::CurrentUser, "A\\B", "V"));
    EXPECT_FALSE(deleteValue(Root::CurrentUser, "A\\B", "V"));
    EXPECT_TRUE(createKey(Root::CurrentUser, "A\\B\\C\\D"));
    EXPECT_TRUE(deleteKey(Root::CurrentUser, "A\\B"));
    EXPECT_FALSE(keyExists(Root::CurrentUser, "A\\B\\C"));
    EXPECT_TRUE(keyExists(Root::CurrentUser, "A"));
}

TEST_F(Registry, classesRootReadsTheUsersClassesOverTheMachines) {
    writeFile(machineDir() / "HKEY_CLASSES_ROOT.reg",
              "REGEDIT4\n[HKEY_CLASSES_ROOT\\.cr2]\n@=\"TavrinImage\"\n\"Machine\"=dword:1\n"
              "[HKEY_CLASSES_ROOT\\TavrinImage\\App]\n@=\"/usr/bin/TavrinViewer\"\n");
    ASSERT_TRUE(setValue(Root::ClassesRoot, ".CR2", "", std::string("Other.Program")));
    EXPECT_EQ(queryString(Root::ClassesRoot, ".cr2", ""), "Other.Program");
    EXPECT_EQ(queryDword(Root::ClassesRoot, ".cr2", "Machine"), 1u);
    EXPECT_EQ(queryString(Root::ClassesRoot, "TavrinImage\\App", ""), "/usr/bin/TavrinViewer");
    // The user's writes never touch the machine's file.
    EXPECT_EQ(files::readText(machineDir() / "HKEY_CLASSES_ROOT.reg")->find("Other"),
              std::string::npos);

    useMachineScopeForClasses(true);
    EXPECT_TRUE(setValue(Root::ClassesRoot, "Installed", "", std::string("yes")));
    useMachineScopeForClasses(false);
    EXPECT_NE(files::readText(machineDir() / "HKEY_CLASSES_ROOT.reg")->find("Installed"),
              std::string::npos);
}

TEST_F(Registry, readsSeeEveryChangeOfTheFilesWhoeverMadeIt) {
    const auto file = userDir() / "HKEY_CURRENT_USER.reg";
    ASSERT_TRUE(setValue(Root::CurrentUser, "K", "V", std::uint32_t{1}));
    const auto before = load(Root::CurrentUser);
    ASSERT_TRUE(setValue(Root::CurrentUser, "K", "V", std::uint32_t{2}));
    EXPECT_EQ(queryDword(Root::CurrentUser, "K", "V"), 2u);
    EXPECT_EQ(std::get<std::uint32_t>(before->find("K")->value("V")->data), 1u);  // a snapshot

    // Rewritten in place by another program, same size, within the same clock tick.
    const std::string text = *files::readText(file);
    const auto at = text.find("dword:00000002");
    ASSERT_NE(at, std::string::npos);
    std::string edited = text;
    edited[at + 13] = '3';
    writeFile(file, edited);
    EXPECT_EQ(queryDword(Root::CurrentUser, "K", "V"), 3u);
    std::filesystem::remove(file);
    EXPECT_FALSE(keyExists(Root::CurrentUser, "K"));

    // The machine's classes under the user's: a change to either shows.
    writeFile(machineDir() / "HKEY_CLASSES_ROOT.reg",
              "REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"M\"\n");
    EXPECT_EQ(queryString(Root::ClassesRoot, ".a", ""), "M");
    writeFile(machineDir() / "HKEY_CLASSES_ROOT.reg",
              "REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"N\"\n");
    EXPECT_EQ(queryString(Root::ClassesRoot, ".a", ""), "N");
    ASSERT_TRUE(setValue(Root::ClassesRoot, ".a", "", std::string("U")));
    EXPECT_EQ(queryString(Root::ClassesRoot, ".a", ""), "U");
}

TEST_F(Registry, worksWithoutAnyFileAndFailsCleanlyWhereItCannotWrite) {
    EXPECT_FALSE(keyExists(Root::ClassesRoot, "CLSID"));
    EXPECT_TRUE(load(Root::CurrentUser)->children().empty());
    // A folder that cannot be made: the write fails, reading still works.
    writeFile(root() / "plain-file", "x");
    ::setenv("TAVRIN_REGISTRY_DIR", (root() / "plain-file" / "sub").c_str(), 1);
    EXPECT_FALSE(setValue(Root::CurrentUser, "A", "V", std::uint32_t{1}));
    EXPECT_FALSE(queryDword(Root::CurrentUser, "A", "V"));
}

TEST_F(Registry, aSettingsFileThatCannotBeReadGivesDefaultsAndIsNeverReplaced) {
    const auto file = userDir() / "HKEY_CURRENT_USER.reg";
    std::filesystem::create_directories(file / "inside");
    EXPECT_FALSE(queryDword(Root::CurrentUser, "A", "V"));
    EXPECT_FALSE(setValue(Root::CurrentUser, "A", "V", std::uint32_t{1}));
    EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));

    std::filesystem::remove_all(file);
    std::filesystem::create_symlink("/proc/self/mem", file);  // there, but every read fails
    EXPECT_FALSE(queryDword(Root::CurrentUser, "A", "V"));
    EXPECT_FALSE(setValue(Root::CurrentUser, "A", "V", std::uint32_t{1}));
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    // Classes are a file of their own and still work.
    EXPECT_TRUE(setValue(Root::ClassesRoot, ".a", "", std::string("U")));
    EXPECT_EQ(queryString(Root::ClassesRoot, ".a", ""), "U");
}

TEST_F(Registry, aDamagedFileIsReadAsFarAsItParsesAndKeptOnRewrite) {
    const std::string damaged =
        "REGEDIT4\n[HKEY_CURRENT_USER\\Keep]\n\"A\"=dword:00000001\n\x01\x02 garbage\n"
        "\"Foreign\"=hex(2):25,00,00,00\n";
    writeFile(userDir() / "HKEY_CURRENT_USER.reg", damaged);
    testing::internal::CaptureStderr();
    EXPECT_EQ(queryDword(Root::CurrentUser, "Keep", "A"), 1u);
    ASSERT_TRUE(setValue(Root::CurrentUser, "Keep", "B", std::uint32_t{2}));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("line 4"), std::string::npos) << messages;

    const auto rewritten = files::readText(userDir() / "HKEY_CURRENT_USER.reg");
    EXPECT_NE(rewritten->find("\"Foreign\"=hex(2):25,00,00,00"), std::string::npos);
    EXPECT_EQ(files::readText(userDir() / "HKEY_CURRENT_USER.reg.damaged"), damaged);
    EXPECT_EQ(queryDword(Root::CurrentUser, "Keep", "B"), 2u);
}

TEST_F(Registry, concurrentWritersFromTwoProcessesLoseNothing) {
    constexpr int kPerWriter = 200;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            bool ok = true;
            for (int i = 0; i < kPerWriter; ++i) {
                const std::string name = std::to_string(w) + "_" + std::to_string(i);
                ok &= setValue(Root::CurrentUser, "Race", name, static_cast<std::uint32_t>(i));
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const Key* race = load(Root::CurrentUser)->find("Race");
    ASSERT_NE(race, nullptr);
    EXPECT_EQ(race->values().size(), 2u * kPerWriter);
}

TEST_F(Registry, aWriterThatDiesBeforeTheRenameLeavesTheOldFileIntact) {
    ASSERT_TRUE(setValue(Root::CurrentUser, "Key", "Old", std::uint32_t{1}));
    const auto file = userDir() / "HKEY_CURRENT_USER.reg";
    const auto before = files::readText(file);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto pending = files::PendingFile::write(file, "REGEDIT4\n[HKEY_CURRENT_USER\\New]\n");
        ::_exit(pending ? 0 : 1);  // dies without commit and without cleaning up
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(files::readText(file), before);
    EXPECT_EQ(queryDword(Root::CurrentUser, "Key", "Old"), 1u);
    EXPECT_FALSE(keyExists(Root::CurrentUser, "New"));
    // The next writer is not disturbed by the leftover temporary file.
    EXPECT_TRUE(setValue(Root::CurrentUser, "Key", "Next", std::uint32_t{2}));
    EXPECT_EQ(queryDword(Root::CurrentUser, "Key", "Old"), 1u);
}

TEST(RegistryRoots, parseLongAndShortNamesInAnyCase) {
    EXPECT_EQ(parseRoot("hkcu"), Root::CurrentUser);
    EXPECT_EQ(parseRoot("HKEY_CLASSES_ROOT"), Root::ClassesRoot);
    EXPECT_FALSE(parseRoot("HKLM"));
    EXPECT_EQ(rootName(Root::ClassesRoot), "HKEY_CLASSES_ROOT");
}

}  // namespace
}  // namespace tavrin::registry
