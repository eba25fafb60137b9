#pragma once
/// Mathematical constants that the code and its tests share.

#include <numbers>

namespace platform::support {

/// 2π in 64 bits (6.283185307179586): exactly twice std::numbers::pi.
inline constexpr double kTwoPi = 2.0 * std::numbers::pi;
static_assert(kTwoPi == 6.283185307179586);

} // namespace platform::support
