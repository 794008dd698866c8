// The formula language as users write it: spellings, implicit products, powers, limits and
// every message a mistake can produce.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "formula/language/FormulaLanguage.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

struct Compiled {
    std::string Error;
    std::string Postfix;
};

Compiled CompileReal(const std::string& Text, const std::string& Variables = "uv",
                     const std::string& Parameters = "pq") {
    TOCFunctDDDoubleSafe F;
    Compiled C;
    F.Compile(Text, Variables, Parameters, C.Error);
    C.Postfix = formula::DescribePostfix(F.Postfix());
    return C;
}

double ValueAt(const std::string& Text, double U, double V, double P = 0, double Q = 0) {
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.Compile(Text, "uv", "pq", Error);
    EXPECT_EQ(Error, "") << Text;
    const double Parameters[] = {P, Q};
    F.SetParameters(Parameters);
    const double Point[] = {U, V};
    return F.Evaluate(Point);
}

TEST(FormulaLanguage, EquivalentSpellingsGiveTheSameCode) {
    const std::vector<std::vector<std::string>> Groups = {
        {"PU^2", "p u^2", "p*u^2", "p*u**2", "P * U ^ 2", "p\tu^2"},
        {"2u", "2 u", "2*u", "2(u)"},
        {"u**2", "u^2", "sqr(u)", "SQR(u)"},
        {"[u+v]*{u-v}", "(u+v)*(u-v)", "(u+v)(u-v)"},
        {"3,5 u", "3.5 u", "3'5 u", "3.50*u"},
        {"u/v", "u\\v"},
        {"sin(u)", "sen(u)", "SIN(U)"},
        {"ln(u)", "log(u)"},
        {"tg(u)", "tan(u)"},
        {"sh(u)", "sinh(u)"},
        {"ch(u)", "cosh(u)"},
        {"th(u)", "tanh(u)"},
        {"arcsen(u)", "asen(u)", "arcsin(u)", "asin(u)"},
        {"arccos(u)", "acos(u)", "arcos(u)"},
        {"arctg(u)", "arctan(u)", "atan(u)"},
        {"cotg(u)", "cotan(u)", "cot(u)"},
        {"argch(u)", "acosh(u)", "arccosh(u)", "argcosh(u)"},
        {"arctanh(u)", "argtanh(u)", "argth(u)", "atanh(u)"},
        {"arcsinh(u)", "asinh(u)", "argsh(u)", "argsinh(u)"},
        {"+u", "u", "(+u)"},
        {"usin(v)", "u*sin(v)", "u sin(v)"},
        {"pi u", "PI*u", "Pi u"},
        {"2pi", "2*pi"},
        {"u(v+1)", "u*(v+1)"},
    };
    for (const auto& Group : Groups) {
        Compiled First = CompileReal(Group[0]);
        ASSERT_EQ(First.Error, "") << Group[0];
        for (const std::string& Other : Group) {
            Compiled C = CompileReal(Other);
            EXPECT_EQ(C.Error, "") << Other;
            EXPECT_EQ(C.Postfix, First.Postfix) << Other << " against " << Group[0];
        }
    }
}

TEST(FormulaLanguage, ProducesTheExpectedPostfixCode) {
    // #1 #2 are u v, #3 #4 are p q, #5... the constants in order of appearance.
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"p u^2 - v^3", "#3 #1 D * #2 #2 D * -"},
        {"u^5", "#1 #1 D D *"},
        {"u^(-3)", "1 #1 #1 D * /"},
        {"u^0", "1"},
        {"u^1", "#1"},
        {"u^2.5", "#5 #1 F * C"},
        {"u^p", "#3 #1 F * C"},
        {"u v^p", "#1 #3 #2 F * C *"},
        {"vv**q", "#2 #4 #2 F * C *"},
        {"u+v^2.5^p", "#1 #3 #5 #2 F * C F * C +"},
        {"-u^2", "#1 D #"},
        {"-u*v", "#1 # #2 *"},
        {"u-v+p", "#1 #2 - #3 +"},
        {"u/v*p", "#1 #2 / #3 *"},
        {"2^3^2", "#5 #5 D * D"},
        {"u2", "#1 #5 *"},
        {"(u+v)^2", "#1 #2 + D"},
        {"sin(u)^2", "#1 B D"},
        {"pu", "#3 #1 *"},
        {"1", "1"},
        {"pi", "p"},
        {"3 3 u", "#5 #5 * #1 *"},
    };
    for (const auto& [Text, Expected] : Cases) {
        Compiled C = CompileReal(Text);
        EXPECT_EQ(C.Error, "") << Text;
        EXPECT_EQ(C.Postfix, Expected) << Text;
    }
}

