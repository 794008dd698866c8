// The formulas the engine tests run on: random formulas in every form the language accepts,
// each printed from a tree that can also be evaluated directly, with the parameters and points
// to evaluate them at. One corpus serves both the comparison of the native engine with the
// interpreter and the check of each formula against its tree.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "formula/OCFunctDDDoubleSafe.h"

namespace formula_corpus {

// SplitMix64: the sequence is fixed by its definition, so every platform and standard library
// generates the same formulas (std distributions are not portable).
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
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double P) { return Uniform() < P; }
    double Between(double A, double B) { return A + (B - A) * Uniform(); }
    template <class T, size_t N>
    const T& Pick(const T (&Items)[N]) {
        return Items[static_cast<size_t>(Below(static_cast<int>(N)))];
    }

private:
    uint64_t State;
};

// ---- Formula trees -------------------------------------------------------------------------

// clang-format off
enum class Fn { Cos, Sin, Exp, Sqr, Sqrt, Ln, Tan, Sinh, Cosh, Tanh, Asin, Acos, Atan, Abs, Cot,
                Acosh, Atanh, Asinh, Count };

enum class Kind { Number, Pi, Variable, Parameter, Negate, Add, Subtract, Multiply, Divide,
                  IntegerPower, RealPower, Function };
// clang-format on

// Every spelling the language accepts, grouped by meaning, in the order of Fn.
extern const std::vector<std::vector<const char*>> Spellings;

struct Node;
using NodePtr = std::unique_ptr<Node>;
struct Node {
    Kind K;
    double Value = 0;  // Number
    std::string Text;  // Number as written, with "." as the decimal point
    int Index = 0;     // Variable, Parameter: 0 or 1; IntegerPower: the exponent
    Fn F = Fn::Cos;
    NodePtr A, B;  // operands; A is the base and B the exponent of a RealPower
};

// ---- Reference evaluation ------------------------------------------------------------------

using Real = long double;

// The formula's value with its first and second derivative along a curve through the point
// (variables move with velocity h and acceleration k), by the chain rule on the tree and the
// documented safe extensions.
struct Jet {
    Real V, D, DD;
};

// Evaluated twice: exactly, and with every intermediate result and function argument moved at
// random by up to 2^-50 of itself. Where the two agree, the result depends neither on rounding
// nor on how accurately a function reduces its argument (the x87 sine is off by up to 1e-4
// relative right beside pi), and the compiled programs must match it. Random moves, unlike a
// second evaluation in double, never cancel to an exact zero by luck.
struct Reference {
    Real U[2], H[2], K[2], P[2];
    Random* Dither = nullptr;
    Real Scale = 0;
    // Set when an evaluation lands exactly on the edge of a safe extension (a zero divisor,
    // sqrt(0), asin(1)...), where only the value is defined, not the derivatives.
    bool OnEdge = false;
    // Set when a trigonometric function sees an argument beyond 2^30: its remainder modulo pi
    // then hangs on the last bits of the argument, which no two evaluations share.
    bool Unreduced = false;
    // Set when a derivative on the way leaves the range of doubles, in which the compiled
    // programs carry derivatives from one operation to the next.
    bool BeyondDoubles = false;

    static constexpr Real Big = static_cast<Real>(1e24L);
    static constexpr Real Small = static_cast<Real>(1e-24L);
    static constexpr Real Pi = static_cast<Real>(3.14159265358979323846264338327950288L);
    static constexpr Real Log2E = static_cast<Real>(1.44269504088896340735992468100189214L);

    static Jet Constant(Real V) { return {V, 0, 0}; }

    Real Nudge(Real X) { return Dither ? X + X * Scale * (2 * Dither->Uniform() - 1) : X; }

    Jet Eval(const Node& N) {
        if (N.K == Kind::Number || N.K == Kind::Pi || N.K == Kind::Variable ||
            N.K == Kind::Parameter)
            return Exact(N);  // inputs and constants are exact in every engine
        Jet J = Exact(N);
        for (Real X : {J.D, J.DD}) {
            Real A = X < 0 ? -X : X;
            if (A != 0 && (A < static_cast<Real>(1e-280L) || A > static_cast<Real>(1e280L)))
                BeyondDoubles = true;
        }
        return {Nudge(J.V), Nudge(J.D), Nudge(J.DD)};
    }

