// The shooting data of every real CRW file of the sample folder, field by field against exiftool's
// numeric values of the same CIFF records.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <sstream>

#include "common/strings.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

constexpr const char* kTags[] = {"ExposureTime",
                                 "BulbDuration",
                                 "FNumber",
                                 "BaseISO",
                                 "ExposureCompensation",
                                 "FocusDistanceLower",
                                 "FocusDistanceUpper",
                                 "MinFocalLength",
                                 "MaxFocalLength",
                                 "FocalLength",
                                 "CanonFlashMode",
                                 "FlashExposureComp",
                                 "Contrast",
                                 "Saturation",
                                 "Sharpness",
                                 "ColorTone",
                                 "SelfTimer",
                                 "FocusMode",
                                 "ContinuousDrive",
                                 "WhiteBalance",
                                 "DateTimeOriginal"};

// exiftool's numeric values of one file by tag name; "-" for a tag it does not find.
std::map<std::string, std::string> exiftoolValues(const std::filesystem::path& file) {
    std::string cmd = "exiftool -q -q -T -a -n -f";
    for (const char* tag : kTags)
        cmd += std::string(" -") +
               (std::string_view(tag) == "DateTimeOriginal" ? "CanonRaw:" : "Canon:") + tag;
    cmd += " '" + file.string() + "' 2>/dev/null";
    std::map<std::string, std::string> values;
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return values;
    char line[4096] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    ::pclose(pipe);
    if (!got) return values;
    std::stringstream in(trimmed(line));
    std::size_t i = 0;
    for (std::string field; std::getline(in, field, '\t') && i < std::size(kTags); ++i)
        values[kTags[i]] = trimmed(field);
    return values;
}

std::vector<std::filesystem::path> crwSamples() {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(test::samplesDir(), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (ascii::equalsIgnoreCase(it->path().extension().string(), ".crw"))
            found.push_back(it->path());
    }
    return found;
}

double number(const std::string& text) {
    const auto slash = text.find('/');
    const double value = std::strtod(text.c_str(), nullptr);
    return slash == std::string::npos ? value
                                      : value / std::strtod(text.c_str() + slash + 1, nullptr);
}

// The text after a line's label in the extra information, up to its end; "-" when no line has it.
std::string lineValue(const std::string& extra, const std::string& label) {
    const auto at = extra.find(label);
    if (at == std::string::npos) return "-";
    const auto start = at + label.size();
    return extra.substr(start, extra.find('\n', start) - start);
}

// The extra-information line of the id with the value, its type checked against the format.
template <typename T>
std::string line(strings::FormatId<T> id, T value) {
    return strings::format(id, value);
}

// Canon's nominal steps differ from the exact value by less than a third of a stop.
void expectSameStop(double ours, double theirs, const std::string& what) {
    EXPECT_LT(std::fabs(std::log2(ours / theirs)), 0.34) << what << ": " << ours << " / " << theirs;
}

