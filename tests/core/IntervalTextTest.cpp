// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "core/IntervalText.h"

using orvalen::IntervalMilliseconds;
using orvalen::ReadNumber;

namespace {

struct Case {
    const char* text;
    std::optional<std::int32_t> ms;
};

void ExpectAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(IntervalMilliseconds(c.text), c.ms) << "text: [" << c.text << "]";
    }
}

}  // namespace

TEST(IntervalText, examplesOfTheRunControls) {
    ExpectAll({{"5", 5000},
               {"2.5", 2500},
               {"10 s", 10000},
               {"1,5", 1000},
               {"0.0004", 0},
               {"", 0},
               {"-3", -3000},
               {"65.535", 65535},
               {"65.536", 65536},
               {"66", 66000},
               {"70", 70000},
               {"0", 0},
               {"abc", 0},
               {"-1", -1000}});
}

TEST(IntervalText, roundsHalfToEven) {
    ExpectAll({{"0.0015", 2}, {"0.0025", 2}, {"0.0035", 4}, {"0.0005", 0}, {"0.0006", 1}});
}

TEST(IntervalText, blanksTabsAndLineFeedsAreIgnoredAnywhere) {
    ExpectAll({{" 5", 5000}, {"1 0", 10000}, {"\t2\n.5 ", 2500}, {"- 3", -3000}, {"1 e 1", 10000}});
    // A carriage return is not among them and stops the number.
    EXPECT_EQ(IntervalMilliseconds("1\r0"), 1000);
}

TEST(IntervalText, signsPointsAndExponents) {
    ExpectAll({{"+2", 2000},
               {".5", 500},
               {"5.", 5000},
               {"2..5", 2000},
               {".", 0},
               {"-", 0},
               {"+-2", 0},
               {"1e1", 10000},
               {"1E1", 10000},
               {"1D1", 10000},
               {"1d-2", 10},
               {"25e-1", 2500},
               {"1e", 1000},
               {"1e+", 1000},
               {"1ex", 1000},
               {"3f", 3000}});
}

TEST(IntervalText, hexAndOctal) {
    ExpectAll({{"&H10", 16000}, {"&h1F", 31000}, {"&O17", 15000}, {"&o8", 0}, {"&H", 0}, {"&", 0},
               {"&X5", 0}, {"&HG", 0}, {" & H 1 0", 16000}});
}

TEST(IntervalText, valuesThatCannotBeComputed) {
    EXPECT_EQ(IntervalMilliseconds("1e400"), std::nullopt);
    EXPECT_EQ(IntervalMilliseconds("3e6"), std::nullopt) << "beyond the 32-bit millisecond range";
    EXPECT_EQ(IntervalMilliseconds("2147483.647"), 2147483647);
    EXPECT_EQ(IntervalMilliseconds("1e-400"), 0) << "an underflow reads as zero";
}

TEST(IntervalText, decimalPointIgnoresTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    // A locale with a decimal comma, when the machine has one.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "C.UTF-8")) {
        EXPECT_EQ(IntervalMilliseconds("2.5"), 2500);
        EXPECT_EQ(IntervalMilliseconds("2,5"), 2000);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(ReadNumber("2.5"), 2.5);
}

TEST(IntervalText, hugeAndTinyMantissasAndExponents) {
    const std::string manyDigits(400, '9');
    EXPECT_EQ(IntervalMilliseconds(manyDigits), std::nullopt);
    EXPECT_EQ(IntervalMilliseconds(manyDigits + "e-5"), std::nullopt);
    EXPECT_EQ(IntervalMilliseconds("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(IntervalMilliseconds("1e99999999999999999999"), std::nullopt);
    EXPECT_EQ(IntervalMilliseconds("1e-99999999999999999999"), 0);
    EXPECT_EQ(IntervalMilliseconds("-1e400"), std::nullopt);
}

TEST(IntervalText, exponentsAtTheEdgeOfTheIntegerRange) {
    // Exponents that fit a 64-bit integer but overflow once the digits are counted.
    ExpectAll({{"11e9223372036854775807", std::nullopt},
               {"0.01e-9223372036854775808", 0},
               {"1e999999999999", std::nullopt},
               {"1e-999999999999", 0},
               {"0e999999999999", 0}});
}

TEST(IntervalText, aHalfAsTypedGoesToTheEvenNeighbour) {
    // In binary these seconds lie a hair off the half; the text is exactly a half.
    ExpectAll({{"0.5015", 502}, {"65.5315", 65532}, {"2.0005", 2000}, {"2.0015", 2002}, {"65.5345", 65534},
               {"-0.5015", -502}, {"0.50150000000000000001", 502}, {"0.0025000000000000000001", 3}});
}
