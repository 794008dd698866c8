// The safe complex functions: their values at the singular points and on the cuts, agreement
// with std::complex's principal branches away from the cuts and with the defining formulas
// everywhere, and the digits they keep near zero and at large arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "formula/safe/SafeComplex.h"

namespace {

using safe_complex::Complex;
using Std = std::complex<double>;
using StdL = std::complex<long double>;

constexpr double Pi = std::numbers::pi;
const double Acosh2 = std::acosh(2.0);

Complex Of(Std Z) { return {Z.real(), Z.imag()}; }
Std Rounded(Complex Z) { return {static_cast<double>(Z.Re), static_cast<double>(Z.Im)}; }
Std Apply(char Code, Std Z) { return Rounded(safe_complex::Apply(Code, Of(Z))); }

std::string Show(Std Z) {
    char Text[80];
    std::snprintf(Text, sizeof Text, "(%.17g, %.17g)", Z.real(), Z.imag());
    return Text;
}
std::string Show(Complex Z) {
    char Text[80];
    std::snprintf(Text, sizeof Text, "(%.20Lg, %.20Lg)", Z.Re, Z.Im);
    return Text;
}

// |Actual - Expected| <= Tolerance |Expected|; a zero tolerance asks for equal parts.
::testing::AssertionResult Near(Std Actual, Std Expected, double Tolerance) {
    bool Ok = Tolerance == 0 ? Actual == Expected
                             : std::abs(Actual - Expected) <= Tolerance * std::abs(Expected);
    if (Ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << Show(Actual) << " against " << Show(Expected) << ", relative error "
           << std::abs(Actual - Expected) / std::abs(Expected);
}
::testing::AssertionResult Near(Complex Actual, Complex Expected, long double Tolerance) {
    long double Error = std::abs(StdL(Actual.Re - Expected.Re, Actual.Im - Expected.Im));
    long double Size = std::abs(StdL(Expected.Re, Expected.Im));
    if (Error <= Tolerance * Size) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << Show(Actual) << " against " << Show(Expected) << ", relative error " << Error / Size;
}

// ---- Singular points, cut-offs and the values the language fixes ----

struct EdgeCase {
    const char* What;
    char Code;
    Std Z;
    Std Expected;
    double Tolerance;
};

TEST(SafeComplex, EdgeValues) {
    const double Ln2 = std::log(2.0);
    const std::vector<EdgeCase> Cases = {
        {"sqrt(-4)", 'C', {-4, 0}, {0, 2}, 0},
        {"sqrt(-4 - 0i) keeps the upper root", 'C', {-4, -0.0}, {0, 2}, 0},
        {"sqrt(4)", 'C', {4, 0}, {2, 0}, 0},
        {"sqrt(2 - i)", 'C', {2, -1}, {-1.455346690225355, 0.34356074972251244}, 1e-15},
        {"sqrt(0)", 'C', {0, 0}, {0, 0}, 0},
        {"ln 0", 'I', {0, 0}, {-50, 0}, 0},
        {"ln(-0)", 'I', {-0.0, 0}, {-50, 0}, 0},
        {"ln(-2 + 0i)", 'I', {-2, 0}, {Ln2, Pi}, 1e-15},
        {"ln(-2 - 0i)", 'I', {-2, -0.0}, {Ln2, -Pi}, 1e-15},
        {"cot 0 = 1/0", 'T', {0, 0}, {0, 0}, 0},
        {"exp 70", 'H', {70, 0}, {1e30, 0}, 1e-15},
        {"exp(-70)", 'H', {-70, 0}, {1e-30, 0}, 1e-15},
        {"exp(69.3 + i)", 'H', {69.3, 1}, {6.749077526379622e29, 1.0511065473878421e30}, 1e-14},
        {"sin 70i", 'F', {0, 70}, {0, 5e29}, 1e-15},
        {"sinh 70", 'J', {70, 0}, {5e29, 0}, 1e-15},
        {"cosh(-70)", 'K', {-70, 0}, {5e29, 0}, 1e-15},
        {"tanh 40", 'L', {40, 0}, {1, 0}, 1e-15},
        {"tanh(-40)", 'L', {-40, 0}, {-1, 0}, 1e-15},
        {"tan 40i", 'M', {0, 40}, {0, 1}, 1e-15},
        {"arcsin 1", 'N', {1, 0}, {Pi / 2, 0}, 1e-15},
        {"arcsin 2", 'N', {2, 0}, {Pi / 2, -Acosh2}, 1e-15},
        {"arcsin(2 - 0i)", 'N', {2, -0.0}, {Pi / 2, -Acosh2}, 1e-15},
        {"arcsin(-2 + 0i)", 'N', {-2, 0}, {-Pi / 2, Acosh2}, 1e-15},
        {"arcsin(-2 - 0i)", 'N', {-2, -0.0}, {-Pi / 2, Acosh2}, 1e-15},
        {"arccos 1", 'O', {1, 0}, {0, 0}, 0},
        {"arccos 2", 'O', {2, 0}, {0, -Acosh2}, 1e-15},
        {"arccos(2 - 0i)", 'O', {2, -0.0}, {0, -Acosh2}, 1e-15},
        {"arccos(-2 + 0i)", 'O', {-2, 0}, {Pi, Acosh2}, 1e-15},
        {"arccos(-2 - 0i)", 'O', {-2, -0.0}, {Pi, Acosh2}, 1e-15},
        {"arccosh(-0.3-0.4i)", 'R', {-0.3, -0.4}, {-0.4051123371780309, 1.8514258890867026}, 1e-15},
        {"arccot 0", 'U', {0, 0}, {Pi / 2, 0}, 1e-15},
        {"arctanh 1 = ln(2e30)/2", 'P', {1, 0}, {std::log(2e30) / 2, 0}, 1e-15},
        {"arctanh(-1) = (ln 0)/2", 'P', {-1, 0}, {-25, 0}, 0},
        {"conj(2 - i)", 'A', {2, -1}, {2, 1}, 0},
        {"mod(3 + 4i)", 'D', {3, 4}, {5, 0}, 0},
        {"arg(-1)", 'E', {-1, 0}, {Pi, 0}, 1e-15},
    };
    for (const EdgeCase& C : Cases)
        EXPECT_TRUE(Near(Apply(C.Code, C.Z), C.Expected, C.Tolerance)) << C.What;
}

TEST(SafeComplex, SafeQuotients) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* What;
        Complex Result;
        Std Expected;
    };
    const Case Cases[] = {
        {"(1 + 2i)/0", safe_complex::Divide({1, 2}, {0, 0}), {1e30, 2e30}},
        {"(1 + 2i)/(-0 - 0i)", safe_complex::Divide({1, 2}, {-0.0, -0.0}), {1e30, 2e30}},
        {"(1 + 2i)/NaN", safe_complex::Divide({1, 2}, {NaN, 0}), {1e30, 2e30}},
        {"0/0", safe_complex::Divide({0, 0}, {0, 0}), {0, 0}},
        {"1/0", safe_complex::Reciprocal({0, 0}), {0, 0}},
    };
    for (const Case& C : Cases) EXPECT_TRUE(Near(Rounded(C.Result), C.Expected, 1e-15)) << C.What;
}

