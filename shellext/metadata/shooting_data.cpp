#include "shellext/metadata/shooting_data.hpp"

#include <cstdio>
#include <numeric>

#include "common/settings.hpp"
#include "common/strings.hpp"

namespace tavrin::shell {
namespace {

constexpr unsigned kFlashOn = 560;
constexpr unsigned kWhiteBalanceAuto = 570;
constexpr std::size_t kMaxFractionPart = 31;

void setFromTable(std::string& field, unsigned id) {
    if (const auto text = strings::load(id)) field = *text;
}

}  // namespace

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

Fraction Fraction::parse(std::string_view text) {
    auto cut = text.find('/');
    if (cut == std::string_view::npos) cut = text.find('\\');
    if (cut == std::string_view::npos) {
        const int n = text.empty() ? 0 : parseDecimal(text);
        return n ? Fraction{n, 1} : Fraction{};
    }
    const int n = parseDecimal(text.substr(0, cut).substr(0, kMaxFractionPart));
    const int d = parseDecimal(text.substr(cut + 1).substr(0, kMaxFractionPart));
    if (n == 0 || d == 0) return Fraction{};
    return Fraction{n, d};
}

Fraction Fraction::reduced() const {
    if (numerator == 0 && denominator == 0) return *this;
    std::int64_t n = numerator, d = denominator;
    if (n < 0 && d < 0) {
        n = -n, d = -d;
    } else if (d < 0) {
        n = -n, d = -d;
    }
    const bool negative = n < 0;
    if (negative) n = -n;
    // The largest common divisor up to the smaller of the two; none when that is below 1.
    if (std::min(n, d) >= 1) {
        const std::int64_t g = std::gcd(n, d);
        n /= g, d /= g;
    }
    return Fraction{static_cast<std::int32_t>(negative ? -n : n), static_cast<std::int32_t>(d)};
}

std::string Fraction::text() const {
    char text[64];
    std::snprintf(text, sizeof text, "%ld/%ld", static_cast<long>(numerator),
                  static_cast<long>(denominator));
    return text;
}

void ShootingData::setIso(int n) {
    if (n > kMaxIso) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    isoText = text;
}

void ShootingData::setApertureRational(std::uint32_t numerator, std::uint32_t denominator) {
    const double value = denominator ? static_cast<double>(numerator) / denominator : 0.0;
    char text[64];
    std::snprintf(text, sizeof text, "f %.1f", value);
    aperture = text;
}

void ShootingData::setFocalLengthReal(double value) {
    if (value == 0 || !(value < kMaxFocalLength)) return;
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    focalLength = text;
}

void ShootingData::setFocalLengthShort(std::int16_t value) {
    if (value == 0 || value >= kMaxFocalLength) return;
    char text[16];
    std::snprintf(text, sizeof text, "%hu", static_cast<unsigned short>(value));
    focalLength = text;
}

void ShootingData::setFocalLengthInt(int value) {
    if (value == 0 || value >= kMaxFocalLength) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    focalLength = text;
}

void ShootingData::setFocalLengthRational(std::uint32_t numerator, std::uint32_t denominator) {
    if (denominator == 0) return;
    setFocalLengthReal(static_cast<double>(numerator) / denominator);
}

void ShootingData::setExposureText(std::string_view text) {
    if (text.find('.') != std::string_view::npos) {
        exposureTime = text;
        return;
    }
    exposureTime = Fraction::parse(text).reduced().text();
}

void ShootingData::setExposureRational(std::int32_t numerator, std::int32_t denominator) {
    exposureTime = Fraction{numerator, denominator}.reduced().text();
}

void ShootingData::setDate(std::string_view text) {
    dateTaken = trimmed(text);
}

void ShootingData::setFlashState(int i) {
    setFromTable(flash, kFlashOn + static_cast<unsigned>(i));
}

void ShootingData::setWhiteBalance(int i) {
    setFromTable(whiteBalance, kWhiteBalanceAuto + static_cast<unsigned>(i));
}

}  // namespace tavrin::shell
