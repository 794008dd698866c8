// The drags that move and zoom the domain and the image rectangle, and the pixels of the
// Parameters pad against the parameter values they stand for.
#include <gtest/gtest.h>

#include "../curves/SceneFixture.h"
#include "curves/ImageBounds.h"
#include "view/ViewDrags.h"

namespace {

TEST(ViewDrags, DragsMoveAndZoomTheRectangles) {
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

TEST(ViewDrags, PadPixelsAndParametersCorrespond) {
    SceneState S;
    S.ParamMin = {-2, -1};
    S.ParamMax = {2, 3};
    S.ParamWidth[0] = 4;
    S.ParamWidth[1] = 4;
    SetParameterScale(S);
    // The corners of the pad are the corners of the parameter rectangle, q upwards.
    Point2 TopLeft = ParametersAtPixel(S, {0, 0}), BottomRight = ParametersAtPixel(S, {199, 199});
    EXPECT_DOUBLE_EQ(TopLeft.X, -2);
    EXPECT_DOUBLE_EQ(TopLeft.Y, 3);
    EXPECT_DOUBLE_EQ(BottomRight.X, 2);
    EXPECT_NEAR(BottomRight.Y, -1, 1e-15);
    // Every pixel's values lead back to that pixel.
    for (int X = 0; X < 200; X += 13)
        for (int Y = 0; Y < 200; Y += 17) {
            S.ParamValue = ParametersAtPixel(S, {X, Y});
            PixelPoint Back = SpotOfParameters(S);
            EXPECT_EQ(Back.X, X);
            EXPECT_EQ(Back.Y, Y);
        }
    // An axis of zero width keeps the spot in the middle.
    S.ParamWidth[0] = 0;
    SetParameterScale(S);
    EXPECT_EQ(SpotOfParameters(S).X, 100);
}

}  // namespace
