// Panel projections: fitted to any rectangle on copies of the scene's views, so that drawing
// for a page or a file leaves the screen views alone and places every point where the same
// drawing on the screen would, scaled.
#include <gtest/gtest.h>

#include "../curves/SceneFixture.h"
#include "view/PanelProjection.h"

namespace {

void FitScreenViews(SceneState& S) {
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                 S.PreserveRatio);
}

TEST(PanelProjection, OtherRectanglesScaleThePictureAndLeaveTheScreenViews) {
    for (bool Sphere : {false, true}) {
        for (bool Ratio : {false, true}) {
            SceneFixture F("u", "v");
            F.S.DomMax = {3, 1};  // a wide domain: a preserved ratio leaves margins
            SetBasicData(F.S);
            F.S.StereoDomain = F.S.StereoImage = Sphere;
            F.S.PreserveRatio = Ratio;
            BindViewProcedures(F.S);
            FitScreenViews(F.S);
            const SceneState Before = F.S;
            const PanelProjection Screen = DomainProjection(F.S, F.S.DomRect);
            const PanelProjection Page = DomainProjection(F.S, {1000, 2000, 1000 + 2800, 2000 + 2800});
            const PanelProjection Image = ImageProjection(F.S, {0, 0, 4600, 4600});
            // Nothing of the scene's own views moved.
            EXPECT_EQ(F.S.DomView.ViewRect.Right, Before.DomView.ViewRect.Right);
            EXPECT_EQ(F.S.DomView.PixPerUnit.X, Before.DomView.PixPerUnit.X);
            EXPECT_EQ(F.S.DomSphere.Scale, Before.DomSphere.Scale);
            EXPECT_EQ(F.S.ImgSphere.CentrePixel.X, Before.ImgSphere.CentrePixel.X);
            EXPECT_EQ(F.S.ImgView.PixPerUnit.Y, Before.ImgView.PixPerUnit.Y);
            // The screen's projection is the screen view.
            for (const Point2 W : {Point2{-0.5, 0.25}, Point2{2.5, -0.75}, Point2{0, 0}}) {
                const Point3 P = Sphere ? InvStereo(F.S.DomSphere, W) : Point3{W.X, W.Y, 0};
                bool RearA = false, RearB = false;
                Point2 A = Screen.ToPanel(P, RearA);
                Point2 B = F.S.Procedures.DomToPanel(F.S, P, RearB);
                EXPECT_EQ(A.X, B.X);
                EXPECT_EQ(A.Y, B.Y);
                EXPECT_EQ(RearA, RearB);
                // Ten times the rectangle: ten times as far from its corner (to rounding of
                // the margins of a preserved ratio, and the 279 / 280 of a plane fit).
                Point2 C = Page.ToPanel(P, RearB);
                EXPECT_NEAR((C.X - 1000) / 10, A.X, 1.0) << Sphere << Ratio;
                EXPECT_NEAR((C.Y - 2000) / 10, A.Y, 1.0) << Sphere << Ratio;
            }
            // Pens follow the target for the domain and the locus, the screen panel for
            // the image grid.
            EXPECT_EQ(Screen.GridWidth, 1);
            EXPECT_EQ(Page.GridWidth, 2800 / 500 + 1);
            EXPECT_EQ(Image.GridWidth, 1);
            EXPECT_EQ(Image.LocusWidth, 4600 / 500 + 2);
            // On a sphere the drawing fills the rectangle; in the plane the fitted view.
            EXPECT_EQ(Image.DrawingRect().Right, Sphere ? 4600 : Image.View.ViewRect.Right);
            if (!Sphere && Ratio) {
                EXPECT_GT(Page.DrawingRect().Top, 2000);
            }
        }
    }
}

}  // namespace
