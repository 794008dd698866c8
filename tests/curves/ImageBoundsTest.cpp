// The whole-range estimate with its degenerate cases, the clip fields and the bound texts.
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

}  // namespace
