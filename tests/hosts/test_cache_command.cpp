// tavrin cache: the desktop's thumbnail cache as file managers read it, filled in-process
// against the built shell object.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "hosts/tavrin/commands.hpp"
#include "hosts/tavrin/thumbnail_cache.hpp"
#include "platform/imaging/png_texts.hpp"
#include "platform/system/files.hpp"
#include "platform/system/md5.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/registered_host.hpp"

namespace tavrin::host {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

TEST(CacheNames, md5DigestsOfKnownTexts) {
    // Lengths around the 56-byte boundary where the length no longer fits the last block.
    EXPECT_EQ(md5::hexDigest(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5::hexDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5::hexDigest(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(md5::hexDigest(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(md5::hexDigest("1234567890123456789012345678901234567890123456789012345678901234"
                             "5678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
    // The desktop's own example of a cache name.
    EXPECT_EQ(md5::hexDigest("file:///home/jens/photos/me.png"),
              "c6ee772d9e49320e97ec29a7eb5b1697");
}

TEST(CacheNames, urisAreEscapedAsGLibEscapesThem) {
    // Checked against Gio.File.new_for_path(...).get_uri().
    EXPECT_EQ(fileUri("/tmp/a b/\xC3\x9Cn\xC3\xAF"
                      "code 100%.NEF"),
              "file:///tmp/a%20b/%C3%9Cn%C3%AFcode%20100%25.NEF");
    EXPECT_EQ(fileUri("/tmp/x!$&'()*+,;=:@~[]#?\"<>{}|^`.nef"),
              "file:///tmp/x!$&'()*+,%3B=:@~%5B%5D%23%3F%22%3C%3E%7B%7D%7C%5E%60.nef");
    EXPECT_EQ(fileUri("/a\tb\x7F"), "file:///a%09b%7F");
}

TEST(CacheNames, mimeTypesByExtension) {
    EXPECT_EQ(mimeTypeOf("/x/IMG_1.CR2"), "image/x-canon-cr2");
    EXPECT_EQ(mimeTypeOf("/x/a.jpeg"), "image/jpeg");
    EXPECT_EQ(mimeTypeOf("/x/a.NEF.trashed"), "application/x-tavrin-trashed");
    EXPECT_EQ(mimeTypeOf("/x/a.thm"), "image/x-tavrin-thm");
}

// A PNG file's size, whether all of its picture decodes, and the picture.
struct PngCheck {
    bool whole = false;
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // RGB
};
PngCheck checkPng(const fs::path& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    const bool whole = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    return {whole, static_cast<int>(image.width), static_cast<int>(image.height),
            std::move(pixels)};
}

// The types of a PNG file's chunks in file order, runs of one type counted once.
std::vector<std::string> chunkTypes(const fs::path& file) {
    const auto bytes = files::readBytes(file);
    std::vector<std::string> types;
    for (std::size_t at = 8; bytes && at + 12 <= bytes->size();) {
        const std::size_t length = std::size_t((*bytes)[at]) << 24 | (*bytes)[at + 1] << 16 |
                                   (*bytes)[at + 2] << 8 | (*bytes)[at + 3];
        const std::string type(reinterpret_cast<const char*>(&(*bytes)[at + 4]), 4);
        if (types.empty() || types.back() != type) types.push_back(type);
        at += 12 + length;
    }
    return types;
}

std::string textOf(const fs::path& png, std::string_view key) {
    const auto texts = imaging::readPngTexts(png);
    if (!texts) return "(no PNG)";
    for (const auto& t : *texts) {
        if (t.key == key) return t.value;
    }
    return "(none)";
}

class CacheCommand : public test::RegisteredHost {
  protected:
    void SetUp() override {
        RegisteredHost::SetUp();
        ::setenv("XDG_CACHE_HOME", (root() / "cache").c_str(), 1);
        fs::create_directories(photos());
    }
    void TearDown() override {
        ::unsetenv("XDG_CACHE_HOME");
        RegisteredHost::TearDown();
    }

    int cache(std::vector<std::string_view> args) {
        args.insert(args.begin(), "cache");
        return run(args);
    }

    fs::path photos() const { return root() / "photos"; }
    fs::path thumbnails() const { return root() / "cache" / "thumbnails"; }
    fs::path cached(const fs::path& file, std::string_view size = "normal") const {
        return thumbnails() / size / (md5::hexDigest(fileUri(file.string())) + ".png");
    }
    fs::path failureMarker(const fs::path& file) const {
        const auto folders = fs::directory_iterator(thumbnails() / "fail");
        return folders->path() / (md5::hexDigest(fileUri(file.string())) + ".png");
    }
    static std::string mtimeOf(const fs::path& file) {
        struct stat st {};
        ::stat(file.c_str(), &st);
        return std::to_string(st.st_mtime);
    }
    static void setMtime(const fs::path& file, std::time_t seconds) {
        fs::last_write_time(file, std::chrono::file_clock::from_sys(
                                      std::chrono::system_clock::from_time_t(seconds)));
    }
};

TEST_F(CacheCommand, storesThumbnailsNamedAndLabelledAsFileManagersLookThemUp) {
    const fs::path names[] = {photos() / "with blanks.jpg", photos() / "\xC3\x9Cnter Wasser.JPG",
                              photos() / "100% scharf.jpeg"};
    for (const auto& name : names)
        writeFile(name, jpeg(300, 200));
    ASSERT_EQ(cache({"--size", "normal", "--size", "large", photos().string()}), 0) << err_;
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 3 made, 0 current, 0 failed");
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        for (const auto& [size, pixels] : {std::pair{"normal", 128}, {"large", 256}}) {
            const fs::path png = cached(name, size);
            const PngCheck picture = checkPng(png);
            EXPECT_TRUE(picture.whole);
            EXPECT_EQ(std::max(picture.width, picture.height), pixels);
            EXPECT_EQ(textOf(png, "Thumb::URI"), fileUri(name.string()));
            EXPECT_EQ(textOf(png, "Thumb::MTime"), mtimeOf(name));
            EXPECT_EQ(textOf(png, "Thumb::Size"), std::to_string(fs::file_size(name)));
            EXPECT_EQ(textOf(png, "Thumb::Mimetype"), "image/jpeg");
            EXPECT_EQ(fs::status(png).permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write);
        }
    }
    EXPECT_EQ(fs::status(thumbnails()).permissions() & fs::perms::all, fs::perms::owner_all);
    // A picture smaller than the size is not enlarged.
    const fs::path small = photos() / "klein.jpg";
    writeFile(small, jpeg(100, 60));
    ASSERT_EQ(cache({"--size", "normal", small.string()}), 0) << err_;
    EXPECT_EQ(checkPng(cached(small)).width, 100);
    EXPECT_EQ(checkPng(cached(small)).height, 60);
    // The URIs as the desktop writes them, escapes and all.
    EXPECT_EQ(fileUri(names[2].string()), "file://" + photos().string() + "/100%25%20scharf.jpeg");
    // Nothing but the thumbnails: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(thumbnails() / "normal"), {}), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(thumbnails() / "large"), {}), 3);
}

TEST_F(CacheCommand, cachedThumbnailsAreCompressedAndHoldThePicturesTavrinThumbnailHandsOver) {
    const fs::path photo = photos() / "verlauf.jpg";
    writeFile(photo, jpeg(600, 400));
    ASSERT_EQ(cache({"--size", "large", photo.string()}), 0) << err_;
    const fs::path handedOver = root() / "handed over.png";
    ASSERT_EQ(run({"thumbnail", "-s", "256", photo.string(), handedOver.string()}), 0) << err_;
    const PngCheck kept = checkPng(cached(photo, "large")), given = checkPng(handedOver);
    ASSERT_TRUE(kept.whole && given.whole);
    EXPECT_EQ(kept.width, given.width);
    EXPECT_EQ(kept.height, given.height);
    EXPECT_TRUE(kept.pixels == given.pixels);
    EXPECT_LT(fs::file_size(cached(photo, "large")), fs::file_size(handedOver) * 3 / 4);
    // The texts ahead of the picture data, where a file manager reads them without decoding it.
    EXPECT_EQ(chunkTypes(cached(photo, "large")),
              (std::vector<std::string>{"IHDR", "tEXt", "IDAT", "IEND"}));
}

TEST_F(CacheCommand, skipsCurrentThumbnailsAndRemakesChangedOnes) {
    const fs::path a = photos() / "a.jpg", b = photos() / "sub" / "b.jpg";
    writeFile(a, jpeg(64, 48));
    fs::create_directories(b.parent_path());
    writeFile(b, jpeg(64, 48));
    ASSERT_EQ(cache({"--quiet", photos().string()}), 0) << err_;
    EXPECT_EQ(out_, "");
    const auto before = fs::last_write_time(cached(b));

    ASSERT_EQ(cache({photos().string()}), 0) << err_;
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 0 made, 2 current, 0 failed");
    EXPECT_EQ(fs::last_write_time(cached(b)), before);

    // A changed file, or a size not yet cached, is made anew; --force makes all.
    setMtime(a, 1000000000);
    ASSERT_EQ(cache({photos().string()}), 0) << err_;
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 1 made, 1 current, 0 failed");
    EXPECT_EQ(textOf(cached(a), "Thumb::MTime"), "1000000000");
    ASSERT_EQ(cache({"--size", "x-large", photos().string()}), 0) << err_;
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 2 made, 0 current, 0 failed");
    ASSERT_EQ(cache({"--force", "--jobs", "1", photos().string()}), 0) << err_;
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 2 made, 0 current, 0 failed");
}

TEST_F(CacheCommand, failureMarkersAreWrittenAndClearedWhenAThumbnailIsMade) {
    const fs::path bad = photos() / "leer.nef", good = photos() / "gut.jpg";
    writeFile(bad, Bytes(3000, 0));
    writeFile(good, jpeg(64, 48));
    EXPECT_EQ(cache({photos().string()}), 1);
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 1 made, 0 current, 1 failed");
    EXPECT_NE(err_.find("tavrin: no thumbnail for " + bad.string() + ": "), std::string::npos)
        << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
    const fs::path marker = failureMarker(bad);
    EXPECT_EQ(marker.parent_path().filename().string().rfind("tavrin-", 0), 0u);
    EXPECT_EQ(textOf(marker, "Thumb::URI"), fileUri(bad.string()));
    EXPECT_EQ(textOf(marker, "Thumb::MTime"), mtimeOf(bad));
    EXPECT_FALSE(fs::exists(cached(bad)));

    // Unchanged, it is not tried again; once it holds a picture, the marker goes.
    EXPECT_EQ(cache({bad.string()}), 1);
    EXPECT_NE(err_.find("none the last time"), std::string::npos) << err_;
    writeFile(bad, jpeg(64, 48));
    setMtime(bad, 1500000000);
    ASSERT_EQ(cache({bad.string()}), 0) << err_;
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_TRUE(checkPng(cached(bad)).whole);
}

TEST_F(CacheCommand, badInputIsReportedOneLineEachAndTheRunGoesOn) {
    const fs::path good = photos() / "gut.jpg";
    writeFile(good, jpeg(64, 48));
    writeFile(photos() / "notes.txt", {'x'});  // not a camera type: passed over in a folder
    fs::create_directory_symlink(photos(), photos() / "loop");
    fs::create_symlink("self.nef", photos() / "self.nef");
    const std::string missing = (root() / "missing.nef").string();
    EXPECT_EQ(cache({missing, photos().string(), (photos() / "notes.txt").string()}), 1);
    EXPECT_EQ(out_.substr(0, out_.find(" (")), "tavrin cache: 1 made, 0 current, 3 failed");
    EXPECT_NE(err_.find("tavrin: cannot read " + missing + ": "), std::string::npos) << err_;
    EXPECT_NE(err_.find("tavrin: cannot read " + (photos() / "self.nef").string() + ": "),
              std::string::npos)
        << err_;
    EXPECT_NE(err_.find("notes.txt: not a type Tavrin reads"), std::string::npos) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 3) << err_;
    EXPECT_TRUE(checkPng(cached(good)).whole);

    if (::geteuid() != 0) {
        const fs::path locked = photos() / "locked";
        fs::create_directory(locked);
        fs::permissions(locked, fs::perms::none);
        EXPECT_EQ(cache({locked.string()}), 1);
        EXPECT_NE(err_.find("tavrin: cannot read " + locked.string()), std::string::npos);
        fs::permissions(locked, fs::perms::owner_all);
    }
}

TEST_F(CacheCommand, aCacheThatCannotBeWrittenStopsTheRunWithOneLine) {
    writeFile(photos() / "gut.jpg", jpeg(64, 48));
    writeFile(root() / "cache", {'x'});  // the cache folder's place is taken by a file
    EXPECT_EQ(cache({photos().string()}), 1);
    EXPECT_EQ(err_.rfind("tavrin: cannot write " + thumbnails().string(), 0), 0u) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
}

TEST_F(CacheCommand, wrongArgumentsGiveTheUsage) {
    for (const auto& args : std::vector<std::vector<std::string_view>>{{},
                                                                       {"--size", "huge", "x"},
                                                                       {"--jobs", "0", "x"},
                                                                       {"--jobs", "2x", "x"},
                                                                       {"--fast", "x"}}) {
        EXPECT_EQ(cache(args), 2);
        EXPECT_NE(err_.find("Usage: tavrin cache"), std::string::npos) << err_;
    }
}

TEST_F(CacheCommand, twoConcurrentRunsLeaveEveryThumbnailWhole) {
    std::vector<fs::path> files;
    for (int i = 0; i < 12; ++i) {
        files.push_back(photos() / ("bild " + std::to_string(i) + ".jpg"));
        writeFile(files.back(), jpeg(400 + 8 * i, 300));
    }
    const std::string folder = photos().string();
    int status[2] = {-1, -1};
    {
        std::vector<std::jthread> runs;
        for (int& result : status) {
            runs.emplace_back([&] {
                std::ostringstream out, err;
                const std::string_view args[] = {"tavrin", "cache",  "--force", "--jobs",
                                                 "2",      "--size", "large",   folder};
                result = runHost(args, {out, err});
            });
        }
    }
    EXPECT_EQ(status[0], 0);
    EXPECT_EQ(status[1], 0);
    for (const auto& file : files) {
        const PngCheck picture = checkPng(cached(file, "large"));
        EXPECT_TRUE(picture.whole) << file;
        EXPECT_EQ(picture.width, 256) << file;
        EXPECT_EQ(textOf(cached(file, "large"), "Thumb::URI"), fileUri(file.string()));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(thumbnails() / "large"), {}),
              static_cast<std::ptrdiff_t>(files.size()));
}

}  // namespace
}  // namespace tavrin::host
