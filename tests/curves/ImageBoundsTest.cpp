// The whole-range estimate with its degenerate cases, the clip fields, and the drags that
// move and zoom the domain and the image rectangle.
#include <gtest/gtest.h>

#include "curves/ImageBounds.h"
#include "SceneFixture.h"

namespace {

TEST(ImageBounds, EstimateWidensTheSampledBox) {
    SceneFixture F("u", "v");
    EstimateImgBoundsAndDivisor(F.S);
    EXPECT_NEAR(F.S.ImgMin.X, -1.1, 1e-15);
    EXPECT_NEAR(F.S.ImgMax.Y, 1.1, 1e-15);
    EXPECT_NEAR(F.S.ImgDivisor, 0.0055, 1e-17);
    EXPECT_NEAR(F.S.ImgDiag, std::hypot(2.2, 2.2), 1e-15);

    SceneFixture Huge("10000000 u", "v");
    EstimateImgBoundsAndDivisor(Huge.S);
    EXPECT_NEAR(Huge.S.ImgMax.X, 1.1e6, 1e-6);
    EXPECT_NEAR(Huge.S.ImgMin.X, -1.1e6, 1e-6);
}

TEST(ImageBounds, DegenerateEstimatesStillHaveAPositiveWidth) {
    SceneFixture Constant("5", "v");
    EstimateImgBoundsAndDivisor(Constant.S);
    EXPECT_NEAR(Constant.S.ImgMin.X, 5 - 1.1, 1e-12);
    EXPECT_NEAR(Constant.S.ImgMax.X, 5 + 1.1, 1e-12);
    EXPECT_GT(Constant.S.ImgDivisor, 0);

    // exp(u)^1000 overflows everywhere: no sample can be used.
    SceneFixture Nothing("exp(u+60)^1000", "v");
    EstimateImgBoundsAndDivisor(Nothing.S);
    EXPECT_NEAR(Nothing.S.ImgMin.X, -1.1, 1e-15);
    EXPECT_NEAR(Nothing.S.ImgMax.Y, 1.1, 1e-15);
    EXPECT_GT(Nothing.S.ImgDiag, 0);
}

TEST(ImageBounds, ClipFieldsMustFormARectangle) {
    SceneState S;
    EXPECT_TRUE(VerifyImageBoundsEntries(S, "-1", "1", "-2", "2pi"));
    EXPECT_EQ(S.ImgMin.Y, -2);
    EXPECT_NEAR(S.ImgMax.Y, 2 * M_PI, 1e-15);
    EXPECT_FALSE(VerifyImageBoundsEntries(S, "-1", "1", "-2", ""));
    EXPECT_FALSE(VerifyImageBoundsEntries(S, "1", "1", "-2", "2"));
    EXPECT_FALSE(VerifyImageBoundsEntries(S, "-1", "1", "x", "2"));
    EXPECT_FALSE(VerifyImageBoundsEntries(S, "-1", "1", "3", "2"));
}

TEST(ImageBounds, DragsMoveAndZoomTheRectangles) {
    SceneFixture F("u", "v");
    // Ctrl: one pixel right moves the domain one pixel left.
    EXPECT_FALSE(ChangeDomain(F.S, {100, 100}, true));  // entering the mode makes no jump
    EXPECT_TRUE(ChangeDomain(F.S, {101, 100}, true));
    EXPECT_NEAR(F.S.DomMin.X, -1 - 1.0 / 140, 1e-15);
    EXPECT_NEAR(F.S.DomMax.X, 1 - 1.0 / 140, 1e-15);
    EXPECT_TRUE(F.S.Modified);
    // Shift: ten pixels right narrows the u half width by (280 - 30)/280.
    double Half = F.S.DomHalf[0];
    EXPECT_FALSE(ChangeDomain(F.S, {101, 100}, false));
    EXPECT_TRUE(ChangeDomain(F.S, {111, 100}, false));
    EXPECT_NEAR(F.S.DomHalf[0], Half * 250 / 280, 1e-15);
    EXPECT_EQ(BoundText(F.S.DomMax.X), FloatToShortText(5, F.S.DomMax.X));
    EXPECT_EQ(BoundText(-0.25), "-0.250");

    // An image drag makes the image a clip rectangle; on the sphere it does nothing.
    FitImageView(F.S.ImgView, F.S.ImgSphere, false, F.S.ImgRect, F.S.ImgMin, F.S.ImgMax, false);
    EXPECT_FALSE(ChangeImageBounds(F.S, {0, 0}, true));
    EXPECT_TRUE(ChangeImageBounds(F.S, {0, 10}, true));
    EXPECT_FALSE(F.S.WholeImage);
    F.S.StereoImage = true;
    EXPECT_FALSE(ChangeImageBounds(F.S, {0, 50}, true));
    F.S.SceneReady = false;
    EXPECT_FALSE(ChangeDomain(F.S, {300, 300}, true));
}

}  // namespace
