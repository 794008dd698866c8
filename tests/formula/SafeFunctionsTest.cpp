// The safe extensions of every function, their derivatives at and around the guards, and the
// three cotangent behaviours, on both engines.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "formula/x87/ExecutableMemory.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Big = 1e24;

class SafeFunctions : public ::testing::TestWithParam<FormulaBackend> {
protected:
    void SetUp() override {
        if (GetParam() == FormulaBackend::Native && !ExecutableBlock::NativeCodeSupported())
            GTEST_SKIP() << "no native code on this processor";
    }

    // f(u) with u = X, differentiated along u: h = (1, 0), k = (K, 0).
    struct Result {
        double Value, FirstValue, SecondValue, D, D2FromFirst, DD;
    };
    Result At(const std::string& Text, double X, double K = 0) {
        TOCFunctDDDoubleSafe F;
        F.SelectBackend(GetParam());
        std::string Error;
        F.Compile(Text, "uv", "pq", Error);
        EXPECT_EQ(Error, "") << Text;
        EXPECT_EQ(F.ActiveBackend(), GetParam());
        F.GenerateDerivativeCode();
        F.GenerateSecondDerivativeCode();
        const double Values[] = {X, 0, 1, 0, K, 0};
        DerivativeResult R1;
        SecondDerivativeResult R2;
        F.EvaluateWithDerivative(Values, R1);
        F.EvaluateWithSecondDerivative(Values, R2);
        return {F.Evaluate(Values), R1.Value, R2.Value, R1.Derivative, R2.Derivative,
                R2.SecondDerivative};
    }
};

struct Case {
    const char* Formula;
    double X;
    double Value;
    double D;
    double DD;
};

// Relative tolerance for values computed through transcendental functions.
void ExpectClose(double Actual, double Expected, const std::string& What) {
    double Tolerance = 1e-13 * std::max(1.0, std::fabs(Expected));
    EXPECT_NEAR(Actual, Expected, Tolerance) << What;
}

TEST_P(SafeFunctions, GuardsAndDerivatives) {
    const double Sqrt34 = std::sqrt(3.0) / 4;
    const std::vector<Case> Cases = {
        {"sqrt(u)", -1, 0, 0, 0},
        {"sqrt(u)", 0, 0, 0, 0},
        {"sqrt(u)", 4, 2, 0.25, -1.0 / 32},
        {"ln(u)", 0, -75, 0, 0},
        {"ln(u)", -1, -75, 0, 0},
        {"ln(u)", 2, std::log(2.0), 0.5, -0.25},
        {"3/u", 0, 3e24, 0, 0},
        {"u/0", 0, 0, 0, 0},
        {"2/u", 3, 2.0 / 3, -2.0 / 9, 4.0 / 27},
        {"exp(u)", 51, std::exp(51.0), std::exp(51.0), std::exp(51.0)},
        {"exp(u)", 52, Big, Big, Big},
        {"exp(u)", 100, Big, Big, Big},
        {"exp(u)", -52, 1e-24, 1e-24, 1e-24},
        {"sinh(u)", 60, 5e23, 5e23, 5e23},
        {"cosh(u)", 60, 5e23, 5e23, 5e23},
        {"sinh(u)", 0, 0, 1, 0},
        {"cosh(u)", 0, 1, 0, 1},
        {"tanh(u)", 60, 1, 0, 0},
        {"tanh(u)", -60, -1, 0, 0},
        {"tanh(u)", 0, 0, 1, 0},
        {"asin(u)", 2, Pi / 2, 0, 0},
        {"asin(u)", -2, -Pi / 2, 0, 0},
        {"asin(u)", 1, Pi / 2, 0, 0},
        {"asin(u)", -1, -Pi / 2, 0, 0},
        {"asin(u)", 0.5, Pi / 6, 2 / std::sqrt(3.0), 0.5 / (0.75 * std::sqrt(0.75))},
        {"acos(u)", 2, 0, 0, 0},
        {"acos(u)", -2, Pi, 0, 0},
        {"acos(u)", 1, 0, 0, 0},
        {"acos(u)", 0.5, Pi / 3, -2 / std::sqrt(3.0), -0.5 / (0.75 * std::sqrt(0.75))},
        {"atan(u)", 1, Pi / 4, 0.5, -0.5},
        {"abs(u)", 0, 0, 1, 0},
        {"abs(u)", -2, 2, -1, 0},
        {"acosh(u)", 0.5, 0, 0, 0},
        {"acosh(u)", 1, 0, 0, 0},
        {"acosh(u)", 2, std::acosh(2.0), 1 / std::sqrt(3.0), -2 / (3 * std::sqrt(3.0))},
        {"atanh(u)", 1, Big, 0, 0},
        {"atanh(u)", -1, -Big, 0, 0},
        {"atanh(u)", 2, Big, 0, 0},
        {"atanh(u)", 0.5, std::atanh(0.5), 4.0 / 3, 16.0 / 9},
        {"asinh(u)", -2, std::asinh(-2.0), 1 / std::sqrt(5.0), 2 / (5 * std::sqrt(5.0))},
        {"asinh(u)", 0, 0, 1, 0},
        {"tan(u)", 0.3, std::tan(0.3), 1 + std::tan(0.3) * std::tan(0.3),
         2 * std::tan(0.3) * (1 + std::tan(0.3) * std::tan(0.3))},
        {"cos(u)", Pi / 3, 0.5, -2 * Sqrt34, -0.5},
        {"sin(u)", Pi / 6, 0.5, 2 * Sqrt34, -0.5},
        {"u^2", 3, 9, 6, 2},
        {"-u", 3, -3, -1, 0},
        {"u^2.5", 4, 32, 20, 7.5},
        {"u^(-1)", 2, 0.5, -0.25, 0.25},
    };
    for (const Case& C : Cases) {
        std::string What = std::string(C.Formula) + " at " + std::to_string(C.X);
        Result R = At(C.Formula, C.X);
        ExpectClose(R.Value, C.Value, What + " value");
        ExpectClose(R.FirstValue, C.Value, What + " first-order value");
        ExpectClose(R.SecondValue, C.Value, What + " second-order value");
        ExpectClose(R.D, C.D, What + " derivative");
        ExpectClose(R.D2FromFirst, C.D, What + " derivative of the second-order program");
        ExpectClose(R.DD, C.DD, What + " second derivative");
    }
}

