#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/activation.hpp"
#include "platform/com/data_object.hpp"
#include "platform/com/registrar.hpp"
#include "platform/registry/registry.hpp"
#include "tests/platform/test_server.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::com {
namespace {

using registry::Root;

constexpr std::string_view kClsidText = "{6B1D3A52-8F0C-4C1E-9A61-275E0B44C102}";
using test::IAnswer;
using test::kIidAnswer;

const std::string kScript = R"(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'Test'
		'Test.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
	Test.Object.1 = s 'Test Class'
	{
		CLSID = s '{6B1D3A52-8F0C-4C1E-9A61-275E0B44C102}'
	}
	Test.Object = s 'Test Class'
	{
		CLSID = s '{6B1D3A52-8F0C-4C1E-9A61-275E0B44C102}'
		CurVer = s 'Test.Object.1'
	}
	NoRemove CLSID
	{
		ForceRemove {6B1D3A52-8F0C-4C1E-9A61-275E0B44C102} = s 'Test Class'
		{
			ProgID = s 'Test.Object.1'
			ForceRemove 'Programmable'
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			val AppID = s '%APPID%'
			val Count = d '0x10'
		}
	}
}
)";

class Com : public test::TempRegistry {
  protected:
    Registrar registrar() const {
        Registrar r;
        r.addReplacement("MODULE", TAVRIN_TEST_SERVER);
        r.addReplacement("APPID", "{11111111-2222-3333-4444-555555555555}");
        return r;
    }
};

TEST(Guid, formatsAndParsesTheRegistryForm) {
    const auto guid = parseGuid(kClsidText);
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->Data1, 0x6B1D3A52u);
    EXPECT_EQ(guid->Data4[7], 0x02);
    EXPECT_EQ(toString(*guid), kClsidText);
    EXPECT_EQ(parseGuid("6b1d3a52-8f0c-4c1e-9a61-275e0b44c102"), guid);
    EXPECT_FALSE(parseGuid("{6B1D3A52-8F0C-4C1E-9A61-275E0B44C10}"));
    EXPECT_FALSE(parseGuid("{6B1D3A52+8F0C-4C1E-9A61-275E0B44C102}"));
    EXPECT_FALSE(parseGuid("{6B1D3A52-8F0C-4C1E-9A61-275E0B44C1G2}"));
}

TEST_F(Com, registersAScriptCreatesItsObjectAndUnregistersIt) {
    ASSERT_EQ(registrar().registerScript(kScript), S_OK);
    const std::string clsidKey = "CLSID\\" + std::string(kClsidText);
    EXPECT_EQ(registry::queryString(Root::ClassesRoot, clsidKey + "\\InprocServer32", ""),
              TAVRIN_TEST_SERVER);
    EXPECT_EQ(
        registry::queryString(Root::ClassesRoot, clsidKey + "\\InprocServer32", "ThreadingModel"),
        "Apartment");
    EXPECT_EQ(registry::queryDword(Root::ClassesRoot, clsidKey, "Count"), 16u);
    EXPECT_EQ(registry::queryString(Root::ClassesRoot, "AppID\\Test.DLL", "AppID"),
              "{11111111-2222-3333-4444-555555555555}");

    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID("Test.Object", &clsid), S_OK);
    EXPECT_EQ(toString(clsid), kClsidText);
    ComPtr<IAnswer> object;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidAnswer, object.out()),
              S_OK);
    EXPECT_EQ(object->Answer(), 42);

    // The module counts its objects: it may unload only once the last one is released.
    void* module = ::dlopen(TAVRIN_TEST_SERVER, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<HRESULT (*)()>(::dlsym(module, "DllCanUnloadNow"));
    EXPECT_EQ(canUnload(), S_FALSE);
    object.reset();
    EXPECT_EQ(canUnload(), S_OK);
    ::dlclose(module);

    // Registering again replaces the ForceRemove key whole.
    ASSERT_TRUE(registry::setValue(Root::ClassesRoot, clsidKey + "\\Stale", "", std::string("x")));
    ASSERT_EQ(registrar().registerScript(kScript), S_OK);
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, clsidKey + "\\Stale"));

    ASSERT_TRUE(registry::setValue(Root::ClassesRoot, "CLSID\\{OTHER}", "", std::string("other")));
    ASSERT_EQ(registrar().unregisterScript(kScript), S_OK);
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, clsidKey));
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, "Test.Object"));
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, "AppID\\Test.DLL"));
    EXPECT_TRUE(registry::keyExists(Root::ClassesRoot, "AppID"));  // NoRemove
    EXPECT_TRUE(registry::keyExists(Root::ClassesRoot, "CLSID\\{OTHER}"));
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidAnswer, object.out()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID("Test.Object", &clsid), CO_E_CLASSSTRING);
}

