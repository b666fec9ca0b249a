// The info tip, the detail columns and the information page: what a file manager shows of a file
// while hovering, in its details view and in its properties dialog.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/variant.hpp"
#include "platform/com/wide_text.hpp"
#include "resources/dialog_ids.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/surfaces/detail_columns.hpp"
#include "shellext/surfaces/info_tip.hpp"
#include "shellext/surfaces/property_pages.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/shell_object.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace com;
using namespace fixtures;

void fillRecord(ImageInfo& info, const std::string& path) {
    info.filePath = path;
    info.model = "Canon EOS 300D DIGITAL";
    info.model2 = "unused";
    info.fileSize = 3145728;
    ShootingData& sd = info.shooting;
    sd.width = 3072;
    sd.height = 2048;
    sd.dateTaken = "2004:01:02 10:11:12";
    sd.isoText = "400";
    sd.exposureTime = "1/125";
    sd.aperture = "f 5.6";
    sd.focalLength = "18";
    sd.flash = "Aus";
    sd.whiteBalance = "Auto";
}

TEST(InfoTip, aFullRecordGivesElevenLinesInOrder) {
    ImageInfo info;
    fillRecord(info, "/p/IMG_0001.crw");
    EXPECT_EQ(buildInfoTip(info),
              "Größe: 3072 x 2048\n"
              "Zeitpunkt: 2004:01:02 10:11:12\n"
              "Kameramodell: Canon EOS 300D DIGITAL\n"
              "Typ: CRW Bild\n"
              "Größe: 3 MB\n"
              "ISO-Wert: 400\n"
              "Belichtungszeit: 1/125 sek.\n"
              "Blende: f 5.6\n"
              "Brennweite: 18 mm\n"
              "Blitzmodus: Aus\n"
              "Weißabgleich: Auto");
}

TEST(InfoTip, anEmptyRecordStillNamesTypeAndSize) {
    ImageInfo info;
    info.filePath = "/p/picture.CRW.trashed";
    info.fileSize = 1500000;
    info.shooting.width = 640;  // no height: no size line
    info.model2 = "second model";
    EXPECT_EQ(buildInfoTip(info),
              "Kameramodell: second model\n"
              "Typ: Aussortiertes CRW Bild\n"
              "Größe: 1.4 MB");
}

TEST(InfoTip, jpegFocalLengthsCarryTheirOwnUnit) {
    ImageInfo info;
    fillRecord(info, "/p/a.JPEG");
    info.shooting.focalLength = "18 mm";
    EXPECT_NE(buildInfoTip(info).find("\nBrennweite: 18 mm \n"), std::string::npos);
    EXPECT_NE(buildInfoTip(info).find("\nTyp: JPEG Bild\n"), std::string::npos);
}

class Surfaces : public test::TempRegistry {
  protected:
    std::filesystem::path write(const std::string& name, const Bytes& bytes) {
        const auto path = root() / name;
        writeFile(path, bytes);
        return path;
    }
};

TEST_F(Surfaces, theShellObjectGivesTheTipOfItsFile) {
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());
    const Fields f;
    const Ifd exif{{f.shorts(34855, {200}), f.rationals(37386, {{18, 1}}, kRational)}};
    const auto path = write(
        "holiday.jpg",
        jpegWithExif(
            tiff({Ifd{{f.text(271, "Maker"), f.text(272, "Cam 1"), f.directories(34665, {exif})}}}),
            jpeg(40, 30)));
    const auto tip = shell.infoTip(path);
    ASSERT_TRUE(tip);
    EXPECT_NE(tip->find("Kameramodell: Cam 1\nTyp: JPG Bild\n"), std::string::npos) << *tip;
    EXPECT_NE(tip->find("ISO-Wert: 200\n"), std::string::npos) << *tip;
    EXPECT_NE(tip->back(), '\n');

    // A file that cannot be read still has a type and a size.
    EXPECT_EQ(shell.infoTip(root() / "missing.nef"), "Typ: NEF Bild\nGröße: 0 MB");
}

// A camera JPEG whose texts are Windows-1252, or UTF-8 cut short.
Bytes jpegWithWindows1252Texts() {
    const Fields f;
    const Ifd exif{{f.text(36868, "2008:05:30 15:56:01")}};
    return jpegWithExif(tiff({Ifd{{f.text(271, "M\xFCller \xE2\x82"), f.text(272, "Mod\xE9"),
                                   f.directories(34665, {exif})}}}),
                        jpeg(40, 30));
}

