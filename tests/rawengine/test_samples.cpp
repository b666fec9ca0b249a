// Identification of the real camera files in the sample folder, compared with what exiftool (a
// metadata reader, run as a separate program) reports for make, model and picture size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>

#include "platform/imaging/decode.hpp"
#include "platform/system/ascii.hpp"
#include "rawengine/raw_engine.hpp"
#include "tests/rawengine/engine_rig.hpp"
#include "tests/support/samples.hpp"

namespace tavrin::raw {
namespace {

struct Reference {
    std::string make, model, size;
};

std::optional<Reference> exiftool(const std::filesystem::path& file) {
    const std::string cmd =
        "exiftool -s3 -f -Make -Model -ImageSize '" + file.string() + "' 2>/dev/null";
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string lines[3];
    char buffer[512];
    for (auto& line : lines) {
        if (!std::fgets(buffer, sizeof buffer, pipe)) break;
        line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
    }
    if (::pclose(pipe) != 0 || lines[0].empty()) return std::nullopt;
    return Reference{lines[0], lines[1], lines[2]};
}

bool isRawName(const std::filesystem::path& p) {
    static const char* kExtensions[] = {".crw", ".cr2", ".nef", ".mrw", ".raf", ".x3f",
                                        ".kdc", ".dng", ".raw", ".gpr", ".iiq"};
    const std::string ext = ascii::lower(p.extension().string());
    for (const char* e : kExtensions) {
        if (ext == e) return true;
    }
    return false;
}

// Where we knowingly name a camera otherwise than exiftool does.
const std::map<std::string, std::string> kNamedOtherwise = {
    // The header of these files identifies them as Contax N Digital; exiftool names the maker.
    {"exiftool/KyoceraRaw.raw", "Contax N Digital"},
    // Leaf backs all take the model name "Valeo" (this file comes from a Credo 40).
    {"exiftool/PhaseOne.iiq", "Leaf Valeo"},
};

// Files whose visible sensor area is what exiftool reports as the picture size. For the others
// exiftool reports the camera's processed picture (smaller than the sensor: the CRW, CR2 and X3F
// files), the size of a data-less stand-in, or nothing we read.
const std::map<std::string, std::string> kSameSize = {
    {"exiftool/Nikon.nef", "3040x2014"},
    {"exiftool/Minolta.mrw", "3264x2448"},
    {"digicam_corpus/GoPro/Hero7Black/GOPR8508.GPR", "4000x3000"},
    {"digicam_corpus/Kodak/DC50/DC0008L.KDC", "756x504"},
};

TEST(SampleFiles, identificationAgreesWithExiftool) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    if (!exiftool(dir / "exiftool/Nikon.nef")) GTEST_SKIP() << "exiftool is not installed";
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || !isRawName(entry.path())) continue;
        const std::string name = std::filesystem::relative(entry.path(), dir).string();
        RawEngine engine;
        ASSERT_EQ(
            engine.OpenAndIdentify(entry.path(), nullptr, nullptr, nullptr, nullptr, nullptr, true),
            com::S_OK);
        const DecodeState& s = engine.state();
        const auto ref = exiftool(entry.path());
        ASSERT_TRUE(ref) << name;
        if (s.id.make.empty()) continue;  // not recognised as a camera file (see the notes)
        std::string model = s.id.model;
        for (const char* suffix : {" DNG", " JPEG"}) {
            if (ascii::endsWithIgnoreCase(model, suffix))
                model.resize(model.size() - std::strlen(suffix));
        }
        if (const auto it = kNamedOtherwise.find(name); it != kNamedOtherwise.end()) {
            EXPECT_EQ(s.id.make + " " + model, it->second) << name;
        } else {
            EXPECT_NE(ascii::lower(ref->make).find(ascii::lower(s.id.make)), std::string::npos)
                << name << ": " << s.id.make << " / " << ref->make;
            EXPECT_TRUE(ascii::endsWithIgnoreCase(ref->model, model))
                << name << ": " << model << " / " << ref->model;
        }
        if (const auto it = kSameSize.find(name); it != kSameSize.end()) {
            EXPECT_EQ(std::to_string(s.geometry.width) + "x" + std::to_string(s.geometry.height),
                      it->second)
                << name;
            EXPECT_EQ(ref->size, it->second) << name;
        }
        ++compared;
    }
    EXPECT_GE(compared, 25);
}

// Luminance of a picture averaged over w x h boxes.
std::vector<double> boxLuminance(const imaging::Bitmap& b, int w, int h) {
    std::vector<double> out(static_cast<std::size_t>(w) * h, 0);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const int x0 = i * b.width() / w, x1 = std::max(x0 + 1, (i + 1) * b.width() / w);
            const int y0 = j * b.height() / h, y1 = std::max(y0 + 1, (j + 1) * b.height() / h);
            double sum = 0;
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    const std::uint8_t* p = b.row(y) + 3 * x;
                    sum += 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2];
                }
            }
            out[static_cast<std::size_t>(j) * w + i] = sum / ((x1 - x0) * (y1 - y0));
        }
    }
    return out;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const double ma = std::accumulate(a.begin(), a.end(), 0.0) / a.size();
    const double mb = std::accumulate(b.begin(), b.end(), 0.0) / b.size();
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

// The uncompressed DC120 files decode into the picture the camera embedded beside the raw data
// (IFD0, 80 x 60), at its 4:3 proportions.
TEST(SampleFiles, issue17_dc120DecodesLikeTheCamerasOwnPicture) {
    MemoryLearnedColours learned;
    DecodeOptions options;
    options.learnedColours = &learned;
    for (const char* name : {"P003908.KDC", "P003909.KDC", "P003910.KDC"}) {
        const auto path = test::sample(std::filesystem::path("digicam_corpus/Kodak/DC120") / name);
        TAVRIN_REQUIRE_SAMPLE(path);
        const auto own = imaging::decodeImageFile(path);
        ASSERT_EQ(own.status, imaging::Status::Ok) << name;
        ASSERT_EQ(own.bitmap->width(), 80) << name;
        RawEngine engine;
        int w = -1, h = -1;
        ASSERT_EQ(engine.OpenAndIdentify(path, &w, &h, nullptr, nullptr, nullptr, false),
                  com::S_OK);
        ASSERT_EQ(engine.OpenImageFile(path, nullptr, false, true, 0, options), com::S_OK) << name;
        const auto decoded = engine.CreateGdiplusBitmap();
        ASSERT_NE(decoded, nullptr);
        EXPECT_NEAR(static_cast<double>(decoded->width()) / decoded->height(), 4.0 / 3, 0.01);
        const double r =
            correlation(boxLuminance(*decoded, 64, 48), boxLuminance(*own.bitmap, 64, 48));
        EXPECT_GE(r, 0.9) << name;
    }
}

}  // namespace
}  // namespace tavrin::raw