TEST(SafeComplex, TrigonometricArgumentsAreReduced) {
    // fsin returns its argument beyond 2^63; the reduction must come first.
    Std S = Apply('F', {1e19, 0});
    EXPECT_TRUE(std::isfinite(S.real()) && std::fabs(S.real()) <= 1.0) << Show(S);
    EXPECT_EQ(S.imag(), 0.0);
    Std C = Apply('G', {1e19, 0.5});
    EXPECT_TRUE(std::isfinite(C.real()) && std::isfinite(C.imag())) << Show(C);
    EXPECT_LE(std::abs(C), std::cosh(0.5));
    Std E = Apply('H', {0, -3e25});
    EXPECT_NEAR(std::abs(E), 1.0, 1e-15) << Show(E);
    // A few periods away the extended reduction is as exact as the library's.
    struct Case {
        char Code;
        Std Z;
        Std Expected;
    };
    const Case Cases[] = {
        {'F', {100, 0.5}, std::sin(Std(100, 0.5))},
        {'G', {-100, 0.5}, std::cos(Std(-100, 0.5))},
        {'H', {0.5, 100}, std::exp(Std(0.5, 100))},
        {'L', {0.25, 100}, std::tanh(Std(0.25, 100))},
        {'K', {-0.75, 1000}, std::cosh(Std(-0.75, 1000))},
    };
    for (const Case& K : Cases)
        EXPECT_TRUE(Near(Apply(K.Code, K.Z), K.Expected, 1e-13)) << K.Code << " at " << Show(K.Z);
}

