// The shell object as Explorer reaches it: registered in a temporary registry, created through
// CoCreateInstance and driven through its interfaces.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "common/settings.hpp"
#include "platform/com/activation.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/registry/registry.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/fixtures/raw_encoders.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace com;
using namespace fixtures;
using registry::Root;

// A TIFF-based RAW file whose embedded JPEG preview (width x height) is located by tags 513/514.
Bytes rawWithPreview(const std::string& make, int width, int height,
                     std::uint16_t orientation = 1) {
    const Bytes preview = jpeg(width, height);
    const Fields f;
    auto build = [&](std::uint32_t at) {
        return tiff({Ifd{{f.text(271, make), f.text(272, make + " Cam"),
                          f.shorts(274, {orientation}), f.longs(513, {at}),
                          f.longs(514, {static_cast<std::uint32_t>(preview.size())})}}});
    };
    Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
    file.insert(file.end(), preview.begin(), preview.end());
    return file;
}

class Extractor : public test::TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        module_ = ::dlopen(TAVRIN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << ::dlerror();
        auto registerServer =
            reinterpret_cast<HRESULT (*)()>(::dlsym(module_, "DllRegisterServer"));
        ASSERT_EQ(registerServer(), S_OK);
    }
    void TearDown() override {
        if (module_) ::dlclose(module_);
        TempRegistry::TearDown();
    }
    template <typename T>
    ComPtr<T> create() {
        CLSID clsid;
        EXPECT_EQ(CLSIDFromProgID("Tavrin.RawImageExtractor", &clsid), S_OK);
        ComPtr<T> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::kIid, object.out()),
                  S_OK);
        return object;
    }
    ComPtr<IExtractImage2> loaded(const std::filesystem::path& file) {
        auto persist = create<IPersistFile>();
        EXPECT_EQ(persist->Load(toWide(file.string()).c_str(), 0), S_OK);
        ComPtr<IExtractImage2> extract;
        EXPECT_EQ(persist->QueryInterface(IID_IExtractImage2, extract.out()), S_OK);
        return extract;
    }
    std::filesystem::path write(const std::string& name, const Bytes& bytes) {
        const auto path = root() / name;
        writeFile(path, bytes);
        return path;
    }
    HRESULT canUnloadNow() {
        return reinterpret_cast<HRESULT (*)()>(::dlsym(module_, "DllCanUnloadNow"))();
    }
    void* module_ = nullptr;
};

struct Picture {
    imaging::BitmapHandle handle;
    const imaging::Bitmap& bitmap() const { return *imaging::bitmapOf(handle.get()); }
    int r(int x, int y) const { return bitmap().row(y)[3 * x + 2]; }
    int g(int x, int y) const { return bitmap().row(y)[3 * x + 1]; }
};

Picture extract(IExtractImage2* e, HRESULT expected = S_OK) {
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(e->Extract(&bitmap), expected);
    return Picture{imaging::BitmapHandle(bitmap)};
}