TEST_P(SafeFunctions, PowersOfNonPositiveBasesGoThroughTheSafeLogarithm) {
    EXPECT_EQ(At("(-2)^3", 0).Value, -8.0);
    ExpectClose(At("(-8)^(1/3)", 0).Value, std::exp(-25.0), "(-8)^(1/3)");
    ExpectClose(At("0^2.5", 0).Value, 1e-24, "0^2.5");
    ExpectClose(At("u^0", 0).Value, 1.0, "0^0");
}

TEST_P(SafeFunctions, CotangentHasThreeBehavioursAtZero) {
    Result Zero = At("cot(u)", 0);
    EXPECT_EQ(Zero.Value, Big);
    EXPECT_EQ(Zero.FirstValue, 0.0);
    EXPECT_EQ(Zero.D, 0.0);
    EXPECT_EQ(Zero.SecondValue, Big);
    EXPECT_EQ(Zero.D2FromFirst, 0.0);
    EXPECT_EQ(Zero.DD, 0.0);
    // A multiple of pi reduces to zero as well.
    EXPECT_EQ(At("cot(u)", 0).Value, At("cot(u-u)", 5).Value);
    Result R = At("cot(u)", 0.3);
    EXPECT_NEAR(R.Value, 3.2327281437658275, 1e-13);
    EXPECT_NEAR(R.FirstValue, 3.2327281437658275, 1e-13);
    EXPECT_NEAR(R.D, -11.450531251495654, 1e-12);
    EXPECT_NEAR(R.DD, 2 * R.Value * (1 + R.Value * R.Value), 1e-10);
}

TEST_P(SafeFunctions, TrigonometricArgumentsAreReduced) {
    // The reduction by 2 pi in extended precision keeps the result as exact as the library's.
    EXPECT_NEAR(At("cos(u)", 100).Value, std::cos(100.0), 1e-15);
    EXPECT_NEAR(At("sin(u)", -100).Value, std::sin(-100.0), 1e-15);
    EXPECT_NEAR(At("tan(u)", 0.3 + 7 * Pi).Value, std::tan(0.3), 1e-12);
    // Arguments far beyond one partial remainder step still give a sine and a cosine.
    for (double X : {1e25, -3e100, 1e300}) {
        for (const char* F : {"sin(u)", "cos(u)"}) {
            Result R = At(F, X);
            EXPECT_LE(std::fabs(R.Value), 1.0) << F << " " << X;
            EXPECT_LE(std::fabs(R.D), 1.0) << F << " " << X;
        }
    }
}

