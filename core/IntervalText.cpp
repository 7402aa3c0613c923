// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/IntervalText.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace orvalen {

namespace {

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

std::optional<double> ReadRadix(const std::string& s, std::size_t pos, int base) {
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const int d = DigitValue(s[pos], base);
        if (d < 0) break;
        value = value * base + d;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// Roughly the power of ten of a well-formed number text ("123.4e2" -> 5,
// "0.001" -> -2): enough to tell an overflow from an underflow.
long DecimalMagnitude(const std::string& number) {
    const auto e = number.find('e');
    const std::string mantissa = number.substr(0, e);
    long exponent = 0;
    if (e != std::string::npos) {
        const char* first = number.data() + e + 1;
        if (*first == '+') ++first;
        const auto result = std::from_chars(first, number.data() + number.size(), exponent);
        if (result.ec == std::errc::result_out_of_range) exponent = number[e + 1] == '-' ? -100000 : 100000;
    }
    const auto point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : mantissa.substr(point + 1);
    const auto firstWhole = whole.find_first_not_of("-0");
    if (firstWhole != std::string::npos)
        return exponent + static_cast<long>(whole.size() - firstWhole);
    const auto firstFraction = fraction.find_first_not_of('0');
    if (firstFraction == std::string::npos) return -100000;  // zero
    return exponent - static_cast<long>(firstFraction);
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!IsIgnored(c)) s += c;

    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return ReadRadix(s, 2, 16);
        if (s[1] == 'O' || s[1] == 'o') return ReadRadix(s, 2, 8);
        return 0.0;
    }

    // Collect the longest prefix that forms a number, in a form from_chars reads.
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') number += '-';
        ++i;
    }
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            number += s[i];
            sawDigit = true;
        } else if (s[i] == '.' && !sawPoint) {
            number += '.';
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return 0.0;

    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        const std::size_t firstDigit = j;
        while (j < s.size() && IsDigit(s[j])) exponent += s[j++];
        // An exponent letter without digits is where the number stops.
        if (j > firstDigit) number += exponent;
    }

    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow cannot be computed.
        if (DecimalMagnitude(number) <= 0) return 0.0;
        return std::nullopt;
    }
    if (ec != std::errc()) return 0.0;
    (void)end;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::int32_t> IntervalMilliseconds(std::string_view text) {
    const std::optional<double> seconds = ReadNumber(text);
    if (!seconds) return std::nullopt;
    const double ms = *seconds * 1000.0;
    if (!std::isfinite(ms)) return std::nullopt;
    // nearbyint rounds half to even in the default rounding mode.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(ms);
    std::fesetround(previous);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace orvalen