TEST_F(Surfaces, theTipShowsWindows1252TextsAsTheirCharacters) {
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());
    const auto tip = shell.infoTip(write("latin.jpg", jpegWithWindows1252Texts()));
    ASSERT_TRUE(tip);
    EXPECT_NE(tip->find("Zeitpunkt: 2008:05:30 15:56:01\nKameramodell: Mod\xC3\xA9\nTyp: JPG "
                        "Bild\nGr\xC3\xB6\xC3\x9F"
                        "e:"),
              std::string::npos)
        << *tip;
}

TEST_F(Surfaces, everySampleHasATipThatAgreesWithItsRecord) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        ImageInfo info;
        info.filePath = entry.path().string();
        ReadImageInfo(info, false);
        EXPECT_EQ(shell.infoTip(entry.path()), toUtf8(buildInfoTip(info))) << entry.path();
        ++files;
    }
    EXPECT_GT(files, 100);
}

class Columns : public Surfaces {
  protected:
    void SetUp() override {
        Surfaces::SetUp();
        shell_.emplace();
        provider_ = shell_->columnProvider();
        ASSERT_TRUE(provider_);
        ASSERT_EQ(provider_->Initialize(nullptr), S_OK);
    }

    // The column's text, or nothing when the provider declines.
    std::optional<std::string> value(const std::filesystem::path& path, DWORD pid,
                                     DWORD attributes = 0,
                                     const GUID& fmtid = FMTID_TavrinColumns) {
        SHCOLUMNDATA item{};
        item.dwFileAttributes = attributes;
        const std::u16string wide = toWide(path.string());
        std::copy_n(wide.c_str(), std::min<std::size_t>(wide.size() + 1, MAX_PATH), item.wszFile);
        const SHCOLUMNID column{fmtid, pid};
        VARIANT v{};
        const HRESULT hr = provider_->GetItemData(&column, &item, &v);
        if (hr == S_FALSE) {
            EXPECT_EQ(v.vt, VT_EMPTY);
            return std::nullopt;
        }
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(v.vt, VT_BSTR);
        std::string text = fromWide(v.bstrVal);
        VariantClear(&v);
        return text;
    }

    std::optional<test::RegisteredShellObject> shell_;
    ComPtr<IColumnProvider> provider_;
};

TEST_F(Columns, describeNineTextColumns) {
    SHCOLUMNINFO info{};
    for (DWORD i = 0; i < kColumnCount; ++i) {
        ASSERT_EQ(provider_->GetColumnInfo(i, &info), S_OK);
        EXPECT_EQ(info.scid.fmtid, FMTID_TavrinColumns);
        EXPECT_EQ(info.scid.pid, i);
        EXPECT_EQ(info.vt, VT_LPSTR);
        EXPECT_EQ(info.csFlags, SHCOLSTATE_TYPE_STR);
    }
    ASSERT_EQ(provider_->GetColumnInfo(1, &info), S_OK);
    EXPECT_EQ(fromWide(info.wszTitle), "Kameramodell");
    EXPECT_EQ(info.cChars, 32u);
    ASSERT_EQ(provider_->GetColumnInfo(8, &info), S_OK);
    EXPECT_EQ(fromWide(info.wszTitle), "Weißabgleich");
    EXPECT_EQ(info.cChars, 10u);
    EXPECT_EQ(provider_->GetColumnInfo(9, &info), S_FALSE);
}

TEST_F(Columns, declineForeignColumnsFoldersAndOtherTypes) {
    const auto ppm =
        write("a.ppm", Bytes{'P', '6', '\n', '4', ' ', '2', '\n', '2', '5', '5', '\n'});
    EXPECT_EQ(value(ppm, 9), std::nullopt);
    EXPECT_EQ(value(ppm, 0, 0, GUID{}), std::nullopt);
    EXPECT_EQ(value(ppm, 0, FILE_ATTRIBUTE_DIRECTORY), std::nullopt);
    EXPECT_EQ(value(ppm, 0, FILE_ATTRIBUTE_OFFLINE), std::nullopt);
    EXPECT_EQ(value(write("notes.txt", Bytes{'x'}), 0), std::nullopt);

    // A name that fills its field without an end is read only within the field.
    SHCOLUMNDATA item{};
    std::fill(std::begin(item.wszFile), std::end(item.wszFile), u'a');
    const SHCOLUMNID column{FMTID_TavrinColumns, 0};
    VARIANT v{};
    EXPECT_EQ(provider_->GetItemData(&column, &item, &v), S_FALSE);
}

