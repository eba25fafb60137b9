#pragma once
// Reads a fuzzer's bytes as the choices, numbers and texts that build a test case. Every read succeeds:
// an exhausted input reads as zeros and empty texts, so that any byte string is a valid case.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorbel::fuzz {

/// A cursor over the fuzzer's bytes.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) noexcept : data_(data), size_(size) {}

    /// Whether every byte has been read.
    bool empty() const noexcept { return position_ >= size_; }
    /// The next byte (0 once exhausted).
    std::uint8_t byte() noexcept { return position_ < size_ ? data_[position_++] : 0; }
    /// The next byte's lowest bit.
    bool flag() noexcept { return (byte() & 1u) != 0; }
    /// A number below `bound` (at least 1) from as few bytes as it needs.
    std::uint64_t below(std::uint64_t bound) noexcept;
    /// The next eight bytes as a little-endian number.
    std::uint64_t word() noexcept;
    /// The next four bytes as the bits of a float (NaNs, infinities and subnormals included).
    float rawFloat() noexcept;
    /// The next eight bytes as the bits of a double.
    double rawDouble() noexcept;
    /// Mostly values that matter to the unit (0, ±0.5, switch edges, ranges' ends, NaN, infinities, huge
    /// and tiny), otherwise raw float bits.
    float interestingFloat() noexcept;
    /// A text of at most `maxLength` bytes (its length read first), any bytes.
    std::string text(std::size_t maxLength);
    /// Every byte not read yet, as a text.
    std::string rest();

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

/// Stops the process with `what` on stderr when `ok` is false: a broken promise is a crash to the fuzzer
/// and a failure to the regression test that replays the input.
void fuzzCheck(bool ok, const char* what) noexcept;

} // namespace quorbel::fuzz
