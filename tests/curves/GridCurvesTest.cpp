// The grid and its image: fixed domain samples, the adaptive trace on straight and curved
// images, the end of every line, the bounds that keep pathological formulas cheap, and
// properties of the trace on random smooth maps.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <random>

#include "SceneFixture.h"
#include "curves/GridCurves.h"

namespace {

TEST(GridCurves, DomainLinesHaveTwoOrFortyOnePoints) {
    SceneFixture F("u", "v");
    ComputeDomainCurves(F.S);
    EXPECT_EQ(F.S.DomHLines[3].LastIndex, 1);
    EXPECT_EQ(F.S.DomHLines[3].Points[0].Flag, 1);
    EXPECT_EQ(F.S.DomHLines[3].Points[1].Flag, 0);
    EXPECT_NEAR(F.S.DomHLines[3].Points[1].P.X, 1, 1e-15);
    EXPECT_NEAR(F.S.DomHLines[3].Points[1].P.Y, -1 + 3 * 0.1, 1e-15);
    EXPECT_NEAR(F.S.DomVLines[20].Points[0].P.X, 1, 1e-15);
    F.S.StereoDomain = true;
    F.Prepare();
    ComputeDomainCurves(F.S);
    EXPECT_EQ(F.S.DomVLines[7].LastIndex, 40);
    Point3 Q = F.S.DomVLines[7].Points[40].P;
    EXPECT_NEAR(Dot3(Q, Q), 1, 1e-12);  // on the unit sphere
}

TEST(GridCurves, ALinearMapGivesStraightImagesWithThreeSamplesPerSpacing) {
    SceneFixture F("u", "v");
    ComputeImageCurves(F.S);
    for (Curve3* Lines : {F.S.ImgVLines, F.S.ImgHLines}) {
        for (int I = 0; I <= 20; ++I) {
            const Curve3& C = Lines[I];
            // Step = a third of the spacing: 60 steps over the line, plus the first point.
            EXPECT_GE(C.LastIndex, 58) << I;
            EXPECT_LE(C.LastIndex, 63) << I;
            const Point3& Last = C.Points[static_cast<size_t>(C.LastIndex)].P;
            EXPECT_EQ(Lines == F.S.ImgVLines ? Last.Y : Last.X, 1.0) << I;
            for (int J = 1; J <= C.LastIndex; ++J) EXPECT_EQ(C.Points[static_cast<size_t>(J)].Flag, 0);
        }
    }
}

// Records every evaluation of the map, so that the test can tell which domain point each
// stored image point came from.
std::map<std::pair<double, double>, Point2>* Recorded = nullptr;
bool (*RealMapPoint)(const SceneState&, Point2, Point2&) = nullptr;
bool RecordingMap(const SceneState& S, Point2 P, Point2& Q) {
    bool Ok = RealMapPoint(S, P, Q);
    if (Ok && Recorded) (*Recorded)[{Q.X, Q.Y}] = P;
    return Ok;
}

TEST(GridCurves, TracesFollowRandomSmoothMapsToTheirEnds) {
    std::mt19937_64 Random(11);
    std::uniform_real_distribution<double> Coefficient(-1.5, 1.5);
    for (int Map = 0; Map < 12; ++Map) {
        char X[200], Y[200];
        std::snprintf(X, sizeof X, "%.3f u + %.3f v^2 + %.3f sin(2 u v) + (%.3f) u^3",
                      std::fabs(Coefficient(Random)) + 0.2, std::fabs(Coefficient(Random)),
                      std::fabs(Coefficient(Random)), Coefficient(Random));
        std::snprintf(Y, sizeof Y, "v + %.3f cos(u + v) + %.3f u v", std::fabs(Coefficient(Random)),
                      std::fabs(Coefficient(Random)));
        SceneFixture F(X, Y);
        std::map<std::pair<double, double>, Point2> Seen;
        Recorded = &Seen;
        RealMapPoint = F.S.Procedures.MapPoint;
        F.S.Procedures.MapPoint = RecordingMap;
        ComputeImageCurves(F.S);
        Recorded = nullptr;
        for (int Family = 0; Family < 2; ++Family) {
            Curve3* Lines = Family == 0 ? F.S.ImgVLines : F.S.ImgHLines;
            for (int I = 0; I <= 20; ++I) {
                const Curve3& C = Lines[I];
                ASSERT_GE(C.LastIndex, 1) << X << " ; " << Y;
                double Fixed = Family == 0 ? -1 + I * 0.1 : -1 + I * 0.1;
                double Previous = -2;
                for (int J = 0; J <= C.LastIndex; ++J) {
                    const Point3& Q = C.Points[static_cast<size_t>(J)].P;
                    auto Found = Seen.find({Q.X, Q.Y});
                    ASSERT_NE(Found, Seen.end()) << "a stored point no evaluation gave";
                    Point2 P = Found->second;
                    EXPECT_NEAR(Family == 0 ? P.X : P.Y, Fixed, 1e-12);  // on its line
                    double T = Family == 0 ? P.Y : P.X;
                    EXPECT_GT(T, Previous - 1e-12);  // in order along the line
                    // Accepted segments stay close to the image between their ends.
                    if (J > 0 && C.Points[static_cast<size_t>(J)].Flag == 0 && T > Previous) {
                        double Mid = (T + Previous) / 2;
                        Point2 M = Family == 0 ? Point2{Fixed, Mid} : Point2{Mid, Fixed}, Image;
                        ASSERT_TRUE(RealMapPoint(F.S, M, Image));
                        const Point3& A = C.Points[static_cast<size_t>(J) - 1].P;
                        Point3 N = TriangleNormal(A, {Image.X, Image.Y, 0}, Q);
                        double Chord = Distance3(A, Q);
                        if (Chord > 0) {
                            EXPECT_LT(std::sqrt(Dot3(N, N)) / Chord, 10 * F.S.ImgDivisor);
                        }
                    }
                    Previous = T;
                }
                EXPECT_EQ(Previous, 1.0);  // the last sample lies exactly on the end
            }
        }
    }
}

TEST(GridCurves, PathologicalFormulasStayBounded) {
    const char* Formulas[][2] = {
        {"1/(u - 0.31)", "v"},             // a pole across the domain
        {"sin(1/(u*u + v*v))", "v"},       // endless oscillation near the origin
        {"tan(50 u)", "cot(50 v)"},        // many poles
        {"exp(u+60)^1000", "v"},           // nothing evaluable
        {"7", "3"},                        // constant
    };
    for (auto& Pair : Formulas) {
        SceneFixture F(Pair[0], Pair[1]);
        auto Start = std::chrono::steady_clock::now();
        ComputeImageCurves(F.S);
        double Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
        EXPECT_LT(Seconds, 5.0) << Pair[0];
        for (const Curve3& C : F.S.ImgVLines) EXPECT_LT(C.LastIndex, MaxLinePoints + 1);
        for (const Curve3& C : F.S.ImgHLines) EXPECT_LT(C.LastIndex, MaxLinePoints + 1);
    }
    // A pole: points far from the image (30 diagonals of a small clip rectangle) are stored
    // without a segment into them.
    SceneFixture Pole("1/(u - 0.31)", "v");
    Pole.S.WholeImage = false;
    Pole.S.ImgMin = {-0.1, -0.1};
    Pole.S.ImgMax = {0.1, 0.1};
    SetBasicData(Pole.S);
    ComputeImageCurves(Pole.S);
    int Far = 0;
    for (const Curve3& C : Pole.S.ImgHLines)
        for (int J = 2; J <= C.LastIndex; ++J)
            if (C.Points[static_cast<size_t>(J)].Flag == 1) ++Far;
    EXPECT_GT(Far, 0);
}

TEST(GridCurves, ClipModeKeepsImagesVisibleBeforeAnyEstimate) {
    SceneFixture F("u", "v");
    F.S.WholeImage = false;
    F.S.ImgMin = {-2, -2};
    F.S.ImgMax = {2, 2};
    F.S.ImgDiag = 0;
    SetBasicData(F.S);
    ComputeImageCurves(F.S);
    EXPECT_NEAR(F.S.ImgDiag, std::hypot(4, 4), 1e-12);
    EXPECT_NEAR(F.S.ImgDivisor, 8.0 / 800, 1e-15);
    EXPECT_EQ(F.S.ImgHLines[5].Points[5].Flag, 0);
}

TEST(GridCurves, TheDefaultMapsTraceWithinTheirCaps) {
    SceneFixture Real("p u^2 - v^3", "q v^2 - u^3", 1, 1);
    ComputeImageCurves(Real.S);
    SceneFixture Complex("z(1-p) + p cos(z)", Point2{0.5, 0.5});
    ComputeImageCurves(Complex.S);
    for (SceneFixture* F : {&Real, &Complex})
        for (const Curve3& C : F->S.ImgHLines) {
            EXPECT_GT(C.LastIndex, 50);
            EXPECT_LT(C.LastIndex, 1000);
        }
}

}  // namespace
