// The image info reader on every real file of the sample folder, compared with exiftool (a
// metadata reader run once over the folder): it must end cleanly on each, find the embedded
// preview wherever exiftool finds one, and agree on make, model and ISO.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

#include "common/settings.hpp"
#include "platform/imaging/decode.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/files.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

struct Reference {
    std::string make, model, iso;
    bool hasPreview = false;
    std::string exposure, focal, fnumber, apex, dates;  // numeric EXIF values; the dates joined
};

std::map<std::string, Reference> exiftoolOver(const std::filesystem::path& dir) {
    std::map<std::string, Reference> refs;
    const std::string cmd =
        "exiftool -q -q -T -r -f -Directory -FileName -Make -Model -ISO -PreviewImage -JpgFromRaw "
        "-ThumbnailImage -EXIF:ExposureTime# -EXIF:FocalLength# -EXIF:FNumber# "
        "-EXIF:ApertureValue# "
        "-EXIF:DateTimeOriginal -EXIF:CreateDate -EXIF:ModifyDate '" +
        dir.string() + "' 2>/dev/null";
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return refs;
    char line[8192];
    while (std::fgets(line, sizeof line, pipe)) {
        std::vector<std::string> fields;
        std::stringstream in(line);
        for (std::string field; std::getline(in, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 15) continue;
        for (auto& field : fields)
            field = trimmed(field);
        Reference r{fields[2],  fields[3],  fields[4],
                    false,      fields[8],  fields[9],
                    fields[10], fields[11], fields[12] + "|" + fields[13] + "|" + fields[14]};
        for (int i = 5; i < 8; ++i)
            r.hasPreview |= fields[i].find("Binary data") != std::string::npos;
        const auto path = std::filesystem::path(fields[0]) / fields[1];
        refs[std::filesystem::relative(path, dir).string()] = r;
    }
    ::pclose(pipe);
    return refs;
}

std::string trim(std::string s) {
    return trimmed(s);
}

// "a/b" or a decimal number; nothing for "-" or an empty text.
std::optional<double> number(const std::string& text) {
    if (text.empty() || text == "-") return std::nullopt;
    const auto slash = text.find('/');
    if (slash == std::string::npos) return std::strtod(text.c_str(), nullptr);
    const double d = std::strtod(text.c_str() + slash + 1, nullptr);
    return d == 0 ? std::nullopt : std::optional(std::strtod(text.c_str(), nullptr) / d);
}

// Where the shooting data differ from exiftool's EXIF values by the rules of our readers.
const std::map<std::string, std::string> kOtherValues = {
    // A cut-down file whose directories exiftool stops reading before the date; the date text is
    // in the file.
    {"file-type/fixture-Leica-M10.dng", "date"},
};

// Where exiftool finds a preview that this reader does not take, and why.
const std::map<std::string, std::string> kNoPreview = {
    {"exiftool/CanonRaw.cr3", "its PRVW and THMB boxes hold placeholder text, no JPEG"},
    {"exiv2/test_issue_1472.jpg", "not a JPEG file at all"},
};

// JPEG files whose EXIF block holds a thumbnail but whose own picture data was cut out: a JPEG
// file's preview is the whole file, which does not open.
bool exifOnlyJpeg(const std::string& name) {
    return name.rfind("libexif/", 0) == 0;
}

TEST(SampleFiles, theInfoReaderAgreesWithExiftool) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    const auto refs = exiftoolOver(dir);
    if (refs.empty()) GTEST_SKIP() << "exiftool is not installed";
    test::TempDir registry;
    ::setenv("TAVRIN_REGISTRY_DIR", registry.path().c_str(), 1);
    int files = 0, previews = 0;
    for (const auto& [name, ref] : refs) {
        ImageInfo info;
        info.filePath = (dir / name).string();
        const com::HRESULT r = ReadImageInfo(info, true);
        ++files;
        EXPECT_EQ(com::SUCCEEDED(r), info.previewData != nullptr) << name;
        if (ref.hasPreview && !kNoPreview.count(name) && !exifOnlyJpeg(name)) {
            EXPECT_NE(info.previewData, nullptr) << name << " has a preview exiftool finds";
        }
        previews += info.previewData != nullptr;
        if (!info.make.empty() && ref.make != "-" && name != "exiftool/KyoceraRaw.raw") {
            EXPECT_NE(ascii::lower(ref.make).find(ascii::lower(trim(info.make))), std::string::npos)
                << name << ": " << info.make << " / " << ref.make;
        }
        // The engine's model carries what it found: " JPEG", " DNG".
        std::string model = trim(info.model);
        for (bool cut = true; cut;) {
            cut = false;
            for (const char* suffix : {" JPEG", " DNG"}) {
                if (ascii::endsWithIgnoreCase(model, suffix)) {
                    model = trim(model.substr(0, model.size() - std::strlen(suffix)));
                    cut = true;
                }
            }
        }
        if (!model.empty() && ref.model != "-" && model != "Valeo" && model != "N Digital") {
            EXPECT_TRUE(ascii::endsWithIgnoreCase(ref.model, model))
                << name << ": " << model << " / " << ref.model;
        }
        if (!info.shooting.isoText.empty() && ref.iso != "-") {
            EXPECT_EQ(info.shooting.isoText, ref.iso) << name;
        }
        const ShootingData& sd = info.shooting;
        const bool jpegFile =
            ascii::endsWithIgnoreCase(name, ".jpg") || ascii::endsWithIgnoreCase(name, ".thm");
        // Exposure times: the same rational, reduced (the Foveon text is the camera's rounding).
        if (const auto ours = number(sd.exposureTime), theirs = number(ref.exposure);
            ours && theirs && !ascii::endsWithIgnoreCase(name, ".x3f")) {
            EXPECT_NEAR(*ours, *theirs, *theirs * 0.005)
                << name << ": " << sd.exposureTime << " / " << ref.exposure;
        }
        // Focal lengths: JPEG texts divide in whole numbers.
        if (const auto ours = number(sd.focalLength), theirs = number(ref.focal); ours && theirs) {
            EXPECT_NEAR(*ours, *theirs, jpegFile ? 1.0 : 0.05)
                << name << ": " << sd.focalLength << " / " << ref.focal;
        }
        // Apertures: the f-number of RAW files; a JPEG file shows the APEX value as it is stored.
        if (sd.aperture.rfind("f ", 0) == 0) {
            const double ours = std::strtod(sd.aperture.c_str() + 2, nullptr);
            if (jpegFile) {
                if (const auto apex = number(ref.apex)) {
                    EXPECT_NEAR(ours, 2 * std::log2(*apex), 0.06) << name << ": " << sd.aperture;
                }
            } else if (const auto f = number(ref.fnumber)) {
                EXPECT_NEAR(ours, *f, 0.051) << name << ": " << sd.aperture << " / " << ref.fnumber;
            }
        }
        // Dates in the EXIF form are one of the EXIF dates.
        if (sd.dateTaken.size() == 19 || (sd.dateTaken.size() > 4 && sd.dateTaken[4] == ':')) {
            if (!kOtherValues.count(name)) {
                EXPECT_NE(ref.dates.find(sd.dateTaken), std::string::npos)
                    << name << ": " << sd.dateTaken << " / " << ref.dates;
            }
        }
    }
    ::unsetenv("TAVRIN_REGISTRY_DIR");
    EXPECT_GE(files, 200);
    EXPECT_GE(previews, 150);
}