TEST_F(Columns, readOnlySizeAndModelOfPpmAndJpegFiles) {
    const Bytes header{'P',  '6', ' ', '#', ' ', '1', '\n', '6', '4', '0',
                       '\n', '4', '8', '0', ' ', '2', '5',  '5', '\n'};
    const auto ppm = write("scan.PPM", header);
    EXPECT_EQ(value(ppm, 0), "640 x 480");
    EXPECT_EQ(value(ppm, 1), " ");

    const auto bare = write("bare.jpg", jpeg(40, 30));
    EXPECT_EQ(value(bare, 0), "40 x 30");  // the frame's size, with or without EXIF
    EXPECT_EQ(value(bare, 1), " ");

    const Fields f;
    const Ifd exif{{f.shorts(34855, {200})}};
    const auto jpg = write(
        "b.jpeg",
        jpegWithExif(tiff({Ifd{{f.longs(256, {1600}), f.longs(257, {1200}), f.text(271, "Maker"),
                                f.text(272, "Cam 1"), f.directories(34665, {exif})}}}),
                     jpeg(40, 30)));
    EXPECT_EQ(value(jpg, 0), "40 x 30");  // its own frame, not what the notes say
    EXPECT_EQ(value(jpg, 1), "Maker Cam 1");
    EXPECT_EQ(value(jpg, 3), "");  // the fast path reads nothing else
}

TEST_F(Columns, showWindows1252TextsAsTheirCharacters) {
    const auto jpg = write("latin.jpg", jpegWithWindows1252Texts());
    EXPECT_EQ(value(jpg, 1), "M\xC3\xBCller \xC3\xA2\xE2\x80\x9A Mod\xC3\xA9");  // Müller â‚ Modé
}

TEST_F(Columns, aJpegShowsTheSizeOfItsOwnFrameTurnedAsItSays) {
    const Fields f;
    const auto turned = write(
        "turned.jpg",
        jpegWithExif(tiff({Ifd{{f.longs(256, {5920}), f.longs(257, {3950}), f.shorts(274, {6})}}}),
                     jpeg(40, 30)));
    EXPECT_EQ(value(turned, 0), "30 x 40");

    const std::pair<const char*, const char*> samples[] = {
        {"digicam_corpus/Kodak/DC210/DCP15614.JPG", "1152 x 864"},
        {"digicam_corpus/Canon/EOS5D-MIII/_K6A7946.JPG", "480 x 720"}};  // 720 x 480, turned
    for (const auto& [name, size] : samples) {
        const auto file = test::sample(name);
        TAVRIN_REQUIRE_SAMPLE(file);
        EXPECT_EQ(value(file, 0), size) << name;
        ImageInfo info;
        info.filePath = file.string();
        ReadImageInfo(info, false);
        EXPECT_EQ(
            std::to_string(info.shooting.width) + " x " + std::to_string(info.shooting.height),
            size)
            << name;
        EXPECT_TRUE(buildInfoTip(info).starts_with(std::string("Größe: ") + size + "\n"))
            << buildInfoTip(info);
    }
}

TEST_F(Columns, showTheMakeOnceAndNoPaddingOfExifTexts) {
    // EXIF make "Canon", model "Canon PowerShot S40"; model "EX-S12" padded with blanks.
    const auto thm = test::sample("digicam_corpus/Canon/PowerShot S40/CRW_0101.THM");
    const auto casio = test::sample("libexif/pentax_makernote_variant_4.jpg");
    TAVRIN_REQUIRE_SAMPLE(thm);
    TAVRIN_REQUIRE_SAMPLE(casio);
    EXPECT_EQ(value(thm, 1), "Canon PowerShot S40");
    const std::string model = value(casio, 1).value_or("");
    EXPECT_TRUE(model.ends_with(" EX-S12")) << "[" << model << "]";
    ImageInfo info;
    info.filePath = casio.string();
    ReadImageInfo(info, false);
    EXPECT_EQ(info.model, "EX-S12");
}

TEST_F(Columns, showTheRecordOfARawFile) {
    const auto nef = test::sample("exiftool/Nikon.nef");
    TAVRIN_REQUIRE_SAMPLE(nef);
    ImageInfo info;
    info.filePath = nef.string();
    ReadImageInfo(info, false);
    const ShootingData& sd = info.shooting;
    const std::string expected[kColumnCount] = {
        std::to_string(sd.width) + " x " + std::to_string(sd.height),
        info.make + " " + info.model,
        sd.dateTaken,
        sd.isoText,
        sd.exposureTime,
        sd.aperture,
        sd.focalLength,
        sd.flash,
        sd.whiteBalance};
    EXPECT_EQ(info.model, "D70");
    EXPECT_EQ(sd.whiteBalance, "AUTO");  // the maker note pads it with blanks
    for (DWORD pid = 0; pid < kColumnCount; ++pid)
        EXPECT_EQ(value(nef, pid), expected[pid]) << pid;
    EXPECT_EQ(value(root() / "unreadable.nef", 2), "");
}