// ---- Agreement with the principal branches ----

// Where a function has its cuts: points closer than the margin to that line are left out.
enum class Cut { None, RealAxis, ImaginaryAxis };

bool AwayFromCut(Cut Where, Std Z, double Margin) {
    switch (Where) {
        case Cut::None:
            return true;
        case Cut::RealAxis:
            return std::fabs(Z.imag()) > Margin;
        case Cut::ImaginaryAxis:
            return std::fabs(Z.real()) > Margin;
    }
    return false;
}

struct Reference {
    char Code;
    const char* Name;
    Std (*Expected)(Std);
    Cut Where;
};

// The language's branches, in terms of std's principal ones. S(z) has a non-negative imaginary
// part, so it is -sqrt z below the real axis; arccosh z = i arccos z is -acosh z there. arccot
// takes its real part in (-pi/2, pi/2], which makes it arctan(1/z).
const Reference Functions[] = {
    {'A', "conj", [](Std Z) { return std::conj(Z); }, Cut::None},
    {'B', "square", [](Std Z) { return Z * Z; }, Cut::None},
    {'C', "sqrt", [](Std Z) { return Z.imag() >= 0 ? std::sqrt(Z) : -std::sqrt(Z); },
     Cut::RealAxis},
    {'D', "mod", [](Std Z) { return Std(std::abs(Z), 0); }, Cut::None},
    {'E', "arg", [](Std Z) { return Std(std::arg(Z), 0); }, Cut::RealAxis},
    {'F', "sin", [](Std Z) { return std::sin(Z); }, Cut::None},
    {'G', "cos", [](Std Z) { return std::cos(Z); }, Cut::None},
    {'H', "exp", [](Std Z) { return std::exp(Z); }, Cut::None},
    {'I', "ln", [](Std Z) { return std::log(Z); }, Cut::RealAxis},
    {'J', "sinh", [](Std Z) { return std::sinh(Z); }, Cut::None},
    {'K', "cosh", [](Std Z) { return std::cosh(Z); }, Cut::None},
    {'L', "tanh", [](Std Z) { return std::tanh(Z); }, Cut::None},
    {'M', "tan", [](Std Z) { return std::tan(Z); }, Cut::None},
    {'N', "arcsin", [](Std Z) { return std::asin(Z); }, Cut::RealAxis},
    {'O', "arccos", [](Std Z) { return std::acos(Z); }, Cut::RealAxis},
    {'P', "arctanh", [](Std Z) { return std::atanh(Z); }, Cut::RealAxis},
    {'Q', "arcsinh", [](Std Z) { return std::asinh(Z); }, Cut::ImaginaryAxis},
    {'R', "arccosh", [](Std Z) { return Z.imag() > 0 ? std::acosh(Z) : -std::acosh(Z); },
     Cut::RealAxis},
    {'S', "arctan", [](Std Z) { return std::atan(Z); }, Cut::ImaginaryAxis},
    {'T', "cot", [](Std Z) { return 1.0 / std::tan(Z); }, Cut::None},
    {'U', "arccot", [](Std Z) { return std::atan(1.0 / Z); }, Cut::ImaginaryAxis},
};

// Points with |z| in [0.1, 3], the same for every function.
std::vector<Std> RandomPoints(int Count, unsigned Seed) {
    std::mt19937 Generator(Seed);
    std::uniform_real_distribution<double> Modulus(0.1, 3.0), Angle(-Pi, Pi);
    std::vector<Std> Points;
    for (int I = 0; I < Count; ++I)
        Points.push_back(std::polar(Modulus(Generator), Angle(Generator)));
    return Points;
}

