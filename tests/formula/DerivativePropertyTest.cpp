// The derivative programs against finite differences of the value program, on formulas that are
// smooth where they are evaluated, on both engines: the first-order program gives the
// directional derivative along h, the second-order program the second derivative along a curve
// with velocity h and acceleration k, D2f[h,h] + Df k.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "formula/OCFunctDDDoubleSafe.h"

namespace {

// SplitMix64, so that every platform tests the same points.
class Random {
public:
    explicit Random(uint64_t Seed) : State(Seed) {}
    uint64_t Next() {
        uint64_t Z = (State += 0x9E3779B97F4A7C15ull);
        Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
        Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
        return Z ^ (Z >> 31);
    }
    int Below(int N) { return static_cast<int>(Next() % static_cast<uint64_t>(N)); }
    double Between(double A, double B) {
        return A + (B - A) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

private:
    uint64_t State;
};

constexpr double P = 1.3, Q = 0.6;

// Formulas over every function and spelling, with the box of (u, v) where each is smooth: ln
// and sqrt see positive arguments, asin, acos and atanh |x| < 0.9, acosh x > 1.1, tan and cot
// stay away from their poles and exp from its cut. Value gives the intended meaning.
struct Smooth {
    const char* Text;
    double (*Value)(double u, double v, double p, double q);
    double ULow, UHigh, VLow, VHigh;
};

const Smooth Table[] = {
    {"sin(u) cos(v)", [](double u, double v, double, double) { return std::sin(u) * std::cos(v); },
     -3, 3, -3, 3},
    {"sen(u - v) + cos(2u)",
     [](double u, double v, double, double) { return std::sin(u - v) + std::cos(2 * u); }, -3, 3,
     -3, 3},
    {"exp(u - v^2)", [](double u, double v, double, double) { return std::exp(u - v * v); }, -2, 2,
     -2, 2},
    {"sqr(u + 2v) - sqr(v)",
     [](double u, double v, double, double) { return (u + 2 * v) * (u + 2 * v) - v * v; }, -2, 2,
     -2, 2},
    {"sqrt(u^2 + v^2 + 1)",
     [](double u, double v, double, double) { return std::sqrt(u * u + v * v + 1); }, -3, 3, -3, 3},
    {"ln(1 + u^2) - log(2 + v)",
     [](double u, double v, double, double) { return std::log(1 + u * u) - std::log(2 + v); }, -3,
     3, -1.5, 3},
    {"tan(u/2) + tg(v)/3",
     [](double u, double v, double, double) { return std::tan(u / 2) + std::tan(v) / 3; }, -2.5,
     2.5, -1.2, 1.2},
    {"sh(u) - ch(v) + sinh(u v)/4 + cosh(u - v)/5",
     [](double u, double v, double, double) {
         return std::sinh(u) - std::cosh(v) + std::sinh(u * v) / 4 + std::cosh(u - v) / 5;
     },
     -2, 2, -2, 2},
    {"th(u v) + tanh(u - 1)",
     [](double u, double v, double, double) { return std::tanh(u * v) + std::tanh(u - 1); }, -2, 2,
     -2, 2},
    {"asin(u/2) + arcsin(v/3) - asen(u v/5) + arcsen(v/4)",
     [](double u, double v, double, double) {
         return std::asin(u / 2) + std::asin(v / 3) - std::asin(u * v / 5) + std::asin(v / 4);
     },
     -1.7, 1.7, -1.7, 1.7},
    {"acos(u/2) arccos(v/2) + arcos(u v/4)",
     [](double u, double v, double, double) {
         return std::acos(u / 2) * std::acos(v / 2) + std::acos(u * v / 4);
     },
     -1.7, 1.7, -1.7, 1.7},
    {"atan(u) arctg(v) + arctan(u - v)",
     [](double u, double v, double, double) {
         return std::atan(u) * std::atan(v) + std::atan(u - v);
     },
     -3, 3, -3, 3},
    {"abs(u) + abs(v - 4) u",
     [](double u, double v, double, double) { return std::fabs(u) + std::fabs(v - 4) * u; }, 0.5, 3,
     -2, 3},
    {"cot(u) + cotg(v) - cotan(u + v)/4",
     [](double u, double v, double, double) {
         return 1 / std::tan(u) + 1 / std::tan(v) - 1 / std::tan(u + v) / 4;
     },
     0.3, 1.4, 0.3, 1.4},
    {"acosh(u) + argch(v + 1) - arccosh(u v) + argcosh(u + v)",
     [](double u, double v, double, double) {
         return std::acosh(u) + std::acosh(v + 1) - std::acosh(u * v) + std::acosh(u + v);
     },
     1.2, 3, 1.2, 3},
    {"atanh(u/3) + argth(v/2) - arctanh(u v/5) + argtanh(v/3)",
     [](double u, double v, double, double) {
         return std::atanh(u / 3) + std::atanh(v / 2) - std::atanh(u * v / 5) + std::atanh(v / 3);
     },
     -1.7, 1.7, -1.7, 1.7},
    {"asinh(u) - argsh(2v) + arcsinh(u v) + argsinh(u - v)",
     [](double u, double v, double, double) {
         return std::asinh(u) - std::asinh(2 * v) + std::asinh(u * v) + std::asinh(u - v);
     },
     -3, 3, -3, 3},
    {"u^3 - 3u v^2 + v^4 - 2",
     [](double u, double v, double, double) {
         return u * u * u - 3 * u * v * v + v * v * v * v - 2;
     },
     -2, 2, -2, 2},
    {"u^(-3) + v^(-2) - (u v)^(-1)",
     [](double u, double v, double, double) { return 1 / (u * u * u) + 1 / (v * v) - 1 / (u * v); },
     0.5, 2, 0.5, 2},
    {"(u - 3)^(-2) + (v + 3)^(-1) + u^0",
     [](double u, double v, double, double) { return 1 / ((u - 3) * (u - 3)) + 1 / (v + 3) + 1; },
     -2, 2, -2, 2},
    {"(u + 2)^2.5 - (v + 3)**0.5",
     [](double u, double v, double, double) { return std::pow(u + 2, 2.5) - std::sqrt(v + 3); },
     -1.5, 2, -2, 2},
    {"u^p + v^q",
     [](double u, double v, double p, double q) { return std::pow(u, p) + std::pow(v, q); }, 0.5, 3,
     0.5, 3},
    {"u + v^2.5 - u v^1.5",
     [](double u, double v, double, double) { return u + std::pow(v, 2.5) - u * std::pow(v, 1.5); },
     -2, 2, 0.5, 2},
    {"2^u + 3^(v/2) - pi^(u v)",
     [](double u, double v, double, double) {
         return std::pow(2, u) + std::pow(3, v / 2) - std::pow(std::numbers::pi, u * v);
     },
     -1.5, 1.5, -1.5, 1.5},
    {"u/(1 + v^2) - v/(2 + sin(u))",
     [](double u, double v, double, double) { return u / (1 + v * v) - v / (2 + std::sin(u)); }, -3,
     3, -3, 3},
    {"-u^2 + p u - q v - (u - v)^3 / 4 + (-v)^3",
     [](double u, double v, double p, double q) {
         return -u * u + p * u - q * v - std::pow(u - v, 3) / 4 - v * v * v;
     },
     -2, 2, -2, 2},
    {"exp(sin(u) cos(v)) ln(3 + cos(u v))",
     [](double u, double v, double, double) {
         return std::exp(std::sin(u) * std::cos(v)) * std::log(3 + std::cos(u * v));
     },
     -2, 2, -2, 2},
    {"sqrt(2 + sin(u)) / (1.5 + cos(v))",
     [](double u, double v, double, double) {
         return std::sqrt(2 + std::sin(u)) / (1.5 + std::cos(v));
     },
     -3, 3, -3, 3},
    {"u/(4 + v/(3 + u/(2 + v/(5 + u)))) - ((((u + 1) v - 2) u + 3) v - 4)^2 / 10",
     [](double u, double v, double, double) {
         double Deep = (((u + 1) * v - 2) * u + 3) * v - 4;
         return u / (4 + v / (3 + u / (2 + v / (5 + u)))) - Deep * Deep / 10;
     },
     -1.5, 1.5, -1.5, 1.5},
    {"u v - p/(q + u^2) + pi u",
     [](double u, double v, double p, double q) {
         return u * v - p / (q + u * u) + std::numbers::pi * u;
     },
     -2, 2, -2, 2},
    {"exp(-(u^2 + v^2)/2) sqr(cos(u + v))",
     [](double u, double v, double, double) {
         return std::exp(-(u * u + v * v) / 2) * std::cos(u + v) * std::cos(u + v);
     },
     -2, 2, -2, 2},
    {"log(u) u^2.5 + sqrt(v) ln(v)",
     [](double u, double v, double, double) {
         return std::log(u) * std::pow(u, 2.5) + std::sqrt(v) * std::log(v);
     },
     0.3, 3, 0.3, 3},
    {"U**2 - V**3 + {u - [v + 1]} * 2,5",
     [](double u, double v, double, double) { return u * u - v * v * v + (u - (v + 1)) * 2.5; }, -2,
     2, -2, 2},
    {"cosh(u)^2 - sinh(u)^2 + v^0 + 0 u",
     [](double u, double, double, double) {
         return std::cosh(u) * std::cosh(u) - std::sinh(u) * std::sinh(u) + 1;
     },
     -2, 2, -2, 2},
};

// A compiled formula on one engine, with the three programs at hand.
class Formula {
public:
    Formula(const std::string& Text, FormulaBackend Backend) : Text(Text) {
        std::string Error;
        F.SelectBackend(Backend);
        F.Compile(Text, "uv", "pq", Error);
        EXPECT_TRUE(Error.empty()) << Text << ": " << Error;
        const double Parameters[2] = {P, Q};
        F.SetParameters(Parameters);
    }
    double Value(double U, double V) const {
        const double X[2] = {U, V};
        return F.Evaluate(X);
    }
    DerivativeResult First(double U, double V, double HU, double HV) {
        const double X[4] = {U, V, HU, HV};
        DerivativeResult R;
        F.EvaluateWithDerivative(X, R);
        return R;
    }
    SecondDerivativeResult Second(double U, double V, double HU, double HV, double KU, double KV) {
        const double X[6] = {U, V, HU, HV, KU, KV};
        SecondDerivativeResult R;
        F.EvaluateWithSecondDerivative(X, R);
        return R;
    }
    const std::string Text;

private:
    TOCFunctDDDoubleSafe F;
};

// Five-point differences of the value program along a line, with their largest sample for the
// absolute floor of the tolerance (rounding in the samples grows as the step shrinks).
struct Difference {
    double First, Second, Largest;
};

Difference Differences(const Formula& F, double U, double V, double WU, double WV, double Step) {
    double G[5];
    double Largest = 0;
    for (int I = 0; I < 5; ++I) {
        double S = (I - 2) * Step;
        G[I] = F.Value(U + S * WU, V + S * WV);
        Largest = std::max(Largest, std::fabs(G[I]));
    }
    return {(G[0] - 8 * G[1] + 8 * G[3] - G[4]) / (12 * Step),
            (-G[0] + 16 * G[1] - 30 * G[2] + 16 * G[3] - G[4]) / (12 * Step * Step), Largest};
}

// First derivatives use a step of 1e-4 (truncation about (L step)^4 for a function varying on
// the scale 1/L, rounding about 1e-16 / step); second derivatives 1e-3, as their rounding
// grows with 1/step^2.
constexpr double FirstStep = 1e-4, SecondStep = 1e-3;

::testing::AssertionResult Near(const char* What, double Computed, double Expected, double Relative,
                                double Absolute) {
    double Allowed = Relative * std::max(std::fabs(Computed), std::fabs(Expected)) + Absolute;
    if (std::fabs(Computed - Expected) <= Allowed) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << What << ": program " << Computed << ", differences " << Expected << " (off by "
           << std::fabs(Computed - Expected) << ", allowed " << Allowed << ")";
}

// Checks one formula at one point; returns false after the first failure so that a broken
// formula reports once, not at every point.
bool CheckAt(Formula& F, double U, double V, Random& R) {
    double Angle = R.Between(0, 2 * std::numbers::pi), Length = R.Between(0.5, 1.0);
    double HU = Length * std::cos(Angle), HV = Length * std::sin(Angle);
    double KU = R.Between(-1, 1), KV = R.Between(-1, 1);
    char Where[320];
    std::snprintf(Where, sizeof Where, "at u=%.17g v=%.17g h=(%.17g, %.17g) k=(%.17g, %.17g)", U, V,
                  HU, HV, KU, KV);
    auto Fail = [&](const ::testing::AssertionResult& Result) {
        if (Result) return false;
        ADD_FAILURE() << F.Text << " " << Where << ": " << Result.message();
        return true;
    };

    const double Value = F.Value(U, V);
    const DerivativeResult First = F.First(U, V, HU, HV);
    const SecondDerivativeResult Straight = F.Second(U, V, HU, HV, 0, 0);
    const SecondDerivativeResult Curved = F.Second(U, V, HU, HV, KU, KV);
    const Difference AlongH = Differences(F, U, V, HU, HV, FirstStep);
    const Difference AlongHWide = Differences(F, U, V, HU, HV, SecondStep);
    const Difference AlongK = Differences(F, U, V, KU, KV, FirstStep);
    const double Floor = 1 + AlongHWide.Largest;

    // The three programs agree on what they share (the cotangent's programs compute its value
    // by different quotients, hence a few units in the last place of the terms rather than
    // exact equality).
    const double Shared = 1e-14 * Floor;
    if (Fail(Near("first-order value", First.Value, Value, 1e-14, Shared)) ||
        Fail(Near("second-order value", Straight.Value, Value, 1e-14, Shared)) ||
        Fail(Near("second-order first derivative", Straight.Derivative, First.Derivative, 1e-14,
                  Shared)))
        return false;
    if (Fail(Near("first derivative along h", First.Derivative, AlongH.First, 1e-6,
                  1e-9 * (1 + AlongH.Largest))))
        return false;
    if (Fail(Near("second derivative along h (k = 0)", Straight.SecondDerivative, AlongHWide.Second,
                  1e-4, 1e-6 * Floor)))
        return false;
    // The acceleration adds Df k and nothing else.
    if (Fail(Near("second derivative with k", Curved.SecondDerivative,
                  AlongHWide.Second + AlongK.First, 1e-4, 1e-6 * (Floor + AlongK.Largest))))
        return false;
    return !Fail(Near("first derivative in the second-order program with k", Curved.Derivative,
                      First.Derivative, 1e-14, Shared));
}

const FormulaBackend Backends[] = {FormulaBackend::Native, FormulaBackend::Interpreter};

// The derivatives below would be consistent with a wrong function too; this pins the value.
TEST(DerivativePrograms, ValueProgramComputesTheWrittenFunction) {
    Random R(0x5EED0001ull);
    for (FormulaBackend Backend : Backends) {
        for (const Smooth& S : Table) {
            Formula F(S.Text, Backend);
            for (int I = 0; I < 12; ++I) {
                double U = R.Between(S.ULow, S.UHigh), V = R.Between(S.VLow, S.VHigh);
                double Expected = S.Value(U, V, P, Q);
                double Computed = F.Value(U, V);
                if (std::fabs(Computed - Expected) > 1e-10 * std::fabs(Expected) + 1e-12) {
                    ADD_FAILURE() << S.Text << " at u=" << U << " v=" << V << ": " << Computed
                                  << ", expected " << Expected;
                    break;
                }
            }
        }
    }
}

TEST(DerivativePrograms, MatchFiniteDifferencesOnEveryFunction) {
    Random R(0x5EED0002ull);
    for (FormulaBackend Backend : Backends) {
        for (const Smooth& S : Table) {
            Formula F(S.Text, Backend);
            for (int I = 0; I < 12; ++I) {
                // Stay a few steps inside the box so that no difference reaches outside it.
                double U = R.Between(S.ULow + 0.01, S.UHigh - 0.01);
                double V = R.Between(S.VLow + 0.01, S.VHigh - 0.01);
                if (!CheckAt(F, U, V, R)) break;
            }
        }
    }
}

// Compositions of smooth pieces, each of which takes any real argument to a safe one
// ("asin(0.5 sin(#))", "cot(1.5 + sin(#))"...), so that the whole is smooth everywhere
// and the chain rule is exercised several levels deep.
class SmoothGenerator {
public:
    explicit SmoothGenerator(Random& R) : R(R) {}

