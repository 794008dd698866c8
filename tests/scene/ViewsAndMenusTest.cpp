// Views and menus through the scene: the three radio groups, the sphere views with their
// outlines, rear colours, turning and resetting, and the singular locus switch.
#include <gtest/gtest.h>

#include <vector>

#include "SceneTestSupport.h"

namespace {

using namespace scene_test;


std::vector<double> ImageCoordinates(const TorvaneScene& T) {
    std::vector<double> All;
    for (const Curve3* Family : {T.S.ImgHLines, T.S.ImgVLines})
        for (int I = 0; I <= 20; ++I)
            for (int32_t J = 0; J <= Family[I].LastIndex; ++J) {
                const Point3& P = Family[I].Points[static_cast<size_t>(J)].P;
                All.insert(All.end(), {P.X, P.Y, P.Z});
            }
    return All;
}

TEST(ViewsAndMenus, RadioGroupsExcludeWithinTheirGroupOnly) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnPreferences(TagStereographicImage);
    T.OnPreferences(TagPlaneDomain);
    EXPECT_TRUE(T.Checked(MenuItem::Stereographicimage1));
    EXPECT_FALSE(T.Checked(MenuItem::Planeimage1));
    EXPECT_TRUE(T.Checked(MenuItem::Planedomain1));
    EXPECT_TRUE(T.Checked(MenuItem::AdjusttoPanel1));
    EXPECT_TRUE(T.S.StereoImage);
    EXPECT_FALSE(T.S.StereoDomain);
    EXPECT_TRUE(T.S.Modified);
}

TEST(ViewsAndMenus, PreserveRatioChosenTwiceChangesThePictureOnce) {
    TorvaneScene T;
    T.Text(EditField::uMinEdit) = "-2";
    T.Text(EditField::uMaxEdit) = "2";
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    QImage Before = T.DomainSurface;
    T.OnPreferences(TagPreserveRatio);
    EXPECT_TRUE(T.S.PreserveRatio);
    EXPECT_TRUE(T.S.Modified);
    QImage Once = T.DomainSurface;
    EXPECT_GT(Differences(Once, Before), 1000);
    // The 4 x 2 domain in a square panel leaves margins of the form colour above and below.
    EXPECT_EQ(PixelColour(Once, 140, 10), FormColour);
    EXPECT_EQ(PixelColour(Once, 140, 270), FormColour);
    T.S.Modified = false;
    T.OnPreferences(TagPreserveRatio);
    EXPECT_FALSE(T.S.Modified);
    EXPECT_EQ(Differences(T.DomainSurface, Once), 0);
    T.OnPreferences(TagAdjustToPanels);
    EXPECT_FALSE(T.S.PreserveRatio);
    EXPECT_EQ(CountColour(T.DomainSurface, FormColour), 0);
}

TEST(ViewsAndMenus, TheImageSphereTurnsKeepingItsCurvesAndResets) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnPreferences(TagStereographicImage);
    ASSERT_TRUE(T.S.StereoImage);
    Dump(T, "image-sphere");
    // The outline: radius 207 about (230, 230); rear parts of lines in grey.
    EXPECT_EQ(PixelColour(T.ImgBitmap, 437, 230), OutlineColour);
    EXPECT_EQ(PixelColour(T.ImgBitmap, 23, 230), OutlineColour);
    EXPECT_GT(CountColour(T.ImgBitmap, RearLineColour), 100);

    // A domain point whose image lies outside the unit disc shows the cross in the rear colour.
    T.OnMouseMoveInDomain(Plain(), 14, 266);  // (-0.9, -0.9) -> (1.539, 1.539)
    ASSERT_TRUE(T.CrossShown);
    EXPECT_TRUE(T.CrossAtBack);
    EXPECT_EQ(CountColour(T.ImageSurface, CrossColour), CountColour(T.ImgBitmap, CrossColour));

    // Right-button drag: a pure turn keeps the image points and only re-projects.
    std::vector<double> Points = ImageCoordinates(T);
    QImage Before = T.ImageSurface;
    T.OnMouseDownInImage(MouseButton::Right, RightHeld(), 230, 230);
    EXPECT_TRUE(T.ImgSphereDragging);
    T.OnMouseMoveInImage(RightHeld(), 260, 250);
    EXPECT_EQ(ImageCoordinates(T), Points);
    EXPECT_GT(Differences(T.ImageSurface, Before), 500);
    EXPECT_FALSE(T.CrossShown);  // the redrawn panel has no cross
    EXPECT_NE(T.S.ImgSphere.Rotation[2][2], -1);
    // With Shift the radius changes and the image is computed again.
    ShiftState ShiftRight = RightHeld();
    ShiftRight.Shift = true;
    T.OnMouseMoveInImage(ShiftRight, 260, 290);
    EXPECT_GT(T.S.ImgSphere.Radius, 1);
    EXPECT_NE(ImageCoordinates(T), Points);
    T.OnMouseUpInImage(MouseButton::Right, Plain(), 260, 290);
    EXPECT_FALSE(T.ImgSphereDragging);
    // A left-button move over the sphere draws the cross, it does not turn.
    double Turned = T.S.ImgSphere.Rotation[0][0];
    T.OnMouseMoveInImage(LeftHeld(), 300, 300);
    EXPECT_EQ(T.S.ImgSphere.Rotation[0][0], Turned);

    // Ctrl+R: the initial sphere again.
    T.S.Modified = false;
    T.OnResetSphere(TagResetImageSphere);
    EXPECT_EQ(T.S.ImgSphere.Radius, 1);
    EXPECT_EQ(T.S.ImgSphere.Scale, 207);
    EXPECT_EQ(T.S.ImgSphere.CentrePixel.X, 230);
    EXPECT_EQ(T.S.ImgSphere.Rotation[2][2], -1);
    EXPECT_EQ(PixelColour(T.ImgBitmap, 437, 230), OutlineColour);
    EXPECT_EQ(ImageCoordinates(T), Points);
    EXPECT_FALSE(T.S.Modified);
}

