#include "FuzzInput.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace quorbel::fuzz {

std::uint64_t FuzzInput::below(std::uint64_t bound) noexcept {
    if (bound <= 1) {
        return 0;
    }
    std::uint64_t value = 0;
    for (std::uint64_t range = bound - 1; range != 0; range >>= 8) {
        value = (value << 8) | byte();
    }
    return value % bound;
}

std::uint64_t FuzzInput::word() noexcept {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value |= static_cast<std::uint64_t>(byte()) << (8 * i);
    }
    return value;
}

float FuzzInput::rawFloat() noexcept {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(byte()) << (8 * i);
    }
    return std::bit_cast<float>(bits);
}

double FuzzInput::rawDouble() noexcept {
    return std::bit_cast<double>(word());
}

float FuzzInput::interestingFloat() noexcept {
    static constexpr float table[] = {0.0f,
                                      -0.0f,
                                      0.5f,
                                      0.50000006f,
                                      1.0f,
                                      -1.0f,
                                      2.0f,
                                      2.9f,
                                      -0.7f,
                                      3.0f,
                                      5.0f,
                                      20.0f,
                                      200.0f,
                                      1000.0f,
                                      1e4f,
                                      1e19f,
                                      -1e19f,
                                      1e30f,
                                      std::numeric_limits<float>::max(),
                                      -std::numeric_limits<float>::max(),
                                      std::numeric_limits<float>::min(),
                                      std::numeric_limits<float>::denorm_min(),
                                      std::numeric_limits<float>::infinity(),
                                      -std::numeric_limits<float>::infinity(),
                                      std::numeric_limits<float>::quiet_NaN()};
    const std::uint8_t choice = byte();
    if (choice < 2 * std::size(table)) {
        return table[choice % std::size(table)];
    }
    return rawFloat();
}

std::string FuzzInput::text(std::size_t maxLength) {
    const std::size_t length = static_cast<std::size_t>(below(maxLength + 1));
    std::string s;
    for (std::size_t i = 0; i < length && !empty(); ++i) {
        s.push_back(static_cast<char>(byte()));
    }
    return s;
}

std::string FuzzInput::rest() {
    std::string s(reinterpret_cast<const char*>(data_) + position_, size_ - position_);
    position_ = size_;
    return s;
}

void fuzzCheck(bool ok, const char* what) noexcept {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace quorbel::fuzz
