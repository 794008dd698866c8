// Drag steps on a sphere: radius and centre steps with their clamps, the trackball turn, and
// the rotation staying orthonormal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "view/SphereManipulation.h"

namespace {

SphereView DomainSphere() {
    SphereView S;
    ResetSphere(S, 1);
    return S;
}

TEST(SphereManipulation, ShiftChangesTheRadiusWithinItsClamps) {
    SphereView S = DomainSphere();
    EXPECT_TRUE(ChangeSphere(S, {100, 100}, {100, 120}, {true, false}));
    EXPECT_NEAR(S.Radius, 1.1, 1e-15);
    EXPECT_NEAR(S.RadiusSqr, 1.21, 1e-14);
    EXPECT_NEAR(S.Scale, 126 / 1.1, 1e-12);
    EXPECT_NEAR(S.Radius * S.Scale, 126, 1e-12);  // the outline keeps its size

    S = DomainSphere();
    EXPECT_TRUE(ChangeSphere(S, {0, 400}, {0, 0}, {true, false}));  // factor -1 clamped to 0.1
    EXPECT_NEAR(S.Radius, 0.1, 1e-15);
    int Steps = 0;
    while (ChangeSphere(S, {0, 400}, {0, 0}, {true, false}) && Steps < 100) ++Steps;
    EXPECT_NEAR(S.Radius, 0.001, 1e-15);
    EXPECT_LT(Steps, 5);

    S = DomainSphere();
    EXPECT_FALSE(ChangeSphere(S, {0, 50}, {80, 50}, {true, true}));  // horizontal: nothing
    EXPECT_EQ(S.Radius, 1);
}

TEST(SphereManipulation, CtrlMovesTheCentreByPixelSteps) {
    SphereView S = DomainSphere();
    EXPECT_TRUE(ChangeSphere(S, {100, 100}, {110, 100}, {false, true}));
    EXPECT_NEAR(S.Centre.X, -10.0 / 126, 1e-15);
    EXPECT_EQ(S.Centre.Y, 0);
    EXPECT_TRUE(ChangeSphere(S, {100, 100}, {100, 95}, {false, true}));
    EXPECT_NEAR(S.Centre.Y, 5.0 / 126, 1e-15);
    EXPECT_FALSE(ChangeSphere(S, {7, 7}, {7, 7}, {false, true}));
}

TEST(SphereManipulation, TurnsFollowTheMouseAndKeepTheMatrixOrthonormal) {
    SphereView S = DomainSphere();
    SphereView Before = S;
    EXPECT_FALSE(ChangeSphere(S, {140, 140}, {140, 140}, {}));
    EXPECT_EQ(std::memcmp(S.Rotation, Before.Rotation, sizeof S.Rotation), 0);

    // Dragging from the centre pixel to the right carries the north pole to the right.
    EXPECT_TRUE(ChangeSphere(S, {140, 140}, {160, 140}, {}));
    bool Rear = true;
    Point2 Pole = SphereToPanel(S, S.CentrePixel, InvStereo(S, S.Centre), Rear);
    EXPECT_GT(Pole.X, 150);
    EXPECT_NEAR(Pole.Y, 140, 1e-9);
    EXPECT_FALSE(Rear);

    std::mt19937_64 Random(7);
    std::uniform_int_distribution<int> Pixel(-200, 480);
    for (int I = 0; I < 500; ++I)
        ChangeSphere(S, {Pixel(Random), Pixel(Random)}, {Pixel(Random), Pixel(Random)}, {});
    double Det = 0;
    for (int I = 0; I < 3; ++I) {
        for (int J = 0; J < 3; ++J) {
            double Dot = 0;
            for (int K = 0; K < 3; ++K) Dot += S.Rotation[I][K] * S.Rotation[J][K];
            EXPECT_NEAR(Dot, I == J ? 1 : 0, 1e-9);
        }
    }
    const auto& M = S.Rotation;
    Det = M[0][0] * (M[1][1] * M[2][2] - M[1][2] * M[2][1]) -
          M[0][1] * (M[1][0] * M[2][2] - M[1][2] * M[2][0]) +
          M[0][2] * (M[1][0] * M[2][1] - M[1][1] * M[2][0]);
    EXPECT_NEAR(Det, -1, 1e-9);
}

TEST(SphereManipulation, ADragThatCannotTurnReportsNoChange) {
    SphereView S = DomainSphere();
    S.Scale = 100;  // the outline's radius in pixels
    SphereView Before = S;
    // Two pixels on the outline, opposite about the centre, give opposite vectors: the turn
    // is undefined, nothing changes, and nothing needs drawing again.
    EXPECT_FALSE(ChangeSphere(S, {240, 140}, {40, 140}, {}));
    EXPECT_EQ(std::memcmp(S.Rotation, Before.Rotation, sizeof S.Rotation), 0);
    // A real step still turns and says so.
    EXPECT_TRUE(ChangeSphere(S, {240, 140}, {230, 150}, {}));
    EXPECT_NE(std::memcmp(S.Rotation, Before.Rotation, sizeof S.Rotation), 0);
}

}  // namespace
