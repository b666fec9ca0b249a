// The image info reader on every real file of the sample folder, compared with exiftool (a
// metadata reader run once over the folder): it must end cleanly on each, find the embedded
// preview wherever exiftool finds one, and agree on make, model and ISO.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "common/settings.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

struct Reference {
    std::string make, model, iso;
    bool hasPreview = false;
};

std::map<std::string, Reference> exiftoolOver(const std::filesystem::path& dir) {
    std::map<std::string, Reference> refs;
    const std::string cmd =
        "exiftool -q -q -T -r -f -Directory -FileName -Make -Model -ISO -PreviewImage "
        "-JpgFromRaw -ThumbnailImage '" +
        dir.string() + "' 2>/dev/null";
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return refs;
    char line[8192];
    while (std::fgets(line, sizeof line, pipe)) {
        std::vector<std::string> fields;
        std::stringstream in(line);
        for (std::string field; std::getline(in, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 8) continue;
        Reference r{fields[2], fields[3], fields[4], false};
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

// Where exiftool finds a preview that this reader does not take, and why.
const std::map<std::string, std::string> kNoPreview = {
    {"exiftool/CanonRaw.cr3", "a container this reader does not know"},
    {"exiftool/Panasonic.rw2", "a container this reader does not know"},
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
        // The CRW settings block is read at fixed places that these cameras do not use.
        const bool crw = ascii::endsWithIgnoreCase(name, ".crw");
        if (!info.shooting.isoText.empty() && ref.iso != "-" && !crw) {
            EXPECT_EQ(info.shooting.isoText, ref.iso) << name;
        }
    }
    ::unsetenv("TAVRIN_REGISTRY_DIR");
    EXPECT_GE(files, 200);
    EXPECT_GE(previews, 150);
}

}  // namespace
}  // namespace tavrin::shell
