// The singular points in the window's scene: the marks of the default map's cusp and
// crossing, the View menu's switch, the read-out that names a point under the mouse, and the
// marks following a change of view.
#include <gtest/gtest.h>

#include <cmath>

#include "SceneTestSupport.h"
#include "model/MapKinds.h"

namespace {

using namespace scene_test;

const SingularPoint* FindKind(const TorvaneScene& T, SingularPointKind Kind) {
    for (const SingularPoint& Q : T.S.SingPoints)
        if (Q.Kind == Kind) return &Q;
    return nullptr;
}

PixelPoint DomainPixel(const TorvaneScene& T, const SingularPoint& Q) {
    bool Rear = false;
    const Point2 C = T.S.Procedures.DomToPanel(T.S, Q.DomPos, Rear);
    return {static_cast<int>(std::lround(C.X)), static_cast<int>(std::lround(C.Y))};
}

int LocusPixelsAround(const QImage& I, PixelPoint C, int Reach) {
    int N = 0;
    for (int Y = C.Y - Reach; Y <= C.Y + Reach; ++Y)
        for (int X = C.X - Reach; X <= C.X + Reach; ++X)
            if (X >= 0 && Y >= 0 && X < I.width() && Y < I.height() &&
                PixelColour(I, X, Y) == LocusColour)
                ++N;
    return N;
}

TEST(SingularPoints, TheDefaultMapsCuspAndCrossingAreMarkedAndSwitchedFromTheViewMenu) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    EXPECT_TRUE(T.Checked(MenuItem::ShowCusps1));
    const SingularPoint* Cusp = FindKind(T, SingularPointKind::Cusp);
    const SingularPoint* Crossing = FindKind(T, SingularPointKind::LocusSingular);
    ASSERT_TRUE(Cusp && Crossing);
    EXPECT_EQ(T.S.SingPoints.size(), 2u);
    EXPECT_NEAR(Cusp->DomPt.X, -2.0 / 3, 1e-12);
    EXPECT_NEAR(Cusp->DomPt.Y, -2.0 / 3, 1e-12);
    // x = u^2 - v^3, y = v^2 - u^3 at (-2/3, -2/3): both 4/9 + 8/27 = 20/27.
    EXPECT_NEAR(Cusp->ImgPt.X, 20.0 / 27, 1e-12);
    EXPECT_NEAR(Cusp->ImgPt.Y, 20.0 / 27, 1e-12);
    const PixelPoint At = DomainPixel(T, *Cusp);
    const int Marked = LocusPixelsAround(T.DomainSurface, At, 5);
    const QImage Image = T.ImageSurface;

    T.OnShowCusps();
    EXPECT_FALSE(T.Checked(MenuItem::ShowCusps1));
    EXPECT_TRUE(T.S.SingPoints.empty());
    // The filled triangle is gone; the locus line through it stays.
    EXPECT_LT(LocusPixelsAround(T.DomainSurface, At, 5), Marked - 15);
    EXPECT_GT(LocusPixelsAround(T.DomainSurface, At, 5), 5);
    EXPECT_GT(Differences(Image, T.ImageSurface), 10);
    EXPECT_GT(T.S.SingLocus.LastIndex, 100);

    T.OnShowCusps();
    EXPECT_EQ(T.S.SingPoints.size(), 2u);
    EXPECT_EQ(Differences(Image, T.ImageSurface), 0);
}

TEST(SingularPoints, TheReadoutNamesThePointUnderTheMouse) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    const SingularPoint* Cusp = FindKind(T, SingularPointKind::Cusp);
    ASSERT_TRUE(Cusp);
    const PixelPoint At = DomainPixel(T, *Cusp);
    T.OnMouseMoveInDomain(Plain(), At.X + 2, At.Y - 1);
    EXPECT_EQ(T.StatusText.rfind("Cusp at u = -0.6667, v = -0.6667; its image x = 0.7407", 0), 0u)
        << T.StatusText;
    T.OnMouseMoveInDomain(Plain(), At.X + 30, At.Y);
    EXPECT_EQ(T.StatusText, "");
    const SingularPoint* Crossing = FindKind(T, SingularPointKind::LocusSingular);
    ASSERT_TRUE(Crossing);
    const PixelPoint Origin = DomainPixel(T, *Crossing);
    T.OnMouseMoveInDomain(Plain(), Origin.X, Origin.Y);
    EXPECT_EQ(T.StatusText.rfind("Singular point of the locus at u = ", 0), 0u) << T.StatusText;
    // A message of the program's own is not taken away by moving off a point it did not name.
    T.Inform("Something else");
    T.OnMouseMoveInDomain(Plain(), Origin.X + 40, Origin.Y + 40);
    EXPECT_EQ(T.StatusText, "Something else");
}

TEST(SingularPoints, MarksFollowTheDomainSphere) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    const Point2 Where = FindKind(T, SingularPointKind::Cusp)->DomPt;
    T.OnPreferences(TagStereographicDomain);
    const SingularPoint* Cusp = FindKind(T, SingularPointKind::Cusp);
    ASSERT_TRUE(Cusp);
    EXPECT_EQ(Cusp->DomPt.X, Where.X);
    const Point3 OnSphere = DomainPoint3(T.S, Where);
    EXPECT_EQ(Cusp->DomPos.Z, OnSphere.Z);
    EXPECT_GT(LocusPixelsAround(T.DomainSurface, DomainPixel(T, *Cusp), 4), 10);
}

}  // namespace
