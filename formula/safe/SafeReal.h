// The safe real functions of the formula language, in extended precision: every partial
// function has a fixed extension so that an evaluation always yields a number. Each
// function also gives its first and second derivative (phi', phi''), as computed values.
#pragma once

#include "formula/FormulaBackend.h"
#include "formula/language/Opcodes.h"
#include "formula/safe/X87Math.h"

// The interpreter inlines these so that its values stay in registers.
#if defined(__GNUC__) || defined(__clang__)
#define TORVANE_INLINE [[gnu::always_inline]] inline
#else
#define TORVANE_INLINE inline
#endif

namespace safe_real {

// Cut-offs of the safe extensions.
inline constexpr long double Big = 1e24L;
inline constexpr long double Small = 1e-24L;
inline constexpr long double ExpCut = 75.0L;
inline constexpr long double LogFloor = -75.0L;

struct Jet {
    long double Value;
    long double First;   // phi'(x)
    long double Second;  // phi''(x)
};

// A division by zero (or by something that is not a number) gives a * 10^24.
inline bool DivisorIsZero(long double B) { return B == 0 || B != B; }

// Constants of the safe functions, in the layout the native programs read them from.
enum TableEntry { BigEntry, MinusBigEntry, SmallEntry, ExpCutEntry, MinusExpCutEntry,
                  LogFloorEntry, HalfPiEntry, MinusHalfPiEntry, HalfEntry, QuarterEntry,
                  EighthEntry, HugeEntry, TableSize };

// Beyond this |x|, x^2 +- 1 is x^2 in extended precision, and acosh and asinh are ln(2|x|),
// computed so without squaring, which would overflow for the largest arguments.
inline constexpr long double HugeArgument = 4294967296.0L;

// The operations below follow, step by step, the instruction sequences of the native
// programs, so that both engines round identically.

inline bool IsZeroOrNaN(long double X) { return X == 0 || X != X; }

// Derivatives of the arcsine family: from s = sqrt(q) and x, phi' = S1/s and
// phi'' = S2 x/(q s), or zero where q is not positive (the value is then an extension).
inline void RootDerivatives(Jet& J, long double X, long double Q, long double S, int S1, int S2) {
    if (Q > 0) {
        long double P1 = 1.0L / S;
        long double P2 = X / (S * Q);
        J.First = S1 > 0 ? P1 : -P1;
        J.Second = S2 > 0 ? P2 : -P2;
    } else {
        J.First = 0;
        J.Second = 0;
    }
}

inline const long double* Table() {
    static const long double Values[TableSize] = {
        Big, -Big, Small, ExpCut, -ExpCut, LogFloor,
        x87::Pi() * 0.5L, -(x87::Pi() * 0.5L), 0.5L, 0.25L, 0.125L, HugeArgument,
    };
    return Values;
}

// The safe exponential: 2^(x log2 e), cut at |x log2 e| = 75 to 10^24 and 10^-24.
TORVANE_INLINE long double Exp(long double X) {
    long double T = X * x87::Log2E();
    if (T > ExpCut) return Big;
    if (T < -ExpCut) return Small;
    long double N = x87::RoundToInteger(T);
    long double F = T - N;
    long double R = x87::Exp2Minus1(F) + 1.0L;
    return x87::Scale(R, N);
}

// e^x - 1 without cancellation, where |x log2 e| <= 1 (the range of f2xm1): near zero the
// hyperbolic functions are computed from it, so that sinh(1e-20) is 1e-20 and not 0.
TORVANE_INLINE bool ExpMinusOneNearZero(long double X, long double& M) {
    long double T = X * x87::Log2E();
    if (!(std::fabs(T) <= 1.0L)) return false;
    M = x87::Exp2Minus1(T);
    return true;
}

// Function opcode "A".."R" at X. The order matters only for the cotangent, whose three
// programs treat a zero remainder differently.
TORVANE_INLINE Jet Apply(char Code, long double X, ProgramOrder Order) {
    const long double Pi = x87::Pi();
    const long double Ln2 = x87::Ln2();
    const long double* K = Table();
    // The value program needs no derivatives; skipping them keeps the interpreter quick.
    const bool Derivatives = Order != ProgramOrder::Value;
    Jet J{0, 0, 0};
    switch (static_cast<formula::RealFunction>(Code)) {
        case formula::RealFunction::Cos: {
            long double R = x87::Remainder(X, Pi + Pi);
            if (Derivatives) {
                x87::SineAndCosine P = x87::SinCos(R);
                J = {P.Cos, -P.Sin, -P.Cos};
            } else {
                long double C = x87::Cos(R);
                J = {C, 0.0L, -C};
            }
            break;
        }
        case formula::RealFunction::Sin: {
            long double R = x87::Remainder(X, Pi + Pi);
            if (Derivatives) {
                x87::SineAndCosine P = x87::SinCos(R);
                J = {P.Sin, P.Cos, -P.Sin};
            } else {
                long double S = x87::Sin(R);
                J = {S, 0.0L, -S};
            }
            break;
        }
        case formula::RealFunction::Exp: {
            long double E = Exp(X);
            J = {E, E, E};
            break;
        }
        case formula::RealFunction::Square:
            J = {X * X, X + X, 2.0L};
            break;
        case formula::RealFunction::Sqrt:
            if (X > 0) {
                long double S = std::sqrt(X);
                J.Value = S;
                if (Derivatives) {
                    long double P1 = 0.5L / S;
                    J.First = P1;
                    J.Second = -(P1 / (X + X));
                }
            }
            break;
        case formula::RealFunction::Ln:
            if (X > 0) {
                J.Value = x87::YLog2X(Ln2, X);
                if (Derivatives) {
                    long double P1 = 1.0L / X;
                    J.First = P1;
                    J.Second = -(P1 * P1);
                }
            } else {
                J = {LogFloor, 0, 0};
            }
            break;
        case formula::RealFunction::Tan: {
            long double T = x87::Tan(x87::Remainder(X, Pi));
            long double P1 = 1.0L + T * T;
            J = {T, P1, (T + T) * P1};
            break;
        }
        case formula::RealFunction::Sinh:
        case formula::RealFunction::Cosh: {
            const bool Sinh = Code == formula::Code(formula::RealFunction::Sinh);
            long double M;
            if (ExpMinusOneNearZero(X, M)) {
                long double E = M + 1.0L;
                long double Minus = (M + M / E) * 0.5L;  // (E - 1/E)/2 without cancellation
                long double Plus = (E + 1.0L / E) * 0.5L;
                J = Sinh ? Jet{Minus, Plus, Minus} : Jet{Plus, Minus, Plus};
                break;
            }
            long double E = Exp(X);
            long double Inverse = 1.0L / E;
            long double Minus = (E - Inverse) * 0.5L;
            long double Plus = (E + Inverse) * 0.5L;
            J = Sinh ? Jet{Minus, Plus, Minus} : Jet{Plus, Minus, Plus};
            break;
        }
        case formula::RealFunction::Tanh: {
            long double M, T;
            if (ExpMinusOneNearZero(X, M)) {
                long double E = M + 1.0L;
                T = (M * (M + 2.0L)) / (E * E + 1.0L);  // E^2 - 1 = M (M + 2)
            } else {
                long double E = Exp(X);
                long double E2 = E * E;
                T = (E2 - 1.0L) / (E2 + 1.0L);
            }
            long double P1 = 1.0L - T * T;
            J = {T, P1, -((T + T) * P1)};
            break;
        }
        case formula::RealFunction::Arcsin:
        case formula::RealFunction::Arccos: {
            bool Sine = Code == formula::Code(formula::RealFunction::Arcsin);
            if (X > 1) {
                J.Value = Sine ? K[HalfPiEntry] : 0.0L;
            } else if (X < -1) {
                J.Value = Sine ? K[MinusHalfPiEntry] : Pi;
            } else {
                long double Q = 1.0L - X * X;
                long double S = std::sqrt(Q);
                J.Value = Sine ? x87::Atan2(X, S) : x87::Atan2(S, X);
                if (Derivatives) RootDerivatives(J, X, Q, S, Sine ? 1 : -1, Sine ? 1 : -1);
            }
            break;
        }
        case formula::RealFunction::Arctan: {
            J.Value = x87::Atan2(X, 1.0L);
            if (Derivatives) {
                long double P1 = 1.0L / (X * X + 1.0L);
                J.First = P1;
                J.Second = -(((X + X) * P1) * P1);
            }
            break;
        }
        case formula::RealFunction::Abs:
            J = {std::fabs(X), X >= 0 ? 1.0L : -1.0L, 0};
            break;
        case formula::RealFunction::Cot: {
            long double R = x87::Remainder(X, Pi);
            if (Order == ProgramOrder::Value) {
                x87::SineAndCosine P = x87::SinCos(R);
                long double S = P.Sin, C = P.Cos;
                J.Value = IsZeroOrNaN(S) ? C * Big : C / S;
            } else if (IsZeroOrNaN(R)) {
                J.Value = Order == ProgramOrder::First ? 0.0L : Big;
            } else {
                long double V = 1.0L / x87::Tan(R);
                long double W = V * V + 1.0L;
                J = {V, -W, (V + V) * W};
            }
            break;
        }
        case formula::RealFunction::Arccosh:
            if (X >= 1) {
                long double Q = X * X - 1.0L;
                long double S = std::sqrt(Q);
                J.Value = x87::YLog2X(Ln2, X >= HugeArgument ? X + X : X + S);
                if (Derivatives) RootDerivatives(J, X, Q, S, 1, -1);
            }
            break;
        case formula::RealFunction::Arctanh:
            if (X >= 1) {
                J.Value = Big;
            } else if (X <= -1) {
                J.Value = -Big;
            } else {
                // Near zero ln(1 + 2x/(1 - x)) keeps the digits that ln((1 + x)/(1 - x)) loses.
                long double L = std::fabs(X) < 0.125L
                                    ? x87::YLog2XPlus1(Ln2, (X + X) / (1.0L - X))
                                    : x87::YLog2X(Ln2, (X + 1.0L) / (1.0L - X));
                long double P1 = 1.0L / (1.0L - X * X);
                J = {L * 0.5L, P1, ((X + X) * P1) * P1};
            }
            break;
        case formula::RealFunction::Arcsinh: {
            long double A = std::fabs(X);
            long double Q = A * A + 1.0L;
            long double S = std::sqrt(Q);
            // Near zero ln(1 + a + a^2/(1 + s)) keeps the digits that ln(a + s) loses.
            long double V = A < 0.25L          ? x87::YLog2XPlus1(Ln2, A + (A * A) / (S + 1.0L))
                            : A >= HugeArgument ? x87::YLog2X(Ln2, A + A)
                                                : x87::YLog2X(Ln2, A + S);
            J.Value = X < 0 ? -V : V;
            if (Derivatives) RootDerivatives(J, X, Q, S, 1, -1);
            break;
        }
        default:
            J = {X, 0, 0};
            break;
    }
    return J;
}

}  // namespace safe_real
