// SPDX-License-Identifier: GPL-3.0-or-later
// The interval reading checked against a second, deliberately plain and slow
// reading of the same rule: every prefix of the text is tried, the longest one
// that is a number wins, and the milliseconds are worked out on the decimal
// digits by hand. It shares no code with core/IntervalText.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/IntervalText.h"

namespace {

using Millis = std::optional<std::int32_t>;

bool IsDigitOf(char c, int base) {
    if (base == 16) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    return c >= '0' && c < '0' + base;
}

int ValueOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

bool IsSign(char c) { return c == '+' || c == '-'; }

// Blanks, tabs and line feeds are ignored anywhere.
std::string WithoutIgnored(std::string_view text) {
    std::string kept;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') kept += c;
    return kept;
}

// Digits among which one "." may stand; at least one digit.
bool IsDigitsWithOnePoint(std::string_view s) {
    int digits = 0, points = 0;
    for (char c : s) {
        if (IsDigitOf(c, 10)) ++digits;
        else if (c == '.') ++points;
        else return false;
    }
    return digits > 0 && points <= 1;
}

// An optional sign, digits with at most one ".", then optionally E or D (either
// case, as typed numbers are read), an optional sign and at least one digit.
bool IsNumber(std::string_view s) {
    if (!s.empty() && IsSign(s[0])) s.remove_prefix(1);
    std::size_t letter = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd') { letter = i; break; }
    if (letter == std::string_view::npos) return IsDigitsWithOnePoint(s);
    if (!IsDigitsWithOnePoint(s.substr(0, letter))) return false;
    std::string_view exponent = s.substr(letter + 1);
    if (!exponent.empty() && IsSign(exponent[0])) exponent.remove_prefix(1);
    if (exponent.empty()) return false;
    for (char c : exponent)
        if (!IsDigitOf(c, 10)) return false;
    return true;
}

std::string WithoutLeadingZeros(std::string digits) {
    while (!digits.empty() && digits[0] == '0') digits.erase(0, 1);
    return digits;
}

// A whole number of milliseconds written as decimal digits, or empty when
// it lies outside the 32-bit signed range.
Millis InRange(bool negative, const std::string& digits) {
    const std::string d = WithoutLeadingZeros(digits);
    if (d.size() > 10) return std::nullopt;
    long long n = 0;
    for (char c : d) n = n * 10 + (c - '0');
    if (negative) n = -n;
    if (n < -2147483648LL || n > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(n);
}

// Seconds given as sign, whole digits, fraction digits and a decimal exponent,
// times 1000, to the nearest whole number; a half goes to the even neighbour.
Millis Milliseconds(bool negative, std::string whole, std::string fraction, bool expNegative,
                    std::string expDigits) {
    std::string all = whole + fraction;
    if (WithoutLeadingZeros(all).empty()) return 0;
    expDigits = WithoutLeadingZeros(expDigits);
    // Past this the value is either far below half a millisecond or far
    // beyond the range, whatever the mantissa.
    if (expDigits.size() > 7) return expNegative ? Millis(0) : std::nullopt;
    long long exponent = 0;
    for (char c : expDigits) exponent = exponent * 10 + (c - '0');
    if (expNegative) exponent = -exponent;

    // Where the decimal point falls in `all` once the value is in milliseconds.
    long long point = static_cast<long long>(whole.size()) + exponent + 3;
    while (!all.empty() && all[0] == '0') {
        all.erase(0, 1);
        --point;
    }
    if (point > 10) return std::nullopt;
    if (point < 0) return 0;  // below a tenth of a millisecond
    std::string integer = all.substr(0, static_cast<std::size_t>(point));
    while (static_cast<long long>(integer.size()) < point) integer += '0';
    const std::string rest = static_cast<long long>(all.size()) > point ? all.substr(static_cast<std::size_t>(point)) : "";

    bool up = false;
    if (!rest.empty()) {
        if (rest[0] > '5') up = true;
        else if (rest[0] == '5') {
            const bool exactHalf = WithoutLeadingZeros(std::string(rest.rbegin(), rest.rend())).size() == 1;
            const bool odd = !integer.empty() && (integer.back() - '0') % 2 == 1;
            up = !exactHalf || odd;
        }
    }
    if (up) {
        // Add one to the decimal digits by hand.
        int i = static_cast<int>(integer.size()) - 1;
        while (i >= 0 && integer[static_cast<std::size_t>(i)] == '9') integer[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) integer = "1" + integer;
        else ++integer[static_cast<std::size_t>(i)];
    }
    return InRange(negative, integer.empty() ? "0" : integer);
}

Millis Reference(std::string_view text) {
    const std::string s = WithoutIgnored(text);

    // &H and &O begin a whole number in hexadecimal or octal.
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        std::string digits;
        for (std::size_t i = 2; i < s.size() && IsDigitOf(s[i], base); ++i) digits += s[i];
        digits = WithoutLeadingZeros(digits);
        if (digits.size() > 12) return std::nullopt;
        long long value = 0;
        for (char c : digits) value = value * base + ValueOf(c);
        if (value > 2147483647LL / 1000) return std::nullopt;
        return static_cast<std::int32_t>(value * 1000);
    }

    // The number is the longest beginning of the text that is one; a text
    // that does not begin with a number reads as 0.
    std::size_t length = s.size();
    while (length > 0 && !IsNumber(std::string_view(s).substr(0, length))) --length;
    if (length == 0) return 0;
    std::string number = s.substr(0, length);

    bool negative = false;
    if (IsSign(number[0])) {
        negative = number[0] == '-';
        number.erase(0, 1);
    }
    std::string mantissa = number, expDigits;
    bool expNegative = false;
    const std::size_t letter = number.find_first_of("EeDd");
    if (letter != std::string::npos) {
        mantissa = number.substr(0, letter);
        expDigits = number.substr(letter + 1);
        if (IsSign(expDigits[0])) {
            expNegative = expDigits[0] == '-';
            expDigits.erase(0, 1);
        }
    }
    const std::size_t point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : mantissa.substr(point + 1);
    return Milliseconds(negative, whole, fraction, expNegative, expDigits);
}

std::string Shown(const Millis& ms) { return ms ? std::to_string(*ms) : std::string("(cannot be computed)"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reference tries every prefix; beyond this it only gets slower.
    if (size > 4096) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Millis expected = Reference(text);
    const Millis actual = orvalen::IntervalMilliseconds(text);
    if (actual != expected) {
        std::fprintf(stderr, "interval text [%.*s]: read %s, the rule gives %s\n", static_cast<int>(size),
                     text.data(), Shown(actual).c_str(), Shown(expected).c_str());
        std::abort();
    }
    return 0;
}
