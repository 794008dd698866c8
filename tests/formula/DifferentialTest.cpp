// Random formulas in every form the language accepts, each compiled into native code and into
// the interpreter: both engines must give the same numbers for all three programs, and a
// system that refuses executable memory must still get the interpreter's numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "FormulaCorpus.h"
#include "formula/x87/ExecutableMemory.h"
#include "formula/language/FormulaLanguage.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

using formula_corpus::Agree;
using formula_corpus::Case;
using formula_corpus::Compile;
using formula_corpus::Corpus;
using formula_corpus::Describe;
using formula_corpus::Formulas;
using formula_corpus::Point;
using formula_corpus::Results;
using formula_corpus::RunPrograms;
using formula_corpus::Spellings;

bool Identical(double A, double B) { return A == B || (std::isnan(A) && std::isnan(B)); }

double RelativeDifference(double A, double B) {
    if (Identical(A, B) || (!std::isfinite(A) && !std::isfinite(B))) return 0;
    if (!std::isfinite(A) || !std::isfinite(B)) return INFINITY;
    return std::fabs(A - B) / std::max(std::fabs(A), std::fabs(B));
}

struct Quantity {
    const char* Name;
    double A, B;
};

std::vector<Quantity> Quantities(const Results& A, const Results& B) {
    return {{"value", A.Value, B.Value},
            {"first-order value", A.First.Value, B.First.Value},
            {"first derivative", A.First.Derivative, B.First.Derivative},
            {"second-order value", A.Second.Value, B.Second.Value},
            {"second-order first derivative", A.Second.Derivative, B.Second.Derivative},
            {"second derivative", A.Second.SecondDerivative, B.Second.SecondDerivative},
            {"two-direction value", A.Two.Value, B.Two.Value},
            {"two-direction derivative", A.Two.Derivative, B.Two.Derivative},
            {"two-direction other derivative", A.Two.OtherDerivative, B.Two.OtherDerivative}};
}

// Switches native code off for one scope, and on again even when the test fails.
class RefusedNativeCode {
public:
    RefusedNativeCode() { ExecutableBlock::RefuseForTesting(true); }
    ~RefusedNativeCode() { ExecutableBlock::RefuseForTesting(false); }
    RefusedNativeCode(const RefusedNativeCode&) = delete;
    RefusedNativeCode& operator=(const RefusedNativeCode&) = delete;
};

TEST(FormulaBackends, GeneratedFormulasCoverTheLanguage) {
    const Corpus& C = Formulas();
    // Every spelling of every function appears somewhere.
    for (const auto& Group : Spellings)
        for (const char* Name : Group) EXPECT_TRUE(C.Spellings.count(Name)) << Name;
    // Enough formulas need more than the eight x87 registers to exercise the spilling.
    int Deep = 0;
    size_t Longest = 0;
    for (const Case& K : C.Cases) {
        TOCFunctDDDoubleSafe F;
        std::string Error;
        F.SelectBackend(FormulaBackend::Interpreter);
        F.Compile(K.Text, "uv", "pq", Error);
        EXPECT_EQ(Error, "") << K.Text;
        bool WellFormed = false;
        if (formula::PostfixDepth(F.Postfix(), WellFormed) > 8) ++Deep;
        Longest = std::max(Longest, F.Postfix().size());
    }
    EXPECT_GT(Deep, static_cast<int>(C.Cases.size()) / 20);
    EXPECT_GT(Longest, 150u);
}

TEST(FormulaBackends, NativeAndInterpretedProgramsAgree) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code on this system";
    const Corpus& C = Formulas();
    long long Evaluations = 0, NotIdentical = 0, Failures = 0;
    double Worst = 0;
    std::string WorstCase = "none";
    // Every other formula recompiles the same two objects, as an edited formula field does:
    // programs are replaced and executable memory is recycled under a live object.
    TOCFunctDDDoubleSafe ReusedNative, ReusedInterpreted;
    for (size_t I = 0; I < C.Cases.size(); ++I) {
        const Case& K = C.Cases[I];
        TOCFunctDDDoubleSafe FreshNative, FreshInterpreted;
        const bool Reuse = I % 2 == 1;
        TOCFunctDDDoubleSafe& Native = Reuse ? ReusedNative : FreshNative;
        TOCFunctDDDoubleSafe& Interpreted = Reuse ? ReusedInterpreted : FreshInterpreted;
        Compile(Native, K, FormulaBackend::Native);
        Compile(Interpreted, K, FormulaBackend::Interpreter);
        if (::testing::Test::HasFatalFailure()) return;
        ASSERT_EQ(Native.ActiveBackend(), FormulaBackend::Native) << K.Text;
        for (const Point& X : K.Points) {
            Results A = RunPrograms(Native, X), B = RunPrograms(Interpreted, X);
            Evaluations += 9;
            for (const Quantity& Q : Quantities(A, B)) {
                if (Identical(Q.A, Q.B)) continue;
                ++NotIdentical;
                double D = RelativeDifference(Q.A, Q.B);
                if (D >= Worst) {
                    Worst = D;
                    WorstCase = std::string(Q.Name) + " of " + Describe(K, X);
                }
                if (!Agree(Q.A, Q.B, 1e-12) && ++Failures <= 10)
                    ADD_FAILURE() << Q.Name << " of " << Describe(K, X) << ": native " << Q.A
                                  << ", interpreter " << Q.B;
            }
        }
    }
    std::printf(
        "[  summary ] %zu formulas, %lld evaluations per engine, %lld results not "
        "bit-identical, max relative difference %g (%s)\n",
        C.Cases.size(), Evaluations, NotIdentical, Worst, WorstCase.c_str());
    // The engines are built to round identically, so the count above should stay at zero;
    // only differences beyond the agreement rule fail the test.
    EXPECT_EQ(Failures, 0);
}

