#pragma once
// Canon's CIFF heap (CRW files): the records and fields that hold the shooting data.

#include <cstddef>
#include <cstdint>

namespace tavrin::shell::ciff {

// The records of the shooting data (types without their storage bits).
enum RecordType : unsigned {
    FocalLengthRecord = 0x1029,     // 16-bit words
    ShotInfoRecord = 0x102A,        // 16-bit words
    CameraSettingsRecord = 0x102D,  // 16-bit words
    ExposureInfoRecord = 0x1818,    // 32-bit floats
};

// Word indexes in the shot information; codes in Canon's 1/32-EV steps.
namespace shot {
inline constexpr std::size_t kIso = 2;
inline constexpr std::size_t kExposureCompensation = 6;
inline constexpr std::size_t kWhiteBalance = 7;
inline constexpr std::size_t kFlashCompensation = 15;
inline constexpr std::size_t kFarFocus = 19;   // centimetres
inline constexpr std::size_t kNearFocus = 20;  // centimetres
inline constexpr std::size_t kAperture = 21;
inline constexpr std::size_t kShutter = 22;
inline constexpr std::size_t kBulbDuration = 24;  // seconds
}  // namespace shot

// Word indexes in the camera settings.
namespace settings {
inline constexpr std::size_t kReleaseDelay = 2;
inline constexpr std::size_t kFlashMode = 4;
inline constexpr std::size_t kDriveMode = 5;
inline constexpr std::size_t kFocusMode = 7;
inline constexpr std::size_t kContrast = 13;
inline constexpr std::size_t kSaturation = 14;
inline constexpr std::size_t kSharpness = 15;
inline constexpr std::size_t kLongestFocal = 23;   // in focal units
inline constexpr std::size_t kShortestFocal = 24;  // in focal units
inline constexpr std::size_t kFocalUnits = 25;     // per millimetre
inline constexpr std::size_t kColourTone = 42;
}  // namespace settings

// Word index in the focal-length record, in the camera settings' focal units.
inline constexpr std::size_t kFocalLength = 1;

// Float indexes in the exposure information, APEX values.
namespace exposure {
inline constexpr std::size_t kCompensation = 0, kShutter = 1, kAperture = 2;
}  // namespace exposure

}  // namespace tavrin::shell::ciff
