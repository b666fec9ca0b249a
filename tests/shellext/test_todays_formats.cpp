// The image info reader on the RAW formats of today's cameras: CR3 fixtures and the real RW2,
// ARW, RAF and IIQ samples, compared with exiftool where it is installed.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "platform/imaging/decode.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/fixtures/sample_files.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace fixtures;

class TodaysFormats : public test::TempRegistry {
  protected:
    std::filesystem::path write(const std::string& name, const Bytes& bytes) {
        const auto path = root() / name;
        writeFile(path, bytes);
        return path;
    }
    static com::HRESULT read(ImageInfo& info, const std::filesystem::path& path) {
        info.filePath = path.string();
        return ReadImageInfo(info, true);
    }
    static Bytes previewBytes(const ImageInfo& info) {
        const auto* p = static_cast<const std::uint8_t*>(com::GlobalLock(info.previewData));
        Bytes out(p, p + com::GlobalSize(info.previewData));
        com::GlobalUnlock(info.previewData);
        return out;
    }
};

// exiftool's printed values of the given tags (-s -s -s), by tag; empty when it is missing.
std::map<std::string, std::string> exiftool(const std::filesystem::path& file,
                                            const std::vector<std::string>& tags) {
    std::map<std::string, std::string> values;
    std::string cmd = "exiftool -q -q -f -s -s -s";
    for (const auto& tag : tags)
        cmd += " -" + tag;
    cmd += " '" + file.string() + "' 2>/dev/null";
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return values;
    char line[1024];
    for (const auto& tag : tags) {
        if (!std::fgets(line, sizeof line, pipe)) break;
        std::string value = line;
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        values[tag] = value;
    }
    ::pclose(pipe);
    return values;
}

const std::vector<std::string> kShootingTags = {
    "Make", "Model",        "ExposureTime", "FNumber",
    "ISO",  "FocalLength#", "Flash#",       "DateTimeOriginal"};

// Our shooting data against exiftool's for one file.
void expectAgreesWithExiftool(const ImageInfo& info, const std::filesystem::path& file) {
    const auto ref = exiftool(file, kShootingTags);
    if (ref.empty()) GTEST_SKIP() << "exiftool is not installed";
    const ShootingData& sd = info.shooting;
    EXPECT_EQ(info.make, ref.at("Make"));
    EXPECT_EQ(info.model, ref.at("Model"));
    EXPECT_EQ(sd.exposureTime, ref.at("ExposureTime"));
    EXPECT_EQ(sd.aperture, "f " + ref.at("FNumber"));
    // Speeds above the highest the readers show are left out.
    EXPECT_EQ(sd.isoText, std::stoi(ref.at("ISO")) <= kMaxIso ? ref.at("ISO") : "");
    EXPECT_DOUBLE_EQ(std::stod(sd.focalLength), std::stod(ref.at("FocalLength#")));
    EXPECT_EQ(sd.flash, (std::stoi(ref.at("Flash#")) & 1) ? "An" : "Aus");
    EXPECT_EQ(sd.dateTaken, ref.at("DateTimeOriginal"));
}

TEST_F(TodaysFormats, aCr3ShowsItsPreviewAndItsShootingData) {
    const Bytes preview = jpeg(320, 212);
    const auto file = write("IMG_0001.CR3", cr3WithPreview(preview));
    ImageInfo info;
    ASSERT_EQ(read(info, file), com::S_OK);
    EXPECT_EQ(previewBytes(info), preview);
    EXPECT_EQ(info.previewWidth, 320);
    EXPECT_EQ(info.previewHeight, 212);
    EXPECT_EQ(info.make, "Canon");
    EXPECT_EQ(info.model, "Canon EOS R5");
    EXPECT_EQ(info.shooting.exposureTime, "1/250");
    EXPECT_EQ(info.shooting.isoText, "400");
    // The size its IFD0 gives, not the preview's: the engine does not know the file.
    EXPECT_EQ(info.shooting.width, 8192);
    EXPECT_EQ(info.shooting.height, 5464);
    expectAgreesWithExiftool(info, file);
}

TEST_F(TodaysFormats, aCr3WithoutAPreviewShowsItsThumbnailElseNothing) {
    Cr3Content content;
    content.thumbnail = jpeg(160, 120);
    content.preview = Bytes(300, 'x');  // a PRVW box without a JPEG
    ImageInfo info;
    ASSERT_EQ(read(info, write("a.CR3", cr3(content))), com::S_OK);
    EXPECT_EQ(previewBytes(info), content.thumbnail);

    content.thumbnail.clear();
    ImageInfo none;
    EXPECT_TRUE(com::FAILED(read(none, write("b.CR3", cr3(content)))));
    EXPECT_EQ(none.previewData, nullptr);
}

