#include "shellext/surfaces/detail_columns.hpp"

#include <algorithm>
#include <cstdio>

#include "common/file_types.hpp"
#include "common/settings.hpp"
#include "common/strings.hpp"
#include "formats/file_reader.hpp"
#include "formats/jpeg_markers.hpp"
#include "formats/ppm_header.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/metadata/exif_reader.hpp"

namespace tavrin::shell {
namespace {

using namespace com;

struct Column {
    unsigned title;
    unsigned description;
    UINT width;
};

constexpr std::array<Column, kColumnCount> kColumns = {{
    {9050, 9051, 32},
    {9052, 9053, 32},
    {9054, 9055, 10},
    {9056, 9057, 10},
    {9058, 9059, 10},
    {9060, 9061, 10},
    {9062, 9063, 10},
    {9064, 9065, 10},
    {9066, 9067, 10},
}};

template <std::size_t N>
void copyWide(WCHAR (&target)[N], std::string_view text) {
    const std::u16string wide = toWide(text);
    const std::size_t n = std::min(N - 1, wide.size());
    std::copy_n(wide.begin(), n, target);
    target[n] = 0;
}

void readPpmSize(const std::string& path, ImageInfo& info) {
    formats::FileReader f;
    if (f.open(path)) return;
    if (const auto header = formats::readPpmHeader(f)) {
        info.shooting.width = header->width;
        info.shooting.height = header->height;
    }
}

// Make and model from a JPEG's EXIF block, the size from its frame, turned as the block says;
// nothing else.
void readJpegColumns(const std::string& path, ImageInfo& info) {
    formats::FileReader f;
    if (f.open(path)) return;
    ExifReader exif(f);
    exif.read();  // without a block, nothing is found in it
    if (const ExifTag* t = exif.findByName("Make")) info.make = t->text;
    if (const ExifTag* t = exif.findByName("Model")) info.model = t->text;
    if (const ExifTag* t = exif.findByName("ImageWidth"))
        info.shooting.width = parseDecimal(t->text);
    if (const ExifTag* t = exif.findByName("ImageHeight"))
        info.shooting.height = parseDecimal(t->text);
    // The notes may describe the camera's original picture; the frame is this file's own.
    if (const auto frame = formats::readJpegFrameSize(f)) {
        const ExifTag* turn = exif.findByName("Orientation");
        const bool sideways = turn && (turn->text == "upper right" || turn->text == "lower left");
        info.shooting.width = sideways ? frame->height : frame->width;
        info.shooting.height = sideways ? frame->width : frame->height;
    }
}

// Make and model; a model that already names its make (most do) is shown alone.
std::string cameraName(const ImageInfo& info) {
    const bool named = !info.make.empty() && ascii::startsWithIgnoreCase(info.model, info.make);
    return named ? info.model : info.make + " " + info.model;
}

std::string textOf(const ImageInfo& info, DWORD pid) {
    const ShootingData& sd = info.shooting;
    switch (pid) {
        case 0: {
            if (sd.width == 0 || sd.height == 0) return {};
            char text[32];
            std::snprintf(text, sizeof text, "%d x %d", sd.width, sd.height);
            return text;
        }
        case 1:
            return cameraName(info);
        case 2:
            return sd.dateTaken;
        case 3:
            return sd.isoText;
        case 4:
            return sd.exposureTime;
        case 5:
            return sd.aperture;
        case 6:
            return sd.focalLength;
        case 7:
            return sd.flash;
        default:
            return sd.whiteBalance;
    }
}

}  // namespace

HRESULT describeColumn(DWORD index, SHCOLUMNINFO* info) {
    if (index >= kColumnCount) return S_FALSE;
    if (!info) return E_POINTER;
    const Column& c = kColumns[index];
    info->scid = SHCOLUMNID{FMTID_TavrinColumns, index};
    info->vt = VT_LPSTR;
    info->fmt = LVCFMT_LEFT;
    info->cChars = c.width;
    info->csFlags = SHCOLSTATE_TYPE_STR;
    copyWide(info->wszTitle, strings::get(c.title));
    copyWide(info->wszDescription, strings::get(c.description));
    return S_OK;
}

HRESULT columnValue(const SHCOLUMNID* column, const SHCOLUMNDATA* item, VARIANT* value) {
    if (!column || !item || !value) return E_POINTER;
    if (!(column->fmtid == FMTID_TavrinColumns) || column->pid >= kColumnCount) return S_FALSE;
    if (item->dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_OFFLINE))
        return S_FALSE;
    // The name is read only within its field, whether or not the caller ended it there.
    const WCHAR* end = std::find(item->wszFile, item->wszFile + MAX_PATH, u'\0');
    const std::string path = fromWide(std::u16string(item->wszFile, end).c_str());
    const std::string_view extension = extensionOf(path);
    if (!isSupportedExtension(extension)) return S_FALSE;

    ImageInfo info;
    if (ascii::equalsIgnoreCase(extension, ".ppm")) {
        readPpmSize(path, info);
    } else if (ascii::equalsIgnoreCase(extension, ".thm") ||
               ascii::equalsIgnoreCase(extension, ".jpg") ||
               ascii::equalsIgnoreCase(extension, ".jpeg")) {
        readJpegColumns(path, info);
    } else {
        info.filePath = path;
        ReadImageInfo(info, false);
    }
    VariantClear(value);
    value->bstrVal = SysAllocString(toWide(textOf(info, column->pid)).c_str());
    if (!value->bstrVal) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    return S_OK;
}

}  // namespace tavrin::shell
