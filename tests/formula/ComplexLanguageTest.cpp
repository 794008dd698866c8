// The complex formula language: "i", complex literals, pi against p i, integer-only powers,
// the complex messages, and the object's refusal to run without a compiled formula.
#include <gtest/gtest.h>

#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "formula/language/FormulaLanguage.h"
#include "formula/OCComplexFunct.h"

namespace {

using C = std::complex<double>;

std::string Message(const std::string& Text, const std::string& Letters = "pz") {
    TOCComplexFunction F;
    try {
        F.Compile(Text, Letters);
    } catch (const FormulaError& E) {
        return E.what();
    }
    return "";
}

std::string PostfixOf(const std::string& Text) {
    TOCComplexFunction F;
    F.Compile(Text, "pz");
    return formula::DescribePostfix(F.Postfix());
}

C At(const std::string& Text, C P, C Z) {
    TOCComplexFunction F;
    F.Compile(Text, "pz");
    const C Inputs[] = {P, Z};
    C W;
    F.Evaluate(W, Inputs);
    return W;
}

void ExpectNear(C Actual, C Expected, const std::string& What) {
    double Tolerance = 1e-14 * std::max(1.0, std::abs(Expected));
    EXPECT_NEAR(Actual.real(), Expected.real(), Tolerance) << What;
    EXPECT_NEAR(Actual.imag(), Expected.imag(), Tolerance) << What;
}

TEST(ComplexLanguage, ReadsTheImaginaryUnitPiAndParameters) {
    // #1 is p, #2 is z, #3... the constants.
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"pi", "p"},
        {"p i", "#1 i *"},
        {"ip", "i #1 *"},
        {"zi", "#2 i *"},
        {"iz", "i #2 *"},
        {"PI z", "p #2 *"},
        {"z(1-p) + p cos(z)", "#2 1 #1 - * #1 #2 G * +"},
        {"(3+7i) cos(p+iz)", "#3 #1 i #2 * + G *"},
        {"conj(z) + c(z) + zc(z)", "#2 A #2 A + #2 #2 A * +"},
        {"z^2", "#2 B"},
        {"z^(-3)", "1 #2 #2 B * /"},
        {"z^0", "1"},
        {"sqr(z)", "#2 B"},
    };
    for (const auto& [Text, Expected] : Cases) {
        ASSERT_EQ(Message(Text), "") << Text;
        EXPECT_EQ(PostfixOf(Text), Expected) << Text;
    }
}

TEST(ComplexLanguage, StoresParenthesisedLiteralsAsOneConstant) {
    const std::vector<std::pair<std::string, C>> Literals = {
        {"(3+7i)", {3, 7}},     {"(3-7i)", {3, -7}},   {"(-3+7i)", {-3, 7}},
        {"(2+i)", {2, 1}},      {"(2-i)", {2, -1}},    {"(0.5+2.25i)", {0.5, 2.25}},
        {"(1+0i)", {1, 0}},
    };
    for (const auto& [Text, Value] : Literals) {
        TOCComplexFunction F;
        F.Compile(Text, "pz");
        if (Value == C(1, 0)) {
            EXPECT_EQ(formula::DescribePostfix(F.Postfix()), "1") << Text;
        } else {
            EXPECT_EQ(formula::DescribePostfix(F.Postfix()), "#3") << Text;
            EXPECT_EQ(F.Constants()[1], Value) << Text;
        }
        ExpectNear(At(Text, 0, 0), Value, Text);
    }
    // Equal literals share a slot; a function's parentheses are not a literal.
    TOCComplexFunction F;
    F.Compile("(3+7i) z + (3+7i) + cos(3+7i)", "pz");
    EXPECT_EQ(formula::DescribePostfix(F.Postfix()), "#3 #2 * #3 + #4 #5 i * + G +");
}

TEST(ComplexLanguage, AcceptsOnlyIntegerExponents) {
    for (const char* Text : {"z^2", "z^(-3)", "(1+i)^5", "z^0", "z^(2)", "z**3"})
        EXPECT_EQ(Message(Text), "") << Text;
    for (const char* Text : {"z^0.5", "z^p", "z^z", "2^z", "z^i", "z^(1+i)", "z^pi"})
        EXPECT_EQ(Message(Text), "Only integer exponents are allowed") << Text;
    ExpectNear(At("(1+i)^5", 0, 0), C(-4, -4), "(1+i)^5");
    ExpectNear(At("z^(-3)", 0, C(0, 2)), C(0, 0.125), "z^(-3) at 2i");
    ExpectNear(At("z^0", 0, 0), C(1, 0), "0^0");
}

TEST(ComplexLanguage, ReportsEveryMistakeWithItsMessage) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"", "Nothing written in formula"},
        {"  \t", "Nothing written in formula"},
        {"z$", "A bad character has been used"},
        {"(z+1", "Check please the parentheses"},
        {"z+1)", "Check please the parentheses"},
        {".5z", "A number was miswritten"},
        {"1.2.3", "A number was miswritten"},
        {"sin z", "Used a non-allowed variable or function"},
        {"u+z", "Used a non-allowed variable or function"},
        {"cos", "Used a non-allowed variable or function"},
        {"z*-1", "Syntax error in formula"},
        {"z+", "Syntax error in formula"},
    };
    for (const auto& [Text, Expected] : Cases) EXPECT_EQ(Message(Text), Expected) << Text;
    EXPECT_EQ(Message("a+b", "ab"), "Used a wrong variable");
    EXPECT_EQ(Message("z", "z1"), "Used a wrong variable");
    std::string Many = "z";
    for (int I = 0; I < 252; ++I) Many += "+" + std::to_string(I + 2);  // 2 letters + 252 > 253
    EXPECT_EQ(Message(Many), "Too much constants in formula");
    EXPECT_EQ(Message(Many.substr(0, Many.rfind('+'))), "");
}

TEST(ComplexLanguage, EvaluatesTheMapItCompiles) {
    // At p = 0 the default map is the identity.
    ExpectNear(At("z(1-p) + p cos(z)", 0, C(0.3, -1.2)), C(0.3, -1.2), "identity");
    ExpectNear(At("(p z + 1)/(z - 1)", C(2, 1), C(0.5, 0.5)),
               (C(2, 1) * C(0.5, 0.5) + 1.0) / (C(0.5, 0.5) - 1.0), "Moebius");
    ExpectNear(At("p i", C(2, 0), 0), C(0, 2), "p i");
    ExpectNear(At("pi", C(2, 0), 0), C(std::numbers::pi, 0), "pi");
    ExpectNear(At("-z + 2", 0, C(1, 1)), C(1, -1), "minus");
}

TEST(ComplexLanguage, RefusesToRunWithoutACompiledFormula) {
    TOCComplexFunction F;
    C W(7, 7);
    const C Inputs[] = {C(1, 0), C(2, 0)};
    EXPECT_THROW(F.Evaluate(W, Inputs), FormulaError);
    F.Compile("z + p", "pz");
    F.Evaluate(W, Inputs);
    EXPECT_EQ(W, C(3, 0));
    EXPECT_THROW(F.Compile("z +", "pz"), FormulaError);
    EXPECT_FALSE(F.IsCompiled());
    EXPECT_THROW(F.Evaluate(W, Inputs), FormulaError);
    F.Compile("z + p", "pz");
    EXPECT_THROW(F.Evaluate(W, std::span<const C>(Inputs, 1)), FormulaError);
}

}  // namespace