// The evaluators size their stacks from this depth and refuse what is not well formed, so it
// must follow each operation's arity, whatever its family.
TEST(PostfixCode, DepthAndFormFollowTheArityOfEachOperation) {
    using formula::Code;
    using formula::Opcode;
    const std::string R = {Code(Opcode::Reference), '\x01'};
    const std::string One = {Code(Opcode::One)};
    const char Sin = Code(formula::RealFunction::Sin);
    const char Arccot = Code(formula::ComplexFunction::Arccot);
    struct Case {
        std::string Code;
        int Depth;
        bool WellFormed;
    };
    const std::vector<Case> Cases = {
        {One, 1, true},
        {R + R + Code(Opcode::Add), 2, true},
        {R + R + R + Code(Opcode::Multiply) + Code(Opcode::Divide), 3, true},
        {R + Code(Opcode::Negate) + Sin + Arccot, 1, true},
        {R + R + Code(Opcode::Subtract) + Code(Opcode::Pi) + Code(Opcode::ImaginaryUnit) +
             Code(Opcode::Multiply) + Code(Opcode::Add),
         3, true},
        {"", 0, false},
        {R + R, 2, false},                          // two values left
        {R + Code(Opcode::Add), 1, false},          // a binary operation on one value
        {std::string(1, Code(Opcode::Negate)), 0, false},  // a unary one on none
        {std::string(1, Sin), 0, false},
        {One + Code(Opcode::Reference), 2, false},  // a reference without its number
    };
    for (const Case& C : Cases) {
        bool WellFormed = !C.WellFormed;
        EXPECT_EQ(formula::PostfixDepth(C.Code, WellFormed), C.Depth) << formula::DescribePostfix(C.Code);
        EXPECT_EQ(WellFormed, C.WellFormed) << formula::DescribePostfix(C.Code);
    }
}

TEST(FormulaLanguage, ReportsEveryMistakeWithItsMessage) {
    const std::string Number = "There is a miswritten number.";
    const std::string Character = "You did use a character not allowed.";
    const std::string Name = "Some function or variable was miswritten.";
    const std::string Parens = "Check, please, the parentheses.";
    const std::string Syntax = "There is a sintax defect in the formula.";
    const std::string Empty = "Perhaps you forgot to write something.";
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {".87", Number},        {"1.2.3", Number},       {"u+.5", Number},
        {"u$2", Character},     {"u=2", Character},      {"u;v", Character},
        {"caf\xc3\xa9(u)", Character},
        {"sin u", Name},        {"sinu(v)", Name},       {"0.13e-12", Name},
        {"a+u", Name},          {"cos", Name},           {"xyz(u)", Name},
        {"(u+1", Parens},       {"u+1)", Parens},        {")u(", Parens},
        {"((u)", Parens},       {"u)+(v", Parens},
        {"2*-3", Syntax},       {"u^-2", Syntax},        {"()", Syntax},
        {"u+", Syntax},         {"*u", Syntax},          {"u***2", Syntax},
        {"sin()", Syntax},      {"+", Syntax},           {"--u", Syntax},
        {"u+*v", Syntax},       {"(u)(", Parens},
        {"", Empty},            {"   ", Empty},          {" \t\r\n", Empty},
    };
    for (const auto& [Text, Message] : Cases) {
        EXPECT_EQ(CompileReal(Text).Error, Message) << "'" << Text << "'";
    }
    for (const std::string Accepted : {"2*(-3)", "-3*2", "(-3)", "-(u)", "sin(-u)", "u^(-2)"}) {
        EXPECT_EQ(CompileReal(Accepted).Error, "") << Accepted;
    }
}

