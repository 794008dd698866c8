// Cusps and singular points of the locus on maps where they are known exactly: Whitney's
// cusp, a fold without cusps, the default map (whose cusp and crossing follow by hand from
// J = uv (4pq - 9uv)), and the views following the points.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "SceneFixture.h"
#include "curves/LocusPoints.h"
#include "curves/SingularLocus.h"

namespace {

struct Found {
    std::unique_ptr<SceneFixture> F;
    std::vector<Point2> Cusps, Singular;
};

Found Points(const std::string& X, const std::string& Y, double P = 0, double Q = 0) {
    Found R{std::make_unique<SceneFixture>(X, Y, P, Q), {}, {}};
    static TImplicitCurveLine Tracer;
    R.F->S.ImgDiag = 10;
    ComputeSingularLocus(R.F->S, Tracer);
    std::vector<SingularPoint> All;
    EXPECT_TRUE(FindLocusPoints(R.F->S, All));
    for (const SingularPoint& Q : All) {
        (Q.Kind == SingularPointKind::Cusp ? R.Cusps : R.Singular).push_back(Q.DomPt);
        Point2 Image;
        EXPECT_TRUE(R.F->S.Procedures.MapPoint(R.F->S, Q.DomPt, Image));
        EXPECT_EQ(Q.ImgPt.X, Image.X);
        EXPECT_EQ(Q.ImgPt.Y, Image.Y);
    }
    return R;
}

void ExpectPoints(const std::vector<Point2>& Got, const std::vector<Point2>& Want, double Tol,
                  const char* What) {
    ASSERT_EQ(Got.size(), Want.size()) << What;
    for (Point2 W : Want) {
        double Best = 1e300;
        for (Point2 G : Got) Best = std::min(Best, std::hypot(G.X - W.X, G.Y - W.Y));
        EXPECT_LT(Best, Tol) << What << ": no point near (" << W.X << ", " << W.Y << ")";
    }
}

TEST(LocusPoints, WhitneysCuspIsFoundToFullPrecisionAndAFoldHasNone) {
    Found Cusp = Points("u^3 + u v", "v");
    ExpectPoints(Cusp.Cusps, {{0, 0}}, 1e-9, "x = u^3 + uv, y = v");
    EXPECT_TRUE(Cusp.Singular.empty());

    // The cusp off centre and in a domain that is not square, found the same way.
    Found Moved = Points("(u-0.3)^3 + (u-0.3)(v+0.2)", "v+0.2");
    ExpectPoints(Moved.Cusps, {{0.3, -0.2}}, 1e-9, "shifted cusp");

    Found Fold = Points("u", "v^2");
    EXPECT_GT(Fold.F->S.SingLocus.LastIndex, 10);
    EXPECT_TRUE(Fold.Cusps.empty());
    EXPECT_TRUE(Fold.Singular.empty());
}

// On the hyperbola uv = c = 4pq/9 the gradient of J is -4pq (v, u) and the kernel of Df is
// along (3v^2, 2pu): they are orthogonal where 2p u^2 = -3 v^3, so v^5 = -2 p c^2 / 3. The
// axes cross at the origin, where grad J = 0.
TEST(LocusPoints, DefaultMapHasItsCuspOnTheHyperbolaAndItsCrossingAtTheOrigin) {
    for (auto [P, Q] : {std::pair{1.0, 1.0}, std::pair{0.7, 1.3}, std::pair{-0.8, 0.9}}) {
        Found R = Points("p u^2 - v^3", "q v^2 - u^3", P, Q);
        const double C = 4 * P * Q / 9;
        const double Fifth = -2 * P * C * C / 3;
        const double V = std::copysign(std::pow(std::fabs(Fifth), 0.2), Fifth);
        std::vector<Point2> Want;
        const double U = C / V;
        if (std::fabs(U) <= 1 && std::fabs(V) <= 1) Want.push_back({U, V});
        ExpectPoints(R.Cusps, Want, 1e-9, "default map");
        ExpectPoints(R.Singular, {{0, 0}}, 1e-9, "default map's crossing");
    }
    // At p = q = 1 the cusp is exactly (-2/3, -2/3).
    Found One = Points("p u^2 - v^3", "q v^2 - u^3", 1, 1);
    ASSERT_EQ(One.Cusps.size(), 1u);
    EXPECT_NEAR(One.Cusps[0].X, -2.0 / 3, 1e-12);
    EXPECT_NEAR(One.Cusps[0].Y, -2.0 / 3, 1e-12);
}

// The lips: two cusps on a closed fold; and a cusp just outside the domain, not reported.
TEST(LocusPoints, EveryCuspInsideAndNoneOutside) {
    // J = 3u^2 + v^2 - 0.25, an ellipse; on it Df kills (1, 0), which is tangent to the
    // ellipse where J_u = 6u = 0.
    Found Lips = Points("u^3 + u (v^2 - 0.25)", "v");
    ExpectPoints(Lips.Cusps, {{0, 0.5}, {0, -0.5}}, 1e-9, "lips");
    EXPECT_TRUE(Lips.Singular.empty());

    Found Outside = Points("(u-1.2)^3 + (u-1.2) v", "v");
    EXPECT_TRUE(Outside.Cusps.empty());
}

TEST(LocusPoints, PanelPositionsFollowTheViews) {
    Found R = Points("u^3 + u v", "v");
    SceneState& S = R.F->S;
    std::vector<SingularPoint> All;
    ASSERT_TRUE(FindLocusPoints(S, All));
    S.SingPoints = All;
    S.StereoDomain = true;
    S.StereoImage = true;
    UpdateSingularPoints(S, 1);
    UpdateSingularPoints(S, 2);
    ASSERT_EQ(S.SingPoints.size(), 1u);
    const SingularPoint& Q = S.SingPoints[0];
    const Point3 D = DomainPoint3(S, Q.DomPt);
    EXPECT_EQ(Q.DomPos.Z, D.Z);
    Point3 I;
    ASSERT_TRUE(S.Procedures.ImagePoint3(S, Q.DomPt, I));
    EXPECT_EQ(Q.ImgPos.Z, I.Z);
}

}  // namespace
