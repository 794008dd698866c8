// The generated formulas evaluated from the tree they were printed from, so that a fault shared
// by both engines (the front end, the power expansion) shows up too, and short reproducers of
// the faults found that way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "FormulaCorpus.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

using formula_corpus::Agree;
using formula_corpus::Case;
using formula_corpus::Compile;
using formula_corpus::Corpus;
using formula_corpus::Describe;
using formula_corpus::Formulas;
using formula_corpus::Jet;
using formula_corpus::Point;
using formula_corpus::Random;
using formula_corpus::Real;
using formula_corpus::Reference;
using formula_corpus::Results;
using formula_corpus::RunPrograms;

// The agreement rule of Agree in extended precision, for comparing reference evaluations with
// each other: beyond the double range they may still disagree.
bool AgreeExtended(Real A, Real B, Real Relative) {
    if (!std::isfinite(A) || !std::isfinite(B)) return !std::isfinite(A) && !std::isfinite(B);
    Real Difference = std::fabs(A - B);
    return Difference <= 1e-300L || Difference <= Relative * std::max(std::fabs(A), std::fabs(B));
}

// A fault common to both engines escapes their comparison; the reference evaluation of the
// formula's tree catches it wherever the result is well-conditioned.
TEST(FormulaMeaning, GeneratedFormulasMatchTheirTrees) {
    const Corpus& C = Formulas();
    struct Mismatch {
        std::string Text;
        std::string Detail;
    };
    std::vector<Mismatch> Mismatches;
    long long Compared = 0, Skipped = 0;
    Random Dither(0xD17E5ull);
    for (const Case& K : C.Cases) {
        TOCFunctDDDoubleSafe F;
        Compile(F, K, FormulaBackend::Interpreter);
        if (::testing::Test::HasFatalFailure()) return;
        for (const Point& X : K.Points) {
            // Two independently moved evaluations: where the outcome is all or nothing (the
            // sign that decides an extension) one of them alone agrees by chance half the time.
            Reference Exact{{X.U, X.V}, {X.HU, X.HV}, {X.KU, X.KV}, {K.P, K.Q}};
            Reference Moved{{X.U, X.V}, {X.HU, X.HV}, {X.KU, X.KV}, {K.P, K.Q}, &Dither, 0x1p-50L};
            Reference Again = Moved;
            Jet L = Exact.Eval(*K.Tree);
            Jet S = Moved.Eval(*K.Tree);
            Jet A = Again.Eval(*K.Tree);
            if (Exact.Unreduced) {
                Skipped += 6;
                continue;
            }
            bool Derivatives = !Exact.OnEdge && !Moved.OnEdge && !Again.OnEdge &&
                               !Exact.BeyondDoubles;
            Results R = RunPrograms(F, X);
            struct Check {
                const char* Name;
                double Compiled;
                Real Expected, Moved, Again;
                bool Applies;
            };
            const Check Checks[] = {
                {"value", R.Value, L.V, S.V, A.V, true},
                {"first-order value", R.First.Value, L.V, S.V, A.V, Derivatives},
                {"first derivative", R.First.Derivative, L.D, S.D, A.D, Derivatives},
                {"second-order value", R.Second.Value, L.V, S.V, A.V, Derivatives},
                {"second-order first derivative", R.Second.Derivative, L.D, S.D, A.D, Derivatives},
                {"second derivative", R.Second.SecondDerivative, L.DD, S.DD, A.DD, Derivatives},
            };
            for (const Check& Q : Checks) {
                if (!Q.Applies) continue;
                double Expected = static_cast<double>(Q.Expected);
                // Rounding decides the result where the evaluations disagree.
                if (!AgreeExtended(Q.Expected, Q.Moved, 1e-10L) ||
                    !AgreeExtended(Q.Expected, Q.Again, 1e-10L)) {
                    ++Skipped;
                    continue;
                }
                ++Compared;
                if (Agree(Q.Compiled, Expected, 1e-9)) continue;
                char Detail[160];
                std::snprintf(Detail, sizeof Detail, ": %s %.17g, expected %.17g", Q.Name,
                              Q.Compiled, Expected);
                Mismatches.push_back({K.Text, Describe(K, X) + Detail});
                break;
            }
        }
    }
    std::printf(
        "[  summary ] reference: %lld results compared, %lld left out as "
        "ill-conditioned, %zu mismatches\n",
        Compared, Skipped, Mismatches.size());
    // The shortest failing formulas make the best reproducers.
    std::stable_sort(
        Mismatches.begin(), Mismatches.end(),
        [](const Mismatch& A, const Mismatch& B) { return A.Text.size() < B.Text.size(); });
    for (size_t I = 0; I < Mismatches.size() && I < 8; ++I) ADD_FAILURE() << Mismatches[I].Detail;
    EXPECT_TRUE(Mismatches.empty()) << Mismatches.size() << " mismatches";
    // The comparison must not be emptied by the conditioning filter.
    EXPECT_GT(Compared, 4 * Skipped);
}