TEST(SafeComplex, FunctionsMatchThePrincipalBranches) {
    const std::vector<Std> Points = RandomPoints(400, 20240611);
    for (const Reference& F : Functions) {
        int Checked = 0;
        for (Std Z : Points) {
            if (!AwayFromCut(F.Where, Z, 0.05)) continue;
            ++Checked;
            EXPECT_TRUE(Near(Apply(F.Code, Z), F.Expected(Z), 1e-12))
                << F.Name << " at " << Show(Z);
        }
        EXPECT_GT(Checked, 300) << F.Name;
    }
}

TEST(SafeComplex, ArithmeticMatchesStd) {
    const std::vector<Std> A = RandomPoints(200, 7), B = RandomPoints(200, 8);
    struct Operation {
        const char* Name;
        Complex (*Ours)(Complex, Complex);
        Std (*Expected)(Std, Std);
    };
    const Operation Operations[] = {
        {"+", safe_complex::Add, [](Std X, Std Y) { return X + Y; }},
        {"-", safe_complex::Subtract, [](Std X, Std Y) { return X - Y; }},
        {"*", safe_complex::Multiply, [](Std X, Std Y) { return X * Y; }},
        {"/", safe_complex::Divide, [](Std X, Std Y) { return X / Y; }},
        {"# (of the first)", [](Complex X, Complex) { return safe_complex::Negate(X); },
         [](Std X, Std) { return -X; }},
        {"1/ (of the second)", [](Complex, Complex Y) { return safe_complex::Reciprocal(Y); },
         [](Std, Std Y) { return 1.0 / Y; }},
    };
    for (const Operation& Op : Operations)
        for (size_t I = 0; I < A.size(); ++I)
            EXPECT_TRUE(Near(Rounded(Op.Ours(Of(A[I]), Of(B[I]))), Op.Expected(A[I], B[I]), 1e-15))
                << Show(A[I]) << " " << Op.Name << " " << Show(B[I]);
}

// ---- Agreement with the defining formulas, cuts and signed zeros included ----

// The formulas of the language taken literally, from the same blocks. Away from zero and from
// large arguments they lose nothing, so the reshaped functions must give their values, the
// branch each one picks on its cuts included.
namespace literal {

using namespace safe_complex;

Complex Half(Complex Z) { return {Z.Re * 0.5L, Z.Im * 0.5L}; }

Complex SquareRoot(Complex Z) {
    long double R = std::sqrt(SquaredModulus(Z));
    long double A = std::sqrt((R + Z.Re) * 0.5L), B = std::sqrt((R - Z.Re) * 0.5L);
    return {Z.Im >= 0 ? A : -A, B};
}

Complex Sine(Complex Z) {
    long double E = SafeExp(Z.Im);
    return {x87::Sin(Z.Re) * ((E + 1 / E) * 0.5L), x87::Cos(Z.Re) * ((E - 1 / E) * 0.5L)};
}

Complex Cosine(Complex Z) {
    long double E = SafeExp(Z.Im);
    return {x87::Cos(Z.Re) * ((E + 1 / E) * 0.5L), -(x87::Sin(Z.Re) * ((E - 1 / E) * 0.5L))};
}

Complex HyperbolicTangent(Complex Z) {
    Complex E = Exp({Z.Re + Z.Re, Z.Im + Z.Im});
    return Divide({E.Re - 1, E.Im}, {E.Re + 1, E.Im});
}

Complex InverseSine(Complex Z) {
    Complex Q = Square(Z);
    Complex W = TimesMinusI(Log(Add(TimesI(Z), SquareRoot({1 - Q.Re, -Q.Im}))));
    const long double HalfPi = x87::Pi() * 0.5L;
    if (W.Re > HalfPi) return {x87::Pi() - W.Re, -W.Im};
    if (W.Re < -HalfPi) return {-x87::Pi() - W.Re, -W.Im};
    return W;
}

Complex InverseCosine(Complex Z) {
    Complex Q = Square(Z);
    Complex W = TimesMinusI(Log(Add(Z, SquareRoot({Q.Re - 1, Q.Im}))));
    W.Re = x87::Remainder(W.Re, x87::Pi() + x87::Pi());
    return W.Re < 0 ? Negate(W) : W;
}

Complex InverseHyperbolicTangent(Complex Z) {
    return Half(Log(Divide({1 + Z.Re, Z.Im}, {1 - Z.Re, -Z.Im})));
}

Complex InverseTangent(Complex Z) { return TimesMinusI(InverseHyperbolicTangent(TimesI(Z))); }

Complex InverseCotangent(Complex Z) {
    Complex A = InverseTangent(Z);
    const long double HalfPi = x87::Pi() * 0.5L;
    Complex W = {HalfPi - A.Re, -A.Im};
    if (W.Re > HalfPi) return {W.Re - x87::Pi(), W.Im};
    if (W.Re < -HalfPi) return {W.Re + x87::Pi(), W.Im};
    return W;
}

}  // namespace literal

