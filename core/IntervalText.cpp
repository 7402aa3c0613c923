// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/IntervalText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace orvalen {

namespace {

// Far beyond any power of ten a double or a millisecond count can take, yet
// small enough that adding the digit count to it cannot overflow.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// The number a text begins with, as written: either a whole number in base 16
// or 8, or the decimal value `digits` x 10^`exponent`, with `digits` free of
// leading zeros (empty for zero).
struct NumberText {
    int base = 10;
    bool negative = false;
    std::string digits;
    std::int64_t exponent = 0;
};

NumberText Scan(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!IsIgnored(c)) s += c;

    NumberText n;
    std::size_t i = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        n.base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        for (i = 2; i < s.size() && DigitValue(s[i], n.base) >= 0; ++i)
            if (!n.digits.empty() || s[i] != '0') n.digits += s[i];
        return n;
    }

    if (i < s.size() && (s[i] == '+' || s[i] == '-')) n.negative = s[i++] == '-';
    bool sawDigit = false;
    bool sawPoint = false;
    std::int64_t fractionDigits = 0;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            sawDigit = true;
            if (sawPoint) ++fractionDigits;
            if (!n.digits.empty() || s[i] != '0') n.digits += s[i];
        } else if (s[i] == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return NumberText{};

    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        // An exponent letter without digits is where the number stops.
        std::int64_t exponent = 0;
        for (; j < s.size() && IsDigit(s[j]); ++j)
            exponent = std::min(kExponentLimit, exponent * 10 + (s[j] - '0'));
        n.exponent = negativeExponent ? -exponent : exponent;
    }
    n.exponent -= fractionDigits;
    if (n.digits.empty()) n.exponent = 0;
    return n;
}

// A whole number in base 16 or 8, saturating far above any range it is used in.
double RadixValue(const NumberText& n) {
    double value = 0;
    for (char c : n.digits) value = value * n.base + DigitValue(c, n.base);
    return value;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
    const NumberText n = Scan(text);
    if (n.base != 10) {
        const double value = RadixValue(n);
        if (!std::isfinite(value)) return std::nullopt;
        return value;
    }
    if (n.digits.empty()) return n.negative ? -0.0 : 0.0;
    // Far outside the range either way: the digits are at most the text's length.
    const std::int64_t magnitude = n.exponent + static_cast<std::int64_t>(n.digits.size());
    if (magnitude > 400) return std::nullopt;
    if (magnitude < -400) return n.negative ? -0.0 : 0.0;

    const std::string number = (n.negative ? "-" : "") + n.digits + "e" + std::to_string(n.exponent);
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow cannot be computed.
        if (magnitude <= 0) return n.negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::int32_t> IntervalMilliseconds(std::string_view text) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const NumberText n = Scan(text);

    if (n.base != 10) {
        const double seconds = RadixValue(n);
        if (seconds > static_cast<double>(kMax / 1000)) return std::nullopt;
        return static_cast<std::int32_t>(seconds) * 1000;
    }

    // Rounded on the digits as typed: 0.5015 s is exactly 501.5 ms and goes to
    // 502, where its nearest double times 1000 lies just below the half.
    const std::int64_t size = static_cast<std::int64_t>(n.digits.size());
    const std::int64_t wholeDigits = size + n.exponent + 3;  // digits before the millisecond point
    if (n.digits.empty() || wholeDigits < 0) return 0;
    if (wholeDigits > 10) return std::nullopt;  // 10^10 ms and more

    std::int64_t ms = 0;
    for (std::int64_t k = 0; k < wholeDigits; ++k) ms = ms * 10 + (k < size ? n.digits[static_cast<std::size_t>(k)] - '0' : 0);
    if (wholeDigits < size) {
        const std::string_view rest = std::string_view(n.digits).substr(static_cast<std::size_t>(wholeDigits));
        const bool overHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string_view::npos);
        const bool half = rest[0] == '5' && !overHalf;
        if (overHalf || (half && ms % 2 == 1)) ++ms;
    }
    if (n.negative) ms = -ms;
    if (ms < kMin || ms > kMax) return std::nullopt;
    return static_cast<std::int32_t>(ms);
}

}  // namespace orvalen
