#pragma once
// Shooting data as ready-to-show texts, and the rules that turn numbers into them.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin::shell {

// The largest ISO and focal length the readers take for real.
inline constexpr int kMaxIso = 3200;
inline constexpr double kMaxFocalLength = 2500;

// A fraction as the exposure-time texts show it: "%ld/%ld".
struct Fraction {
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;

    // "n/d" or "n\d"; a plain number n gives n/1; a zero part or an empty text gives 0/0.
    static Fraction parse(std::string_view text);
    // Both signs moved to the numerator, then divided by the greatest common divisor.
    Fraction reduced() const;
    std::string text() const;
};

struct ShootingData {
    std::string isoText;
    std::string sizeNote;
    std::string focalNote;
    std::string apertureNote;
    std::string dateTaken;
    std::string exposureTime;
    std::string aperture;
    std::string focalLength;
    std::string flash;
    std::string whiteBalance;
    std::int32_t width = 0;
    std::int32_t height = 0;

    void reset() { *this = ShootingData{}; }

    // Values outside a setter's range leave its field unchanged.
    void setIso(int n);
    void setApertureRational(std::uint32_t numerator, std::uint32_t denominator);
    void setFocalLengthReal(double value);
    void setFocalLengthShort(std::int16_t value);
    void setFocalLengthInt(int value);
    void setFocalLengthRational(std::uint32_t numerator, std::uint32_t denominator);
    void setExposureText(std::string_view text);
    void setExposureRational(std::int32_t numerator, std::int32_t denominator);
    void setDate(std::string_view text);
    void setAperture(std::string_view text) { aperture = text; }
    void setFocalLength(std::string_view text) { focalLength = text; }
    void setFlash(std::string_view text) { flash = text; }
    void setFlashState(int i);    // string 560 + i: "An", "Aus"
    void setWhiteBalance(int i);  // string 570 + i
};

// Text trimmed of white space at both ends.
std::string trimmed(std::string_view text);

}  // namespace tavrin::shell
