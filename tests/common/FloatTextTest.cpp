// Bound-field texts: the fixed short forms, and values too large or too small for them,
// which must read back with their magnitude through the formula language.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "common/ConstTypesAndGlobals.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

TEST(FloatToShortText, WritesShortFixedTexts) {
    struct Case {
        int N;
        double X;
        const char* Text;
    };
    const Case Cases[] = {
        {5, 1, "1.000"},      {6, -0.25, "-0.250"}, {5, 12.3456, "12.34"}, {5, 0, "0.000"},
        {6, -1, "-1.000"},    {5, 2, "2.000"},      {5, 0.5, "0.500"},     {6, -12.5, "-12.50"},
        {5, 1234.5, "1234."}, {5, 0.0125, "0.012"}, {5, 99999, "99999"},
    };
    for (const Case& C : Cases) EXPECT_EQ(FloatToShortText(C.N, C.X), C.Text) << C.X;
}

TEST(FloatToShortText, KeepsTheMagnitudeOfLargeAndSmallValues) {
    EXPECT_EQ(FloatToShortText(5, 123456.7), "1.23*10^5");
    EXPECT_EQ(FloatToShortText(5, 0.00004), "4*10^(-5)");
    EXPECT_EQ(FloatToShortText(6, -3e20), "-3*10^20");
    for (int N : {5, 6}) {
        for (double Magnitude = 1e-12; Magnitude < 1e16; Magnitude *= 7.3) {
            for (double X : {Magnitude, -Magnitude}) {
                std::string Text = FloatToShortText(N, X);
                double Read = 0;
                ASSERT_NO_THROW(EvaluateConstantFormula(Text, Read)) << Text;
                EXPECT_GT(Read / X, 0.5) << X << " shown as " << Text;
                EXPECT_LT(Read / X, 2.0) << X << " shown as " << Text;
            }
        }
    }
}

}  // namespace

// A program runs in the user's locale, where printf writes a decimal comma; the field texts
// must keep the point the formula language and printed pages expect.
TEST(NumberTexts, UseThePointWhateverTheLocale) {
    const char* Saved = std::setlocale(LC_NUMERIC, nullptr);
    std::string Previous = Saved ? Saved : "C";
    bool Comma = false;
    for (const char* Name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, Name)) {
            Comma = true;
            break;
        }
    EXPECT_EQ(FloatToShortText(5, 0.25), "0.250");
    EXPECT_EQ(FloatToShortText(6, -1234.5678), "-1234.");
    EXPECT_EQ(FixedDecimals(-0.5, 2), "-0.50");
    EXPECT_EQ(Scientific(123456.0, 3), "1.23e+05");
    EXPECT_EQ(TextValue("2.5"), 2.5);
    std::setlocale(LC_NUMERIC, Previous.c_str());
    if (!Comma) GTEST_SKIP() << "no locale with a decimal comma is installed; checked in C only";
}