// The Jacobian of the locus takes both partial derivatives from one two-direction run; they
// must be exactly what the first-order program gives along each direction, on both engines,
// also for formulas whose result is a bare operand.
TEST(FormulaBackends, TwoDirectionProgramEqualsTheFirstOrderProgramTwice) {
    std::vector<const Case*> Cases;
    for (const Case& K : Formulas().Cases) Cases.push_back(&K);
    std::vector<Case> Bare;
    const Point Somewhere{0.3, -0.7, 1, 0, 0, 1};
    for (const char* Text : {"u", "v", "p", "7", "-u", "-(-v)", "pi", "u/0", "sin(u)"})
        Bare.push_back({nullptr, Text, 0.5, -2, {Somewhere}});
    for (const Case& K : Bare) Cases.push_back(&K);
    long long Compared = 0;
    int Failures = 0;
    for (FormulaBackend Backend : {FormulaBackend::Native, FormulaBackend::Interpreter}) {
        for (const Case* K : Cases) {
            TOCFunctDDDoubleSafe F;
            Compile(F, *K, Backend);
            if (::testing::Test::HasFatalFailure()) return;
            for (const Point& X : K->Points) {
                Results R = RunPrograms(F, X);
                ++Compared;
                if ((!Identical(R.Two.Value, R.First.Value) ||
                     !Identical(R.Two.Derivative, R.First.Derivative) ||
                     !Identical(R.Two.OtherDerivative, R.AlongK.Derivative)) &&
                    ++Failures <= 10)
                    ADD_FAILURE() << Describe(*K, X) << ": two-direction (" << R.Two.Value
                                  << ", " << R.Two.Derivative << ", " << R.Two.OtherDerivative
                                  << "), first-order " << R.First.Value << ", "
                                  << R.First.Derivative << " and " << R.AlongK.Derivative;
            }
        }
    }
    EXPECT_GT(Compared, 1000);
    EXPECT_EQ(Failures, 0);
}

TEST(FormulaBackends, RefusedExecutableMemoryFallsBackToTheInterpreter) {
    const Corpus& C = Formulas();
    for (size_t I = 0; I < C.Cases.size(); I += 50) {
        const Case& K = C.Cases[I];
        TOCFunctDDDoubleSafe Fallback, Interpreted, Mixed;
        {
            RefusedNativeCode Refused;
            Compile(Fallback, K, FormulaBackend::Native);
            ASSERT_EQ(Fallback.ActiveBackend(), FormulaBackend::Interpreter) << K.Text;
        }
        Compile(Interpreted, K, FormulaBackend::Interpreter);
        // Native value program, then the derivative programs are built while executable
        // memory is refused: each program falls back on its own.
        Compile(Mixed, K, FormulaBackend::Native);
        if (ExecutableBlock::NativeCodeSupported()) {
            EXPECT_EQ(Mixed.ActiveBackend(), FormulaBackend::Native) << K.Text;
        }
        {
            RefusedNativeCode Refused;
            Mixed.GenerateDerivativeCode();
            Mixed.GenerateSecondDerivativeCode();
        }
        for (const Point& X : K.Points) {
            Results A = RunPrograms(Fallback, X), B = RunPrograms(Interpreted, X);
            Results M = RunPrograms(Mixed, X);
            for (const Quantity& Q : Quantities(A, B))
                EXPECT_TRUE(Identical(Q.A, Q.B)) << Q.Name << " of " << Describe(K, X);
            for (const Quantity& Q : Quantities(M, B))
                EXPECT_TRUE(Agree(Q.A, Q.B, 1e-12)) << Q.Name << " of " << Describe(K, X);
        }
    }
    // Refusal is lifted at the end of its scope.
    TOCFunctDDDoubleSafe After;
    std::string Error;
    After.Compile("u + v", "uv", "pq", Error);
    if (ExecutableBlock::NativeCodeSupported()) {
        EXPECT_EQ(After.ActiveBackend(), FormulaBackend::Native);
    }
}

}  // namespace
