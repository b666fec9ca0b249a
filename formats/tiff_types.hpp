#pragma once
// The TIFF field types' value sizes, as every directory walker of the project counts them.

namespace tavrin::formats {

// Bytes per value of TIFF field type: types 3 and 8 take 2, 4, 9 and 11 take 4, 5, 10 and 12
// take 8; every other type (bytes, text, unknown types) takes 1.
constexpr int tiffTypeSize(unsigned type) {
    switch (type) {
        case 3:
        case 8:
            return 2;
        case 4:
        case 9:
        case 11:
            return 4;
        case 5:
        case 10:
        case 12:
            return 8;
        default:
            return 1;
    }
}

}  // namespace tavrin::formats
