// Native complex programs against the interpreter over generated formulas: the same
// operations in the same order must give the same bits, at any stack depth.
#include <gtest/gtest.h>

#include <complex>
#include <cstdint>
#include <cstdio>
#include <string>

#include "formula/x87/ExecutableMemory.h"
#include "formula/OCComplexFunct.h"

namespace {

using C = std::complex<double>;

class Random {
public:
    explicit Random(uint64_t Seed) : State(Seed) {}
    uint64_t Next() {
        State += 0x9E3779B97F4A7C15ull;
        uint64_t Z = State;
        Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
        Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
        return Z ^ (Z >> 31);
    }
    int Below(int N) { return static_cast<int>(Next() % static_cast<uint64_t>(N)); }
    double Uniform(double Lo, double Hi) {
        return Lo + (Hi - Lo) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

private:
    uint64_t State;
};

// Formulas over the operations that have a native form, with now and then a function that
// sends the whole formula to the interpreter, and right-nested chains deeper than the four
// complex entries the registers hold.
class FormulaWriter {
public:
    explicit FormulaWriter(Random& Generator) : R(Generator) {}

    std::string Expression(int Depth) {
        std::string S = Term(Depth);
        for (int N = R.Below(3); N > 0; --N) S += (R.Below(2) ? " + " : " - ") + Term(Depth);
        return S;
    }

private:
    std::string Term(int Depth) {
        std::string S = Factor(Depth);
        for (int N = R.Below(3); N > 0; --N) S += (R.Below(2) ? "*" : "/") + Factor(Depth);
        return S;
    }

    std::string Factor(int Depth) {
        std::string S = Atom(Depth);
        if (R.Below(8) == 0) S += "^" + std::string(R.Below(2) ? "(-" : "(") +
                                  std::to_string(R.Below(6)) + ")";
        return S;
    }

    std::string Atom(int Depth) {
        static const char* Leaves[] = {"z", "p", "i", "pi", "2", "0.5", "(3-2i)", "(-1+i)",
                                       "zi", "p z", "1"};
        static const char* Functions[] = {"conj", "c", "sqr", "abs", "mod", "arg"};
        static const char* Others[] = {"cos",  "exp",  "sin",  "sinh",   "cosh",  "ln",
                                       "sqrt", "tanh", "cot",  "tan",    "atanh", "atan",
                                       "asin", "acos", "acosh", "asinh", "arccot"};
        int Kind = Depth <= 0 ? 0 : R.Below(10);
        if (Kind < 5) return Leaves[R.Below(11)];
        if (Kind < 7) return std::string(Functions[R.Below(6)]) + "(" + Expression(Depth - 1) + ")";
        if (Kind == 7) return "(" + Expression(Depth - 1) + ")";
        if (Kind == 8) {  // right-nested chain: every operand waits on the stack
            std::string S = "z";
            for (int N = 2 + R.Below(8); N > 0; --N)
                S = std::string(Leaves[R.Below(11)]) + (R.Below(2) ? "*(" : "-(") + S + ")";
            return "(" + S + ")";
        }
        if (R.Below(3) == 0)
            return std::string(Others[R.Below(17)]) + "(" + Expression(Depth - 1) + ")";
        return "(-(" + Expression(Depth - 1) + "))";
    }