TEST(SafeComplex, FunctionsFollowTheirDefiningFormulas) {
    using namespace safe_complex;
    struct Definition {
        char Code;
        const char* Name;
        Complex (*Literal)(Complex);
    };
    const Definition Definitions[] = {
        {'C', "sqrt", literal::SquareRoot},
        {'F', "sin", literal::Sine},
        {'G', "cos", literal::Cosine},
        {'J', "sinh", [](Complex Z) { return TimesMinusI(literal::Sine(TimesI(Z))); }},
        {'K', "cosh", [](Complex Z) { return literal::Cosine(TimesI(Z)); }},
        {'L', "tanh", literal::HyperbolicTangent},
        {'M', "tan", [](Complex Z) { return TimesMinusI(literal::HyperbolicTangent(TimesI(Z))); }},
        {'N', "arcsin", literal::InverseSine},
        {'O', "arccos", literal::InverseCosine},
        {'P', "arctanh", literal::InverseHyperbolicTangent},
        {'Q', "arcsinh", [](Complex Z) { return TimesMinusI(literal::InverseSine(TimesI(Z))); }},
        {'R', "arccosh", [](Complex Z) { return TimesI(literal::InverseCosine(Z)); }},
        {'S', "arctan", literal::InverseTangent},
        {'T', "cot",
         [](Complex Z) { return Reciprocal(TimesMinusI(literal::HyperbolicTangent(TimesI(Z)))); }},
        {'U', "arccot", literal::InverseCotangent},
    };
    // A grid through the cuts and branch points, with zeros of both signs.
    const long double Coordinates[] = {-3, -2, -1.5, -1, -0.5, -0.0, 0.0, 0.5, 1, 1.5, 2, 3};
    for (const Definition& D : Definitions) {
        for (long double X : Coordinates) {
            for (long double Y : Coordinates) {
                if (X == 0 && Y == 0) continue;
                Complex Z = {X, Y};
                EXPECT_TRUE(Near(safe_complex::Apply(D.Code, Z), D.Literal(Z), 1e-15L))
                    << D.Name << " at " << Show(Z);
            }
        }
    }
}

// ---- Digits kept where the literal formulas lose them ----

struct Series {
    char Code;
    const char* Name;
    StdL (*Expected)(StdL);  // to the z^3 term, exact to 1e-24 for |z| <= 1e-6
};

