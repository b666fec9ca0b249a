#pragma once
// 3 x 3 matrices of the colour steps.

#include <array>
#include <cmath>
#include <optional>

namespace tavrin::raw {

using Matrix3 = std::array<std::array<double, 3>, 3>;

// The inverse; nothing when the matrix is singular or not finite.
inline std::optional<Matrix3> invert(const Matrix3& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return std::nullopt;
    Matrix3 out{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
            out[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
        }
    }
    return out;
}

}  // namespace tavrin::raw
