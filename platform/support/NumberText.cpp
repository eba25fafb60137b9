#include "support/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace platform::support {

namespace {

bool startsWithSpace(const std::string& text) noexcept {
    switch (text.front()) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

/// strtof_l or strtod_l over the whole text, with the checks both readings share.
template <typename T, typename Read>
std::optional<T> parseWhole(const std::string& text, Overflow overflow, Read read) noexcept {
    if (text.empty() || startsWithSpace(text)) {
        return std::nullopt;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    const int savedErrno = errno;
    errno = 0;
    const T parsed = read(begin, &end);
    const bool overflowed = errno == ERANGE && std::isinf(parsed);
    errno = savedErrno;
    if (end != begin + text.size() || (overflowed && overflow == Overflow::refused)) {
        return std::nullopt;
    }
    return parsed;
}

template <typename... Format> std::string charsText(double value, Format... format) {
    // The longest fixed text of a double: a sign, 309 integer digits, a point and at most 17 decimals;
    // the shortest form needs far fewer.
    char text[360];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, value, format...);
    return r.ec == std::errc{} ? std::string(text, r.ptr) : std::string();
}

} // namespace

locale_t cLocale() noexcept {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

CLocaleScope::CLocaleScope() noexcept
    : previous_(cLocale() != locale_t{} ? uselocale(cLocale()) : locale_t{}) {}

CLocaleScope::~CLocaleScope() {
    if (previous_ != locale_t{}) {
        uselocale(previous_);
    }
}

std::optional<float> parseFloat(const std::string& text, Overflow overflow) noexcept {
    return parseWhole<float>(text, overflow, [](const char* begin, char** end) {
        const locale_t locale = cLocale();
        return locale != locale_t{} ? strtof_l(begin, end, locale) : std::strtof(begin, end);
    });
}

std::optional<double> parseDouble(const std::string& text, Overflow overflow) noexcept {
    return parseWhole<double>(text, overflow, [](const char* begin, char** end) {
        const locale_t locale = cLocale();
        return locale != locale_t{} ? strtod_l(begin, end, locale) : std::strtod(begin, end);
    });
}

std::string fixedText(double value, int decimals) {
    return charsText(value, std::chars_format::fixed, std::clamp(decimals, 0, 17));
}

std::string shortestText(double value) {
    return charsText(value);
}

std::string countText(std::int64_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

} // namespace platform::support
