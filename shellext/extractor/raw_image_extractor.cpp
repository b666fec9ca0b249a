#include "shellext/extractor/raw_image_extractor.hpp"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <utility>

#include "common/file_types.hpp"
#include "common/log.hpp"
#include "common/settings.hpp"
#include "platform/com/activation.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/extractor/image_info_record.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/surfaces/context_menu.hpp"
#include "shellext/surfaces/detail_columns.hpp"
#include "shellext/surfaces/info_tip.hpp"
#include "shellext/surfaces/property_pages.hpp"

namespace tavrin::shell {
namespace {

using namespace com;

constexpr std::size_t kMaxPath = 260;
constexpr UINT kAllFiles = 0xFFFFFFFF;
// Seconds between 1601-01-01 (the FILETIME epoch) and 1970-01-01.
constexpr std::uint64_t kFileTimeEpoch = 11644473600ULL;

}  // namespace

ModuleCounts& moduleCounts() {
    static ModuleCounts counts;
    return counts;
}

std::string modulePath() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&moduleCounts), &info) == 0 || !info.dli_fname) return {};
    return info.dli_fname;
}

RawImageExtractor::RawImageExtractor() {
    moduleCounts().objectCreated();
}

RawImageExtractor::~RawImageExtractor() {
    moduleCounts().objectDestroyed();
}

HRESULT RawImageExtractor::QueryInterface(REFIID iid, void** object) {
    if (object && iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(static_cast<IRawImageExtractor*>(this));
        AddRef();
        return S_OK;
    }
    if (object && iid == IID_IExtractImage) {
        *object = static_cast<IExtractImage*>(static_cast<IExtractImage2*>(this));
        AddRef();
        return S_OK;
    }
    return ComObject::QueryInterface(iid, object);
}

HRESULT RawImageExtractor::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT RawImageExtractor::Load(LPCWSTR fileName, DWORD) {
    info_.filePath = fromWide(fileName);
    info_.freePreview();
    info_.requestedWidth = info_.requestedHeight = 0;
    info_.shooting.reset();
    info_.extraInfo.clear();
    logLine("Tavrin was loaded to open the file " + info_.filePath);
    return S_OK;
}

HRESULT RawImageExtractor::GetLocation(LPWSTR pathBuffer, DWORD bufferChars, DWORD*,
                                       const SIZE* size, DWORD, DWORD* flags) {
    if (pathBuffer && bufferChars) {
        const std::u16string wide = toWide(info_.filePath);
        std::copy_n(wide.c_str(), std::min<std::size_t>(bufferChars, wide.size() + 1), pathBuffer);
    }
    if (size) {
        info_.requestedWidth = size->cx;
        info_.requestedHeight = size->cy;
    }
    if (!flags) return S_OK;
    keepAspect_ = (*flags & IEIFLAG_ORIGSIZE) != 0;
    const bool async = (*flags & IEIFLAG_ASYNC) != 0;
    *flags |= IEIFLAG_CACHE;
    return async ? E_PENDING : S_OK;
}

HRESULT RawImageExtractor::GetDateStamp(FILETIME* dateStamp) {
    struct stat st {};
    if (!dateStamp || ::stat(info_.filePath.c_str(), &st) != 0) return E_FAIL;
    // The local calendar time of the last write, stored as if it were UTC.
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    const std::time_t asUtc = timegm(&local);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(asUtc) + kFileTimeEpoch) * 10000000ULL;
    dateStamp->dwLowDateTime = static_cast<DWORD>(ticks);
    dateStamp->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return S_OK;
}

