// The bound map and view procedures: both map kinds, picking the domain point under a pixel
// (never evaluating outside the domain), and the derivatives of the image point.
#include <gtest/gtest.h>

#include "../curves/SceneFixture.h"

namespace {

TEST(SceneViews, BindsTheMapOfEitherKind) {
    SceneFixture Real("p u^2 - v^3", "q v^2 - u^3", 2, 3);
    Point2 Q;
    ASSERT_TRUE(Real.S.Procedures.MapPoint(Real.S, {0.5, -1}, Q));
    EXPECT_DOUBLE_EQ(Q.X, 2 * 0.25 + 1);
    EXPECT_DOUBLE_EQ(Q.Y, 3 - 0.125);
    SceneFixture Complex("z^2 + p", Point2{1, 2});
    ASSERT_TRUE(Complex.S.Procedures.MapPoint(Complex.S, {0, 1}, Q));
    EXPECT_DOUBLE_EQ(Q.X, 0);  // i^2 + 1 + 2i
    EXPECT_DOUBLE_EQ(Q.Y, 2);
    // A map kind that is neither leaves the map procedure as it was.
    auto Before = Complex.S.Procedures.MapPoint;
    Complex.S.MapType = 7;
    BindViewProcedures(Complex.S);
    EXPECT_EQ(Complex.S.Procedures.MapPoint, Before);
    // On the image sphere the image point is the point of the sphere.
    Real.S.StereoImage = true;
    BindViewProcedures(Real.S);
    Point3 G;
    ASSERT_TRUE(Real.S.Procedures.ImagePoint3(Real.S, {0, 0}, G));
    EXPECT_DOUBLE_EQ(G.Z, 1);  // the image of (0, 0) is the plane origin: the north pole
}

TEST(SceneViews, PicksOnlyPointsOfTheDomain) {
    SceneFixture F("u", "v");
    F.S.DomMin = {-2, -1};
    F.S.DomMax = {2, 1};
    F.S.PreserveRatio = true;
    F.Prepare();
    Point2 Dom, Img;
    int Hemisphere = 5;
    EXPECT_TRUE(PickDomainPoint(F.S, Dom, Img, 140, 140, Hemisphere));
    EXPECT_EQ(Hemisphere, 0);
    EXPECT_DOUBLE_EQ(Img.X, Dom.X);
    long long Evaluations = F.S.MapEvaluations;
    EXPECT_FALSE(PickDomainPoint(F.S, Dom, Img, 140, 10, Hemisphere));  // in the margin
    EXPECT_EQ(F.S.MapEvaluations, Evaluations);

    // On the sphere, hemisphere 2 falls back to the rear point when the front one is outside.
    F.S.DomMin = {2, -10};
    F.S.DomMax = {10, 10};
    F.S.PreserveRatio = false;
    F.S.StereoDomain = true;
    F.Prepare();
    Hemisphere = 2;
    EXPECT_TRUE(PickDomainPoint(F.S, Dom, Img, 200, 140, Hemisphere));
    EXPECT_EQ(Hemisphere, 1);
    EXPECT_GT(Dom.X, 2);
    Hemisphere = 0;
    EXPECT_FALSE(PickDomainPoint(F.S, Dom, Img, 200, 140, Hemisphere));
    Hemisphere = 2;
    EXPECT_FALSE(PickDomainPoint(F.S, Dom, Img, 140, 140, Hemisphere));  // south pole behind
}

TEST(SceneViews, ImagePointDerivativesAreCentralDifferences) {
    SceneFixture F("u^2", "u v");
    Point3 G, Gu, Gv;
    ASSERT_TRUE(ImagePoint3Derivs(F.S, {0.5, 2}, G, Gu, Gv));
    EXPECT_NEAR(Gu.X, 1, 1e-8);
    EXPECT_NEAR(Gu.Y, 2, 1e-8);
    EXPECT_NEAR(Gv.X, 0, 1e-8);
    EXPECT_NEAR(Gv.Y, 0.5, 1e-8);
    EXPECT_EQ(Gu.Z, 0);
}

}  // namespace