class PropertyPages : public Surfaces {
  protected:
    static ui::BOOL collect(ui::HPROPSHEETPAGE page, ui::LPARAM pages) {
        reinterpret_cast<std::vector<ui::HPROPSHEETPAGE>*>(pages)->push_back(page);
        return 1;
    }
    static ui::BOOL refuse(ui::HPROPSHEETPAGE, ui::LPARAM) { return 0; }

    // The information page's two boxes for the file, as the dialog shows them.
    std::pair<std::string, std::string> boxes(const std::filesystem::path& file) {
        ImageInfo info;
        info.filePath = file.string();
        std::vector<ui::HPROPSHEETPAGE> pages;
        EXPECT_EQ(
            addPropertyPages(nullptr, info, {}, collect, reinterpret_cast<ui::LPARAM>(&pages)),
            S_OK);
        EXPECT_EQ(pages.size(), 2u);  // information and histogram
        if (pages.empty()) return {};
        const ui::PROPSHEETPAGEA& page = ui::pageDescription(pages[0]);
        EXPECT_EQ(page.templateId, resources::kInformationPageTemplate);
        EXPECT_EQ(ui::pageTitle(pages[0]), "Bildinformation");
        ui::Dialog dialog(page.pfnDlgProc);
        dialog.send(ui::WM_INITDIALOG, 0, reinterpret_cast<ui::LPARAM>(&page));
        for (ui::HPROPSHEETPAGE p : pages)
            ui::DestroyPropertySheetPage(p);
        return {ui::dialogItemText(&dialog, resources::kSummaryControl),
                ui::dialogItemText(&dialog, resources::kExtraInfoControl)};
    }
};

TEST_F(PropertyPages, showTheSummaryAndTheExtraInformation) {
    const auto x3f = test::sample("exiftool/Sigma.x3f");
    TAVRIN_REQUIRE_SAMPLE(x3f);
    const auto [summary, extra] = boxes(x3f);
    EXPECT_TRUE(summary.starts_with("Größe: 1531 x 2304\r\nKameramodell: SD10\r\nTyp")) << summary;
    EXPECT_EQ(summary.find("\n\r"), std::string::npos);
    EXPECT_NE(summary.back(), '\n');
    EXPECT_TRUE(extra.starts_with("Firmwareversion: 2.0.4.1586 Release\r\nFokusstatus")) << extra;
    EXPECT_NE(extra.find("\r\nAufnahmemodus: Programm\r\n"), std::string::npos);
    EXPECT_NE(extra.find("\r\nTreiber-Modus: Einzelbild\r\n"), std::string::npos);

    const auto [unreadSummary, noExtra] = boxes(root() / "gone.nef");
    EXPECT_EQ(unreadSummary, "Typ: NEF Bild\r\nGröße: 0 MB");
    EXPECT_EQ(noExtra, "");
}

TEST_F(PropertyPages, aRecordReadAgainRepeatsNothing) {
    const auto x3f = test::sample("exiftool/Sigma.x3f");
    TAVRIN_REQUIRE_SAMPLE(x3f);
    ImageInfo info;
    info.filePath = x3f.string();
    ReadImageInfo(info, false);  // as the info tip does before the pages are asked for
    const std::string first = info.extraInfo;
    ASSERT_FALSE(first.empty());
    ReadImageInfo(info, false);
    EXPECT_EQ(info.extraInfo, first);
    info.filePath = (root() / "gone.x3f").string();
    ReadImageInfo(info, false);
    EXPECT_EQ(buildInfoTip(info), "Typ: X3F Bild\nGröße: 0 MB");
}

TEST_F(PropertyPages, keepTheModuleWhileTheyLiveAndNeverShowForSeveralFiles) {
    ImageInfo info;
    info.filePath = (root() / "a.nef").string();
    std::vector<ui::HPROPSHEETPAGE> pages;
    EXPECT_EQ(addPropertyPages(nullptr, info, {"a.nef", "b.nef"}, collect,
                               reinterpret_cast<ui::LPARAM>(&pages)),
              E_INVALIDARG);
    EXPECT_TRUE(pages.empty());

    const long locks = moduleCounts().locks();
    EXPECT_EQ(addPropertyPages(nullptr, info, {}, collect, reinterpret_cast<ui::LPARAM>(&pages)),
              S_OK);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(moduleCounts().locks(), locks + 2);
    for (ui::HPROPSHEETPAGE page : pages)
        ui::DestroyPropertySheetPage(page);
    EXPECT_EQ(moduleCounts().locks(), locks);

    // Pages the dialog refuses are destroyed at once.
    EXPECT_EQ(addPropertyPages(nullptr, info, {}, refuse, 0), S_OK);
    EXPECT_EQ(moduleCounts().locks(), locks);
}

}  // namespace
}  // namespace tavrin::shell
