// The preimage shading from compiled formulas: the samples are the map at the triangulation's
// vertices, and every view of the image (plane, sphere, a raster larger than the counts) is
// counted from them where the panel shows each point.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>

#include "SceneFixture.h"
#include "common/TaskPool.h"
#include "curves/PreimageShading.h"
#include "tests/common/HeldWorkers.h"

namespace {

// The count of the pixel whose centre the panel shows at the image point Q (a panel position
// names the centre of its pixel).
int CountAt(const SceneState& S, const PanelProjection& Project, const PreimageCounts& C, int Step,
            Point2 Q) {
    const Point3 G = Project.Sphere ? InvStereo(S.ImgSphere, Q) : Point3{Q.X, Q.Y, 0};
    bool Rear = false;
    const Point2 P = Project.ToPanel(G, Rear);
    if (Rear) return -1;
    const int I = static_cast<int>(std::floor((P.X - Project.Rect.Left + 0.5) / Step));
    const int J = static_cast<int>(std::floor((P.Y - Project.Rect.Top + 0.5) / Step));
    if (I < 0 || J < 0 || I >= C.Width || J >= C.Height) return -2;
    return C.At(I, J);
}

TEST(PreimageShading, SamplesAreTheMapAtTheVerticesAndOnlyWhileShading) {
    SceneFixture F("u^3 + u v", "v");
    F.S.DomMin = {-1, -0.5};
    F.S.DomMax = {1, 0.7};
    SetBasicData(F.S);
    ComputePreimageSamples(F.S);
    EXPECT_TRUE(F.S.Preimages.Empty());

    F.S.ShadePreimages = true;
    const long long Before = F.S.MapEvaluations;
    ComputePreimageSamples(F.S);
    const PreimageSamples& P = F.S.Preimages;
    ASSERT_EQ(P.NU, PreimageSquares);
    ASSERT_EQ(P.NV, PreimageSquares);
    const size_t N = static_cast<size_t>(P.NU + 1) * static_cast<size_t>(P.NV + 1);
    ASSERT_EQ(P.Images.size(), N);
    // Every vertex once, on whichever thread mapped it, counted as the scene's.
    EXPECT_EQ(F.S.MapEvaluations - Before, static_cast<long long>(N));
    for (int A : {0, 1, 200, 399, 400})
        for (int B : {0, 7, 400}) {
            const size_t K = static_cast<size_t>(A) * (P.NV + 1) + static_cast<size_t>(B);
            // The last vertices are the domain's edges themselves.
            const double U = A == 400 ? 1 : -1 + A * 2.0 / 400;
            const double V = B == 400 ? 0.7 : -0.5 + B * 1.2 / 400;
            ASSERT_TRUE(P.Valid[K]);
            EXPECT_DOUBLE_EQ(P.Images[K].X, U * U * U + U * V) << A << " " << B;
            EXPECT_EQ(P.Images[K].Y, V) << A << " " << B;
        }

    F.S.ShadePreimages = false;
    ComputePreimageSamples(F.S);
    EXPECT_TRUE(F.S.Preimages.Empty());
}

TEST(PreimageShading, PointsWhereTheMapFailsCountNothing) {
    // 1/u fails on the column u = 0 (the division guard makes it huge or not finite); the
    // triangles there are invalid or dropped for their size, the rest counts once.
    SceneFixture F("1/u", "v");
    F.S.ShadePreimages = true;
    ComputePreimageSamples(F.S);
    F.S.ImgMin = {-10, -1.5};
    F.S.ImgMax = {10, 1.5};
    const PanelProjection Project = ImageProjection(F.S, {0, 0, 400, 300});
    PreimageCounts C;
    const int Step = CountPanelPreimages(F.S, Project, C);
    ASSERT_EQ(Step, 1);
    EXPECT_EQ(CountAt(F.S, Project, C, Step, {3, 0.3}), 1);   // u = 1/3
    EXPECT_EQ(CountAt(F.S, Project, C, Step, {-5, -0.2}), 1);
    EXPECT_EQ(CountAt(F.S, Project, C, Step, {0.5, 0.2}), 0);  // 1/u never reaches (-1, 1)
    for (uint16_t N : C.Counts) ASSERT_LE(N, 1);
}

TEST(PreimageShading, ZCubedCoversANeighbourhoodOfZeroThreeTimesInThePlaneAndOnTheSphere) {
    SceneFixture F("z^3", Point2{0, 0});
    F.S.ShadePreimages = true;
    ComputePreimageSamples(F.S);
    F.S.ImgMin = {-3, -3};
    F.S.ImgMax = {3, 3};
    F.S.PreserveRatio = true;
    PreimageCounts C;
    const PanelProjection Plane = ImageProjection(F.S, {10, 20, 470, 480});
    const int Step = CountPanelPreimages(F.S, Plane, C);
    ASSERT_EQ(Step, 1);
    EXPECT_EQ(C.Width, 460);
    EXPECT_TRUE(C.Complete);
    // Within |w| < 1 (|z| < 1) all three cube roots lie in the square; at w = 2.5 none does.
    for (Point2 W : {Point2{0.11, 0.07}, Point2{-0.4, 0.5}, Point2{0.3, -0.8}})
        EXPECT_EQ(CountAt(F.S, Plane, C, Step, W), 3) << W.X << " " << W.Y;
    EXPECT_EQ(CountAt(F.S, Plane, C, Step, {2.5, 0}), 0);
    EXPECT_EQ(CountAt(F.S, Plane, C, Step, {2.9, 2.9}), 0);

    F.S.StereoImage = true;
    BindViewProcedures(F.S);
    const PanelProjection Sphere = ImageProjection(F.S, {0, 0, 460, 460});
    const int SphereStep = CountPanelPreimages(F.S, Sphere, C);
    ASSERT_EQ(SphereStep, 1);
    int Seen = 0;
    for (Point2 W : {Point2{0.11, 0.07}, Point2{-0.4, 0.5}, Point2{0.3, -0.8}, Point2{0, 0.2}}) {
        const int N = CountAt(F.S, Sphere, C, SphereStep, W);
        if (N == -1) continue;  // on the far side of the sphere as it is turned
        EXPECT_EQ(N, 3) << W.X << " " << W.Y;
        ++Seen;
    }
    EXPECT_GT(Seen, 0);
    // The far side shows nothing: no pixel counts more than the map's degree.
    for (uint16_t N : C.Counts) ASSERT_LE(N, 3);
}

TEST(PreimageShading, LargeRastersAreCountedCoarserAndAStopEndsTheCount) {
    SceneFixture F("u", "v^2");
    F.S.ShadePreimages = true;
    ComputePreimageSamples(F.S);
    F.S.ImgMin = {-1.5, -0.5};
    F.S.ImgMax = {1.5, 1.5};
    PreimageCounts C;
    // Panels are square; 6001 pixels are counted in 2001 blocks of three.
    const PanelProjection Big = ImageProjection(F.S, {0, 0, 6001, 6001});
    const int Step = CountPanelPreimages(F.S, Big, C);
    ASSERT_EQ(Step, 3);
    EXPECT_EQ(C.Width, 2001);
    EXPECT_EQ(C.Height, 2001);
    EXPECT_EQ(CountAt(F.S, Big, C, Step, {0.3, 0.5}), 2);
    EXPECT_EQ(CountAt(F.S, Big, C, Step, {-0.7, 0.9}), 2);
    EXPECT_EQ(CountAt(F.S, Big, C, Step, {0.3, -0.2}), 0);
    EXPECT_EQ(CountAt(F.S, Big, C, Step, {1.3, 0.5}), 0);

    std::atomic<bool> Stop{true};
    EXPECT_EQ(CountPanelPreimages(F.S, ImageProjection(F.S, {0, 0, 460, 460}), C, &Stop), 0);
    EXPECT_EQ(C.Width, 0);
    EXPECT_TRUE(C.Counts.empty());
    // Without samples there is nothing to count.
    F.S.Preimages.Clear();
    EXPECT_EQ(CountPanelPreimages(F.S, ImageProjection(F.S, {0, 0, 460, 460}), C), 0);
    EXPECT_FALSE(CountPlanePreimages(F.S, F.S.ImgMin, F.S.ImgMax, 100, 100, C));
}

// A thread waiting for the bands of its count runs other queued tasks meanwhile; when one of
// them is a second count (a panel of another drawing), each must still count its own map.
TEST(PreimageShading, ACountRunWhileAnotherWaitsOnTheSameThreadKeepsToItsOwnMap) {
    SceneFixture A("u", "v^2"), B("u + 0.5", "v");
    A.S.ShadePreimages = B.S.ShadePreimages = true;
    ComputePreimageSamples(A.S);
    ComputePreimageSamples(B.S);
    const Point2 Min{-1.5, -1.5}, Max{1.5, 1.5};
    PreimageCounts AloneA, AloneB;
    ASSERT_TRUE(CountPlanePreimages(A.S, Min, Max, 64, 64, AloneA));
    ASSERT_TRUE(CountPlanePreimages(B.S, Min, Max, 64, 64, AloneB));
    ASSERT_NE(AloneA.Counts, AloneB.Counts);

    // With every worker held, B's count, queued before A's bands, runs on this thread inside
    // the wait of A's count, and then this thread alone counts the rest of both.
    TaskPool& Pool = TaskPool::Shared();
    HeldWorkers Workers(Pool);
    TaskGroup Inner;
    PreimageCounts NestedA, NestedB;
    bool CountedB = false;
    Pool.Run(Inner, [&] {
        CountedB = CountPlanePreimages(B.S, Min, Max, 64, 64, NestedB);
        Workers.Release();
    });
    EXPECT_TRUE(CountPlanePreimages(A.S, Min, Max, 64, 64, NestedA));
    Pool.Wait(Inner);
    EXPECT_TRUE(CountedB);
    EXPECT_EQ(NestedA.Counts, AloneA.Counts);
    EXPECT_EQ(NestedB.Counts, AloneB.Counts);
}

}  // namespace
