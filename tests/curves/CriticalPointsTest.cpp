// Critical points of holomorphic maps where they are known exactly: simple and multiple
// zeros of w', a pole beside them, close pairs, none at all, and the default complex map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "SceneFixture.h"
#include "curves/CriticalPoints.h"
#include "curves/SingularLocus.h"

namespace {

using Complex = std::complex<double>;

struct Expected {
    Complex Z, Value;
    int Order;
};

std::vector<SingularPoint> Critical(const std::string& W, Point2 P = {0, 0},
                                    Point2 Min = {-2, -2}, Point2 Max = {2, 2}) {
    SceneFixture F(W, P);
    F.S.DomMin = Min;
    F.S.DomMax = Max;
    F.Prepare();
    EXPECT_TRUE(HasDirectCriticalPoints(F.S)) << W;
    std::vector<SingularPoint> Out;
    EXPECT_TRUE(FindCriticalPoints(F.S, Out));
    return Out;
}

void ExpectCritical(const std::vector<SingularPoint>& Got, const std::vector<Expected>& Want,
                    double Tol, const std::string& What) {
    ASSERT_EQ(Got.size(), Want.size()) << What;
    for (const Expected& E : Want) {
        auto It = std::min_element(Got.begin(), Got.end(), [&E](const auto& A, const auto& B) {
            return std::abs(Complex(A.DomPt.X, A.DomPt.Y) - E.Z) <
                   std::abs(Complex(B.DomPt.X, B.DomPt.Y) - E.Z);
        });
        EXPECT_EQ(It->Kind, SingularPointKind::Critical);
        EXPECT_LT(std::abs(Complex(It->DomPt.X, It->DomPt.Y) - E.Z), Tol) << What << " at " << E.Z;
        EXPECT_LT(std::abs(Complex(It->ImgPt.X, It->ImgPt.Y) - E.Value), 10 * Tol)
            << What << " value at " << E.Z;
        EXPECT_EQ(It->Order, E.Order) << What << " at " << E.Z;
    }
}

TEST(CriticalPoints, SimpleZerosOfTheDerivativeToFullPrecision) {
    ExpectCritical(Critical("z^3 - 3z"), {{1, -2, 1}, {-1, 2, 1}}, 1e-12, "z^3 - 3z");
    // A pole at 0 between the two critical points.
    ExpectCritical(Critical("z + 1/z"), {{1, 2, 1}, {-1, -2, 1}}, 1e-12, "z + 1/z");
    // w' = 1 - sin z with the parameter: z = pi/2 is a double zero of w'.
    ExpectCritical(Critical("z + cos(z)"), {{M_PI / 2, M_PI / 2, 2}}, 1e-7, "z + cos z");
    // Two zeros 2e-4 apart: the second is found with the first divided out.
    ExpectCritical(Critical("z^3/3 - 0.00000001 z"),
                   {{1e-4, -2e-12 / 3, 1}, {-1e-4, 2e-12 / 3, 1}}, 1e-12, "close pair");
}

TEST(CriticalPoints, MultipleZerosGetTheirOrder) {
    std::vector<SingularPoint> Cube = Critical("z^3");
    ASSERT_EQ(Cube.size(), 1u);
    EXPECT_EQ(Cube[0].Order, 2);
    EXPECT_LT(std::hypot(Cube[0].DomPt.X, Cube[0].DomPt.Y), 1e-8);
    ExpectCritical(Critical("z^5"), {{0, 0, 4}}, 1e-3, "z^5");
    // w' = 6 z (z^2 - 1/4)^2: double zeros at +-1/2 and a simple one at 0.
    ExpectCritical(Critical("(z^2 - 0.25)^3"), {{0.5, 0, 2}, {-0.5, 0, 2}, {0, -1.0 / 64, 1}},
                   1e-6, "(z^2 - 1/4)^3");
}

TEST(CriticalPoints, MapsWithoutCriticalPointsAndPointsOutsideTheDomain) {
    EXPECT_TRUE(Critical("exp(z)").empty());
    EXPECT_TRUE(Critical("z").empty());
    EXPECT_TRUE(Critical("1/z").empty());
    EXPECT_TRUE(Critical("(1+i)").empty());  // w' = 0 everywhere: no isolated point
    // Only the critical point 1 of z^3 - 3z lies in [0.5, 3] x [-1, 1].
    ExpectCritical(Critical("z^3 - 3z", {0, 0}, {0.5, -1}, {3, 1}), {{1, -2, 1}}, 1e-12,
                   "part of the plane");
}

// The default map w = z(1 - p) + p cos z at p = (1 + i)/2: w' = 1 - p - p sin z vanishes where
// sin z = (1 - p)/p = -i, that is z = -i asinh(1) in the domain.
TEST(CriticalPoints, TheDefaultComplexMapAndTheLocusThatUsesThem) {
    const Complex P(0.5, 0.5), Z(0, -std::asinh(1.0));
    const Complex Value = Z * (1.0 - P) + P * std::cos(Z);
    ExpectCritical(Critical("z(1-p) + p cos(z)", {0.5, 0.5}, {-1, -1}, {1, 1}), {{Z, Value, 1}},
                   1e-12, "default complex map");

    SceneFixture F("z(1-p) + p cos(z)", Point2{0.5, 0.5});
    static TImplicitCurveLine Tracer;
    ComputeSingularLocus(F.S, Tracer);
    EXPECT_EQ(F.S.SingLocus.LastIndex, -1);  // nothing is traced
    ASSERT_EQ(F.S.SingPoints.size(), 1u);
    EXPECT_NEAR(F.S.SingPoints[0].DomPt.Y, Z.imag(), 1e-12);

    // A formula that is not holomorphic keeps the traced locus and has no direct points.
    SceneFixture G("z conj(z) + z", Point2{0, 0});
    EXPECT_FALSE(HasDirectCriticalPoints(G.S));
    ComputeSingularLocus(G.S, Tracer);
    EXPECT_TRUE(G.S.SingPoints.empty());
}

}  // namespace