    Jet Exact(const Node& N) {
        switch (N.K) {
            case Kind::Number:
                return Constant(static_cast<Real>(N.Value));
            case Kind::Pi:
                return Constant(Pi);
            case Kind::Variable:
                return {U[N.Index], H[N.Index], K[N.Index]};
            case Kind::Parameter:
                return Constant(P[N.Index]);
            case Kind::Negate: {
                Jet A = Eval(*N.A);
                return {-A.V, -A.D, -A.DD};
            }
            case Kind::Add:
            case Kind::Subtract: {
                Jet A = Eval(*N.A), B = Eval(*N.B);
                Real S = N.K == Kind::Add ? 1 : -1;
                return {A.V + S * B.V, A.D + S * B.D, A.DD + S * B.DD};
            }
            case Kind::Multiply: {
                Jet A = Eval(*N.A);
                return Multiply(A, Eval(*N.B));
            }
            case Kind::Divide: {
                Jet A = Eval(*N.A);
                return Divide(A, Eval(*N.B));
            }
            case Kind::IntegerPower: {
                if (N.Index == 0) return Constant(1);  // the base is not evaluated at all
                Jet P = IntegerPower(Eval(*N.A), std::abs(N.Index));
                return N.Index > 0 ? P : Divide(Constant(1), P);
            }
            case Kind::RealPower: {
                // a^b = exp(b ln a), with the safe logarithm and exponential.
                Jet Base = Eval(*N.A);
                Jet Exponent = Eval(*N.B);
                return Apply(Fn::Exp, Multiply(Exponent, Apply(Fn::Ln, Base)));
            }
            case Kind::Function:
                return Apply(N.F, Eval(*N.A));
        }
        return Constant(0);
    }

    // Each product term is moved on its own, as its rounding is what a later cancellation
    // between the terms leaves behind.
    Jet Multiply(const Jet& A, const Jet& B) {
        return {A.V * B.V, Nudge(A.D * B.V) + Nudge(A.V * B.D),
                Nudge(A.DD * B.V) + Nudge(2 * A.D * B.D) + Nudge(A.V * B.DD)};
    }

    Jet Divide(const Jet& A, const Jet& B) {
        if (B.V == 0 || std::isnan(B.V)) {
            OnEdge = true;
            return {A.V * Big, 0, 0};
        }
        Real Q = A.V / B.V;
        Real DQ = (A.D - Nudge(Q * B.D)) / B.V;
        return {Q, DQ, (A.DD - Nudge(2 * DQ * B.D) - Nudge(Q * B.DD)) / B.V};
    }

    // Repeated squaring: a^(2m) = (a^m)^2, a^(2m+1) = a (a^m)^2.
    Jet IntegerPower(const Jet& A, int M) {
        if (M == 1) return A;
        Jet Half = IntegerPower(A, M / 2);
        Jet Square = Multiply(Half, Half);
        return M % 2 ? Multiply(A, Square) : Square;
    }

    static Real SafeExp(Real X) {
        Real Scaled = X * Log2E;
        if (Scaled > 75) return Big;
        if (Scaled < -75) return Small;
        return std::exp(X);
    }

