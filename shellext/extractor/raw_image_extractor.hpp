#pragma once
// RawImageExtractor: the one class of the shell object. One object serves one file (thumbnail,
// tip, icon) or one selection (menu, pages) and answers every shell interface from its
// ImageInfo record.

#include <string>
#include <vector>

#include "platform/com/object.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "shellext/image_info_source.hpp"
#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

// The class, its interface and the type library: the project's own identifiers.
inline constexpr com::CLSID CLSID_RawImageExtractor{
    0x3C6E1A90, 0x5B7D, 0x4E21, {0x8F, 0x3A, 0x61, 0x9C, 0x2D, 0x70, 0x4B, 0x15}};
inline constexpr com::IID IID_IRawImageExtractor{
    0x3C6E1A91, 0x5B7D, 0x4E21, {0x8F, 0x3A, 0x61, 0x9C, 0x2D, 0x70, 0x4B, 0x15}};
inline constexpr com::GUID LIBID_TavrinLib{
    0x3C6E1A92, 0x5B7D, 0x4E21, {0x8F, 0x3A, 0x61, 0x9C, 0x2D, 0x70, 0x4B, 0x15}};
inline constexpr com::GUID APPID_Tavrin{
    0x3C6E1A93, 0x5B7D, 0x4E21, {0x8F, 0x3A, 0x61, 0x9C, 0x2D, 0x70, 0x4B, 0x15}};

// The dual interface of the class: IDispatch and nothing of its own.
TAVRIN_INTERFACE IRawImageExtractor : com::IDispatch {
    static constexpr com::IID kIid = IID_IRawImageExtractor;

  protected:
    ~IRawImageExtractor() = default;
};

class RawImageExtractor final
    : public com::ComObject<IRawImageExtractor, com::IPersistFile, com::IExtractImage2,
                            com::IQueryInfo, com::IShellExtInit, com::IContextMenu,
                            com::IShellPropSheetExt, com::IColumnProvider, com::IExtractIconA,
                            IImageInfoSource> {
  public:
    RawImageExtractor();

    // Also answers IDispatch and IExtractImage, which the table reaches through their derived
    // interfaces.
    com::HRESULT QueryInterface(com::REFIID iid, void** object) override;

    // IDispatch: the type library is not served on this platform.
    com::HRESULT GetTypeInfoCount(com::UINT* count) override;
    com::HRESULT GetTypeInfo(com::UINT, com::DWORD, void**) override { return com::E_NOTIMPL; }
    com::HRESULT GetIDsOfNames(com::REFIID, com::LPWSTR*, com::UINT, com::DWORD,
                               std::int32_t*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT Invoke(std::int32_t, com::REFIID, com::DWORD, std::uint16_t, void*, void*, void*,
                        com::UINT*) override {
        return com::E_NOTIMPL;
    }

    // IPersistFile
    com::HRESULT GetClassID(com::CLSID*) override { return com::E_NOTIMPL; }
    com::HRESULT IsDirty() override { return com::E_NOTIMPL; }
    com::HRESULT Load(com::LPCWSTR fileName, com::DWORD mode) override;
    com::HRESULT Save(com::LPCWSTR, com::BOOL) override { return com::E_NOTIMPL; }
    com::HRESULT SaveCompleted(com::LPCWSTR) override { return com::E_NOTIMPL; }
    com::HRESULT GetCurFile(com::LPWSTR*) override { return com::E_NOTIMPL; }

    // IExtractImage, IExtractImage2
    com::HRESULT GetLocation(com::LPWSTR pathBuffer, com::DWORD bufferChars, com::DWORD* priority,
                             const com::SIZE* size, com::DWORD colourDepth,
                             com::DWORD* flags) override;
    com::HRESULT Extract(com::HBITMAP* bitmap) override;
    com::HRESULT GetDateStamp(com::FILETIME* dateStamp) override;

    // IQueryInfo
    com::HRESULT GetInfoTip(com::DWORD flags, com::LPWSTR* tip) override;
    com::HRESULT GetInfoFlags(com::DWORD*) override { return com::E_NOTIMPL; }

    // IContextMenu
    com::HRESULT QueryContextMenu(com::HMENU menu, com::UINT index, com::UINT firstId,
                                  com::UINT lastId, com::UINT flags) override;
    com::HRESULT InvokeCommand(com::CMINVOKECOMMANDINFO* info) override;
    com::HRESULT GetCommandString(std::uintptr_t id, com::UINT type, com::UINT* reserved,
                                  char* buffer, com::UINT chars) override;

    // IShellPropSheetExt
    com::HRESULT AddPages(ui::LPFNADDPROPSHEETPAGE addPage, com::LPARAM param) override;
    com::HRESULT ReplacePage(com::UINT, void*, com::LPARAM) override { return com::E_NOTIMPL; }

    // IColumnProvider
    com::HRESULT Initialize(const void*) override { return com::S_OK; }
    com::HRESULT GetColumnInfo(com::DWORD index, com::SHCOLUMNINFO* info) override;
    com::HRESULT GetItemData(const com::SHCOLUMNID* column, const com::SHCOLUMNDATA* item,
                             com::VARIANT* value) override;

    // IShellExtInit
    com::HRESULT Initialize(const void* folder, com::IDataObject* dataObject,
                            com::HKEY classKey) override;

    // IExtractIconA
    com::HRESULT GetIconLocation(com::UINT flags, char* iconFile, com::UINT iconFileChars,
                                 int* index, com::UINT* outFlags) override;
    com::HRESULT Extract(const char*, com::UINT, void**, void**, com::UINT) override {
        return com::S_FALSE;
    }

    // IImageInfoSource
    com::HRESULT GetImageInfo(com::BOOL withPreview, com::HGLOBAL* record,
                              com::HGLOBAL* preview) override;

    const ImageInfo& info() const { return info_; }
    const std::vector<std::string>& selectedFiles() const { return selectedFiles_; }

  private:
    ~RawImageExtractor() override;
    com::HRESULT renderThumbnail(com::HBITMAP* bitmap, bool fujiRotate, bool d1xStretch);
    com::HRESULT decodeRaw(bool embeddedFailed, bool* isD1X);

    ImageInfo info_;
    std::vector<std::string> selectedFiles_;
    bool keepAspect_ = false;  // IEIFLAG_ORIGSIZE: no white canvas around the picture
};

// The module's counts of live objects and locks (DllCanUnloadNow).
com::ModuleCounts& moduleCounts();

// The icon index of a file by the icon table and, for the other types, its maker.
int iconIndexFor(const std::string& path);

// The full path of the loaded module that holds the class.
std::string modulePath();

}  // namespace tavrin::shell