TEST(CrwSamples, shootingDataAgreeWithExiftoolFieldByField) {
    const auto files = crwSamples();
    if (files.empty()) GTEST_SKIP() << "no CRW files in " << test::samplesDir();
    if (std::system("exiftool -ver >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "exiftool is not installed";
    test::TempDir registry;
    ::setenv("TAVRIN_REGISTRY_DIR", registry.path().c_str(), 1);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        auto ref = exiftoolValues(file);
        ASSERT_EQ(ref.size(), std::size(kTags));
        ImageInfo info;
        info.filePath = file.string();
        ReadImageInfo(info, false);
        const ShootingData& sd = info.shooting;
        const std::string& extra = info.extraInfo;

        const double exposure = number(ref["ExposureTime"]);
        expectSameStop(number(lineValue(extra, "Verschlussgeschwindigkeit: ")), exposure,
                       "shutter");
        expectSameStop(number(sd.exposureTime), exposure, "exposure time");
        ASSERT_EQ(sd.aperture.rfind("f ", 0), 0u) << sd.aperture;
        expectSameStop(number(sd.aperture.substr(2)), number(ref["FNumber"]), "aperture");
        EXPECT_EQ(sd.isoText, std::to_string(std::lround(number(ref["BaseISO"]))));
        EXPECT_NE(extra.find(line<unsigned long>(1340, std::stoul(ref["BulbDuration"]))),
                  std::string::npos);
        EXPECT_NEAR(number(lineValue(extra, "Belichtungsabgeich: ")),
                    number(ref["ExposureCompensation"]), 0.01);
        EXPECT_NEAR(number(lineValue(extra, "Blitzausgleich: ")), number(ref["FlashExposureComp"]),
                    0.01);
        EXPECT_NE(extra.find(line<double>(1298, number(ref["FocusDistanceLower"]))),
                  std::string::npos);
        EXPECT_NE(extra.find(line<double>(1299, number(ref["FocusDistanceUpper"]))),
                  std::string::npos);
        EXPECT_NE(extra.find(line<unsigned short>(
                      1350, static_cast<unsigned>(std::lround(number(ref["MinFocalLength"]))))),
                  std::string::npos);
        EXPECT_NE(extra.find(line<unsigned short>(
                      1351, static_cast<unsigned>(std::lround(number(ref["MaxFocalLength"]))))),
                  std::string::npos);
        EXPECT_EQ(sd.focalLength, std::to_string(std::lround(number(ref["FocalLength"]))));
        const int flash = std::stoi(ref["CanonFlashMode"]);
        EXPECT_EQ(sd.flash, flash == 0   ? strings::get(561)
                            : flash == 2 ? strings::get(560)
                            : flash == 6 ? strings::get(562)
                                         : "");
        EXPECT_NE(extra.find(line<short>(1355, std::stoi(ref["Contrast"]))), std::string::npos);
        EXPECT_NE(extra.find(line<short>(1360, std::stoi(ref["Saturation"]))), std::string::npos);
        EXPECT_NE(extra.find(line<short>(1365, std::stoi(ref["Sharpness"]))), std::string::npos);
        if (ref["ColorTone"] == "-") {
            EXPECT_EQ(lineValue(extra, "Farbton: "), "-");
        } else {
            EXPECT_NE(extra.find(line<short>(1370, std::stoi(ref["ColorTone"]))),
                      std::string::npos);
        }
        EXPECT_NE(extra.find(line<double>(1317, number(ref["SelfTimer"]))), std::string::npos);
        const int focus = std::stoi(ref["FocusMode"]);
        EXPECT_EQ(lineValue(extra, "Autofokusmodus: "), strings::get(focus == 0   ? 655
                                                                     : focus == 1 ? 656
                                                                     : focus == 3 ? 657
                                                                                  : 659));
        const int drive = std::stoi(ref["ContinuousDrive"]);
        EXPECT_EQ(lineValue(extra, "Treiber-Modus: "), strings::get(drive == 0   ? 660
                                                                    : drive == 1 ? 662
                                                                                 : 668));
        static constexpr unsigned kWhiteBalance[] = {570, 582, 572, 573, 575, 583, 576};
        const int wb = std::stoi(ref["WhiteBalance"]);
        EXPECT_EQ(sd.whiteBalance, strings::get(wb >= 0 && wb < 7 ? kWhiteBalance[wb] : 584));

        std::tm tm{};
        ASSERT_EQ(std::sscanf(ref["DateTimeOriginal"].c_str(), "%d:%d:%d %d:%d:%d", &tm.tm_year,
                              &tm.tm_mon, &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec),
                  6);
        tm.tm_year -= 1900;
        tm.tm_mon -= 1;
        const std::time_t t = ::timegm(&tm);
        char date[64];
        std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", ::gmtime(&t));
        EXPECT_EQ(sd.dateTaken, date);
    }
    ::unsetenv("TAVRIN_REGISTRY_DIR");
}

TEST(CrwSamples, theCaptureTimeIsTheSameInEveryTimeZone) {
    const auto crw = test::sample("digicam_corpus/Canon/PowerShot G2/CRW_0304.CRW");
    TAVRIN_REQUIRE_SAMPLE(crw);
    test::TempDir registry;
    ::setenv("TAVRIN_REGISTRY_DIR", registry.path().c_str(), 1);
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    // Berlin and New York, written out so that no zone database is needed.
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        ImageInfo info;
        info.filePath = crw.string();
        ReadImageInfo(info, false);
        EXPECT_EQ(info.shooting.dateTaken, "Thu Jan 20 08:13:24 2022") << zone;
    }
    old ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    ::unsetenv("TAVRIN_REGISTRY_DIR");
}

}  // namespace
}  // namespace tavrin::shell
