// The singular locus on maps whose locus is known exactly: the default map at several
// parameters, a fold, a cusp, closed ovals; a complex map; and completeness against the sign
// changes of J on a fine grid.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "SceneFixture.h"
#include "curves/SingularLocus.h"

namespace {

struct Segment {
    Point2 A, B;
};

std::vector<Segment> Polyline(const SceneState& S) {
    std::vector<Segment> Segments;
    for (int I = 1; I <= S.SingLocus.LastIndex; ++I) {
        const LocusNode& N = S.SingLocus.Nodes[static_cast<size_t>(I)];
        if (N.Flag == 0) Segments.push_back({S.SingLocus.Nodes[static_cast<size_t>(I) - 1].DomPt, N.DomPt});
    }
    return Segments;
}

double DistanceTo(const std::vector<Segment>& Segments, Point2 P) {
    double Best = 1e300;
    for (const Segment& S : Segments) {
        double DX = S.B.X - S.A.X, DY = S.B.Y - S.A.Y;
        double L2 = DX * DX + DY * DY;
        double T = L2 > 0 ? ((P.X - S.A.X) * DX + (P.Y - S.A.Y) * DY) / L2 : 0;
        T = std::max(0.0, std::min(1.0, T));
        Best = std::min(Best, std::hypot(S.A.X + T * DX - P.X, S.A.Y + T * DY - P.Y));
    }
    return Best;
}

struct Traced {
    std::unique_ptr<SceneFixture> F;
    std::vector<Segment> Segments;
};

Traced TraceLocus(const std::string& X, const std::string& Y, double P = 0, double Q = 0) {
    Traced T{std::make_unique<SceneFixture>(X, Y, P, Q), {}};
    static TImplicitCurveLine Tracer;
    T.F->S.ImgDiag = 10;  // a plane image: steps are tested against a hundredth of this
    ComputeSingularLocus(T.F->S, Tracer);
    T.Segments = Polyline(T.F->S);
    return T;
}

// Samples an exact branch (Point(t), t in [0, 1]) inside the domain and checks that the
// traced locus passes within two domain pixels of every sample.
void ExpectCovered(const Traced& T, const std::function<Point2(double)>& Branch, const char* What) {
    double Pixel = T.F->S.DomPixelSize;
    int Missed = 0;
    for (int I = 0; I <= 400; ++I) {
        Point2 P = Branch(I / 400.0);
        if (std::fabs(P.X) > 0.995 || std::fabs(P.Y) > 0.995) continue;
        if (DistanceTo(T.Segments, P) > 2 * Pixel) ++Missed;
    }
    EXPECT_EQ(Missed, 0) << What;
}

TEST(SingularLocus, DefaultMapTracesTheAxesAndTheHyperbola) {
    for (auto [P, Q] : {std::pair{1.0, 1.0}, {0.5, -1.0}, {2.0, 0.3}, {-1.5, -1.0}}) {
        Traced T = TraceLocus("p u^2 - v^3", "q v^2 - u^3", P, Q);
        const SceneState& S = T.F->S;
        ASSERT_GT(S.SingLocus.LastIndex, 10);
        double C = 4 * P * Q / 9;
        for (int I = 0; I <= S.SingLocus.LastIndex; ++I) {
            Point2 N = S.SingLocus.Nodes[static_cast<size_t>(I)].DomPt;
            // A node clipped at the border lies on the last step's chord, not on the curve.
            if (std::max(std::fabs(N.X), std::fabs(N.Y)) > 0.999) continue;
            double OnBranch = std::min({std::fabs(N.X), std::fabs(N.Y), std::fabs(N.X * N.Y - C)});
            EXPECT_LT(OnBranch, 1e-6) << "(" << N.X << ", " << N.Y << ") for p = " << P;
        }
        ExpectCovered(T, [](double t) { return Point2{0, 2 * t - 1}; }, "u = 0");
        ExpectCovered(T, [](double t) { return Point2{2 * t - 1, 0}; }, "v = 0");
        for (double Sign : {1.0, -1.0})
            ExpectCovered(T, [C, Sign](double t) {
                double U = Sign * (std::fabs(C) + (1 - std::fabs(C)) * t);
                return Point2{U, C / U};
            }, "the hyperbola");
    }
}

TEST(SingularLocus, FoldCuspAndOvals) {
    Traced Fold = TraceLocus("u", "v^2");
    ExpectCovered(Fold, [](double t) { return Point2{2 * t - 1, 0}; }, "fold");
    Traced Cusp = TraceLocus("u", "v^3 + u v");
    ExpectCovered(Cusp, [](double t) { double V = 1.2 * t - 0.6; return Point2{-3 * V * V, V}; },
                  "cusp");
    Traced Oval = TraceLocus("u", "v^3/3 + (u^2 - 0.25) v");
    ExpectCovered(Oval, [](double t) { return Point2{0.5 * std::cos(2 * M_PI * t), 0.5 * std::sin(2 * M_PI * t)}; },
                  "oval");
    for (int I = 0; I <= Oval.F->S.SingLocus.LastIndex; ++I) {
        Point2 N = Oval.F->S.SingLocus.Nodes[static_cast<size_t>(I)].DomPt;
        EXPECT_NEAR(std::hypot(N.X, N.Y), 0.5, 1e-6);
    }
}

TEST(SingularLocus, TracedLocusCoversEverySignChangeOfJ) {
    const char* Maps[][2] = {{"p u^2 - v^3", "q v^2 - u^3"}, {"u", "v^3 + u v"},
                             {"u", "v^3/3 + (u^2 - 0.25) v"}, {"sin(2u) + v^2", "cos(u v) + u"}};
    int Cells = 0, Missed = 0;
    for (auto& Map : Maps) {
        Traced T = TraceLocus(Map[0], Map[1], 1, 1);
        const SceneState& S = T.F->S;
        const int N = 1000;
        std::vector<double> Row(N + 1), Previous(N + 1);
        for (int I = 0; I <= N; ++I) {
            for (int J = 0; J <= N; ++J) {
                double Value = 0;
                S.Procedures.Jacobian(S, {-1 + 2.0 * J / N, -1 + 2.0 * I / N}, Value);
                Row[static_cast<size_t>(J)] = Value;
            }
            if (I > 0) {
                for (int J = 0; J < N; ++J) {
                    double A = Previous[static_cast<size_t>(J)], B = Previous[static_cast<size_t>(J) + 1];
                    double C = Row[static_cast<size_t>(J)], D = Row[static_cast<size_t>(J) + 1];
                    bool Change = std::min({A, B, C, D}) < 0 && std::max({A, B, C, D}) > 0;
                    if (!Change) continue;
                    Point2 Centre{-1 + 2.0 * (J + 0.5) / N, -1 + 2.0 * (I - 0.5) / N};
                    if (std::fabs(Centre.X) > 0.99 || std::fabs(Centre.Y) > 0.99) continue;
                    ++Cells;
                    if (DistanceTo(T.Segments, Centre) > 2 * S.DomPixelSize) ++Missed;
                }
            }
            Previous.swap(Row);
        }
    }
    std::printf("[  summary ] %d sign-change cells, %d farther than two pixels from the locus\n",
                Cells, Missed);
    EXPECT_GT(Cells, 1000);
    EXPECT_LE(Missed, Cells / 200);
}

TEST(SingularLocus, ComplexMapsHaveOnlyIsolatedNodes) {
    SceneFixture F("z^3 - z", Point2{0, 0});
    F.S.ImgDiag = 10;
    TImplicitCurveLine Tracer;
    ComputeSingularLocus(F.S, Tracer);
    for (int I = 0; I <= F.S.SingLocus.LastIndex; ++I)
        EXPECT_EQ(F.S.SingLocus.Nodes[static_cast<size_t>(I)].Flag, 1);
    // J is |w'|^2.
    double J = 0;
    ASSERT_TRUE(F.S.Procedures.Jacobian(F.S, {0.3, 0.2}, J));
    double Re = 3 * (0.09 - 0.04) - 1, Im = 3 * 2 * 0.3 * 0.2;
    EXPECT_NEAR(J, Re * Re + Im * Im, 1e-8);
}

// A holomorphic w takes its J and gradient from the derivative along u alone; the same map
// written so that it is not recognised as holomorphic takes the five-point rule along both
// axes. Both must give |w'|^2 and its gradient.
TEST(SingularLocus, HolomorphicShortcutAgreesWithTheGeneralRule) {
    SceneFixture Fast("z^3 - z", Point2{0, 0});
    SceneFixture General("z^3 - z + 0 abs(z)", Point2{0, 0});
    ASSERT_TRUE(Fast.W.IsHolomorphic());
    ASSERT_FALSE(General.W.IsHolomorphic());
    for (Point2 P : {Point2{0.3, 0.2}, Point2{-0.7, 0.45}, Point2{0.9, -0.8}}) {
        std::complex<double> Z(P.X, P.Y), D = 3.0 * Z * Z - 1.0, D2 = 6.0 * Z;
        double Exact = std::norm(D);
        // d|w'|^2/du = 2 Re(conj(w') w''), d/dv = -2 Im(conj(w') w'')
        std::complex<double> C = std::conj(D) * D2;
        Point2 ExactGradient{2 * C.real(), -2 * C.imag()};
        for (SceneFixture* F : {&Fast, &General}) {
            double J = 0, JWithGradient = 0;
            Point2 G{0, 0};
            ASSERT_TRUE(F->S.Procedures.Jacobian(F->S, P, J));
            ASSERT_TRUE(ComplexJacobianAndGradient(F->S, P, JWithGradient, G));
            EXPECT_NEAR(J, Exact, 1e-9 * (1 + Exact));
            EXPECT_NEAR(JWithGradient, Exact, 1e-9 * (1 + Exact));
            EXPECT_NEAR(G.X, ExactGradient.X, 1e-5 * (1 + std::fabs(ExactGradient.X)));
            EXPECT_NEAR(G.Y, ExactGradient.Y, 1e-5 * (1 + std::fabs(ExactGradient.Y)));
        }
    }
    // The tracer's client answers J and the gradient alike, whatever order it asks in.
    SingularLocusClient Client(Fast.S);
    Point2 P{0.3, 0.2}, G1, G2;
    double J1, J2;
    ASSERT_TRUE(Client.Value(P, J1) && Client.Gradient(P, G1));
    ASSERT_TRUE(Client.Gradient({0.5, 0.5}, G2) && Client.Value({0.5, 0.5}, J2));
    ASSERT_TRUE(Client.Gradient(P, G2) && Client.Value(P, J2));
    EXPECT_EQ(J1, J2);
    EXPECT_EQ(G1.X, G2.X);
    EXPECT_EQ(G1.Y, G2.Y);
}

TEST(SingularLocus, NonHolomorphicComplexMapsHaveCurves) {
    for (const char* Text : {"conj(z)", "c(z)", "abs(z)", "mod(z)", "arg(z)", "z + 0 c(z)"}) {
        TOCComplexFunction W;
        W.Compile(Text, "pz");
        EXPECT_FALSE(W.IsHolomorphic()) << Text;
    }
    for (const char* Text : {"sin(z) + z^2/(z - 1)", "exp(p z)", "sqrt(z)", "ln(z) + i"}) {
        TOCComplexFunction W;
        W.Compile(Text, "pz");
        EXPECT_TRUE(W.IsHolomorphic()) << Text;
    }
    // w = z^2 + conj(z): J = |w_z|^2 - |w_conj z|^2 = 4|z|^2 - 1, zero on the circle |z| = 1/2.
    SceneFixture F("z^2 + conj(z)", Point2{0, 0});
    F.S.ImgDiag = 10;
    TImplicitCurveLine Tracer;
    ComputeSingularLocus(F.S, Tracer);
    std::vector<Segment> Segments = Polyline(F.S);
    ASSERT_GT(Segments.size(), 50u);
    for (const Segment& Piece : Segments)
        EXPECT_NEAR(std::hypot(Piece.B.X, Piece.B.Y), 0.5, 1e-6);
    int Missed = 0;
    for (int I = 0; I < 360; ++I) {
        Point2 P{0.5 * std::cos(I * M_PI / 180), 0.5 * std::sin(I * M_PI / 180)};
        if (DistanceTo(Segments, P) > 2 * F.S.DomPixelSize) ++Missed;
    }
    EXPECT_EQ(Missed, 0);
}

TEST(SingularLocus, SwitchedOffOrSingleNodeLoci) {
    SceneFixture F("p u^2 - v^3", "q v^2 - u^3", 1, 1);
    F.S.ShowSingLocus = false;
    TImplicitCurveLine Tracer;
    ComputeSingularLocus(F.S, Tracer);
    EXPECT_EQ(F.S.SingLocus.LastIndex, -1);
    EXPECT_EQ(F.S.DomJump, F.S.DomDiag / 100);
    StoreSingLocusNode(F.S, {0.5, 0.5}, 1);
    F.S.SingLocus.Nodes[0].ImgPos = {7, 7, 7};
    UpdateSingularLocus(F.S, 2);  // a single node is left as it is
    EXPECT_EQ(F.S.SingLocus.Nodes[0].ImgPos.X, 7);
    StoreSingLocusNode(F.S, {0.25, 0.5}, 0);
    UpdateSingularLocus(F.S, 2);
    EXPECT_EQ(F.S.SingLocus.Nodes[0].ImgPos.X, 0.25 - 0.125);
    EXPECT_GE(F.S.SingLocus.Nodes.size(), 100u);
}

}  // namespace