    Random& R;
};

bool Same(double A, double B) { return A == B || (A != A && B != B); }

TEST(ComplexBackends, NativeAndInterpretedProgramsAgree) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code on this system";
    Random R(0x5EED0C0FFEEull);
    FormulaWriter Writer(R);
    int Formulas = 0, NativeFormulas = 0, Evaluations = 0, Different = 0;
    for (; Formulas < 10000; ++Formulas) {
        std::string Text = Writer.Expression(3);
        TOCComplexFunction Native, Interpreted;
        Interpreted.SelectBackend(FormulaBackend::Interpreter);
        try {
            Native.Compile(Text, "pz");
            Interpreted.Compile(Text, "pz");
        } catch (const FormulaError& E) {
            ADD_FAILURE() << Text << ": " << E.what();
            continue;
        }
        if (Native.ActiveBackend() == FormulaBackend::Native) ++NativeFormulas;
        for (int Point = 0; Point < 3; ++Point) {
            // Now and then a point beyond the exponential's cut or the sine's direct range.
            static const C Far[] = {{0.5, 75}, {-80, 0.25}, {1e19, 0.5}, {0, -71}, {3, 1e-9}};
            const C Inputs[] = {{R.Uniform(-2, 2), R.Uniform(-2, 2)},
                                R.Below(6) == 0 ? Far[R.Below(5)]
                                                : C(R.Uniform(-3, 3), R.Uniform(-3, 3))};
            C A, B;
            Native.Evaluate(A, Inputs);
            Interpreted.Evaluate(B, Inputs);
            ++Evaluations;
            if (!Same(A.real(), B.real()) || !Same(A.imag(), B.imag())) {
                if (++Different <= 5)
                    ADD_FAILURE() << Text << " at p = " << Inputs[0] << ", z = " << Inputs[1]
                                  << ": native " << A << ", interpreter " << B;
            }
        }
    }
    std::printf("[  summary ] %d complex formulas (%d native), %d evaluations, %d differ\n",
                Formulas, NativeFormulas, Evaluations, Different);
    EXPECT_EQ(Different, 0);
    EXPECT_GT(NativeFormulas, Formulas / 2);
}

// Every function on a grid through its cuts, its near-zero forms, signed zeros and the cuts of
// the safe exponential: the branches of the native code must match the interpreter's.
TEST(ComplexBackends, EveryFunctionAgreesOnAGridThroughItsBranches) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code on this system";
    const char* Functions[] = {"conj", "sqr", "sqrt", "abs", "arg", "sin", "cos", "exp",
                               "ln", "sinh", "cosh", "tanh", "tan", "arcsin", "arccos",
                               "atanh", "asinh", "acosh", "atan", "cot", "arccot"};
    const double Coordinates[] = {-75, -3, -1.5, -1, -0.2, -0.0, 0.0, 1e-9, 0.1, 0.25,
                                  1, 2, 1e10, 1e19};
    int Different = 0;
    for (const char* Name : Functions) {
        std::string Text = std::string(Name) + "(z)";
        TOCComplexFunction Native, Interpreted;
        Interpreted.SelectBackend(FormulaBackend::Interpreter);
        Native.Compile(Text, "pz");
        Interpreted.Compile(Text, "pz");
        ASSERT_EQ(Native.ActiveBackend(), FormulaBackend::Native) << Text;
        for (double X : Coordinates) {
            for (double Y : Coordinates) {
                const C Inputs[] = {{0, 0}, {X, Y}};
                C A, B;
                Native.Evaluate(A, Inputs);
                Interpreted.Evaluate(B, Inputs);
                if ((!Same(A.real(), B.real()) || !Same(A.imag(), B.imag())) && ++Different <= 5)
                    ADD_FAILURE() << Text << " at " << Inputs[1] << ": native " << A
                                  << ", interpreter " << B;
            }
        }
    }
    EXPECT_EQ(Different, 0);
}

TEST(ComplexBackends, FallsBackWhereNativeCodeIsRefused) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code on this system";
    TOCComplexFunction F;
    F.Compile("(p z + 1)/(z - 1)", "pz");
    EXPECT_EQ(F.ActiveBackend(), FormulaBackend::Native);
    const C Inputs[] = {{0.5, 2}, {-1, 0.25}};
    C Native;
    F.Evaluate(Native, Inputs);
    ExecutableBlock::RefuseForTesting(true);
    F.Compile("(p z + 1)/(z - 1)", "pz");
    ExecutableBlock::RefuseForTesting(false);
    EXPECT_EQ(F.ActiveBackend(), FormulaBackend::Interpreter);
    C Interpreted;
    F.Evaluate(Interpreted, Inputs);
    EXPECT_EQ(Native, Interpreted);
    // A failed compilation leaves no native program behind either.
    EXPECT_THROW(F.Compile("(p z + 1)/", "pz"), FormulaError);
    C W;
    EXPECT_THROW(F.Evaluate(W, Inputs), FormulaError);
}

}  // namespace