    // phi(x), phi'(x), phi''(x) of each function, chained with the inner derivatives.
    Jet Apply(Fn F, const Jet& X) {
        const Real x = Nudge(X.V);
        // 1 - x^2 and x^2 - 1 cancel near |x| = 1; the rounding of the square decides there.
        const Real Square = Nudge(x * x);
        // Where a derivative is computed from the value (1 + tan^2, 1 - tanh^2), the value
        // is moved too, as its rounding is what the derivative inherits.
        Real V = 0, D1 = 0, D2 = 0;
        auto Edge = [&](bool At) { OnEdge = OnEdge || At; };
        if ((F == Fn::Sin || F == Fn::Cos || F == Fn::Tan || F == Fn::Cot) &&
            !(std::fabs(x) <= 0x1p30L))
            Unreduced = true;
        switch (F) {
            case Fn::Cos: {
                Real R = std::fmod(x, 2 * Pi);
                V = std::cos(R), D1 = -std::sin(R), D2 = -V;
                break;
            }
            case Fn::Sin: {
                Real R = std::fmod(x, 2 * Pi);
                V = std::sin(R), D1 = std::cos(R), D2 = -V;
                break;
            }
            case Fn::Exp:
                V = D1 = D2 = SafeExp(x);
                break;
            case Fn::Sqr:
                V = x * x, D1 = 2 * x, D2 = 2;
                break;
            case Fn::Sqrt:
                Edge(x == 0);
                if (x > 0) V = std::sqrt(x), D1 = 1 / (2 * V), D2 = -D1 / (2 * x);
                break;
            case Fn::Ln:
                Edge(x == 0);
                if (x > 0)
                    V = std::log(x), D1 = 1 / x, D2 = -D1 * D1;
                else
                    V = -75;
                break;
            case Fn::Tan: {
                Real R = std::fmod(x, Pi);
                V = Nudge(std::tan(R)), D1 = 1 + V * V, D2 = 2 * V * D1;
                break;
            }
            case Fn::Cot: {
                Real R = std::fmod(x, Pi);
                if (R == 0 || std::isnan(R)) {
                    // The value program gives cos * 10^24 here; the derivative programs
                    // have their own conventions, so only the value is compared.
                    Edge(true);
                    V = std::cos(R) * Big;
                } else {
                    V = Nudge(std::cos(R) / std::sin(R)), D1 = -(1 + V * V), D2 = -2 * V * D1;
                }
                break;
            }
            case Fn::Sinh:
            case Fn::Cosh: {
                // Built on the safe exponential: beyond its cut both follow 10^24.
                Real E = SafeExp(x);
                Real S = (E == Big || E == Small) ? (E - 1 / E) / 2 : std::sinh(x);
                Real C = (E == Big || E == Small) ? (E + 1 / E) / 2 : std::cosh(x);
                V = F == Fn::Sinh ? S : C, D1 = F == Fn::Sinh ? C : S, D2 = V;
                break;
            }
            case Fn::Tanh: {
                Real E = SafeExp(x);
                V = Nudge((E == Big || E == Small) ? (E * E - 1) / (E * E + 1) : std::tanh(x));
                D1 = 1 - V * V, D2 = -2 * V * D1;
                break;
            }
            case Fn::Asin:
            case Fn::Acos: {
                bool Sine = F == Fn::Asin;
                Edge(x == 1 || x == -1);
                if (x > 1) {
                    V = Sine ? Pi / 2 : 0;
                } else if (x < -1) {
                    V = Sine ? -Pi / 2 : Pi;
                } else {
                    Real Q = 1 - Square;
                    V = Sine ? std::asin(x) : std::acos(x);
                    if (Q > 0) {
                        Real S = Sine ? 1 : -1;
                        D1 = S / std::sqrt(Q), D2 = S * x / (Q * std::sqrt(Q));
                    }
                }
                break;
            }
            case Fn::Atan:
                V = std::atan(x), D1 = 1 / (1 + x * x), D2 = -2 * x * D1 * D1;
                break;
            case Fn::Abs:
                Edge(x == 0), V = std::fabs(x), D1 = x >= 0 ? 1 : -1;
                break;
            case Fn::Acosh:
                Edge(x == 1);
                if (x >= 1) {
                    Real Q = Square - 1;
                    V = std::acosh(x);
                    if (Q > 0) D1 = 1 / std::sqrt(Q), D2 = -x / (Q * std::sqrt(Q));
                }
                break;
            case Fn::Atanh:
                Edge(x == 1 || x == -1);
                if (x >= 1) {
                    V = Big;
                } else if (x <= -1) {
                    V = -Big;
                } else {
                    V = std::atanh(x), D1 = 1 / (1 - Square), D2 = 2 * x * D1 * D1;
                }
                break;
            case Fn::Asinh: {
                Real Q = Square + 1;
                V = std::asinh(x), D1 = 1 / std::sqrt(Q), D2 = -x / (Q * std::sqrt(Q));
                break;
            }
            case Fn::Count:
                break;
        }
        return {V, Nudge(D1 * X.D), Nudge(D2 * (X.D * X.D)) + Nudge(D1 * X.DD)};
    }
};

// ---- Cases and comparison ------------------------------------------------------------------

struct Point {
    double U, V, HU, HV, KU, KV;
};

struct Case {
    NodePtr Tree;
    std::string Text;
    double P, Q;
    std::vector<Point> Points;
};

struct Corpus {
    std::vector<Case> Cases;
    // Every function name the printer wrote, so that a test can tell when one never appears.
    std::set<std::string> Spellings;
};

// Built once on first use and shared by every test: 10,000 formulas from a fixed seed, or more
// when TORVANE_DIFFERENTIAL_FORMULAS asks for a longer soak.
const Corpus& Formulas();

// The agreement rule between the two engines: 1e-12 relative, or 1e-300 absolute, or both
// results not finite.
bool Agree(double A, double B, double Relative);

// The formula text, its parameters and the point, exactly enough to reproduce a failure.
std::string Describe(const Case& K, const Point& X);

// All results of one formula at one point from one engine.
struct Results {
    double Value;
    DerivativeResult First;
    SecondDerivativeResult Second;
    TwoDerivativeResult Two;     // along h and along k at once
    DerivativeResult AlongK;     // the first-order program along k
};

Results RunPrograms(TOCFunctDDDoubleSafe& F, const Point& X);

// Compiles the case on the given engine and sets its parameters; a formula that does not
// compile is a fatal failure of the calling test.
void Compile(TOCFunctDDDoubleSafe& F, const Case& K, FormulaBackend Backend);

}  // namespace formula_corpus