// The seed samples computed ahead on every core give the nodes, bit for bit, of a search that
// computes each sample when it reaches it: for maps whose Jacobian comes from the two kinds of
// program, for the holomorphic shortcut, and for a map that fails part of the way.
TEST(SingularLocus, SeedsSampledOnEveryCoreGiveTheNodesOfTheSerialSearch) {
    auto Serial = [](SceneState& S, TImplicitCurveLine& Tracer) {
        S.DomJump = S.DomDiag / 100;
        S.ImgJump = S.ImgDiag / 100;
        S.SingLocus.LastIndex = -1;
        SingularLocusClient Client(S);
        Tracer.Run(Client, S.DomMin, S.DomMax, 50, 500, S.DomPixelSize);
    };
    auto ExpectSame = [](const Curve33& A, const Curve33& B, const std::string& What) {
        ASSERT_EQ(A.LastIndex, B.LastIndex) << What;
        for (int32_t K = 0; K <= A.LastIndex; ++K) {
            const LocusNode &N = A.Nodes[static_cast<size_t>(K)], &M = B.Nodes[static_cast<size_t>(K)];
            ASSERT_EQ(N.Flag, M.Flag) << What << " node " << K;
            ASSERT_EQ(std::memcmp(&N.DomPt, &M.DomPt, sizeof N.DomPt), 0) << What << " node " << K;
        }
    };
    static TImplicitCurveLine Tracer;
    const std::pair<const char*, const char*> Reals[] = {
        {"p u^2 - v^3", "q v^2 - u^3"}, {"u^3 + u v", "v"}, {"u + 0.3 sin(5 v)", "v^2 - u^2"},
        {"u / (v - 0.3)", "v"}};  // the last fails where v = 0.3
    for (const auto& [X, Y] : Reals) {
        SceneFixture A(X, Y, 1, 1), B(X, Y, 1, 1);
        ComputeSingularLocus(A.S, Tracer);
        Serial(B.S, Tracer);
        ExpectSame(A.S.SingLocus, B.S.SingLocus, std::string(X) + " | " + Y);
    }
    for (const char* W : {"conj(z) z^2 + p", "z conj(z) - p z"}) {
        SceneFixture A(W, Point2{0.3, 0.2}), B(W, Point2{0.3, 0.2});
        ComputeSingularLocus(A.S, Tracer);
        Serial(B.S, Tracer);
        ExpectSame(A.S.SingLocus, B.S.SingLocus, W);
    }
    // A holomorphic map's singular set is its critical points, found without tracing.
    for (const char* W : {"z^3 - p z", "sin(3 z)/(z^2 - p)"}) {
        SceneFixture A(W, Point2{0.3, 0.2});
        ComputeSingularLocus(A.S, Tracer);
        EXPECT_EQ(A.S.SingLocus.LastIndex, -1) << W;
        EXPECT_FALSE(A.S.SingPoints.empty()) << W;
    }
}