double ValueOf(const std::string& Text, double U, double V = 0, double P = 0, double Q = 0) {
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.SelectBackend(FormulaBackend::Interpreter);
    F.Compile(Text, "uv", "pq", Error);
    EXPECT_TRUE(Error.empty()) << Text << ": " << Error;
    const double Parameters[2] = {P, Q};
    F.SetParameters(Parameters);
    const double Values[2] = {U, V};
    return F.Evaluate(Values);
}

// Odd functions are close to x near zero, and the safe exponential produces such arguments all
// the time (a non-integer power of a negative base is 10^-24 raised further). Relative accuracy
// there decides, for example, whether 1/asinh(x) is finite or the division-by-zero extension.
TEST(FormulaMeaning, OddFunctionsStayAccurateNearZero) {
    for (const char* Text : {"sinh(u)/u", "tanh(u)/u", "asinh(u)/u", "atanh(u)/u"}) {
        std::string Wrong;
        for (double U : {1e-10, 1e-17, -1e-17, 1e-22, 1e-300}) {
            double Ratio = ValueOf(Text, U);
            if (std::fabs(Ratio - 1) <= 1e-15) continue;
            char Line[80];
            std::snprintf(Line, sizeof Line, " %.17g at u = %g;", Ratio, U);
            Wrong += Line;
        }
        EXPECT_TRUE(Wrong.empty()) << Text << " should be 1 near zero:" << Wrong;
    }
}

// Extended precision holds values up to 1e4932, but x^2 overflows beyond 1e2466; acosh and
// asinh of such arguments are still ordinary numbers (about 11053 at 1e4800), and powers of
// tiny values produce them: u^(-16) at u = 1e-300.
TEST(FormulaMeaning, InverseHyperbolicFunctionsOfHugeArgumentsStayFinite) {
    const double Expected = static_cast<double>(std::acosh(1e4800L));
    for (const char* Text : {"acosh(u^(-16))", "asinh(u^(-16))", "-argsh(-u^(-16))"})
        EXPECT_NEAR(ValueOf(Text, 1e-300), Expected, 1e-12 * Expected) << Text;
}

// A chain of powers must group the same way whether an exponent is written as a literal integer
// or arrives through a parameter with that value.
TEST(FormulaMeaning, IntegerAndParameterExponentsGroupAlike) {
    struct Pair {
        const char* Literal;
        const char* Parameter;
    };
    const Pair Pairs[] = {{"u^v^2", "u^v^p"},
                          {"u^2.5^2", "u^2.5^p"},
                          {"2^u^2", "2^u^p"},
                          {"u^2^v", "u^p^v"},
                          {"u^2^3", "u^p^3"}};
    for (const Pair& X : Pairs) {
        double Literal = ValueOf(X.Literal, 1.5, 1.2, 2.0);
        double Parameter = ValueOf(X.Parameter, 1.5, 1.2, 2.0);
        EXPECT_NEAR(Literal, Parameter, 1e-12 * std::fabs(Parameter))
            << X.Literal << " against " << X.Parameter << " with p = 2";
    }
}

}  // namespace
