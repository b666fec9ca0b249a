// The module's entry points: the class factory, the unload test and self-registration.

#include <string>

#include "platform/com/registrar.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"

namespace tavrin::shell {
namespace {

using namespace com;

// Script 101: the application id.
constexpr const char* kAppIdScript = R"(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'Tavrin'
		'Tavrin.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
}
)";

// Script 102: the class, its ProgIDs and its server.
constexpr const char* kClassScript = R"(HKCR
{
	Tavrin.RawImageExtractor.1 = s 'RawImageExtractor Class'
	{
		CLSID = s '%CLSID%'
	}
	Tavrin.RawImageExtractor = s 'RawImageExtractor Class'
	{
		CLSID = s '%CLSID%'
		CurVer = s 'Tavrin.RawImageExtractor.1'
	}
	NoRemove CLSID
	{
		ForceRemove %CLSID% = s 'RawImageExtractor Class'
		{
			ProgID = s 'Tavrin.RawImageExtractor.1'
			VersionIndependentProgID = s 'Tavrin.RawImageExtractor'
			ForceRemove 'Programmable'
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			val AppID = s '%APPID%'
			'TypeLib' = s '%LIBID%'
		}
	}
}
)";

// The type library's registration: "TavrinLib" 1.0 and its dual interface.
constexpr const char* kTypeLibScript = R"(HKCR
{
	NoRemove TypeLib
	{
		ForceRemove %LIBID%
		{
			'1.0' = s 'Tavrin 1.0 Type Library'
			{
				'0'
				{
					win32 = s '%MODULE%'
				}
				FLAGS = s '0'
			}
		}
	}
	NoRemove Interface
	{
		ForceRemove %IID% = s 'IRawImageExtractor'
		{
			TypeLib = s '%LIBID%'
			{
				val Version = s '1.0'
			}
		}
	}
}
)";

Registrar registrar() {
    Registrar r;
    r.addReplacement("MODULE", modulePath());
    r.addReplacement("APPID", toString(APPID_Tavrin));
    r.addReplacement("CLSID", toString(CLSID_RawImageExtractor));
    r.addReplacement("LIBID", toString(LIBID_TavrinLib));
    r.addReplacement("IID", toString(IID_IRawImageExtractor));
    return r;
}

// The factory lives as long as the module.
class ClassFactory final : public StaticComObject<IClassFactory> {
  public:
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* extractor = new (std::nothrow) RawImageExtractor;
        if (!extractor) return E_OUTOFMEMORY;
        const HRESULT hr = extractor->QueryInterface(iid, object);
        extractor->Release();
        return hr;
    }
    HRESULT LockServer(BOOL lock) override {
        lock ? moduleCounts().lock() : moduleCounts().unlock();
        return S_OK;
    }
};

ClassFactory factory;

}  // namespace

}  // namespace tavrin::shell

using namespace tavrin::com;
using namespace tavrin::shell;

#define TAVRIN_EXPORT extern "C" __attribute__((visibility("default")))

TAVRIN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(clsid == CLSID_RawImageExtractor)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

TAVRIN_EXPORT HRESULT DllCanUnloadNow() {
    return moduleCounts().canUnloadNow();
}

TAVRIN_EXPORT HRESULT DllRegisterServer() {
    const Registrar r = registrar();
    for (const char* script : {kAppIdScript, kClassScript, kTypeLibScript}) {
        if (const HRESULT hr = r.registerScript(script); FAILED(hr)) return hr;
    }
    return S_OK;
}

TAVRIN_EXPORT HRESULT DllUnregisterServer() {
    const Registrar r = registrar();
    HRESULT result = S_OK;
    for (const char* script : {kTypeLibScript, kClassScript, kAppIdScript}) {
        if (const HRESULT hr = r.unregisterScript(script); FAILED(hr)) result = hr;
    }
    return result;
}