TEST(FormulaLanguage, ChecksVariableAndParameterLetters) {
    const std::string Range = "The allowed variables must be in the range 'p' to 'z'";
    const std::string Parameter = "No parameter may be named as any variable";
    EXPECT_EQ(CompileReal("a+b", "ab", "").Error, Range);
    EXPECT_EQ(CompileReal("u", "u1", "").Error, Range);
    EXPECT_EQ(CompileReal("p u", "uv", "pu").Error, Parameter);
    EXPECT_EQ(CompileReal("u", "uv", "a").Error, Parameter);
    EXPECT_EQ(CompileReal("x y t", "XY", "t").Error, "");
    // Letters are case-insensitive, and with no variables named all of P..Z are variables.
    EXPECT_EQ(CompileReal("r s t w x y z", "", "").Error, "");
    EXPECT_EQ(CompileReal("u", "UV", "PQ").Postfix, "#1");
}

TEST(FormulaLanguage, LimitsTheNumberOfDistinctConstants) {
    auto Sum = [](int Count, int Repeat) {
        std::string S = "u";
        for (int I = 0; I < Count; ++I)
            for (int R = 0; R < Repeat; ++R) S += "+" + std::to_string(I + 2);
        return S;
    };
    EXPECT_EQ(CompileReal(Sum(249, 1)).Error, "");
    EXPECT_EQ(CompileReal(Sum(250, 1)).Error, "I cannot cope with so much constants.");
    // Repeated equal constants share a slot, and 1 is never stored.
    EXPECT_EQ(CompileReal(Sum(249, 3) + "+1+1.0").Error, "");
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.Compile("u+2+2.0+2+1", "uv", "pq", Error);
    EXPECT_EQ(formula::DescribePostfix(F.Postfix()), "#1 #5 + #5 + #5 + 1 +");
}

TEST(FormulaLanguage, RefusesFormulasTooLargeToEvaluate) {
    const std::string TooComplex = "The formula is too long or too deeply nested.";
    EXPECT_EQ(CompileReal(std::string(300, '(') + "u" + std::string(300, ')')).Error, TooComplex);
    EXPECT_EQ(CompileReal(std::string(150, '(') + "u" + std::string(150, ')')).Error, "");
    // An exponent of a hundred digits would need hundreds of nested squares.
    EXPECT_EQ(CompileReal("u^1" + std::string(100, '0')).Error, TooComplex);
    // Powers of powers repeat their bases; the expansion stops before it explodes.
    EXPECT_EQ(CompileReal("(((u^1023)^1023)^1023)^1023").Error, TooComplex);
    EXPECT_EQ(CompileReal("((u^1023)^1023)^1023").Error, "");
    EXPECT_EQ(CompileReal("u^1000000").Error, "");
    // A number beyond the range of doubles is miswritten, a tiny one is zero.
    EXPECT_EQ(CompileReal("1" + std::string(400, '0')).Error, "There is a miswritten number.");
    EXPECT_EQ(ValueAt("0." + std::string(400, '0') + "1", 0, 0), 0.0);
}

TEST(FormulaLanguage, ComputesWhatTheTextSays) {
    EXPECT_DOUBLE_EQ(ValueAt("2^3^2", 0, 0), 64.0);
    EXPECT_DOUBLE_EQ(ValueAt("-u^2", 3, 0), -9.0);
    EXPECT_DOUBLE_EQ(ValueAt("(-2)^3", 0, 0), -8.0);
    EXPECT_DOUBLE_EQ(ValueAt("u^(-2)", 2, 0), 0.25);
    // Redundant parentheses keep an exponent an integer, so negative bases stay exact.
    EXPECT_DOUBLE_EQ(ValueAt("u^((2))", -1.5, 0), 2.25);
    EXPECT_DOUBLE_EQ(ValueAt("u^(-(3))", -2, 0), -0.125);
    EXPECT_DOUBLE_EQ(ValueAt("u-v+p", 1, 2, 3), 2.0);
    EXPECT_DOUBLE_EQ(ValueAt("u/v*p", 1, 2, 3), 1.5);
    EXPECT_DOUBLE_EQ(ValueAt("2 3", 0, 0), 6.0);
    EXPECT_DOUBLE_EQ(ValueAt("p u^2 - v^3", 0.5, 2, 4), -7.0);
    EXPECT_DOUBLE_EQ(ValueAt("u^2.5", 4, 0), 32.0);
    EXPECT_DOUBLE_EQ(ValueAt("3 u^2.5", 4, 0), 96.0);
    EXPECT_DOUBLE_EQ(ValueAt("u v^p", 3, 4, 0.5), 6.0);
    EXPECT_DOUBLE_EQ(ValueAt("(u+v)^10", 1, 1), 1024.0);
    EXPECT_DOUBLE_EQ(ValueAt("u^1000000", 1, 0), 1.0);
    EXPECT_DOUBLE_EQ(ValueAt("q", 0, 0, 1, -7), -7.0);
}

