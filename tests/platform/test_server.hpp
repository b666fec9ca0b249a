#pragma once
// The interface of the test server's one class.

#include "platform/com/unknown.hpp"

namespace tavrin::test {

inline constexpr com::CLSID kTestClsid{
    0x6B1D3A52, 0x8F0C, 0x4C1E, {0x9A, 0x61, 0x27, 0x5E, 0x0B, 0x44, 0xC1, 0x02}};
inline constexpr com::IID kIidAnswer{
    0x6B1D3A53, 0x8F0C, 0x4C1E, {0x9A, 0x61, 0x27, 0x5E, 0x0B, 0x44, 0xC1, 0x02}};

TAVRIN_INTERFACE IAnswer : com::IUnknown {
    static constexpr com::IID kIid = kIidAnswer;
    virtual int Answer() = 0;

  protected:
    ~IAnswer() = default;
};

}  // namespace tavrin::test