    std::string Expression(int Depth) {
        std::string S = Term(Depth);
        int Terms = R.Below(2);
        for (int I = 0; I < Terms; ++I) {
            static const char* Signs[] = {" + ", " - ", "+", "-"};
            S += Signs[R.Below(4)] + Term(Depth);
            if (R.Below(4) == 0) S += (R.Below(2) ? " " : "*") + Leaf();
        }
        return S;
    }

private:
    std::string Leaf() {
        static const char* Leaves[] = {"u", "v", "u", "v", "p", "q", "1.5", "pi"};
        return Leaves[R.Below(8)];
    }

    // A factor with a coefficient, often written as an implicit product ("0.5sin(u)"); digits
    // that would run together ("0.5" and "1.5") are kept apart by a blank.
    std::string Term(int Depth) {
        static const char* Coefficients[] = {"", "", "0.5", "0.7", "1.2*", "0.3"};
        std::string C = Coefficients[R.Below(6)];
        std::string F = Factor(Depth);
        bool Blank = !C.empty() && std::isdigit(static_cast<unsigned char>(C.back())) &&
                     (std::isdigit(static_cast<unsigned char>(F.front())) || R.Below(2) == 0);
        return C + (Blank ? " " : "") + F;
    }

    std::string Factor(int Depth) {
        if (Depth <= 0 || R.Below(5) == 0) return Leaf();
        // clang-format off
        static const char* Pieces[] = {
            "sin(#)", "cos(#)", "sen(#)", "th(#)", "tanh(#)", "atan(#)", "arctg(#)",
            "exp(sin(#))", "exp(0.3 atan(#))", "ln(2 + cos(#))", "log(3 + sin(#))",
            "sqrt(2 + sin(#))", "asin(0.5 sin(#))", "arccos(0.5 tanh(#))", "atanh(0.5 cos(#))",
            "argth(0.6 th(#))", "acosh(2.2 + sin(#))", "argch(1.5 + sqr(#))", "asinh(#)",
            "argsh(#)", "sh(sin(#))", "ch(cos(#))", "cosh(0.5 atan(#))", "tan(0.6 sin(#))",
            "tg(0.5 th(#))", "cot(1.5 + sin(#))", "cotg(1.6 + 0.8 cos(#))", "abs(2 + sin(#))",
            "sqr(sin(#))", "(1.2 + 0.5 cos(#))^2.5", "(2 + sin(#))^(-2)", "(1.5 + sin(#))^p",
            "(1 + sqr(#))^(-0.5)", "1/(2 + sin(#))", "(#)/(1 + sqr(#))", "sin(#)^3",
        };
        // clang-format on
        std::string Piece = Pieces[R.Below(static_cast<int>(std::size(Pieces)))];
        std::string Inner = Expression(Depth - 1);
        std::string Result;
        for (char C : Piece) {
            if (C == '#')
                Result += Inner;
            else
                Result.push_back(C);
        }
        return Result;
    }

    Random& R;
};

TEST(DerivativePrograms, MatchFiniteDifferencesOnGeneratedSmoothFormulas) {
    Random R(0x5EED0003ull);
    SmoothGenerator G(R);
    for (int I = 0; I < 300; ++I) {
        std::string Text = G.Expression(1 + R.Below(3));
        for (FormulaBackend Backend : Backends) {
            Formula F(Text, Backend);
            for (int J = 0; J < 3; ++J)
                if (!CheckAt(F, R.Between(-1.5, 1.5), R.Between(-1.5, 1.5), R)) break;
        }
    }
}

}  // namespace
