// Phase portraits from compiled formulas: each pixel has the colour of the map's value at the
// point its centre shows, on every core alike; zeros and poles show as points where the
// colours go round; the sphere, blocks of pixels, overflow and stop requests.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>

#include "../view/HueOfColour.h"
#include "SceneFixture.h"
#include "curves/PhasePortrait.h"

namespace {

// The raster pixel whose centre shows world point Z in the plane view of Project.
uint32_t ColourAt(const PanelProjection& Project, const PortraitRaster& R, Point2 Z) {
    const Point2 P = PlaneToPanel(Project.View, {Z.X, Z.Y, 0});
    const int I = RoundPixel(P.X) - R.Rect.Left, J = RoundPixel(P.Y) - R.Rect.Top;
    EXPECT_TRUE(I >= 0 && J >= 0 && I < R.Width && J < R.Height) << Z.X << " " << Z.Y;
    return R.At(I, J);
}

// How many times the colours go round on a circle of Radius world units about Centre, counter-
// clockwise in the world (the panel's y axis points down).
int Winding(const PanelProjection& Project, const PortraitRaster& R, Point2 Centre, double Radius) {
    const int Steps = 360;
    double Total = 0, Last = HueDegrees(ColourAt(Project, R, {Centre.X + Radius, Centre.Y}));
    for (int K = 1; K <= Steps; ++K) {
        const double T = 2 * std::numbers::pi * K / Steps;
        const double Hue = HueDegrees(
            ColourAt(Project, R, {Centre.X + Radius * std::cos(T), Centre.Y + Radius * std::sin(T)}));
        Total += HueStep(Last, Hue);
        Last = Hue;
    }
    return static_cast<int>(std::lround(Total / 360));
}

// A complex map on [-1, 1]^2 in a panel of 460 x 460 pixels.
struct ComplexMap : SceneFixture {
    explicit ComplexMap(const char* W, Point2 P = {0, 0}) : SceneFixture(W, P) {
        S.DomRect = {0, 0, 460, 460};
        SetBasicData(S);
    }
};

}  // namespace

TEST(PhasePortrait, EveryPixelHasTheColourOfTheMapAtItsCentre) {
    // The default complex map and a real map, each pixel against the map evaluated here.
    SceneFixture Complex("z(1-p) + p cos(z)", Point2{0.5, 0.5});
    Complex.S.DomMin = {-2, -1};
    Complex.S.DomMax = {2.5, 1.5};
    SceneFixture Real("u^3 - 3 u v^2 + p", "3 u^2 v - v^3", 0.25, 0);
    Real.S.DomMin = {-1, -0.5};
    Real.S.DomMax = {1, 0.7};
    for (SceneFixture* F : {&Complex, &Real}) {
        SceneState& S = F->S;
        S.PreserveRatio = true;
        S.DomRect = {0, 0, 300, 300};
        SetBasicData(S);
        for (Colouring C : {Colouring::Phase, Colouring::Modulus, Colouring::Enhanced}) {
            const PanelProjection Project = DomainProjection(S, S.DomRect);
            PortraitRaster R;
            ASSERT_TRUE(ColourDomainPortrait(S, Project, C, 1, R));
            const PixelRect V = Project.View.ViewRect;
            ASSERT_EQ(R.Width, V.Right - V.Left);
            ASSERT_EQ(R.Height, V.Bottom - V.Top);
            // The plane view shows the domain from edge to edge: every pixel is coloured.
            for (int J = 0; J < R.Height; ++J)
                for (int I = 0; I < R.Width; ++I) {
                    const Point2 Z = PlanePixelToPoint(Project.View, V.Left + I, V.Top + J);
                    Point2 Q;
                    const uint32_t Expected = S.Procedures.MapPoint(S, Z, Q)
                                                  ? PhaseColour({Q.X, Q.Y}, C)
                                                  : UndefinedColour;
                    ASSERT_EQ(R.At(I, J), Expected) << I << " " << J;
                }
        }
    }
    // None colours nothing.
    PortraitRaster R;
    EXPECT_FALSE(ColourDomainPortrait(Complex.S, DomainProjection(Complex.S, Complex.S.DomRect),
                                      Colouring::None, 1, R));
    EXPECT_TRUE(R.Empty());
}

TEST(PhasePortrait, ZerosAndPolesShowWhereTheColoursGoRound) {
    {
        // w = z: 0.5 red, -0.5 cyan, -0.5i violet-blue; the image panel coloured by the
        // identity over the same rectangle is the same picture.
        ComplexMap F("z");
        const PanelProjection Project = DomainProjection(F.S, F.S.DomRect);
        PortraitRaster R, Image;
        ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Phase, 1, R));
        EXPECT_LT(AngleBetween(HueDegrees(ColourAt(Project, R, {0.5, 0})), 0), 10);
        EXPECT_LT(AngleBetween(HueDegrees(ColourAt(Project, R, {-0.5, 0})), 180), 10);
        EXPECT_LT(AngleBetween(HueDegrees(ColourAt(Project, R, {0, -0.5})), 270), 10);
        EXPECT_EQ(Winding(Project, R, {0, 0}, 0.5), 1);
        ASSERT_TRUE(ColourImagePortrait(Project, Colouring::Phase, 1, Image));
        EXPECT_EQ(Image.Pixels, R.Pixels);
    }
    {
        ComplexMap F("z^2");
        const PanelProjection Project = DomainProjection(F.S, F.S.DomRect);
        PortraitRaster R;
        ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Enhanced, 1, R));
        EXPECT_EQ(Winding(Project, R, {0, 0}, 0.7), 2);
        EXPECT_EQ(Winding(Project, R, {0.5, 0.5}, 0.2), 0);
    }
    {
        // A pole of order one: once round, clockwise; the pole itself is white (256 pixels
        // for the domain's width put a pixel's centre exactly at 0).
        ComplexMap F("1/z");
        F.S.DomRect = {0, 0, 256, 256};
        SetBasicData(F.S);
        const PanelProjection Project = DomainProjection(F.S, F.S.DomRect);
        PortraitRaster R;
        ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Modulus, 1, R));
        const Point2 Pole{0, 0};
        EXPECT_EQ(Winding(Project, R, Pole, 0.6), -1);
        EXPECT_EQ(ColourAt(Project, R, Pole), PoleColour);
    }
    {
        // The zero at 0.5 and the pole at -0.5 of a Moebius map, and one of each within a
        // circle about both.
        ComplexMap F("(z - 0.5)/(z + 0.5)");
        const PanelProjection Project = DomainProjection(F.S, F.S.DomRect);
        PortraitRaster R;
        ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Phase, 1, R));
        EXPECT_EQ(Winding(Project, R, {0.5, 0}, 0.3), 1);
        EXPECT_EQ(Winding(Project, R, {-0.5, 0}, 0.3), -1);
        EXPECT_EQ(Winding(Project, R, {0, 0}, 0.9), 0);
        EXPECT_EQ(Winding(Project, R, {0, 0.6}, 0.3), 0);
    }
}

