// The tables identification reads before the camera table.

#include "rawengine/identify/identify.hpp"

namespace tavrin::raw {

const std::array<const char*, 10> kMakeNames = {
    "Canon",  "NIKON",   "EPSON",   "Kodak",  "OLYMPUS",
    "PENTAX", "MINOLTA", "Minolta", "Konica", "CASIO",
};

// Files known by their size alone. Every row is compared; a later match wins.
const std::array<FileSizeRow, 26> kFileSizeTable = {{
    {62464, "Kodak", "DC20", false},           {124928, "Kodak", "DC20", false},
    {311696, "ST Micro", "STV680 VGA", false}, {787456, "Creative", "PC-CAM 600", false},
    {1581060, "NIKON", "E900", true},          {2465792, "NIKON", "E950", true},
    {2940928, "NIKON", "E2100", true},         {4771840, "NIKON", "E990", true},
    {4775936, "NIKON", "E3700", true},         {5869568, "NIKON", "E4300", true},
    {5865472, "NIKON", "E4500", false},        {7438336, "NIKON", "E5000", true},
    {1976352, "CASIO", "QV-2000UX", false},    {3217760, "CASIO", "QV-3*00EX", false},
    {6218368, "CASIO", "QV-5700", false},      {7530816, "CASIO", "QV-R51", true},
    {7684000, "CASIO", "QV-4000", false},      {7542528, "CASIO", "EX-Z50", true},
    {7753344, "CASIO", "EX-Z55", true},        {7426656, "CASIO", "EX-P505", true},
    {9313536, "CASIO", "EX-P600", true},       {10979200, "CASIO", "EX-P700", true},
    {3178560, "PENTAX", "Optio S", true},      {4841984, "PENTAX", "Optio S", true},
    {6114240, "PENTAX", "Optio S4", true},     {12582980, "Sinar", "", false},
}};

}  // namespace tavrin::raw
