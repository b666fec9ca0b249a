#pragma once
// IDataObject with the slot order of the Windows SDK, and a data object carrying a file list
// in the CF_HDROP format (a DROPFILES header followed by 8-bit names, each ended by a zero,
// the list by one more) as the shell hands a selection to its extensions.

#include <string>
#include <vector>

#include "platform/com/global_memory.hpp"
#include "platform/com/unknown.hpp"

namespace tavrin::com {

inline constexpr IID IID_IDataObject{
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

using CLIPFORMAT = std::uint16_t;
inline constexpr CLIPFORMAT CF_HDROP = 15;
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD TYMED_HGLOBAL = 1;

struct FORMATETC {
    CLIPFORMAT cfFormat;
    void* ptd;
    DWORD dwAspect;
    std::int32_t lindex;
    DWORD tymed;
};

struct STGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    IUnknown* pUnkForRelease;
};

struct POINT {
    std::int32_t x;
    std::int32_t y;
};

struct DROPFILES {
    DWORD pFiles;  // offset of the name list from the start of this header
    POINT pt;
    BOOL fNC;
    BOOL fWide;  // 0: 8-bit names
};

TAVRIN_INTERFACE IDataObject : IUnknown {
    static constexpr IID kIid = IID_IDataObject;
    virtual HRESULT GetData(FORMATETC * format, STGMEDIUM * medium) = 0;
    virtual HRESULT GetDataHere(FORMATETC * format, STGMEDIUM * medium) = 0;
    virtual HRESULT QueryGetData(FORMATETC * format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC * in, FORMATETC * out) = 0;
    virtual HRESULT SetData(FORMATETC * format, STGMEDIUM * medium, BOOL release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, void** enumerator) = 0;
    virtual HRESULT DAdvise(FORMATETC * format, DWORD flags, void* sink, DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(void** enumerator) = 0;

  protected:
    ~IDataObject() = default;
};

// A new data object holding the paths as CF_HDROP, with one reference for the caller.
IDataObject* createFileListDataObject(const std::vector<std::string>& paths);

// The DROPFILES block inside an HGLOBAL.
using HDROP = HGLOBAL;

// index 0xFFFFFFFF: the number of files. Otherwise copies name index into buffer (at most
// size - 1 characters and a zero) and returns its length; 0 when there is no such name. A null
// buffer returns the length the name needs, without the zero.
UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size);

void ReleaseStgMedium(STGMEDIUM* medium);

}  // namespace tavrin::com
