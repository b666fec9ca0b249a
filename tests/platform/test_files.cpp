#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/system/eventlog.hpp"
#include "platform/system/files.hpp"
#include "platform/system/paths.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin {
namespace {

using test::TempDir;

TEST(Files, renameNeverReplacesAnExistingFile) {
    TempDir dir;
    const auto a = dir.path() / "x.NEF";
    const auto b = dir.path() / "x.NEF.trashed";
    std::ofstream(a) << "raw";
    ASSERT_TRUE(files::renameNoReplace(a, b));
    EXPECT_FALSE(std::filesystem::exists(a));
    std::ofstream(a) << "another";
    EXPECT_FALSE(files::renameNoReplace(b, a));
    EXPECT_EQ(files::readText(a), "another");
    EXPECT_EQ(files::readText(b), "raw");
    EXPECT_FALSE(files::renameNoReplace(dir.path() / "missing", dir.path() / "y"));
}

TEST(Files, aPendingFileDroppedWithoutCommitLeavesNoTrace) {
    TempDir dir;
    const auto target = dir.path() / "f";
    {
        auto pending = files::PendingFile::write(target, "new");
        ASSERT_TRUE(pending);
        EXPECT_TRUE(std::filesystem::exists(pending->temporaryPath()));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_TRUE(files::writeAtomically(target, "content"));
    EXPECT_EQ(files::readText(target), "content");
    EXPECT_FALSE(files::writeAtomically(dir.path() / "no" / "such" / "dir", "x"));
}

TEST(Files, wholeFileReadsGiveNothingForWhatCannotBeRead) {
    TempDir dir;
    const auto big = dir.path() / "big";
    std::string content(200000, 'x');
    content[199999] = '\0';
    std::ofstream(big, std::ios::binary) << content;
    EXPECT_EQ(files::readText(big), content);
    EXPECT_EQ(files::readBytes(big)->size(), content.size());
    std::ofstream(dir.path() / "empty");
    EXPECT_EQ(files::readText(dir.path() / "empty"), "");

    // A folder, a pipe without a writer (which must not block) and a file that fails on read.
    const auto fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto failing = dir.path() / "failing";
    std::filesystem::create_symlink("/proc/self/mem", failing);
    for (const auto& path : {dir.path(), fifo, failing, dir.path() / "missing"}) {
        EXPECT_FALSE(files::readText(path)) << path;
        EXPECT_FALSE(files::readBytes(path)) << path;
    }
}

TEST(Paths, driveLettersMapToTheHomeFolder) {
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(paths::nativePath("C:\\Tavrin.log"), std::filesystem::path(home) / "Tavrin.log");
    EXPECT_EQ(paths::nativePath("d:/logs\\t.log"), std::filesystem::path(home) / "logs/t.log");
    EXPECT_EQ(paths::nativePath("/var/log/t.log"), "/var/log/t.log");
    EXPECT_EQ(paths::nativePath("relative\\name"), "relative\\name");
}

TEST(Paths, pathsAsTypedBecomeFullPaths) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(paths::fullPath("./x.jpg"), cwd + "/x.jpg");
    EXPECT_EQ(paths::fullPath("a/../b/./c.NEF"), cwd + "/b/c.NEF");
    EXPECT_EQ(paths::fullPath("/p//q/../r.CR2"), "/p/r.CR2");
    EXPECT_EQ(paths::fullPath("/with \"quote\" and \\ \xE9.CR2"),
              "/with \"quote\" and \\ \xE9.CR2");
}

TEST(EventLog, appendsEntriesWithTheResultCodeToTheNamedFile) {
    TempDir dir;
    const auto file = dir.path() / "events.log";
    ::setenv("TAVRIN_EVENTLOG", file.c_str(), 1);
    eventlog::reportError(static_cast<std::int32_t>(0x80004005), "first");
    eventlog::reportError(static_cast<std::int32_t>(0x8007000E), "second");
    ::unsetenv("TAVRIN_EVENTLOG");
    EXPECT_EQ(files::readText(file), "0x80004005 first\n0x8007000E second\n");
    eventlog::reportError(0, "no file named: syslog only");  // must not fail
}

}  // namespace
}  // namespace tavrin