TEST_P(SafeFunctions, SecondDerivativeFollowsTheCurve) {
    // Along x + h t + k t^2/2 the second derivative is D2f[h,h] + Df k.
    Result R = At("u^3", 2, 0.5);
    EXPECT_DOUBLE_EQ(R.D, 12.0);
    EXPECT_DOUBLE_EQ(R.DD, 12.0 + 12.0 * 0.5);
    Result S = At("sin(u)", 1, 2);
    EXPECT_NEAR(S.DD, -std::sin(1.0) + std::cos(1.0) * 2, 1e-15);
}

TEST_P(SafeFunctions, DeepFormulasSpillAndReturn) {
    std::string Deep = "1+(2+(3+(4+(5+(6+(7+(8+(9+u))))))))";
    EXPECT_EQ(At(Deep, 0.5).Value, 45.5);
    EXPECT_EQ(At(Deep, 0.5).D, 1.0);
    // Sixty nested levels of products and quotients keep all their operands.
    std::string Nested = "u";
    double Expected = 1.5;
    for (int I = 1; I <= 60; ++I) {
        Nested = std::to_string(I) + (I % 2 ? "*(" : "/(") + Nested + "+1)";
        Expected = I % 2 ? I * (Expected + 1) : I / (Expected + 1);
    }
    EXPECT_NEAR(At(Nested, 1.5).Value, Expected, 1e-12 * std::fabs(Expected));
}

INSTANTIATE_TEST_SUITE_P(BothEngines, SafeFunctions,
                         ::testing::Values(FormulaBackend::Native, FormulaBackend::Interpreter),
                         [](const auto& Info) {
                             return Info.param == FormulaBackend::Native ? "Native"
                                                                         : "Interpreter";
                         });

TEST(SafeFunctionsOnSecondDerivativeInputs, VariablesBeyondSixteenSlotsAreAddressed) {
    // Nine variables need 27 input slots in the second-order program.
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.Compile("p q r s t u v w x", "pqrstuvwx", "", Error);
    ASSERT_EQ(Error, "");
    std::vector<double> Values(27, 0.0);
    for (int I = 0; I < 9; ++I) {
        Values[I] = I + 1;          // variables 1..9
        Values[18 + I] = 1.0;       // second-order seeds
    }
    Values[9 + 8] = 1.0;            // h along x only
    SecondDerivativeResult R;
    F.EvaluateWithSecondDerivative(Values, R);
    EXPECT_EQ(R.Value, 362880.0);
    EXPECT_EQ(R.Derivative, 40320.0);
    // D2f[h,h] is 0 (f is linear in x); Df k sums the products of all but one variable.
    double Sum = 0;
    for (int I = 1; I <= 9; ++I) Sum += 362880.0 / I;
    EXPECT_EQ(R.SecondDerivative, Sum);
}

}  // namespace

namespace {

// The interpreter fuses common shapes (products of leaves, squares, terms of sums, pushes
// below a deep stack); each shape must round exactly as the native program does.
TEST(InterpreterShapes, FusedInstructionsMatchNativeCode) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code here";
    const char* Shapes[] = {
        "u^3", "1 + u^3", "p v^2 - u^3", "3 u v^2 - p u v + q v - 0.5", "p q u", "u v - p q",
        "u - u v^2 + v u^2 - 2 v^2", "2/(u v^2 - 1)", "u/(v*pi) + 1/pi - v/p",
        "(u - (v - (u*v - (p*u - q*v^2))))", "1 - (2 - (3 - (4 - (5 - u v))))",
        "u*(v*(u*(v*(p*(q*(u*(v+1)))))))", "-u^2 + sin(u)^2 - (v+1)^3",
        "((u+1)*(v+2) - (u*v - 3)*(p - q v^2)) / (1 + u^2 + v^2)",
    };
    for (const char* Text : Shapes) {
        TOCFunctDDDoubleSafe Native, Interpreted;
        Interpreted.SelectBackend(FormulaBackend::Interpreter);
        std::string E1, E2;
        Native.Compile(Text, "uv", "pq", E1);
        Interpreted.Compile(Text, "uv", "pq", E2);
        ASSERT_EQ(E1, "") << Text;
        ASSERT_EQ(Native.ActiveBackend(), FormulaBackend::Native);
        const double Parameters[] = {1.25, -0.75};
        Native.SetParameters(Parameters);
        Interpreted.SetParameters(Parameters);
        for (double U : {-1.3, 0.0, 0.7, 3e5}) {
            for (double V : {-0.4, 1.0 / 3, 2.5}) {
                const double Point[] = {U, V};
                double A = Native.Evaluate(Point), B = Interpreted.Evaluate(Point);
                EXPECT_TRUE(A == B || (std::isnan(A) && std::isnan(B)))
                    << Text << " at " << U << ", " << V << ": " << A << " against " << B;
            }
        }
    }
}

}  // namespace
