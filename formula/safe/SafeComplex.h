// The safe complex functions of the complex formula language, in extended precision: every
// partial function has a fixed extension, so that an evaluation always yields a number.
//
// The native programs must give these results bit for bit, so every function is assembled from
// the building blocks below, and each block is a fixed sequence of long double operations,
// written one operation per statement wherever the order of rounding matters. Transcendental
// steps go through the x87 primitives only, never through the C library, whose results depend
// on the library version. Long double arithmetic runs on the x87, which has no fused
// multiply-add, so the compiler has nothing to contract or reassociate.
#pragma once

#include <cmath>

#include "formula/safe/SafeReal.h"  // TORVANE_INLINE
#include "formula/safe/X87Math.h"

namespace safe_complex {

struct Complex {
    long double Re, Im;
};

// Cut-offs of the safe extensions.
inline constexpr long double Big = 1e30L;
inline constexpr long double Small = 1e-30L;
inline constexpr long double ExpCut = 100.0L;     // on x log2(e), the exponent of 2
inline constexpr long double LogFloor = -100.0L;  // ln of a non-positive number

// Ranges of the cancellation-free forms near zero. f2xm1 accepts |t| <= 1; fyl2xp1 needs
// |u| < 1 - sqrt(2)/2, and a quarter keeps well inside it.
inline constexpr long double Exp2Range = 1.0L;
inline constexpr long double Log1pRange = 0.25L;
// |z|^2 below which arcsin takes its logarithm as ln(1 + d): |z| <= 1/4.
inline constexpr long double ArcsinSeriesRadius2 = 0.0625L;

// ---- Arithmetic ----

TORVANE_INLINE Complex Add(Complex A, Complex B) { return {A.Re + B.Re, A.Im + B.Im}; }
TORVANE_INLINE Complex Subtract(Complex A, Complex B) { return {A.Re - B.Re, A.Im - B.Im}; }
TORVANE_INLINE Complex Negate(Complex Z) { return {-Z.Re, -Z.Im}; }
TORVANE_INLINE Complex Conjugate(Complex Z) { return {Z.Re, -Z.Im}; }
// Multiplications by i and -i only swap and negate, so they round nothing.
TORVANE_INLINE Complex TimesI(Complex Z) { return {-Z.Im, Z.Re}; }
TORVANE_INLINE Complex TimesMinusI(Complex Z) { return {Z.Im, -Z.Re}; }

// x^2 + y^2. Extended precision holds the square of any double, so this neither overflows nor
// underflows for values that came in as doubles.
TORVANE_INLINE long double SquaredModulus(Complex Z) {
    long double XX = Z.Re * Z.Re;
    long double YY = Z.Im * Z.Im;
    return XX + YY;
}

TORVANE_INLINE Complex Multiply(Complex A, Complex B) {
    long double RR = A.Re * B.Re;
    long double II = A.Im * B.Im;
    long double Re = RR - II;
    long double RI = A.Re * B.Im;
    long double IR = A.Im * B.Re;
    long double Im = RI + IR;
    return {Re, Im};
}

TORVANE_INLINE Complex Square(Complex Z) {
    long double XX = Z.Re * Z.Re;
    long double YY = Z.Im * Z.Im;
    long double Re = XX - YY;
    long double TwoX = Z.Re + Z.Re;
    long double Im = TwoX * Z.Im;
    return {Re, Im};
}

// A conj(B) / |B|^2. A zero divisor, or one that is not a number, gives A * 10^30, as the real
// language gives a * 10^24.
TORVANE_INLINE Complex Divide(Complex A, Complex B) {
    long double D = SquaredModulus(B);
    if (D == 0 || D != D) return {A.Re * Big, A.Im * Big};
    long double RR = A.Re * B.Re;
    long double II = A.Im * B.Im;
    long double Re = RR + II;
    long double IR = A.Im * B.Re;
    long double RI = A.Re * B.Im;
    long double Im = IR - RI;
    return {Re / D, Im / D};
}

// conj(W) / |W|^2; the reciprocal of zero is zero (cot at its poles). Testing |W|^2 rather
// than W also catches a W so tiny that its square underflows, which would divide by zero.
TORVANE_INLINE Complex Reciprocal(Complex W) {
    long double D = SquaredModulus(W);
    if (D == 0) return {0.0L, 0.0L};
    long double Re = W.Re / D;
    long double Im = W.Im / D;
    return {Re, -Im};
}

// ---- Real building blocks ----

// ln R for R > 0, else -100.
TORVANE_INLINE long double SafeLog(long double R) {
    if (R > 0) return x87::YLog2X(x87::Ln2(), R);
    return LogFloor;
}

// 2^S, cut to 10^30 above S = 100 and to 10^-30 below S = -100. The integer part goes to the
// exponent and the fraction, |F| <= 1/2, to f2xm1.
TORVANE_INLINE long double Power2(long double S) {
    if (S > ExpCut) return Big;
    if (S < -ExpCut) return Small;
    long double N = x87::RoundToInteger(S);
    long double F = S - N;
    long double M = x87::Exp2Minus1(F);
    long double R = M + 1.0L;
    return x87::Scale(R, N);
}

// e^T as 2^(T log2 e), with the cut-offs of Power2.
TORVANE_INLINE long double SafeExp(long double T) {
    long double S = T * x87::Log2E();
    return Power2(S);
}

struct SineCosine {
    long double Sin, Cos;
};

// sin X and cos X. fsin and fcos return their argument unchanged beyond 2^63, so X is first
// reduced modulo 2 pi; below 2 pi the remainder would return X anyway, and skipping it saves
// an fprem on the common arguments.
TORVANE_INLINE SineCosine SinCos(long double X) {
    long double TwoPi = x87::Pi() + x87::Pi();
    long double R = X;
    if (!(std::fabs(X) < TwoPi)) R = x87::Remainder(X, TwoPi);
    x87::SineAndCosine P = x87::SinCos(R);
    return {P.Sin, P.Cos};
}

struct Hyperbolic {
    long double Sinh, Cosh;
};

// sinh Y and cosh Y. Near zero (|Y log2 e| <= 1) both come from M = e^Y - 1, because
// (E - 1/E)/2 with E rounded near 1 keeps nothing of a small Y: sinh = (M + M/E)/2. Beyond,
// E is the safe exponential, so both saturate at (10^30 -+ 10^-30)/2.
TORVANE_INLINE Hyperbolic HyperbolicPair(long double Y) {
    long double T = Y * x87::Log2E();
    if (std::fabs(T) <= Exp2Range) {
        long double M = x87::Exp2Minus1(T);
        long double E = M + 1.0L;
        long double Ratio = M / E;
        long double SinhTwice = M + Ratio;
        long double Inverse = 1.0L / E;
        long double CoshTwice = E + Inverse;
        return {SinhTwice * 0.5L, CoshTwice * 0.5L};
    }
    long double E = Power2(T);
    long double Inverse = 1.0L / E;
    long double SinhTwice = E - Inverse;
    long double CoshTwice = E + Inverse;
    return {SinhTwice * 0.5L, CoshTwice * 0.5L};
}

// ---- Complex building blocks ----

// S(z), the square root with non-negative imaginary part: a + ib for y >= 0, -a + ib for
// y < 0, where a, b >= 0 are the real and imaginary magnitudes of the root. The larger of
// the two comes from sqrt((r + |x|)/2), which adds like signs; the smaller from
// |y| / (2 larger). Forming the smaller as sqrt((r - |x|)/2) would cancel: sqrt(4 + 1e-10 i)
// would lose its imaginary part. A zero larger part means z = 0 (or |z|^2 underflowed).
TORVANE_INLINE Complex Sqrt(Complex Z) {
    long double R = std::sqrt(SquaredModulus(Z));
    bool RightHalf = Z.Re >= 0;
    long double Sum = RightHalf ? R + Z.Re : R - Z.Re;
    long double Half = Sum * 0.5L;
    long double Larger = std::sqrt(Half);
    if (Larger == 0) return {0.0L, 0.0L};
    long double TwiceLarger = Larger + Larger;
    long double Smaller = std::fabs(Z.Im) / TwiceLarger;
    long double A = RightHalf ? Larger : Smaller;
    long double B = RightHalf ? Smaller : Larger;
    return {Z.Im >= 0 ? A : -A, B};
}

// Ln z = ln(x^2 + y^2)/2 + i atan2(y, x): the principal branch, the sign of a zero y choosing
// between pi and -pi on the negative axis. Ln 0 = -50 + 0i; atan2 would give pi for -0.
TORVANE_INLINE Complex Log(Complex Z) {
    long double N = SquaredModulus(Z);
    long double Re = SafeLog(N) * 0.5L;
    if (N == 0) return {Re, 0.0L};
    return {Re, x87::Atan2(Z.Im, Z.Re)};
}

// Ln(1 + D), for the inverse functions whose logarithm has an argument near 1 when their own
// argument is near 0: adding 1 first would round a small D away, and arctanh(1e-20) would be
// 0. Where |1 + D|^2 - 1 = 2 Re D + |D|^2 is small, fyl2xp1 takes it without the 1; elsewhere
// this is Log(1 + D). The imaginary part is the same atan2 in both cases.
TORVANE_INLINE Complex LogOnePlus(Complex D) {
    Complex W = {1.0L + D.Re, D.Im};
    long double TwoRe = D.Re + D.Re;
    long double U = TwoRe + SquaredModulus(D);
    if (!(std::fabs(U) <= Log1pRange)) return Log(W);
    long double L = x87::YLog2XPlus1(x87::Ln2(), U);
    return {L * 0.5L, x87::Atan2(W.Im, W.Re)};
}

// E(x)(cos y + i sin y), with the safe exponential.
TORVANE_INLINE Complex Exp(Complex Z) {
    long double E = SafeExp(Z.Re);
    SineCosine A = SinCos(Z.Im);
    return {E * A.Cos, E * A.Sin};
}

// e^z - 1. Near zero (|x log2 e| <= 1, |y| <= 1) it is built from M = e^x - 1 and
// 1 - cos y = sin^2 y / (1 + cos y): Re = M cos y - (1 - cos y), Im = (M + 1) sin y, so
// that tanh keeps the digits of a small argument. Elsewhere it is Exp(z) - 1.
TORVANE_INLINE Complex ExpMinusOne(Complex Z) {
    long double T = Z.Re * x87::Log2E();
    if (std::fabs(T) <= Exp2Range && std::fabs(Z.Im) <= 1.0L) {
        long double M = x87::Exp2Minus1(T);
        SineCosine A = SinCos(Z.Im);
        long double SS = A.Sin * A.Sin;
        long double CosPlusOne = A.Cos + 1.0L;
        long double OneMinusCos = SS / CosPlusOne;
        long double MC = M * A.Cos;
        long double Re = MC - OneMinusCos;
        long double E = M + 1.0L;
        long double Im = E * A.Sin;
        return {Re, Im};
    }
    Complex E = Exp(Z);
    return {E.Re - 1.0L, E.Im};
}

// ---- The functions of the language ----

inline Complex Sin(Complex Z) {  // sin x cosh y + i cos x sinh y
    SineCosine A = SinCos(Z.Re);
    Hyperbolic H = HyperbolicPair(Z.Im);
    return {A.Sin * H.Cosh, A.Cos * H.Sinh};
}

inline Complex Cos(Complex Z) {  // cos x cosh y - i sin x sinh y
    SineCosine A = SinCos(Z.Re);
    Hyperbolic H = HyperbolicPair(Z.Im);
    long double Im = A.Sin * H.Sinh;
    return {A.Cos * H.Cosh, -Im};
}

inline Complex Sinh(Complex Z) { return TimesMinusI(Sin(TimesI(Z))); }  // -i sin(iz)
inline Complex Cosh(Complex Z) { return Cos(TimesI(Z)); }               // cos(iz)

// (e^2z - 1)/(e^2z + 1), the quotient safe at the poles. e^2z + 1 is formed as
// (e^2z - 1) + 2 so that both paths of ExpMinusOne serve it.
inline Complex Tanh(Complex Z) {
    Complex TwoZ = {Z.Re + Z.Re, Z.Im + Z.Im};
    Complex Minus = ExpMinusOne(TwoZ);
    Complex Plus = {Minus.Re + 2.0L, Minus.Im};
    return Divide(Minus, Plus);
}

inline Complex Tan(Complex Z) { return TimesMinusI(Tanh(TimesI(Z))); }  // -i tanh(iz)
inline Complex Cot(Complex Z) { return Reciprocal(Tan(Z)); }

// Ln((1 + z)/(1 - z))/2, written as Ln(1 + D)/2 so that the logarithm never sees a rounded
// 1 + (small): D = 2z/(1 - z) inside the unit circle, where the quotient is the safe one
// (arctanh(1) = ln(2e30)/2). Outside it D = 2/(1 - z) - 2 instead: beyond 2^64, 1 - z rounds
// to -z, 2z/(1 - z) to exactly -2, and the imaginary part of the quotient, which decides
// between +pi/2 and -pi/2, would be lost; 2/(1 - z) keeps it. Adding +0 to that imaginary
// part turns a -0 into +0 on the real axis, as the literal quotient does, so that both forms
// give +pi/2 i on the cuts for either sign of the zero.
inline Complex Arctanh(Complex Z) {
    Complex OneMinusZ = {1.0L - Z.Re, -Z.Im};
    Complex D;
    if (SquaredModulus(Z) > 1.0L) {
        Complex R = Reciprocal(OneMinusZ);
        long double TwoRe = R.Re + R.Re;
        long double TwoIm = R.Im + R.Im;
        D = {TwoRe - 2.0L, TwoIm + 0.0L};
    } else {
        Complex TwoZ = {Z.Re + Z.Re, Z.Im + Z.Im};
        D = Divide(TwoZ, OneMinusZ);
    }
    Complex L = LogOnePlus(D);
    return {L.Re * 0.5L, L.Im * 0.5L};
}

inline Complex Arctan(Complex Z) { return TimesMinusI(Arctanh(TimesI(Z))); }  // -i arctanh(iz)

// arcsin z = -i Ln(iz + S(1 - z^2)), folded back to the principal range: off the real axis
// beyond +-1 this is the principal arcsine; on that cut it is pi/2 - i arccosh x for x > 1
// and -pi/2 + i arccosh|x| for x < -1, whatever the sign of the zero imaginary part.
//
// Taken literally the formula cancels: for large z in the left half-plane and on the upper
// imaginary axis, iz + S(1 - z^2) is a difference of two numbers of size |z|
// (arcsin(1e10 i) would be -i Ln 0 = 50 i), and near zero its logarithm has an argument
// 1 + (small). So z is first brought into the quadrant Re z >= 0 >= Im z by
// arcsin(-z) = -arcsin z and arcsin(conj z) = conj arcsin z. There S is the principal root,
// both parts of iz + S are sums of non-negative numbers, and the logarithm's imaginary part
// lies in [0, pi/2]. Near zero the logarithm is Ln(1 + d), d = iz + S - 1 = iz - z^2/(1 + S).
inline Complex Arcsin(Complex Z) {
    bool Negated = Z.Re < 0;
    if (Negated) Z = Negate(Z);
    bool Conjugated = Z.Im > 0;
    if (Conjugated) Z = Conjugate(Z);
    Complex Q = Square(Z);
    Complex Root = Sqrt({1.0L - Q.Re, -Q.Im});
    Complex IZ = TimesI(Z);
    Complex L;
    if (SquaredModulus(Z) <= ArcsinSeriesRadius2) {
        Complex OnePlusRoot = {1.0L + Root.Re, Root.Im};
        Complex OneMinusRoot = Divide(Q, OnePlusRoot);  // (1 - S)(1 + S) = z^2
        L = LogOnePlus(Subtract(IZ, OneMinusRoot));
    } else {
        L = Log(Add(IZ, Root));
    }
    Complex W = TimesMinusI(L);
    if (Conjugated) W = Conjugate(W);
    if (Negated) W = Negate(W);
    return W;
}

inline Complex Arcsinh(Complex Z) { return TimesMinusI(Arcsin(TimesI(Z))); }  // -i arcsin(iz)

// arccos z = -i Ln(z + S(z^2 - 1)), negated where its real part is negative: off the real
// axis beyond +-1 the principal arccosine; on that cut -i arccosh x for x > 1 and
// pi + i arccosh|x| for x < -1, whatever the sign of the zero imaginary part.
//
// As for arcsin, z + S(z^2 - 1) cancels for large z in the lower half-plane and on the
// negative real axis (arccos(-1e10) would be -i Ln 0 = 50 i), so z is brought into the quadrant
// Re z >= 0, Im z >= 0 (a zero imaginary part of either sign included) by
// arccos(-z) = pi - arccos z and arccos(conj z) = conj arccos z. There both parts of z + S are
// sums of non-negative numbers, the real part of the result lies in [0, pi/2], and no sign
// change is needed.
inline Complex Arccos(Complex Z) {
    bool Negated = Z.Re < 0;
    if (Negated) Z = Negate(Z);
    bool Conjugated = Z.Im < 0;
    if (Conjugated) Z = Conjugate(Z);
    Complex Q = Square(Z);
    Complex Root = Sqrt({Q.Re - 1.0L, Q.Im});
    Complex W = TimesMinusI(Log(Add(Z, Root)));
    if (Conjugated) W = Conjugate(W);
    if (Negated) W = {x87::Pi() - W.Re, -W.Im};
    return W;
}

inline Complex Arccosh(Complex Z) { return TimesI(Arccos(Z)); }  // i arccos z

// pi/2 - arctan z, moved by -pi where its real part exceeds pi/2, so that the real part lies
// in (-pi/2, pi/2]. For |z| > 1 this equals arctan(1/z), which is computed instead: pi/2 -
// arctan z subtracts two numbers near pi/2 there and leaves nothing of arccot(1e20) = 1e-20.
// Inside the unit disc the literal form stays: there 1/z may fall on the cuts of arctan, and
// it gives arccot 0 = pi/2 and pi/2 - i arctanh y on the segment between -i and i.
inline Complex Arccot(Complex Z) {
    if (SquaredModulus(Z) > 1.0L) return Arctan(Reciprocal(Z));
    Complex A = Arctan(Z);
    long double HalfPi = x87::Pi() * 0.5L;
    Complex W = {HalfPi - A.Re, -A.Im};
    if (W.Re > HalfPi) W.Re = W.Re - x87::Pi();
    return W;
}

// Function opcode "A".."U" at Z; any other code leaves Z as it is.
TORVANE_INLINE Complex Apply(char Code, Complex Z) {
    // clang-format off
    switch (static_cast<formula::ComplexFunction>(Code)) {
        case formula::ComplexFunction::Conjugate: return Conjugate(Z);
        case formula::ComplexFunction::Square: return Square(Z);
        case formula::ComplexFunction::Sqrt: return Sqrt(Z);
        case formula::ComplexFunction::Modulus: return {std::sqrt(SquaredModulus(Z)), 0.0L};
        case formula::ComplexFunction::Argument: return {x87::Atan2(Z.Im, Z.Re), 0.0L};
        case formula::ComplexFunction::Sin: return Sin(Z);
        case formula::ComplexFunction::Cos: return Cos(Z);
        case formula::ComplexFunction::Exp: return Exp(Z);
        case formula::ComplexFunction::Ln: return Log(Z);
        case formula::ComplexFunction::Sinh: return Sinh(Z);
        case formula::ComplexFunction::Cosh: return Cosh(Z);
        case formula::ComplexFunction::Tanh: return Tanh(Z);
        case formula::ComplexFunction::Tan: return Tan(Z);
        case formula::ComplexFunction::Arcsin: return Arcsin(Z);
        case formula::ComplexFunction::Arccos: return Arccos(Z);
        case formula::ComplexFunction::Arctanh: return Arctanh(Z);
        case formula::ComplexFunction::Arcsinh: return Arcsinh(Z);
        case formula::ComplexFunction::Arccosh: return Arccosh(Z);
        case formula::ComplexFunction::Arctan: return Arctan(Z);
        case formula::ComplexFunction::Cot: return Cot(Z);
        case formula::ComplexFunction::Arccot: return Arccot(Z);
        default: return Z;
    }
    // clang-format on
}

}  // namespace safe_complex