TEST(FormulaLanguage, ParametersChangeWithoutRecompiling) {
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.Compile("p u + q", "uv", "pq", Error);
    ASSERT_EQ(Error, "");
    const double Point[] = {2, 0};
    EXPECT_EQ(F.Evaluate(Point), 0.0);  // parameters start at 0 after Compile
    const double Both[] = {3, 1};
    F.SetParameters(Both);
    EXPECT_EQ(F.Evaluate(Point), 7.0);
    const double OnlyP[] = {5};
    F.SetParameters(OnlyP);
    EXPECT_EQ(F.Evaluate(Point), 11.0);
    const double TooMany[] = {9, 9, 9};
    F.SetParameters(TooMany);
    EXPECT_EQ(F.Evaluate(Point), 11.0);
    F.SetParameters({});
    EXPECT_EQ(F.Evaluate(Point), 11.0);
}

TEST(FormulaLanguage, FailedCompileLeavesNothingToRun) {
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.Compile("u+v", "uv", "pq", Error);
    ASSERT_TRUE(F.IsCompiled());
    F.Compile("u+", "uv", "pq", Error);
    EXPECT_FALSE(Error.empty());
    EXPECT_FALSE(F.IsCompiled());
    const double Point[] = {1, 2, 1, 0, 0, 0};
    EXPECT_TRUE(std::isnan(F.Evaluate(Point)));
    DerivativeResult R;
    F.EvaluateWithDerivative(Point, R);
    EXPECT_TRUE(std::isnan(R.Value));
    // Too few inputs are refused rather than read past their end.
    F.Compile("u+v", "uv", "pq", Error);
    const double Short[] = {1};
    EXPECT_TRUE(std::isnan(F.Evaluate(Short)));
    F.EvaluateWithDerivative(std::span<const double>(Point, 3), R);
    EXPECT_TRUE(std::isnan(R.Derivative));
}

TEST(ConstantFormula, EvaluatesNumericFields) {
    const std::vector<std::pair<std::string, double>> Cases = {
        {"cos(pi/sqrt(5))", std::cos(std::numbers::pi / std::sqrt(5.0))},
        {"-1", -1.0},
        {"2pi", 2 * std::numbers::pi},
        {"PI", std::numbers::pi},
        {"1/3", 1.0 / 3.0},
        {"  4 ", 4.0},
        {"2^10", 1024.0},
        {"exp(1)", std::exp(1.0)},
    };
    for (const auto& [Text, Expected] : Cases) {
        double Value = -99;
        ASSERT_NO_THROW(EvaluateConstantFormula(Text, Value)) << Text;
        EXPECT_NEAR(Value, Expected, 1e-15 * std::max(1.0, std::fabs(Expected))) << Text;
    }
}

TEST(ConstantFormula, RefusesWhatIsNotANumber) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"", "Perhaps you forgot to write something."},
        {"2+", "There is a sintax defect in the formula."},
        {"abc", "Some function or variable was miswritten."},
        {"x", "A number may not contain variables."},
        {"2 u + 1", "A number may not contain variables."},
        {"sin(z)", "A number may not contain variables."},
    };
    for (const auto& [Text, Message] : Cases) {
        double Value = 5;
        try {
            EvaluateConstantFormula(Text, Value);
            ADD_FAILURE() << "accepted '" << Text << "'";
        } catch (const FormulaError& E) {
            EXPECT_EQ(std::string(E.what()), Message) << Text;
        }
        EXPECT_EQ(Value, 0.0) << Text;
    }
}

}  // namespace