TEST(PhasePortrait, OverflowIsGreyAndAStopLeavesNothing) {
    // Overflowing everywhere: the compiler holds exp(1000 + z) at 1e30, its 11th power is
    // beyond any double.
    ComplexMap F("exp(1000 + z)^11");
    const PanelProjection Project = DomainProjection(F.S, F.S.DomRect);
    PortraitRaster R;
    ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Enhanced, 1, R));
    ASSERT_FALSE(R.Empty());
    for (uint32_t C : R.Pixels) ASSERT_EQ(C, UndefinedColour);

    std::atomic<bool> Stop{true};
    ComplexMap G("z");
    EXPECT_FALSE(ColourDomainPortrait(G.S, Project, Colouring::Phase, 1, R, &Stop));
    EXPECT_TRUE(R.Empty());
    EXPECT_FALSE(ColourImagePortrait(Project, Colouring::Phase, 1, R, &Stop));
    EXPECT_TRUE(R.Empty());
}

TEST(PhasePortrait, BlocksAndTheSphere) {
    ComplexMap F("z^3 - p", {0.3, 0.1});
    // A block has the colour of its centre pixel: every third pixel of the full picture.
    const PanelProjection Project = DomainProjection(F.S, F.S.DomRect);
    PortraitRaster Full, Blocks;
    ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Enhanced, 1, Full));
    ASSERT_TRUE(ColourDomainPortrait(F.S, Project, Colouring::Enhanced, 3, Blocks));
    ASSERT_EQ(Blocks.Step, 3);
    ASSERT_EQ(Blocks.Width, (Full.Width + 2) / 3);
    for (int J = 0; J + 1 < Blocks.Height; ++J)
        for (int I = 0; I + 1 < Blocks.Width; ++I)
            ASSERT_EQ(Blocks.At(I, J), Full.At(3 * I + 1, 3 * J + 1)) << I << " " << J;
    // A page-sized rectangle is coloured in blocks of the raster's largest side.
    const PanelProjection Page = DomainProjection(F.S, {0, 0, 5000, 5000});
    ASSERT_TRUE(ColourImagePortrait(Page, Colouring::Phase, 1, Blocks));
    EXPECT_EQ(Blocks.Step, 3);
    EXPECT_LE(Blocks.Width, MaxPortraitRaster);

    // The image on the sphere: nothing off its disc, the point at infinity a pole, and the
    // colours of the points the front shows.
    F.S.StereoImage = true;
    F.S.ImgRect = {0, 0, 300, 300};
    BindViewProcedures(F.S);
    PanelProjection Sphere = ImageProjection(F.S, F.S.ImgRect);
    const SphereView& V = Sphere.SphereV;
    PortraitRaster R;
    ASSERT_TRUE(ColourImagePortrait(Sphere, Colouring::Phase, 1, R));
    ASSERT_EQ(R.Width, 300);
    EXPECT_EQ(R.At(0, 0), 0u);
    EXPECT_EQ(R.At(V.CentrePixel.X, V.CentrePixel.Y), PhaseColour({V.Centre.X, V.Centre.Y},
                                                                   Colouring::Phase));
    int Shown = 0;
    for (int J = 0; J < R.Height; J += 7)
        for (int I = 0; I < R.Width; I += 7) {
            const Point2 Q = SpherePixelToPoint(V, I, J, false);
            if (Q.X == NoPoint) continue;
            ++Shown;
            ASSERT_EQ(R.At(I, J), PhaseColour({Q.X, Q.Y}, Colouring::Phase)) << I << " " << J;
        }
    EXPECT_GT(Shown, 100);
    // Turned so that the pole at infinity faces the viewer: it is white, and the colours
    // about it go round once, as about the pole of 1/z.
    const double Facing[3][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    std::memcpy(Sphere.SphereV.Rotation, Facing, sizeof Facing);
    Point2 P;
    EXPECT_EQ(PortraitPoint(Sphere, V.CentrePixel.X, V.CentrePixel.Y, P), 2);
    ASSERT_TRUE(ColourImagePortrait(Sphere, Colouring::Phase, 1, R));
    EXPECT_EQ(R.At(V.CentrePixel.X, V.CentrePixel.Y), PoleColour);
    EXPECT_NE(R.At(V.CentrePixel.X + 20, V.CentrePixel.Y), PoleColour);
}
