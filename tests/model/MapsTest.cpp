// The view transforms: reset spheres, plane fits with and without the preserved ratio, the
// sphere's pixel-to-world inverse, and round trips over many random views.
#include <gtest/gtest.h>

#include <utility>

#include <cmath>
#include <random>

#include "model/Maps.h"
#include "view/SphereManipulation.h"

namespace {

constexpr PixelRect DomainPanel{0, 0, 280, 280};

TEST(Maps, ResetDomainSphereShowsThePlaneFromAbove) {
    SphereView S;
    S.Radius = 3;
    ResetSphere(S, 1);
    PlaneView V;
    FitDomainView(V, S, true, DomainPanel, {-1, -1}, {1, 1}, false);
    struct Case {
        Point2 P;
        Point3 Space;
        Point2 Panel;
        bool Rear;
    };
    const Case Cases[] = {
        {{0, 0}, {0, 0, 1}, {140, 140}, false},
        {{1, 0}, {1, 0, 0}, {266, 140}, false},  // the equator, on the silhouette: front
        {{0, 1}, {0, 1, 0}, {140, 266}, false},  // the second axis points down
        {{2, 0}, {0.8, 0, -0.6}, {240.8, 140}, true},
    };
    for (const Case& C : Cases) {
        Point3 Q = InvStereo(S, C.P);
        EXPECT_NEAR(Q.X, C.Space.X, 1e-15);
        EXPECT_NEAR(Q.Y, C.Space.Y, 1e-15);
        EXPECT_NEAR(Q.Z, C.Space.Z, 1e-15);
        bool Rear = !C.Rear;
        Point2 Panel = SphereToPanel(S, V.PanelCentre, Q, Rear);
        EXPECT_NEAR(Panel.X, C.Panel.X, 1e-12);
        EXPECT_NEAR(Panel.Y, C.Panel.Y, 1e-12);
        EXPECT_EQ(Rear, C.Rear);
    }
    // The centre pixel shows Centre in front and the south pole behind, which is no point.
    Point2 Front = SpherePixelToPoint(S, 140, 140, false);
    EXPECT_DOUBLE_EQ(Front.X, 0);
    EXPECT_DOUBLE_EQ(Front.Y, 0);
    EXPECT_EQ(SpherePixelToPoint(S, 140, 140, true).X, NoPoint);
    EXPECT_EQ(SpherePixelToPoint(S, 140 + 126, 140, false).X, NoPoint);  // on the outline
    EXPECT_EQ(SpherePixelToPoint(S, 0, 0, false).X, NoPoint);            // outside
    // The image sphere, and nothing for an unknown panel.
    ResetSphere(S, 2);
    EXPECT_EQ(S.Scale, 207);
    EXPECT_EQ(S.CentrePixel.X, 230);
    S.Radius = 5;
    ResetSphere(S, 3);
    EXPECT_EQ(S.Radius, 5);
}

TEST(Maps, PlaneFitsTheWorldRectangle) {
    SphereView S;
    PlaneView V;
    FitDomainView(V, S, false, DomainPanel, {-1, -1}, {1, 1}, false);
    EXPECT_EQ(V.PixPerUnit.X, 140);
    EXPECT_EQ(V.PixPerUnit.Y, 140);
    EXPECT_EQ(PlaneToPanel(V, {-1, 0, 0}).X, 0);
    EXPECT_EQ(PlaneToPanel(V, {1, 0, 0}).X, 280);
    EXPECT_EQ(PlaneToPanel(V, {0, 1, 0}).Y, 0);
    Point2 Centre = PlanePixelToPoint(V, 140, 140);
    EXPECT_EQ(Centre.X, 0);
    EXPECT_EQ(Centre.Y, 0);

    // Preserve Ratio shrinks the drawing rectangle along the short axis.
    FitDomainView(V, S, false, DomainPanel, {-2, -1}, {2, 1}, true);
    EXPECT_EQ(V.PixPerUnit.X, 70);
    EXPECT_EQ(V.PixPerUnit.Y, 70);
    EXPECT_EQ(V.ViewRect.Top, 70);  // Round(69.5), ties to even
    EXPECT_EQ(V.ViewRect.Bottom, 210);
    EXPECT_EQ(V.ViewRect.Left, 0);
    FitDomainView(V, S, false, DomainPanel, {-1, -2}, {1, 2}, true);
    EXPECT_EQ(V.ViewRect.Left, 70);
    EXPECT_EQ(V.ViewRect.Right, 210);
    // Rectangles too flat or too wide for doubles: the drawing rectangle stays in the panel.
    const std::pair<Point2, Point2> Extremes[] = {{{0, 0}, {1, 1e-320}},
                                                  {{-1e308, 0}, {1e308, 1}},
                                                  {{0, 0}, {1e-320, 1}}};
    for (const auto& [Min, Max] : Extremes) {
        FitDomainView(V, S, false, DomainPanel, Min, Max, true);
        EXPECT_GE(V.ViewRect.Top, 0);
        EXPECT_LE(V.ViewRect.Bottom, 280);
        EXPECT_GE(V.ViewRect.Left, 0);
        EXPECT_LE(V.ViewRect.Right, 280);
        EXPECT_LE(V.ViewRect.Top, V.ViewRect.Bottom);
        EXPECT_LE(V.ViewRect.Left, V.ViewRect.Right);
    }
}

TEST(Maps, SphereModeFitsTheOutlineAndKeepsTheImagePlane) {
    SphereView S;
    S.Radius = 2;
    PlaneView Image;
    FitImageView(Image, S, false, {0, 0, 460, 460}, {-1, -1}, {1, 1}, false);
    PixelRect Before = Image.ViewRect;
    FitImageView(Image, S, true, {10, 20, 210, 220}, {-5, -5}, {5, 5}, true);
    EXPECT_EQ(S.Scale, 0.45 * 200 / 2);
    EXPECT_EQ(S.CentrePixel.X, 110);
    EXPECT_EQ(S.CentrePixel.Y, 120);
    EXPECT_EQ(Image.ViewRect.Right, Before.Right);
    EXPECT_EQ(Image.PixPerUnit.X, 230);

    PlaneView Domain;
    FitDomainView(Domain, S, true, DomainPanel, {-2, -1}, {2, 1}, true);
    EXPECT_EQ(Domain.ViewRect.Top, 0);  // the whole rectangle, whatever the ratio
    EXPECT_EQ(Domain.ViewRect.Bottom, 280);
    EXPECT_EQ(Domain.PixPerUnit.X, 70);
}

TEST(Maps, PixelsRoundTripInBothModes) {
    std::mt19937_64 Random(42);
    std::uniform_real_distribution<double> Unit(-1, 1);
    std::uniform_int_distribution<int> Pixel(0, 279);
    for (int View = 0; View < 50; ++View) {
        // A random plane view.
        SphereView S;
        ResetSphere(S, 1);
        PlaneView V;
        Point2 Min{Unit(Random) * 10 - 11, Unit(Random) * 10 - 11};
        Point2 Max{Min.X + 0.5 + 20 * std::fabs(Unit(Random)), Min.Y + 0.5 + 20 * std::fabs(Unit(Random))};
        FitDomainView(V, S, false, DomainPanel, Min, Max, View % 2 == 0);
        for (int I = 0; I < 40; ++I) {
            int X = Pixel(Random), Y = Pixel(Random);
            Point2 P = PlanePixelToPoint(V, X, Y);
            Point2 Q = PlaneToPanel(V, {P.X, P.Y, 0});
            EXPECT_NEAR(Q.X, X, 1e-9);
            EXPECT_NEAR(Q.Y, Y, 1e-9);
        }
        // A random sphere: radius, centre and a few turns.
        S.Radius = 0.2 + 3 * std::fabs(Unit(Random));
        S.RadiusSqr = S.Radius * S.Radius;
        S.Centre = {Unit(Random), Unit(Random)};
        FitDomainView(V, S, true, DomainPanel, Min, Max, false);
        for (int Turn = 0; Turn < 3; ++Turn)
            RotateSphere(S, {Pixel(Random), Pixel(Random)}, {Pixel(Random), Pixel(Random)});
        for (int I = 0; I < 40; ++I) {
            int X = Pixel(Random), Y = Pixel(Random);
            for (bool Rear : {false, true}) {
                Point2 P = SpherePixelToPoint(S, X, Y, Rear);
                if (P.X == NoPoint) continue;
                bool Back = !Rear;
                Point2 Q = SphereToPanel(S, V.PanelCentre, InvStereo(S, P), Back);
                EXPECT_NEAR(Q.X, X, 1e-6);
                EXPECT_NEAR(Q.Y, Y, 1e-6);
                EXPECT_EQ(Back, Rear);
            }
        }
    }
}

}  // namespace
