#pragma once
/// Numbers as text, the same whatever the process locale: reading by the C library's rules in the C
/// locale, writing with <charconv>, and a scope that runs another library's number reading and writing in
/// the C locale.

#include <locale.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::support {

/// The C locale, made once for the process; null when it cannot be made.
locale_t cLocale() noexcept;

/// Switches the calling thread to the C locale for the scope's lifetime, then back: for a library that
/// reads or writes numbers through the thread's locale ("0.5", never "0,5"). Does nothing when the C
/// locale cannot be made. Not copyable.
class CLocaleScope {
public:
    CLocaleScope() noexcept;
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

/// What a text spelling a finite number beyond the type's largest value reads as.
enum class Overflow {
    refused,  ///< no number
    infinity, ///< an infinity of the text's sign, as the C library reads it
};

/// The number that the whole of `text` spells by the C library's rules (strtof, strtod: an optional sign,
/// decimal or hexadecimal digits, an exponent, "inf", "infinity", "nan"), in the C locale. None when the
/// text is empty, starts with white space or holds anything after the number (an embedded NUL included),
/// and for a finite number beyond the type's range when `overflow` refuses it. Magnitudes below the range
/// read as the C library rounds them (zero or a subnormal). Leaves errno as it was.
std::optional<float> parseFloat(const std::string& text, Overflow overflow) noexcept;
/// As parseFloat, in 64 bits.
std::optional<double> parseDouble(const std::string& text, Overflow overflow) noexcept;

/// `value` with `decimals` (0 to 17) digits after the point, as "%.*f" writes it in the C locale: no
/// grouping, correctly rounded, "inf", "-inf", "nan" or "-nan" for a value that is not finite. Allocates.
std::string fixedText(double value, int decimals);

/// The shortest decimal that reads back to the same double ("0.5", "1e+30"). Allocates.
std::string shortestText(double value);

/// `count` and `noun`, plural but for one: "1 channel", "2 channels", "0 frames". Allocates.
std::string countText(std::int64_t count, std::string_view noun);

} // namespace platform::support