TEST_F(TodaysFormats, theCanonSampleGivesItsMetadataButHoldsNoPicture) {
    const auto file = test::sample("exiftool/CanonRaw.cr3");
    TAVRIN_REQUIRE_SAMPLE(file);
    ImageInfo info;
    EXPECT_TRUE(com::FAILED(read(info, file)));  // its boxes hold placeholder text
    EXPECT_EQ(info.previewData, nullptr);
    expectAgreesWithExiftool(info, file);
}

TEST_F(TodaysFormats, aPanasonicRw2ShowsItsJpgFromRaw) {
    const auto file = test::sample("exiftool/Panasonic.rw2");
    TAVRIN_REQUIRE_SAMPLE(file);
    ImageInfo info;
    ASSERT_EQ(read(info, file), com::S_OK);
    EXPECT_EQ(info.previewLength, 10785);  // exiftool's JpgFromRaw
    const Bytes bytes = previewBytes(info);
    EXPECT_EQ(imaging::decodeImage(bytes).status, imaging::Status::Ok);
    expectAgreesWithExiftool(info, file);
}

TEST_F(TodaysFormats, theRealSamplesWithAPictureShowIt) {
    struct Case {
        const char* name;
        std::int64_t length;
    };
    for (const Case c : {Case{"exiftool/FujiFilm.raf", 12167}, Case{"exiftool/PhaseOne.iiq", 3364},
                         Case{"exiftool/Panasonic.rw2", 10785}}) {
        const auto file = test::sample(c.name);
        if (!std::filesystem::exists(file)) GTEST_SKIP() << "sample file missing: " << file;
        ImageInfo info;
        ASSERT_EQ(read(info, file), com::S_OK) << c.name;
        EXPECT_EQ(info.previewLength, c.length) << c.name;
        EXPECT_GT(info.previewWidth, 0) << c.name;
    }
}

TEST_F(TodaysFormats, olympusHeaderMarksReadAsTiff) {
    const Bytes preview = jpeg(64, 48);
    for (const char* mark : {"IIRO", "IIRS", "MMOR"}) {
        const bool little = mark[0] == 'I';
        const Fields f(little);
        auto build = [&](std::uint32_t at) {
            return tiff({Ifd{{f.text(271, "OLYMPUS IMAGING CORP."), f.longs(513, {at}),
                              f.longs(514, {static_cast<std::uint32_t>(preview.size())})}}},
                        little);
        };
        Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
        file.insert(file.end(), preview.begin(), preview.end());
        std::copy(mark, mark + 4, file.begin());
        ImageInfo info;
        ASSERT_EQ(read(info, write("P1.ORF", file)), com::S_OK) << mark;
        EXPECT_EQ(previewBytes(info), preview) << mark;
        EXPECT_EQ(info.make, "OLYMPUS") << mark;  // as the engine names the maker
    }
}

TEST_F(TodaysFormats, theLargestJpegOfATiffStructuredFileIsShown) {
    // A thumbnail in IFD0, the large preview in a sub-directory, a middle one in IFD1.
    const Bytes small = jpeg(16, 12), large = jpeg(96, 64), middle = jpeg(48, 32);
    const Fields f;
    auto build = [&](std::uint32_t at) {
        auto located = [&](const Bytes& j, std::uint32_t offset) {
            return Ifd{
                {f.longs(513, {offset}), f.longs(514, {static_cast<std::uint32_t>(j.size())})}};
        };
        const auto s = static_cast<std::uint32_t>(small.size());
        const auto l = static_cast<std::uint32_t>(large.size());
        Ifd ifd0 = located(small, at);
        ifd0.entries.insert(ifd0.entries.begin(), f.text(271, "SONY"));
        ifd0.entries.push_back(f.directories(330, {located(large, at + s)}));
        return tiff({ifd0, located(middle, at + s + l)});
    };
    Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
    for (const Bytes* j : {&small, &large, &middle})
        file.insert(file.end(), j->begin(), j->end());
    for (const char* name : {"DSC0001.ARW", "x.SR2", "x.srw", "x.NRW", "x.3FR", "x.IIQ", "x.RW2"}) {
        ImageInfo info;
        ASSERT_EQ(read(info, write(name, file)), com::S_OK) << name;
        EXPECT_EQ(previewBytes(info), large) << name;
    }
    // The designed formats keep their own choice: the last directory's picture.
    ImageInfo nef;
    ASSERT_EQ(read(nef, write("x.NEF", file)), com::S_OK);
    EXPECT_EQ(previewBytes(nef), middle);
}

}  // namespace
}  // namespace tavrin::shell