HRESULT RawImageExtractor::Initialize(const void*, IDataObject* dataObject, HKEY) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!dataObject || FAILED(dataObject->GetData(&format, &medium))) return E_INVALIDARG;
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    if (!GlobalLock(drop)) {
        ReleaseStgMedium(&medium);
        return E_INVALIDARG;
    }
    const UINT count = DragQueryFileA(drop, kAllFiles, nullptr, 0);
    selectedFiles_.clear();
    HRESULT result = E_INVALIDARG;
    char name[kMaxPath + 1];
    if (count != 1) {
        for (UINT i = 0; i < count; ++i) {
            if (DragQueryFileA(drop, i, name, sizeof name) == 0) continue;
            if (isSupportedExtension(extensionOf(name))) selectedFiles_.emplace_back(name);
        }
        if (!selectedFiles_.empty()) result = S_OK;
    } else if (DragQueryFileA(drop, 0, name, sizeof name) != 0) {
        if (const auto entry = supportedExtensionOf(name)) {
            const char* owner = *entry == kTrashedExtension ? "TavrinImageT" : "TavrinImage";
            if (isExtensionOwnedBy(*entry, owner)) {
                info_.filePath = name;
                result = S_OK;
            }
        }
    }
    GlobalUnlock(drop);
    ReleaseStgMedium(&medium);
    return result;
}

HRESULT RawImageExtractor::GetInfoTip(DWORD, LPWSTR* tip) {
    if (!tip) return E_POINTER;
    *tip = nullptr;
    ReadImageInfo(info_, false);
    const std::u16string text = toWide(buildInfoTip(info_));
    IMalloc* malloc = nullptr;
    if (FAILED(SHGetMalloc(&malloc)) || !malloc) return E_FAIL;
    auto* block = static_cast<WCHAR*>(malloc->Alloc((text.size() + 1) * sizeof(WCHAR)));
    malloc->Release();
    if (!block) return E_FAIL;
    std::copy_n(text.c_str(), text.size() + 1, block);
    *tip = block;
    return S_OK;
}

HRESULT RawImageExtractor::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT,
                                            UINT flags) {
    return buildContextMenu({info_.filePath, selectedFiles_}, menu, index, firstId, flags);
}

HRESULT RawImageExtractor::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return invokeMenuCommand({info_.filePath, selectedFiles_}, info);
}

HRESULT RawImageExtractor::GetCommandString(std::uintptr_t id, UINT type, UINT*, char* buffer,
                                            UINT chars) {
    return menuHelpText(id, type, buffer, chars);
}

HRESULT RawImageExtractor::AddPages(ui::LPFNADDPROPSHEETPAGE addPage, LPARAM param) {
    return addPropertyPages(static_cast<IShellPropSheetExt*>(this), info_, selectedFiles_, addPage,
                            param);
}

HRESULT RawImageExtractor::GetColumnInfo(DWORD index, SHCOLUMNINFO* info) {
    return describeColumn(index, info);
}

HRESULT RawImageExtractor::GetItemData(const SHCOLUMNID* column, const SHCOLUMNDATA* item,
                                       VARIANT* value) {
    return columnValue(column, item, value);
}

HRESULT RawImageExtractor::GetImageInfo(BOOL withPreview, HGLOBAL* record, HGLOBAL* preview) {
    if (!record || (withPreview && !preview)) return E_POINTER;
    *record = nullptr;
    if (preview) *preview = nullptr;
    const HRESULT result = ReadImageInfo(info_, withPreview != 0);
    const std::string text = imageInfoRecord(info_, result);
    *record = GlobalAlloc(GMEM_MOVEABLE, text.size());
    if (!*record) return E_OUTOFMEMORY;
    std::copy(text.begin(), text.end(), static_cast<char*>(GlobalLock(*record)));
    GlobalUnlock(*record);
    if (withPreview) *preview = std::exchange(info_.previewData, nullptr);
    return result;
}

HRESULT RawImageExtractor::GetIconLocation(UINT, char* iconFile, UINT iconFileChars, int* index,
                                           UINT* outFlags) {
    if (iconFile && iconFileChars) {
        const std::string module = modulePath().substr(0, kMaxPath);
        const std::size_t n = std::min<std::size_t>(iconFileChars - 1, module.size());
        std::copy_n(module.c_str(), n, iconFile);
        iconFile[n] = '\0';
    }
    if (outFlags) *outFlags = 0;
    if (index) *index = iconIndexFor(info_.filePath);
    return S_OK;
}

}  // namespace tavrin::shell
