// The commands that play the file manager, on real camera files: what they say and return when
// something fails.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "platform/registry/registry.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

namespace fs = std::filesystem;

class HostFailures : public test::TempRegistry {
  protected:
    struct Result {
        int status;
        std::string out, err;  // err: the command's lines and the message boxes'
    };

    void SetUp() override {
        TempRegistry::SetUp();
        ::setenv("TAVRIN_MODULE", TAVRIN_MODULE_PATH, 1);
        ASSERT_EQ(run({"register"}).status, 0);
        ASSERT_EQ(run({"reg", "add", "HKCR\\.crw", "/ve", "/d", "TavrinImage", "/f"}).status, 0);
        ASSERT_EQ(run({"reg", "add", "HKCR\\.trashed", "/ve", "/d", "TavrinImageT", "/f"}).status,
                  0);
        folder_ = root() / "pictures";
        fs::create_directories(folder_);
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all);
        ::unsetenv("TAVRIN_MODULE");
        TempRegistry::TearDown();
    }

    Result run(std::vector<std::string> args) {
        args.insert(args.begin(), "tavrin");
        const std::vector<std::string_view> views(args.begin(), args.end());
        std::ostringstream out, err;
        testing::internal::CaptureStderr();
        const int status = runHost(views, {out, err});
        return {status, out.str(), err.str() + testing::internal::GetCapturedStderr()};
    }

    // A copy of the G2's CRW file in the test's folder.
    std::string copyOfCrw(const std::string& name) {
        const auto crw = test::sample("digicam_corpus/Canon/PowerShot G2/CRW_0304.CRW");
        if (!fs::exists(crw)) return {};
        fs::copy_file(crw, folder_ / name);
        return (folder_ / name).string();
    }

    static std::size_t lines(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    fs::path folder_;
};

#define REQUIRE_CRW(path) \
    if ((path).empty()) GTEST_SKIP() << "sample file missing: PowerShot G2/CRW_0304.CRW"

TEST_F(HostFailures, aRenameThatFailsIsReportedWithItsReasonAndFails) {
    const std::string trashed = copyOfCrw("x.CRW.trashed");
    REQUIRE_CRW(trashed);
    const std::string taken = copyOfCrw("x.CRW");

    // Taking back onto an existing file: the designed message, then the reason.
    Result r = run({"invoke", "back", trashed});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Tavrin Fehler: Kann Datei " + trashed + " nicht umbenennen"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("tavrin: cannot rename " + trashed + ": x.CRW exists\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(fs::exists(trashed) && fs::exists(taken));

    r = run({"invoke", "aside", (folder_ / "missing.CRW").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.CRW: no such file\n"), std::string::npos) << r.err;

    // A rename that works says nothing.
    fs::remove(taken);
    r = run({"invoke", "back", trashed});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::exists(taken) && !fs::exists(trashed));

    if (::geteuid() != 0) {  // the superuser renames in any folder
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
        r = run({"invoke", "aside", taken});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("x.CRW: permission denied\n"), std::string::npos) << r.err;
    }
}

TEST_F(HostFailures, registrationMakesTheClassesTheApplicationsUse) {
    // SetUp registered in a fresh registry, with no viewer to be found.
    EXPECT_EQ(registry::queryString(registry::Root::ClassesRoot, "TavrinImage", ""),
              "Kamera-Rohbild (Tavrin)");
    EXPECT_EQ(registry::queryString(registry::Root::ClassesRoot, "TavrinImageT", ""),
              "Aussortiertes Kamera-Rohbild (Tavrin)");
    EXPECT_FALSE(registry::keyExists(registry::Root::ClassesRoot, "TavrinImage\\App"));

    ::setenv("TAVRIN_VIEWER", "/opt/tavrin/bin/TavrinViewer", 1);
    const Result r = run({"register"});
    ::unsetenv("TAVRIN_VIEWER");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(registry::queryString(registry::Root::ClassesRoot, "TavrinImage\\App", ""),
              "/opt/tavrin/bin/TavrinViewer");

    EXPECT_EQ(run({"unregister"}).status, 0);
    EXPECT_FALSE(registry::keyExists(registry::Root::ClassesRoot, "TavrinImage"));
    EXPECT_FALSE(registry::keyExists(registry::Root::ClassesRoot, "TavrinImageT"));
}

TEST_F(HostFailures, columnsOfAMissingFileSayItOnceAndFail) {
    const std::string crw = copyOfCrw("x.CRW");
    REQUIRE_CRW(crw);
    const std::string missing = (folder_ / "missing.CRW").string();
    const Result r = run({"columns", missing, crw});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavrin: cannot read " + missing + ": No such file or directory\n");
    EXPECT_EQ(lines(r.out), 2u) << r.out;  // the titles and the readable file
    EXPECT_NE(r.out.find(crw + "\t2312 x 1720\tCanon PowerShot G2\t"), std::string::npos) << r.out;
}

// An RW2 file cut right after its header, and a CR3 whose boxes hold no picture.
TEST_F(HostFailures, todaysFilesWithoutAPictureSayItInOneLineAndFail) {
    for (const char* name : {"metadata-extractor-images/Issue 419.rw2", "exiftool/CanonRaw.cr3"}) {
        const auto file = test::sample(name);
        if (!fs::exists(file)) GTEST_SKIP() << "sample file missing: " << file;
        const std::string out = (folder_ / "thumbnail.png").string();
        const Result r = run({"thumbnail", "-s", "256", file.string(), out});
        EXPECT_NE(r.status, 0) << name;
        EXPECT_EQ(lines(r.err), 1u) << name << ": " << r.err;
        EXPECT_FALSE(fs::exists(out)) << name;
    }
}

TEST_F(HostFailures, aFailedWriteNamesItsReasonAndNoTemporaryFile) {
    const std::string crw = copyOfCrw("x.CRW");
    REQUIRE_CRW(crw);
    const std::string nowhere = (folder_ / "no" / "out.tiff").string();
    Result r = run({"decode", "--half", crw, nowhere});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavrin decode: cannot write " + nowhere + ": no such folder\n");

    fs::create_directory(folder_ / "out.tiff");
    r = run({"decode", "--half", crw, (folder_ / "out.tiff").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("out.tiff: it is a folder\n"), std::string::npos) << r.err;
    EXPECT_EQ(lines(r.err), 1u) << r.err;

    const std::string thumbnail = (folder_ / "no" / "t.png").string();
    r = run({"thumbnail", "-s", "64", crw, thumbnail});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavrin: cannot write " + thumbnail + ": no such folder\n");

    if (::geteuid() != 0) {
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
        r = run({"decode", "--half", crw, (folder_ / "locked.tiff").string()});
        EXPECT_NE(r.err.find("locked.tiff: permission denied\n"), std::string::npos) << r.err;
    }
    // Whatever failed, no temporary file is named or left.
    EXPECT_EQ(r.err.find(".tmp"), std::string::npos) << r.err;
    for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace tavrin::host
