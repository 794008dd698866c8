// The exact derivative programs of complex formulas: each function's rule against its closed
// form, random compositions against difference quotients of the value program, the native
// programs against the interpreter bit for bit, and the formulas that get none.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "formula/OCComplexFunct.h"
#include "formula/x87/ExecutableMemory.h"

namespace {

using C = std::complex<double>;
using L = std::complex<long double>;

struct Compiled {
    TOCComplexFunction F;
    explicit Compiled(const std::string& Text, FormulaBackend Backend = FormulaBackend::Native) {
        F.SelectBackend(Backend);
        F.Compile(Text, "pz");
    }
    C Value(C P, C Z) const {
        const C In[2] = {P, Z};
        C W;
        F.Evaluate(W, In);
        return W;
    }
    bool Derivatives(C P, C Z, C& W1, C& W2) const {
        const C In[2] = {P, Z};
        return F.EvaluateDerivatives(In, W1, W2);
    }
};

C UpperRoot(C Z) { return Z.imag() >= 0 ? std::sqrt(Z) : -std::sqrt(Z); }

bool Close(C A, C B, double Relative) {
    return std::abs(A - B) <= Relative * std::max(1.0, std::abs(B));
}

// Points off every branch cut of the functions below (the cuts lie on the axes and on the
// lines through +-1 and +-i).
const C Points[] = {{0.3, 0.2}, {-0.45, 0.35}, {0.6, -0.7}, {-0.2, -0.55}, {1.3, 0.4}};

TEST(ComplexDerivatives, EveryFunctionFollowsItsClosedForm) {
    struct Case {
        const char* Text;
        C (*First)(C);
        C (*Second)(C);
    };
    const Case Cases[] = {
        {"z^3 - 3z", [](C z) { return 3.0 * z * z - 3.0; }, [](C z) { return 6.0 * z; }},
        {"sqr(z)", [](C z) { return 2.0 * z; }, [](C) { return C(2); }},
        // The program's root has a non-negative imaginary part.
        {"sqrt(z)", [](C z) { return 0.5 / UpperRoot(z); },
         [](C z) { return -0.25 / (z * UpperRoot(z)); }},
        {"sin(z)", [](C z) { return std::cos(z); }, [](C z) { return -std::sin(z); }},
        {"cos(z)", [](C z) { return -std::sin(z); }, [](C z) { return -std::cos(z); }},
        {"exp(2z)", [](C z) { return 2.0 * std::exp(2.0 * z); },
         [](C z) { return 4.0 * std::exp(2.0 * z); }},
        {"ln(z)", [](C z) { return 1.0 / z; }, [](C z) { return -1.0 / (z * z); }},
        {"sinh(z)", [](C z) { return std::cosh(z); }, [](C z) { return std::sinh(z); }},
        {"cosh(z)", [](C z) { return std::sinh(z); }, [](C z) { return std::cosh(z); }},
        {"tanh(z)", [](C z) { return 1.0 / (std::cosh(z) * std::cosh(z)); },
         [](C z) { return -2.0 * std::tanh(z) / (std::cosh(z) * std::cosh(z)); }},
        {"tan(z)", [](C z) { return 1.0 / (std::cos(z) * std::cos(z)); },
         [](C z) { return 2.0 * std::tan(z) / (std::cos(z) * std::cos(z)); }},
        {"cot(z)", [](C z) { return -1.0 / (std::sin(z) * std::sin(z)); },
         [](C z) { return 2.0 * std::cos(z) / std::pow(std::sin(z), 3); }},
        {"1/z", [](C z) { return -1.0 / (z * z); }, [](C z) { return 2.0 / (z * z * z); }},
        {"z p", [](C) { return C(0.5, -0.25); }, [](C) { return C(0); }},
    };
    const C P(0.5, -0.25);
    for (const Case& K : Cases)
        for (C Z : Points) {
            Compiled W(K.Text);
            ASSERT_TRUE(W.F.HasDerivatives()) << K.Text;
            C W1, W2;
            ASSERT_TRUE(W.Derivatives(P, Z, W1, W2));
            EXPECT_TRUE(Close(W1, K.First(Z), 1e-13)) << K.Text << " at " << Z << ": " << W1;
            EXPECT_TRUE(Close(W2, K.Second(Z), 1e-12)) << K.Text << " at " << Z << ": " << W2;
        }
}

// The inverse functions' rules must be those of the branches the value program computes:
// checked against the value program's own difference quotients, off the cuts.
C Quotient(const Compiled& W, C P, C Z, double H) {
    return (8.0 * (W.Value(P, Z + H) - W.Value(P, Z - H)) + W.Value(P, Z - 2 * H) -
            W.Value(P, Z + 2 * H)) /
           (12 * H);
}

TEST(ComplexDerivatives, InverseFunctionsAndCompositionsMatchTheValueProgram) {
    const char* Texts[] = {"asin(z)", "acos(z)", "atan(z)", "arccot(z)", "asinh(z)",
                           "acosh(z)", "atanh(z)", "acosh(2z)", "acos(z)^2 - z asin(z)",
                           "sin(cos(z p) + z^2)/(1 + exp(z))", "ln(sqrt(z + 2) - p) tanh(z)",
                           "z^4/(z - (2+i)) + cot(z + 1)", "(z^2 - p)^3 - atan(z/2)"};
    const C P(0.25, 0.75);
    for (const char* T : Texts)
        for (C Z : Points) {
            Compiled W(T);
            ASSERT_TRUE(W.F.HasDerivatives()) << T;
            C W1, W2;
            ASSERT_TRUE(W.Derivatives(P, Z, W1, W2));
            EXPECT_TRUE(Close(W1, Quotient(W, P, Z, 1e-4), 1e-8)) << T << " w' at " << Z;
            // w'' against the quotient of w' from the derivative program itself.
            auto First = [&W, P](C X) {
                C A, B;
                W.Derivatives(P, X, A, B);
                return A;
            };
            const double H = 1e-4;
            const C Second = (8.0 * (First(Z + H) - First(Z - H)) + First(Z - 2 * H) -
                              First(Z + 2 * H)) / (12 * H);
            EXPECT_TRUE(Close(W2, Second, 1e-7)) << T << " w'' at " << Z;
        }
}

TEST(ComplexDerivatives, NativeAndInterpretedDerivativesAgreeBitForBit) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code on this system";
    const char* Texts[] = {"z(1-p) + p cos(z)", "z^3 - 3z", "asin(z) + acosh(z p)",
                           "sqrt(z^2 + p)/(z - i)", "exp(sin(z)) tan(z/3) - arccot(z)",
                           "(((z + 1) z + 2) z + 3) z", "ln(z) atanh(z/2) + sinh(z) cosh(p z)"};
    for (const char* T : Texts) {
        Compiled Native(T), Interpreted(T, FormulaBackend::Interpreter);
        ASSERT_EQ(Native.F.ActiveBackend(), FormulaBackend::Native) << T;
        EXPECT_EQ(Native.F.DerivativePostfix(1), Interpreted.F.DerivativePostfix(1));
        for (C Z : Points) {
            C A1, A2, B1, B2;
            ASSERT_TRUE(Native.Derivatives({0.5, 0.5}, Z, A1, A2));
            ASSERT_TRUE(Interpreted.Derivatives({0.5, 0.5}, Z, B1, B2));
            EXPECT_EQ(A1, B1) << T << " at " << Z;
            EXPECT_EQ(A2, B2) << T << " at " << Z;
        }
        // A copy for another thread runs the same programs.
        TOCComplexFunction Copy;
        Copy.CopyFrom(Native.F);
        const C In[2] = {{0.5, 0.5}, Points[0]};
        C C1, C2, N1, N2;
        ASSERT_TRUE(Copy.EvaluateDerivatives(In, C1, C2));
        ASSERT_TRUE(Native.F.EvaluateDerivatives(In, N1, N2));
        EXPECT_EQ(C1, N1);
        EXPECT_EQ(C2, N2);
    }
}

