#pragma once
// The shell object's own interface beside the shell's: it hands out the image info record it
// reads of its loaded file, for tools that show what the object sees (tavrin imageinfo).

#include "platform/com/global_memory.hpp"
#include "platform/com/unknown.hpp"

namespace tavrin::shell {

inline constexpr com::IID IID_IImageInfoSource{
    0x3C6E1A94, 0x5B7D, 0x4E21, {0x8F, 0x3A, 0x61, 0x9C, 0x2D, 0x70, 0x4B, 0x15}};

TAVRIN_INTERFACE IImageInfoSource : com::IUnknown {
    static constexpr com::IID kIid = IID_IImageInfoSource;
    // Reads the loaded file. *record gets the record as "name: value" lines, the reader's
    // result among them and the extra information indented below "extraInfo:", as text without
    // a terminating zero; with withPreview, *preview gets the embedded preview as one complete
    // image file, or nothing when the file has none. Both blocks are the caller's to free
    // (GlobalFree). Returns the reader's result: a file that cannot be read still has a record.
    virtual com::HRESULT GetImageInfo(com::BOOL withPreview, com::HGLOBAL * record,
                                      com::HGLOBAL * preview) = 0;

  protected:
    ~IImageInfoSource() = default;
};

}  // namespace tavrin::shell
