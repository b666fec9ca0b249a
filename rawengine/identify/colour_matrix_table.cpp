// Matrices from CIE XYZ to each camera's channels, times 10000, by make and model. The keys and
// their order are complete (the first key that is a prefix of "make model" applies, so longer
// keys stand before their prefixes). Values are given only where they are known to us; a row
// without values matches and leaves the camera without a matrix rather than taking a wrong one.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/identify/identify.hpp"

namespace tavrin::raw {
namespace {

using Values = std::array<std::int16_t, 12>;

struct MatrixRow {
    std::string_view key;
    std::optional<Values> values;
};

constexpr Values kEos{8197, -2000, -1118, -6714, 14335, 2592, -2536, 3178, 8266, 0, 0, 0};
constexpr Values kSonyF828{7924,  -1910, -777, -8226, 15459, 2998,
                           -1517, 2199,  6818, -7242, 11401, 3481};

const MatrixRow kMatrices[] = {
    {"Canon EOS D2000C", {}},
    {"Canon EOS D30", {}},
    {"Canon EOS D60", {}},
    {"Canon EOS 10D", kEos},
    {"Canon EOS 20D", {}},
    {"Canon EOS-1Ds Mark II", {}},
    {"Canon EOS-1D Mark II", {}},
    {"Canon EOS-1DS", {}},
    {"Canon EOS-1D", {}},
    {"Canon EOS", kEos},
    {"Canon PowerShot 600", {}},
    {"Canon PowerShot A50", {}},
    {"Canon PowerShot A5", {}},
    {"Canon PowerShot G1", {}},
    {"Canon PowerShot G2", {}},
    {"Canon PowerShot G3", {}},
    {"Canon PowerShot G5", {}},
    {"Canon PowerShot G6", {}},
    {"Canon PowerShot Pro1", {}},
    {"Canon PowerShot Pro70", {}},
    {"Canon PowerShot Pro90", {}},
    {"Canon PowerShot S30", {}},
    {"Canon PowerShot S40", {}},
    {"Canon PowerShot S45", {}},
    {"Canon PowerShot S50", {}},
    {"Canon PowerShot S60", {}},
    {"Canon PowerShot S70", {}},
    {"Contax N Digital", {}},
    {"EPSON R-D1", {}},
    {"FUJIFILM FinePix E550", {}},
    {"FUJIFILM FinePix F8", {}},
    {"FUJIFILM FinePix F7", {}},
    {"FUJIFILM FinePix S20Pro", {}},
    {"FUJIFILM FinePix S2Pro", {}},
    {"FUJIFILM FinePix S3Pro", {}},
    {"FUJIFILM FinePix S5000", {}},
    {"FUJIFILM FinePix S5100", {}},
    {"FUJIFILM FinePix S7000", {}},
    {"Kodak DCS315C", {}},
    {"Kodak DCS330C", {}},
    {"KODAK DCS420", {}},
    {"KODAK DCS460", {}},
    {"KODAK EOSDCS1", {}},
    {"KODAK EOSDCS3B", {}},
    {"Kodak DCS520C", {}},
    {"Kodak DCS560C", {}},
    {"Kodak DCS620C", {}},
    {"Kodak DCS620X", {}},
    {"Kodak DCS660C", {}},
    {"Kodak DCS720X", {}},
    {"Kodak DCS760C", {}},
    {"Kodak DCS Pro SLR", {}},
    {"Kodak DCS Pro 14nx", {}},
    {"Kodak DCS Pro 14", {}},
    {"Kodak ProBack645", {}},
    {"Kodak ProBack", {}},
    {"LEICA DIGILUX 2", {}},
    {"Leaf Valeo", {}},
    {"Minolta DiMAGE 5", {}},
    {"Minolta DiMAGE 7", {}},
    {"Minolta DiMAGE A1", {}},
    {"MINOLTA DiMAGE A200", {}},
    {"Minolta DiMAGE A2", {}},
    {"MINOLTA DiMAGE Z2", {}},
    {"MINOLTA DYNAX 7D", {}},
    {"NIKON D100", {}},
    {"NIKON D1H", {}},
    {"NIKON D1X", {}},
    {"NIKON D1", {}},
    {"NIKON D2H", {}},
    {"NIKON D70", {}},
    {"NIKON E995", {}},
    {"NIKON E2500", {}},
    {"NIKON E4500", {}},
    {"NIKON E5000", {}},
    {"NIKON E5400", {}},
    {"NIKON E5700", {}},
    {"NIKON E8400", {}},
    {"NIKON E8700", {}},
    {"NIKON E8800", {}},
    {"OLYMPUS C5050", {}},
    {"OLYMPUS C5060", {}},
    {"OLYMPUS C70", {}},
    {"OLYMPUS C80", {}},
    {"OLYMPUS E-10", {}},
    {"OLYMPUS E-1", {}},
    {"OLYMPUS E-20", {}},
    {"OLYMPUS E-300", {}},
    {"PENTAX *ist D", {}},
    {"Panasonic DMC-LC1", {}},
    {"SONY DSC-F828", kSonyF828},
    {"SONY DSC-V3", {}},
};
static_assert(std::size(kMatrices) == 92);

}  // namespace

void applyColourMatrixTable(DecodeState& s) {
    const std::string name = s.id.make + " " + s.id.model;
    for (const auto& row : kMatrices) {
        if (name.compare(0, row.key.size(), row.key) != 0) continue;
        if (row.values) {
            std::array<float, 12> m{};
            for (std::size_t i = 0; i < m.size(); ++i)
                m[i] = (*row.values)[i] / 10000.0f;
            s.colour.cameraFromXyz = m;
            setColourMatrixFromXyz(s, m);
        }
        return;
    }
}

}  // namespace tavrin::raw