TEST(ComplexDerivatives, FormulasWithoutDerivativePrograms) {
    for (const char* T : {"conj(z)", "abs(z) + z", "z arg(z)"}) {
        Compiled W(T);
        EXPECT_FALSE(W.F.HasDerivatives()) << T;
        C W1, W2;
        EXPECT_FALSE(W.Derivatives(0, 1, W1, W2));
    }
    // A constant has w' = w'' = 0 everywhere.
    Compiled K("p + (2-i)");
    C W1, W2;
    ASSERT_TRUE(K.Derivatives(1, 1, W1, W2));
    EXPECT_EQ(W1, C(0));
    EXPECT_EQ(W2, C(0));
    // Nested compositions swell under differentiation: past the bound there are no programs
    // (and the compilation ends at once), the value program stays.
    std::string Deep = "z";
    for (int I = 0; I < 40; ++I) Deep = "sin(" + Deep + " z)";
    Compiled D(Deep);
    EXPECT_TRUE(D.F.IsCompiled());
    EXPECT_FALSE(D.F.HasDerivatives());
    std::string Long = "z";
    for (int I = 0; I < 1500; ++I) Long += "+z";
    Compiled Chain(Long);
    EXPECT_FALSE(Chain.F.HasDerivatives());  // deeper than the differentiation goes
    // A recompilation replaces the programs; a failed one leaves none.
    Compiled Again("z^2");
    Again.F.Compile("z^3", "pz");
    ASSERT_TRUE(Again.Derivatives(0, 2, W1, W2));
    EXPECT_EQ(W1, C(12));
    EXPECT_THROW(Again.F.Compile("z +* 1", "pz"), FormulaError);
    EXPECT_FALSE(Again.F.HasDerivatives());
}

}  // namespace