TEST_F(Com, aScriptThatDoesNotParseChangesNothing) {
    const std::string broken = kScript.substr(0, kScript.size() - 4);  // closing braces cut
    EXPECT_EQ(registrar().registerScript(broken), E_INVALIDARG);
    EXPECT_EQ(registrar().registerScript("HKCR { Key = s '%UNKNOWN%' }"), E_INVALIDARG);
    EXPECT_EQ(registrar().registerScript("HKLM { Key }"), E_INVALIDARG);
    EXPECT_EQ(registrar().registerScript("HKCR { Key = x 'y' }"), E_INVALIDARG);
    EXPECT_FALSE(registry::keyExists(Root::ClassesRoot, "AppID"));
    EXPECT_EQ(registrar().registerScript("HKCR { 'It''s' = s '100%%' }"), S_OK);
    EXPECT_EQ(registry::queryString(Root::ClassesRoot, "It's", ""), "100%");
}

TEST_F(Com, aModuleThatCannotBeLoadedIsReported) {
    ASSERT_TRUE(registry::setValue(Root::ClassesRoot,
                                   "CLSID\\" + std::string(kClsidText) + "\\InprocServer32", "",
                                   std::string("/no/such/module.so")));
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(*parseGuid(kClsidText), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               &object),
              CO_E_DLLNOTFOUND);
    EXPECT_EQ(object, nullptr);
}

TEST(DataObject, carriesAFileListAsHdrop) {
    ComPtr<IDataObject> data(createFileListDataObject({"/pics/a.CR2", "/pics/b c.nef"}));
    FORMATETC wrong{1, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&wrong, &medium), DV_E_FORMATETC);
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    char name[260];
    EXPECT_EQ(DragQueryFileA(drop, 1, name, sizeof name), 13u);
    EXPECT_STREQ(name, "/pics/b c.nef");
    EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 11u);
    EXPECT_EQ(DragQueryFileA(drop, 0, name, 6), 5u);  // cut to the buffer
    EXPECT_STREQ(name, "/pics");
    EXPECT_EQ(DragQueryFileA(drop, 2, name, sizeof name), 0u);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(medium.hGlobal, nullptr);
}

TEST(DataObject, aDamagedDropListEndsAtItsBlock) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + 4);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    const DROPFILES header{sizeof(DROPFILES), {0, 0}, 0, 0};
    std::memcpy(bytes, &header, sizeof header);
    std::memcpy(bytes + sizeof header, "abcd", 4);  // no terminating zero
    GlobalUnlock(block);
    EXPECT_EQ(DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0), 0u);
    GlobalFree(block);
    EXPECT_EQ(DragQueryFileA(nullptr, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST(TaskAllocator, handsOutMemoryTheCallerFrees) {
    IMalloc* malloc = nullptr;
    ASSERT_EQ(SHGetMalloc(&malloc), S_OK);
    void* block = malloc->Alloc(64);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(malloc->GetSize(block), 64u);
    malloc->Free(block);
    malloc->Release();
    EXPECT_EQ(SHGetMalloc(nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace tavrin::com
