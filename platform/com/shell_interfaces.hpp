#pragma once
// The shell interfaces the shell object implements, with the slot order and identifiers of the
// Windows SDK. Types the object does not use yet are declared only as far as the slots need.

#include "platform/com/data_object.hpp"
#include "platform/com/unknown.hpp"
#include "platform/com/variant.hpp"
#include "platform/imaging/gdi_handles.hpp"
#include "platform/ui/property_sheet.hpp"

namespace tavrin::com {

using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;
using HBITMAP = imaging::HBITMAP;
using HMENU = void*;
using HKEY = void*;
using LPARAM = std::intptr_t;

struct SIZE {
    std::int32_t cx;
    std::int32_t cy;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

inline constexpr std::size_t MAX_PATH = 260;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_OFFLINE = 0x1000;
inline constexpr DWORD LVCFMT_LEFT = 0;
inline constexpr DWORD SHCOLSTATE_TYPE_STR = 0x1;

inline constexpr UINT CMF_DEFAULTONLY = 0x0001;
inline constexpr UINT GCS_HELPTEXTA = 0x0001;
inline constexpr UINT GCS_UNICODE = 0x0004;
inline constexpr UINT GCS_HELPTEXTW = GCS_HELPTEXTA | GCS_UNICODE;
inline constexpr int SW_SHOWNORMAL = 1;

struct CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    void* hwnd;
    const char* lpVerb;  // a command offset in the low 16 bits when the high bits are 0
    const char* lpParameters;
    const char* lpDirectory;
    int nShow;
    DWORD dwHotKey;
    void* hIcon;
};

struct SHCOLUMNID {
    GUID fmtid;
    DWORD pid;
};

struct SHCOLUMNINFO {
    SHCOLUMNID scid;
    VARTYPE vt;
    DWORD fmt;
    UINT cChars;
    DWORD csFlags;
    WCHAR wszTitle[80];
    WCHAR wszDescription[128];
};

struct SHCOLUMNDATA {
    ULONG dwFlags;
    DWORD dwFileAttributes;
    ULONG dwReserved;
    WCHAR* pwszExt;
    WCHAR wszFile[MAX_PATH];
};

inline constexpr DWORD IEIFLAG_ASYNC = 0x0001;
inline constexpr DWORD IEIFLAG_CACHE = 0x0002;
inline constexpr DWORD IEIFLAG_ORIGSIZE = 0x0004;

inline constexpr IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPersistFile{0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IExtractImage{
    0xBB2E617C, 0x0920, 0x11D1, {0x9A, 0x0B, 0x00, 0xC0, 0x4F, 0xC2, 0xD6, 0xC1}};
inline constexpr IID IID_IExtractImage2{
    0x953BB1EE, 0x93B4, 0x11D1, {0x98, 0xA3, 0x00, 0xC0, 0x4F, 0xB6, 0x87, 0xDA}};
inline constexpr IID IID_IQueryInfo{0x00021500, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IShellExtInit{0x000214E8, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IContextMenu{0x000214E4, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IShellPropSheetExt{
    0x000214E9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IColumnProvider{
    0xE8025004, 0x1C42, 0x11D2, {0xBE, 0x2C, 0x00, 0xA0, 0xC9, 0xA8, 0x3D, 0xA1}};
inline constexpr IID IID_IExtractIconA{0x000214EB, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

TAVRIN_INTERFACE IDispatch : IUnknown {
    static constexpr IID kIid = IID_IDispatch;
    virtual HRESULT GetTypeInfoCount(UINT * count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, DWORD locale, void** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, LPWSTR * names, UINT count, DWORD locale,
                                  std::int32_t * ids) = 0;
    virtual HRESULT Invoke(std::int32_t id, REFIID iid, DWORD locale, std::uint16_t flags,
                           void* params, void* result, void* exception, UINT* argError) = 0;

  protected:
    ~IDispatch() = default;
};

TAVRIN_INTERFACE IPersistFile : IUnknown {
    static constexpr IID kIid = IID_IPersistFile;
    virtual HRESULT GetClassID(CLSID * clsid) = 0;  // IPersist
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(LPCWSTR fileName, DWORD mode) = 0;
    virtual HRESULT Save(LPCWSTR fileName, BOOL remember) = 0;
    virtual HRESULT SaveCompleted(LPCWSTR fileName) = 0;
    virtual HRESULT GetCurFile(LPWSTR * fileName) = 0;

  protected:
    ~IPersistFile() = default;
};

TAVRIN_INTERFACE IExtractImage : IUnknown {
    static constexpr IID kIid = IID_IExtractImage;
    virtual HRESULT GetLocation(LPWSTR pathBuffer, DWORD bufferChars, DWORD * priority,
                                const SIZE* size, DWORD colourDepth, DWORD* flags) = 0;
    virtual HRESULT Extract(HBITMAP * bitmap) = 0;

  protected:
    ~IExtractImage() = default;
};

TAVRIN_INTERFACE IExtractImage2 : IExtractImage {
    static constexpr IID kIid = IID_IExtractImage2;
    virtual HRESULT GetDateStamp(FILETIME * dateStamp) = 0;

  protected:
    ~IExtractImage2() = default;
};

TAVRIN_INTERFACE IQueryInfo : IUnknown {
    static constexpr IID kIid = IID_IQueryInfo;
    virtual HRESULT GetInfoTip(DWORD flags, LPWSTR * tip) = 0;
    virtual HRESULT GetInfoFlags(DWORD * flags) = 0;

  protected:
    ~IQueryInfo() = default;
};

TAVRIN_INTERFACE IShellExtInit : IUnknown {
    static constexpr IID kIid = IID_IShellExtInit;
    virtual HRESULT Initialize(const void* folder, IDataObject* dataObject, HKEY classKey) = 0;

  protected:
    ~IShellExtInit() = default;
};

TAVRIN_INTERFACE IContextMenu : IUnknown {
    static constexpr IID kIid = IID_IContextMenu;
    virtual HRESULT QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                     UINT flags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO * info) = 0;
    virtual HRESULT GetCommandString(std::uintptr_t id, UINT type, UINT * reserved, char* buffer,
                                     UINT chars) = 0;

  protected:
    ~IContextMenu() = default;
};

TAVRIN_INTERFACE IShellPropSheetExt : IUnknown {
    static constexpr IID kIid = IID_IShellPropSheetExt;
    virtual HRESULT AddPages(ui::LPFNADDPROPSHEETPAGE addPage, LPARAM param) = 0;
    virtual HRESULT ReplacePage(UINT pageId, void* replaceWith, LPARAM param) = 0;

  protected:
    ~IShellPropSheetExt() = default;
};

TAVRIN_INTERFACE IColumnProvider : IUnknown {
    static constexpr IID kIid = IID_IColumnProvider;
    virtual HRESULT Initialize(const void* init) = 0;
    virtual HRESULT GetColumnInfo(DWORD index, SHCOLUMNINFO * info) = 0;
    virtual HRESULT GetItemData(const SHCOLUMNID* column, const SHCOLUMNDATA* item,
                                VARIANT* value) = 0;

  protected:
    ~IColumnProvider() = default;
};

TAVRIN_INTERFACE IExtractIconA : IUnknown {
    static constexpr IID kIid = IID_IExtractIconA;
    virtual HRESULT GetIconLocation(UINT flags, char* iconFile, UINT iconFileChars, int* index,
                                    UINT* outFlags) = 0;
    virtual HRESULT Extract(const char* iconFile, UINT index, void** large, void** small,
                            UINT iconSize) = 0;

  protected:
    ~IExtractIconA() = default;
};

}  // namespace tavrin::com