TEST(SafeComplex, SmallArgumentsKeepTheirDigits) {
    const Series Functions[] = {
        {'F', "sin", [](StdL Z) { return Z - Z * Z * Z / 6.0L; }},
        {'J', "sinh", [](StdL Z) { return Z + Z * Z * Z / 6.0L; }},
        {'M', "tan", [](StdL Z) { return Z + Z * Z * Z / 3.0L; }},
        {'L', "tanh", [](StdL Z) { return Z - Z * Z * Z / 3.0L; }},
        {'N', "arcsin", [](StdL Z) { return Z + Z * Z * Z / 6.0L; }},
        {'Q', "arcsinh", [](StdL Z) { return Z - Z * Z * Z / 6.0L; }},
        {'S', "arctan", [](StdL Z) { return Z - Z * Z * Z / 3.0L; }},
        {'P', "arctanh", [](StdL Z) { return Z + Z * Z * Z / 3.0L; }},
    };
    // On both axes, where the lost digits showed first, and between them.
    const StdL Directions[] = {{1, 0},       {0, 1},        {-1, 0},        {0, -1},
                               {0.6L, 0.8L}, {-0.8L, 0.6L}, {-0.6L, -0.8L}, {0.8L, -0.6L}};
    for (const Series& F : Functions) {
        for (long double R : {1e-6L, 1e-12L, 1e-20L}) {
            for (StdL Direction : Directions) {
                StdL Z = R * Direction;
                StdL E = F.Expected(Z);
                Complex W = safe_complex::Apply(F.Code, {Z.real(), Z.imag()});
                EXPECT_TRUE(Near(W, {E.real(), E.imag()}, 1e-15L))
                    << F.Name << " at " << Show(Complex{Z.real(), Z.imag()});
            }
        }
    }
}

TEST(SafeComplex, SquareRootKeepsItsSmallerPart) {
    // Each part to 1e-15 of itself: the smaller one is y/(2 larger).
    struct Case {
        Complex Z, Expected;
    };
    const Case Cases[] = {
        {{4, 1e-10L}, {2, 2.5e-11L}},  {{4, -1e-10L}, {-2, 2.5e-11L}},
        {{-4, 1e-10L}, {2.5e-11L, 2}}, {{-4, -1e-10L}, {-2.5e-11L, 2}},
        {{1e20L, 1}, {1e10L, 5e-11L}}, {{-1e-20L, 1e-40L}, {5e-31L, 1e-10L}},
    };
    for (const Case& C : Cases) {
        Complex W = safe_complex::Sqrt(C.Z);
        EXPECT_NEAR(W.Re, C.Expected.Re, 1e-15L * std::fabs(C.Expected.Re)) << Show(C.Z);
        EXPECT_NEAR(W.Im, C.Expected.Im, 1e-15L * std::fabs(C.Expected.Im)) << Show(C.Z);
    }
}

TEST(SafeComplex, LargeArgumentsKeepTheirDigits) {
    // Literally, arcsin(1e10 i) and arccos(-1e10) would take the logarithm of a difference of
    // two numbers near 1e10, and arccot(1e20) would be pi/2 - pi/2.
    std::vector<Std> Points;
    for (double R : {1e5, 1e10, 1e20}) {
        for (int K = 0; K < 8; ++K) Points.push_back(std::polar(R, Pi / 8 + K * Pi / 4));
        for (Std Axis : {Std(1, 0), Std(0, 1), Std(-1, 0), Std(0, -1)}) Points.push_back(R * Axis);
    }
    for (const Reference& F : Functions) {
        if (std::string("CINOPQRSU").find(F.Code) == std::string::npos) continue;
        for (Std Z : Points) {
            if (!AwayFromCut(F.Where, Z, 0.05 * std::abs(Z))) continue;
            EXPECT_TRUE(Near(Apply(F.Code, Z), F.Expected(Z), 1e-12))
                << F.Name << " at " << Show(Z);
        }
    }
    // On the cuts, the branch of the language for either sign of the zero.
    for (double X : {1.5, 1e5, 1e10, 1e20}) {
        const double A = std::acosh(X);
        for (double Zero : {0.0, -0.0}) {
            struct Case {
                char Code;
                Std Z, Expected;
            };
            const Case Cases[] = {
                {'N', {X, Zero}, {Pi / 2, -A}}, {'N', {-X, Zero}, {-Pi / 2, A}},
                {'O', {X, Zero}, {0, -A}},      {'O', {-X, Zero}, {Pi, A}},
                {'R', {X, Zero}, {A, 0}},       {'R', {-X, Zero}, {-A, Pi}},
                {'Q', {Zero, X}, {A, Pi / 2}},  {'Q', {Zero, -X}, {-A, -Pi / 2}},
            };
            for (const Case& C : Cases)
                EXPECT_TRUE(Near(Apply(C.Code, C.Z), C.Expected, 1e-15))
                    << C.Code << " at " << Show(C.Z);
        }
    }
}

}  // namespace