TEST(ViewsAndMenus, TheDomainSphereShowsItsRearAndTurns) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    int Nodes = T.S.SingLocus.LastIndex;
    T.OnPreferences(TagStereographicDomain);
    ASSERT_TRUE(T.S.StereoDomain);
    Dump(T, "domain-sphere");
    EXPECT_GT(CountColour(T.DomBitmap, OutlineColour), 300);  // a circle of radius 126
    EXPECT_GT(CountColour(T.DomBitmap, RearLineColour), 50);  // the corners lie beyond |z| = 1
    EXPECT_EQ(T.S.SingLocus.LastIndex, Nodes);  // re-projected, not traced again
    EXPECT_GT(CountColour(T.DomBitmap, LocusColour) + CountColour(T.DomBitmap, RearLocusColour), 100);
    QImage Before = T.DomainSurface;
    T.OnMouseDownInDomain(MouseButton::Right, RightHeld(), 140, 140);
    T.OnMouseMoveInDomain(RightHeld(), 170, 120);
    EXPECT_GT(Differences(T.DomainSurface, Before), 500);
    T.OnMouseUpInDomain(MouseButton::Right, Plain(), 170, 120);
    EXPECT_FALSE(T.DomSphereDragging);
    T.OnResetSphere(TagResetDomainSphere);
    EXPECT_EQ(T.S.DomSphere.Scale, 126);
    EXPECT_EQ(Differences(T.DomainSurface, Before), 0);
    // Back to the plane: no outline, no rear colour.
    T.OnPreferences(TagPlaneDomain);
    EXPECT_EQ(CountColour(T.DomBitmap, OutlineColour), 0);
    EXPECT_EQ(CountColour(T.DomBitmap, RearLineColour), 0);
}

TEST(ViewsAndMenus, SingularLocusSwitch) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnGeometryMenu();
    EXPECT_FALSE(T.S.ShowSingLocus);
    EXPECT_FALSE(T.Checked(MenuItem::Singularlocus1));
    EXPECT_TRUE(T.S.Modified);
    EXPECT_EQ(T.S.SingLocus.LastIndex, -1);
    EXPECT_EQ(CountColour(T.DomBitmap, LocusColour), 0);
    EXPECT_EQ(CountColour(T.ImgBitmap, LocusColour), 0);
    T.OnGeometryMenu();
    EXPECT_GT(T.S.SingLocus.LastIndex, 100);
    EXPECT_GT(CountColour(T.DomainSurface, LocusColour), 100);
    EXPECT_GT(CountColour(T.ImageSurface, LocusColour), 100);
}

TEST(ViewsAndMenus, BeforeTheFirstDrawOnlyFlagsChange) {
    TorvaneScene T;
    QImage Domain = T.DomainSurface;
    T.OnPreferences(TagPreserveRatio);
    EXPECT_TRUE(T.Checked(MenuItem::PreserveRatio1));
    EXPECT_FALSE(T.S.PreserveRatio);  // the ratio rule keeps its value until a drawing
    T.OnPreferences(TagStereographicImage);
    EXPECT_TRUE(T.S.StereoImage);
    T.OnGeometryMenu();
    EXPECT_FALSE(T.S.ShowSingLocus);
    T.OnResetSphere(TagResetImageSphere);
    T.OnMouseMoveInDomain(Plain(), 100, 100);
    EXPECT_EQ(Differences(T.DomainSurface, Domain), 0);
    // The next Draw It uses them.
    T.ReadAndDraw(true);
    ASSERT_TRUE(T.S.SceneReady);
    EXPECT_EQ(T.S.SingLocus.LastIndex, -1);
    EXPECT_EQ(PixelColour(T.ImgBitmap, 437, 230), OutlineColour);
}

}  // namespace