// Its dates count 19 characters without the terminator: every one of them is read.
TEST(SampleFiles, issue17_kodakDateKeepsItsLastCharacter) {
    const auto path = test::sample("exif-samples/Kodak_CX7530.jpg");
    TAVRIN_REQUIRE_SAMPLE(path);
    test::TempDir registry;
    ::setenv("TAVRIN_REGISTRY_DIR", registry.path().c_str(), 1);
    ImageInfo info;
    info.filePath = path.string();
    ReadImageInfo(info, false);
    ::unsetenv("TAVRIN_REGISTRY_DIR");
    EXPECT_EQ(info.shooting.dateTaken, "2005:08:13 09:47:23");
}

// The camera and other TIFF pictures of the samples (one in 60 strips, LZW, palette) are the
// pictures the imaging layer's TIFF reader makes of the whole file.
TEST(SampleFiles, issue17_tiffPicturesAreWhatTheTiffReaderReads) {
    struct Case {
        const char* name;
        int width, height;
    };
    for (const Case c : {Case{"digicam_corpus/Olympus/D-450/P3110005.TIF", 1280, 960},
                         Case{"exiftool/ExifTool.tif", 160, 120},
                         Case{"exiftool/GeoTiff.tif", 25, 24}, Case{"exiv2/test.tiff", 282, 212}}) {
        const auto path = test::sample(c.name);
        TAVRIN_REQUIRE_SAMPLE(path);
        test::TempDir registry;
        ::setenv("TAVRIN_REGISTRY_DIR", registry.path().c_str(), 1);
        ImageInfo info;
        info.filePath = path.string();
        ASSERT_EQ(ReadImageInfo(info, true), com::S_OK) << c.name;
        ::unsetenv("TAVRIN_REGISTRY_DIR");
        const auto* bytes = static_cast<const std::uint8_t*>(com::GlobalLock(info.previewData));
        const auto ours = imaging::decodeImage({bytes, com::GlobalSize(info.previewData)});
        com::GlobalUnlock(info.previewData);
        const auto reference = imaging::decodeImageFile(path);
        ASSERT_EQ(ours.status, imaging::Status::Ok) << c.name;
        ASSERT_EQ(reference.status, imaging::Status::Ok) << c.name;
        EXPECT_EQ(ours.bitmap->width(), c.width) << c.name;
        EXPECT_EQ(ours.bitmap->height(), c.height) << c.name;
        ASSERT_EQ(ours.bitmap->width(), reference.bitmap->width());
        for (int y = 0; y < c.height; ++y) {
            ASSERT_EQ(std::memcmp(ours.bitmap->row(y), reference.bitmap->row(y), 3 * c.width), 0)
                << c.name << " row " << y;
        }
    }
}

// A DNG cut short inside its large preview keeps the small JPEG of IFD0.
TEST(SampleFiles, issue17_aCutDngFallsBackToItsIntactThumbnail) {
    const auto path = test::sample("photoprism/canon_eos_6d.dng");
    TAVRIN_REQUIRE_SAMPLE(path);
    test::TempDir dir;
    auto bytes = files::readBytes(path);
    ASSERT_TRUE(bytes && bytes->size() > 170000);
    bytes->resize(170000);  // the 57901-byte preview at 145584 is cut, IFD0's JPEG is whole
    const auto cut = dir.path() / "cut.dng";
    fixtures::writeFile(cut, *bytes);
    ::setenv("TAVRIN_REGISTRY_DIR", dir.path().c_str(), 1);
    ImageInfo info;
    info.filePath = cut.string();
    EXPECT_EQ(ReadImageInfo(info, true), com::S_OK);
    ::unsetenv("TAVRIN_REGISTRY_DIR");
    EXPECT_EQ(info.previewWidth, 256);
    EXPECT_EQ(info.previewHeight, 171);
}

}  // namespace
}  // namespace tavrin::shell
