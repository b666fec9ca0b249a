#pragma once
// The numbers of the TIFF, EXIF and DNG tags the readers look at.

#include <cstdint>

namespace tavrin::formats {

// Baseline and extended TIFF.
inline constexpr std::uint16_t kTagPanasonicRedBalance = 0x0011;
inline constexpr std::uint16_t kTagPanasonicBlueBalance = 0x0012;
inline constexpr std::uint16_t kTagPanasonicJpgFromRaw = 0x002E;  // the JPEG is the value
inline constexpr std::uint16_t kTagNewSubfileType = 0x00FE;
inline constexpr std::uint16_t kTagImageWidth = 0x0100;
inline constexpr std::uint16_t kTagImageHeight = 0x0101;
inline constexpr std::uint16_t kTagBitsPerSample = 0x0102;
inline constexpr std::uint16_t kTagCompression = 0x0103;
inline constexpr std::uint16_t kTagPhotometric = 0x0106;
inline constexpr std::uint16_t kTagImageDescription = 0x010E;
inline constexpr std::uint16_t kTagMake = 0x010F;
inline constexpr std::uint16_t kTagModel = 0x0110;
inline constexpr std::uint16_t kTagStripOffsets = 0x0111;
inline constexpr std::uint16_t kTagOrientation = 0x0112;
inline constexpr std::uint16_t kTagSamplesPerPixel = 0x0115;
inline constexpr std::uint16_t kTagStripByteCounts = 0x0117;
inline constexpr std::uint16_t kTagGrayResponseCurve = 0x0123;
inline constexpr std::uint16_t kTagSoftware = 0x0131;
inline constexpr std::uint16_t kTagDateTime = 0x0132;
inline constexpr std::uint16_t kTagTileOffsets = 0x0144;
inline constexpr std::uint16_t kTagSubIfds = 0x014A;
inline constexpr std::uint16_t kTagJpegOffset = 0x0201;
inline constexpr std::uint16_t kTagJpegLength = 0x0202;
inline constexpr std::uint16_t kTagKodakText = 0x03F1;
inline constexpr std::uint16_t kTagKodakToneCurve = 0x090D;
inline constexpr std::uint16_t kTagModel2 = 0x827D;
inline constexpr std::uint16_t kTagCfaPattern = 0x828E;
inline constexpr std::uint16_t kTagExifIfd = 0x8769;

// EXIF.
inline constexpr std::uint16_t kTagExposureTime = 0x829A;
inline constexpr std::uint16_t kTagFNumber = 0x829D;
inline constexpr std::uint16_t kTagExposureProgram = 0x8822;
inline constexpr std::uint16_t kTagIsoSpeed = 0x8827;
inline constexpr std::uint16_t kTagDateTimeOriginal = 0x9003;
inline constexpr std::uint16_t kTagDateTimeDigitized = 0x9004;
inline constexpr std::uint16_t kTagShutterSpeedValue = 0x9201;
inline constexpr std::uint16_t kTagApertureValue = 0x9202;
inline constexpr std::uint16_t kTagBrightnessValue = 0x9203;
inline constexpr std::uint16_t kTagExposureBias = 0x9204;
inline constexpr std::uint16_t kTagMaxApertureValue = 0x9205;
inline constexpr std::uint16_t kTagSubjectDistance = 0x9206;
inline constexpr std::uint16_t kTagMeteringMode = 0x9207;
inline constexpr std::uint16_t kTagLightSource = 0x9208;
inline constexpr std::uint16_t kTagFlash = 0x9209;
inline constexpr std::uint16_t kTagFocalLength = 0x920A;
inline constexpr std::uint16_t kTagMakerNote = 0x927C;

// DNG: every tag from kTagDngFirst to kTagDngLast marks a DNG directory.
inline constexpr std::uint16_t kTagDngFirst = 50700;
inline constexpr std::uint16_t kTagDngLast = 50799;
inline constexpr std::uint16_t kTagDngVersion = 50706;
inline constexpr std::uint16_t kTagCfaPlaneColor = 50710;
inline constexpr std::uint16_t kTagCfaLayout = 50711;
inline constexpr std::uint16_t kTagLinearizationTable = 50712;
inline constexpr std::uint16_t kTagBlackLevel = 50714;
inline constexpr std::uint16_t kTagBlackLevelDeltaH = 50715;
inline constexpr std::uint16_t kTagBlackLevelDeltaV = 50716;
inline constexpr std::uint16_t kTagWhiteLevel = 50717;
inline constexpr std::uint16_t kTagColorMatrix1 = 50721;
inline constexpr std::uint16_t kTagColorMatrix2 = 50722;
inline constexpr std::uint16_t kTagCameraCalibration1 = 50723;
inline constexpr std::uint16_t kTagCameraCalibration2 = 50724;
inline constexpr std::uint16_t kTagAnalogBalance = 50727;
inline constexpr std::uint16_t kTagAsShotNeutral = 50728;
inline constexpr std::uint16_t kTagAsShotWhiteXy = 50729;

}  // namespace tavrin::formats