TEST_F(Extractor, answersEveryInterfaceAsOneObject) {
    auto unknown = create<IUnknown>();
    for (const IID* iid :
         {&IID_IDispatch, &IID_IPersistFile, &IID_IExtractImage, &IID_IExtractImage2,
          &IID_IQueryInfo, &IID_IShellExtInit, &IID_IContextMenu, &IID_IShellPropSheetExt,
          &IID_IColumnProvider, &IID_IExtractIconA, &IID_IImageInfoSource}) {
        ComPtr<IUnknown> other;
        ASSERT_EQ(unknown->QueryInterface(*iid, other.out()), S_OK) << toString(*iid);
        ComPtr<IUnknown> back;
        ASSERT_EQ(other->QueryInterface(IID_IUnknown, back.out()), S_OK);
        EXPECT_EQ(back.get(), unknown.get());
    }
    ComPtr<IPersistFile> persist;
    unknown->QueryInterface(IID_IPersistFile, persist.out());
    EXPECT_EQ(persist->IsDirty(), E_NOTIMPL);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    persist.reset();
    unknown.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

// A global block's bytes; the block is freed.
std::string taken(HGLOBAL block) {
    std::string bytes(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
    GlobalUnlock(block);
    GlobalFree(block);
    return bytes;
}

TEST_F(Extractor, handsOutTheImageInfoRecordAndThePreviewFile) {
    const Bytes file = rawWithPreview("NIKON", 150, 100);
    const auto path = write("a.nef", file);
    auto persist = create<IPersistFile>();
    ASSERT_EQ(persist->Load(toWide(path.string()).c_str(), 0), S_OK);
    ComPtr<IImageInfoSource> source;
    ASSERT_EQ(persist->QueryInterface(IID_IImageInfoSource, source.out()), S_OK);

    HGLOBAL record = nullptr, preview = nullptr;
    ASSERT_EQ(source->GetImageInfo(1, &record, &preview), S_OK);
    const std::string text = taken(record);
    const std::string previewBytes = taken(preview);
    EXPECT_EQ(text.rfind("filePath: " + path.string() + "\nresult: 0x00000000\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nmake: NIKON\nmodel: NIKON Cam\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\npreviewData: " + std::to_string(previewBytes.size()) + " bytes\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(previewBytes,
              std::string(file.end() - static_cast<long>(jpeg(150, 100).size()), file.end()));

    // Without the preview the record says so and nothing is handed out.
    ASSERT_EQ(source->GetImageInfo(0, &record, nullptr), S_OK);
    EXPECT_NE(taken(record).find("\npreviewData: 0 bytes\n"), std::string::npos);
    EXPECT_EQ(source->GetImageInfo(1, &record, nullptr), E_POINTER);
    EXPECT_EQ(source->GetImageInfo(0, nullptr, nullptr), E_POINTER);
}

TEST_F(Extractor, aFileThatCannotBeReadStillHasItsRecord) {
    const auto path = write("broken.nef", Bytes{'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F});
    auto persist = create<IPersistFile>();
    ASSERT_EQ(persist->Load(toWide(path.string()).c_str(), 0), S_OK);
    ComPtr<IImageInfoSource> source;
    ASSERT_EQ(persist->QueryInterface(IID_IImageInfoSource, source.out()), S_OK);
    HGLOBAL record = nullptr, preview = nullptr;
    const HRESULT result = source->GetImageInfo(1, &record, &preview);
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(preview, nullptr);
    char code[32];
    std::snprintf(code, sizeof code, "\nresult: 0x%08X\n", static_cast<unsigned>(result));
    EXPECT_NE(taken(record).find(code), std::string::npos);
}

// Only the four entry points are visible to the host process: nothing inside the module can
// be interposed by a symbol of the same name elsewhere.
TEST(ModuleExports, areTheFourEntryPointsOnly) {
    FILE* nm = ::popen("nm -D --defined-only --format=just-symbols '" TAVRIN_MODULE_PATH "'", "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, nm))
        symbols.insert(std::string(line, std::strcspn(line, "\n")));
    ASSERT_EQ(::pclose(nm), 0) << "nm could not read the module";
    EXPECT_EQ(symbols, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                              "DllRegisterServer", "DllUnregisterServer"}));
}

TEST_F(Extractor, givesThePreviewAtItsOwnSizeWithoutABox) {
    auto e = loaded(write("a.nef", rawWithPreview("NIKON", 150, 100)));
    const Picture p = extract(e.get());
    EXPECT_EQ(p.bitmap().width(), 150);
    EXPECT_EQ(p.bitmap().height(), 100);
}

TEST_F(Extractor, fitsALandscapePictureIntoASquareBoxOnWhite) {
    auto e = loaded(write("a.nef", rawWithPreview("NIKON", 150, 100)));
    const SIZE box{96, 96};
    DWORD flags = 0, priority = 0;
    WCHAR path[260];
    ASSERT_EQ(e->GetLocation(path, 260, &priority, &box, 24, &flags), S_OK);
    EXPECT_EQ(flags & IEIFLAG_CACHE, IEIFLAG_CACHE);
    const Picture p = extract(e.get());
    ASSERT_EQ(p.bitmap().width(), 96);
    ASSERT_EQ(p.bitmap().height(), 96);
    EXPECT_EQ(p.g(48, 15), 255);  // white above the picture (96 x 64 at y = 16)
    EXPECT_EQ(p.g(48, 81), 255);  // and below it
    EXPECT_NEAR(p.g(48, 48), 128, 8);
    EXPECT_NEAR(p.g(48, 17), 128, 8);

    // With the original-aspect flag the same picture comes without the canvas.
    flags = IEIFLAG_ORIGSIZE | IEIFLAG_ASYNC;
    EXPECT_EQ(e->GetLocation(path, 260, &priority, &box, 24, &flags), E_PENDING);
    const Picture bare = extract(e.get());
    EXPECT_EQ(bare.bitmap().width(), 96);
    EXPECT_EQ(bare.bitmap().height(), 64);
}

// Without the canvas the picture as shown fills the box along its longer side: no side lost to
// truncation, and a picture stored upright but shown turned is fitted turned.
TEST_F(Extractor, issue17_originalSizeFillsTheBoxAlongTheLongerSide) {
    struct Case {
        int width, height;
        std::uint16_t orientation;
        int box, expectedWidth, expectedHeight;
    };
    for (const Case c : {Case{150, 100, 1, 256, 256, 171}, Case{311, 450, 6, 256, 256, 177},
                         Case{450, 311, 8, 256, 177, 256}, Case{100, 150, 1, 96, 64, 96},
                         Case{3000, 2, 1, 256, 256, 1}}) {
        auto e = loaded(write("o.nef", rawWithPreview("NIKON", c.width, c.height, c.orientation)));
        const SIZE box{c.box, c.box};
        DWORD flags = IEIFLAG_ORIGSIZE, priority = 0;
        WCHAR path[260];
        ASSERT_EQ(e->GetLocation(path, 260, &priority, &box, 24, &flags), S_OK);
        const Picture p = extract(e.get());
        EXPECT_EQ(p.bitmap().width(), c.expectedWidth) << c.width << " x " << c.height;
        EXPECT_EQ(p.bitmap().height(), c.expectedHeight) << c.width << " x " << c.height;
        EXPECT_NEAR(p.g(p.bitmap().width() / 2, p.bitmap().height() / 2), 128, 16);
    }
}

// Without the canvas the picture is all there is: every pixel of the bitmap is the picture's,
// up to the last row and column, however often the object is asked.
TEST_F(Extractor, aBarePictureCoversItsWholeBitmap) {
    auto e = loaded(write("c.nef", rawWithPreview("NIKON", 150, 100)));
    for (const int size : {256, 97, 256}) {
        const SIZE box{size, size};
        DWORD flags = IEIFLAG_ORIGSIZE, priority = 0;
        WCHAR path[260];
        ASSERT_EQ(e->GetLocation(path, 260, &priority, &box, 24, &flags), S_OK);
        const Picture p = extract(e.get());
        int outside = 0;
        for (int y = 0; y < p.bitmap().height(); ++y)
            for (int x = 0; x < p.bitmap().width(); ++x)
                outside += std::abs(p.g(x, y) - 128) > 16;
        EXPECT_EQ(outside, 0) << size;
    }
}

TEST_F(Extractor, aSecondExtractReusesThePreviewInMemory) {
    const auto file = write("b.nef", rawWithPreview("NIKON", 60, 40));
    auto e = loaded(file);
    extract(e.get());
    std::filesystem::remove(file);
    const Picture again = extract(e.get());
    EXPECT_EQ(again.bitmap().width(), 60);
}

TEST_F(Extractor, crossesPutAsideFilesUnlessSwitchedOff) {
    auto e = loaded(write("x.NEF.trashed", rawWithPreview("NIKON", 64, 64)));
    const Picture crossed = extract(e.get());
    EXPECT_EQ(crossed.r(63, 63), 255);
    EXPECT_EQ(crossed.g(63, 63), 51);
    setUserSetting(".trashed", "CrossImage", 0);
    auto plain = loaded(root() / "x.NEF.trashed");
    EXPECT_NE(extract(plain.get()).g(63, 63), 51);
}

// Without an embedded preview the raw data is decoded: a NEF whose 12-bit sensor data is dark
// on the left and bright on the right comes back as such, at the size the file gives.
TEST_F(Extractor, decodesTheRawDataWhenThereIsNoPreview) {
    const Fields f;
    const Ifd raw{{f.longs(256, {64}), f.longs(257, {48}), f.shorts(259, {1}), f.longs(273, {512}),
                   f.bytes(33422, {0, 1, 1, 2})}};
    Bytes file = tiff({Ifd{{f.text(271, "NIKON"), f.text(272, "D70"), f.directories(330, {raw})}}},
                      true, 512);
    BitWriter samples(false);
    for (int row = 0; row < 48; ++row) {
        for (int col = 0; col < 64; ++col)
            samples.put(col < 32 ? 200 : 3000, 12);
    }
    const Bytes data = samples.finish();
    file.insert(file.end(), data.begin(), data.end());
    auto e = loaded(write("raw.nef", file));
    const Picture picture = extract(e.get());
    ASSERT_TRUE(picture.handle);
    EXPECT_EQ(picture.bitmap().width(), 64);
    EXPECT_EQ(picture.bitmap().height(), 48);
    EXPECT_LT(picture.g(8, 24) + 100, picture.g(56, 24));
}

TEST_F(Extractor, failsWithoutAPictureRatherThanDrawingAnEmptyCanvas) {
    auto e = loaded(write("junk.cr2", Bytes(4000, 0x42)));
    EXPECT_FALSE(extract(e.get(), E_NOTIMPL).handle);  // no preview, and no loader for it
    auto missing = loaded(root() / "missing.cr2");
    EXPECT_FALSE(extract(missing.get(), E_FAIL).handle);
    FILETIME stamp{};
    EXPECT_EQ(missing->GetDateStamp(&stamp), E_FAIL);
    auto present = loaded(write("c.nef", rawWithPreview("NIKON", 8, 8)));
    EXPECT_EQ(present->GetDateStamp(&stamp), S_OK);
    EXPECT_NE(stamp.dwHighDateTime, 0u);
}

TEST_F(Extractor, initializeAcceptsOwnTypesAndFiltersSelections) {
    auto init = create<IShellExtInit>();
    const auto one = [&](std::vector<std::string> files) {
        ComPtr<IDataObject> data(createFileListDataObject(files));
        return init->Initialize(nullptr, data.get(), nullptr);
    };
    EXPECT_EQ(one({"/p/IMG.cr2"}), E_INVALIDARG);  // not associated with us
    registry::setValue(Root::ClassesRoot, ".cr2", "", std::string("Other.App"));
    EXPECT_EQ(one({"/p/IMG.cr2"}), E_INVALIDARG);
    registry::setValue(Root::ClassesRoot, ".cr2", "", std::string("TavrinImage"));
    EXPECT_EQ(one({"/p/IMG.CR2"}), S_OK);
    EXPECT_EQ(one({"/p/readme.txt"}), E_INVALIDARG);
    registry::setValue(Root::ClassesRoot, ".trashed", "", std::string("TavrinImageT"));
    EXPECT_EQ(one({"/p/x.NEF.trashed"}), S_OK);

    // The selection an object keeps (an object of the class itself, to look inside).
    auto* object = new RawImageExtractor;
    ComPtr<IDataObject> two(createFileListDataObject({"/p/a.cr2", "/p/b.txt"}));
    EXPECT_EQ(object->Initialize(nullptr, two.get(), nullptr), S_OK);
    EXPECT_EQ(object->selectedFiles(), std::vector<std::string>{"/p/a.cr2"});
    object->Release();
    EXPECT_EQ(one({"/p/a.txt", "/p/b.txt"}), E_INVALIDARG);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST_F(Extractor, typeIconsFollowTheExtensionElseTheMaker) {
    const auto index = [&](const std::filesystem::path& file) {
        auto persist = create<IPersistFile>();
        persist->Load(toWide(file.string()).c_str(), 0);
        ComPtr<IExtractIconA> icon;
        persist->QueryInterface(IID_IExtractIconA, icon.out());
        char module[261];
        int i = -1;
        UINT flags = 7;
        EXPECT_EQ(icon->GetIconLocation(0, module, sizeof module, &i, &flags), S_OK);
        EXPECT_EQ(flags, 0u);
        EXPECT_NE(std::string(module).find("libTavrinPlus.so"), std::string::npos);
        return i;
    };
    EXPECT_EQ(index(root() / "IMG.CR2"), 2);
    EXPECT_EQ(index(root() / "img.cr2"), 2);
    EXPECT_EQ(index(root() / "x.NEF.trashed"), 1);
    EXPECT_EQ(index(write("k.tif", rawWithPreview("Kodak", 8, 8))), 4);
    EXPECT_EQ(index(write("k.tiff", rawWithPreview("Kodak", 8, 8))), 0);
    EXPECT_EQ(index(write("p.dng", rawWithPreview("Pentax", 8, 8))), 8);
    EXPECT_EQ(index(write("m.dng", rawWithPreview("PENTAX Corporation", 8, 8))), 0);
    // Today's formats show the general figure, whoever made them.
    for (const char* name : {"c.CR3", "n.nrw", "s.ARW", "r.rw2", "h.3fr", "q.IIQ"})
        EXPECT_EQ(index(write(name, rawWithPreview("Canon", 8, 8))), 0) << name;
}

TEST_F(Extractor, unregisteringRemovesTheClass) {
    auto unregisterServer =
        reinterpret_cast<HRESULT (*)()>(::dlsym(module_, "DllUnregisterServer"));
    ASSERT_EQ(unregisterServer(), S_OK);
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID("Tavrin.RawImageExtractor", &clsid), CO_E_CLASSSTRING);
    EXPECT_FALSE(
        registry::keyExists(Root::ClassesRoot, "CLSID\\" + toString(CLSID_RawImageExtractor)));
    EXPECT_TRUE(registry::keyExists(Root::ClassesRoot, "CLSID"));
}

}  // namespace
}  // namespace tavrin::shell
