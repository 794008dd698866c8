// The implicit curve tracer on functions whose zero sets are known: lines, circles, curves
// leaving the rectangle, isolated zeros, no zeros, failing evaluations and wild functions.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "curves/FImplicitCurveLine.h"

namespace {

struct Node {
    Point2 P;
    int Flag;
};

class Client : public ImplicitCurveClient {
public:
    std::function<double(Point2)> F;
    std::function<Point2(Point2)> Exact;  // the gradient, where the test knows it
    std::vector<Node> Nodes;
    bool Value(Point2 P, double& Y) override {
        Y = F(P);
        return true;
    }
    bool Gradient(Point2 P, Point2& G) override {
        if (Exact) {
            G = Exact(P);
            return true;
        }
        const double H = 1e-7;
        G = {(F({P.X + H, P.Y}) - F({P.X - H, P.Y})) / (2 * H),
             (F({P.X, P.Y + H}) - F({P.X, P.Y - H})) / (2 * H)};
        return true;
    }
    void StoreNode(Point2 P, int32_t Flag) override { Nodes.push_back({P, Flag}); }
    int Pieces() const {
        int N = 0;
        for (const Node& X : Nodes) N += X.Flag;
        return N;
    }
};

// A run over [-1, 1]^2 with 40 coarse and 400 fine cells, steps of two fine cells.
Client Trace(std::function<double(Point2)> F, TImplicitCurveLine& Tracer, bool* Completed = nullptr,
             std::function<Point2(Point2)> Gradient = nullptr) {
    Client C;
    C.F = std::move(F);
    C.Exact = std::move(Gradient);
    bool Done = Tracer.Run(C, {-1, -1}, {1, 1}, 40, 400, 0.01);
    if (Completed) *Completed = Done;
    return C;
}

TEST(ImplicitCurve, CutsCountsAndFloorsIndices) {
    TImplicitCurveLine Tracer;
    Client C;
    C.F = [](Point2 P) { return P.X; };
    Tracer.Run(C, {-1, -1}, {1, 1}, 50, 500, 0.01);
    EXPECT_EQ(Tracer.CoarseCountUsed(), 40);
    EXPECT_EQ(Tracer.FineCountUsed(), 400);
    EXPECT_EQ(TImplicitCurveLine::FloorI(2.7), 2);
    EXPECT_EQ(TImplicitCurveLine::FloorI(-0.5), -1);
    EXPECT_EQ(TImplicitCurveLine::FloorI(-3), -3);
    EXPECT_LT(TImplicitCurveLine::FloorI(-1e300), -1000);
}

TEST(ImplicitCurve, ALineIsTracedFromOneSeedInTwoPieces) {
    TImplicitCurveLine Tracer;
    Client C = Trace([](Point2 P) { return P.X; }, Tracer, nullptr,
                     [](Point2) { return Point2{1, 0}; });
    ASSERT_FALSE(C.Nodes.empty());
    EXPECT_EQ(C.Pieces(), 2);
    EXPECT_EQ(C.Nodes.front().Flag, 1);
    double Low = 1, High = -1;
    for (const Node& N : C.Nodes) {
        EXPECT_LT(std::fabs(N.P.X), 1e-9);
        Low = std::min(Low, N.P.Y);
        High = std::max(High, N.P.Y);
    }
    // Both ends just inside the border.
    EXPECT_GT(Low, -1);
    EXPECT_LT(Low, -1 + 1e-6);
    EXPECT_LT(High, 1);
    EXPECT_GT(High, 1 - 1e-6);
}

TEST(ImplicitCurve, ACircleClosesOnItself) {
    TImplicitCurveLine Tracer;
    Client C = Trace([](Point2 P) { return P.X * P.X + P.Y * P.Y - 0.25; }, Tracer, nullptr,
                     [](Point2 P) { return Point2{2 * P.X, 2 * P.Y}; });
    ASSERT_GT(C.Nodes.size(), 50u);
    for (const Node& N : C.Nodes) EXPECT_NEAR(std::hypot(N.P.X, N.P.Y), 0.5, 1e-8);
    // The two passes from the first seed go round the whole circle and stop where they
    // meet their own trail; later seeds only add short pieces.
    double Covered[64] = {};
    int Pieces = 0;
    for (const Node& N : C.Nodes) {
        Pieces += N.Flag;
        if (Pieces > 2) break;
        double Angle = std::atan2(N.P.Y, N.P.X);
        Covered[static_cast<int>((Angle + M_PI) / (2 * M_PI) * 63.999)] = 1;
    }
    for (double X : Covered) EXPECT_EQ(X, 1);
    EXPECT_LT(C.Nodes.size(), 400u);
}

TEST(ImplicitCurve, IsolatedZerosAndFunctionsWithoutZeros) {
    TImplicitCurveLine Tracer;
    EXPECT_TRUE(Trace([](Point2 P) { return P.X * P.X + P.Y * P.Y + 1; }, Tracer).Nodes.empty());
    // An isolated zero inside a fine cell: every seed that reaches it lands in that cell.
    Client Dot = Trace(
        [](Point2 P) { return (P.X - 0.123) * (P.X - 0.123) + (P.Y + 0.0567) * (P.Y + 0.0567); },
        Tracer, nullptr, [](Point2 P) { return Point2{2 * (P.X - 0.123), 2 * (P.Y + 0.0567)}; });
    ASSERT_EQ(Dot.Nodes.size(), 1u);
    EXPECT_EQ(Dot.Nodes[0].Flag, 1);
    EXPECT_LT(std::hypot(Dot.Nodes[0].P.X - 0.123, Dot.Nodes[0].P.Y + 0.0567), 1e-4);
}

TEST(ImplicitCurve, FailingEvaluationsEndTheRunAndKeepTheNodes) {
    TImplicitCurveLine Tracer;
    bool Completed = true;
    Client C = Trace(
        [](Point2 P) { return P.Y > 0.5 ? std::nan("") : P.X; }, Tracer, &Completed);
    EXPECT_FALSE(Completed);
    for (const Node& N : C.Nodes) EXPECT_LT(std::fabs(N.P.X), 1e-9);
}

TEST(ImplicitCurve, WildFunctionsFinishInBoundedTime) {
    TImplicitCurveLine Tracer;
    const std::function<double(Point2)> Functions[] = {
        [](Point2 P) { return std::sin(1 / (P.X * P.X + P.Y * P.Y + 1e-3)); },
        [](Point2 P) { return std::sin(200 * P.X) * std::cos(200 * P.Y); },
        [](Point2 P) { return std::tan(30 * P.X * P.Y); },
    };
    for (const auto& F : Functions) {
        auto Start = std::chrono::steady_clock::now();
        Client C = Trace(F, Tracer);
        double Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
        EXPECT_LT(Seconds, 10.0);
        for (const Node& N : C.Nodes) {
            EXPECT_GE(N.P.X, -1);
            EXPECT_LE(N.P.X, 1);
        }
    }
}

// A client that answers J where it has just taken the gradient from what the gradient's
// computation left, which differs from a fresh value in the last bits (as the locus client's
// programs do): a search that forgets what its client remembers takes other steps.
class RememberingClient : public Client {
public:
    bool Value(Point2 P, double& Y) override {
        if (Recalls(P)) {
            Y = Kept;
            return true;
        }
        Y = F(P);
        Have = true;
        At = P;
        Kept = Y;
        return true;
    }
    bool Gradient(Point2 P, Point2& G) override {
        Client::Gradient(P, G);
        Have = true;
        At = P;
        Kept = F(P) * (1 + 0x1p-50);
        return true;
    }
    bool Recalls(Point2 P) const override { return Have && P.X == At.X && P.Y == At.Y; }
    void Assume(Point2 P, bool Done, double Y) override {
        Have = Done;
        At = P;
        Kept = Y;
    }
    void Memory(Point2& P, bool& Done, double& Y) const override {
        P = At;
        Done = Have;
        Y = Kept;
    }

private:
    bool Have = false;
    Point2 At{0, 0};
    double Kept = 0;
};

// Helpers on the calling thread: the samples, then every correction ahead before the search
// begins, so that the search meets a helper's answer at each seed it can.
class InlineHelpers : public TracerHelpers {
public:
    explicit InlineHelpers(std::function<double(Point2)> Function) : F(std::move(Function)) {}
    void Sample(const SeedGrid& Grid, SeedSamples& Out) override {
        RememberingClient C;
        C.F = F;
        SampleSeeds(C, Grid, 0, Grid.Count * Grid.Count, Out);
    }
    bool StartAhead(std::function<void(ImplicitCurveClient&)> Work) override {
        RememberingClient C;
        C.F = F;
        Work(C);
        return true;
    }
    void WaitAhead() override {}

private:
    std::function<double(Point2)> F;
};

// Corrections taken from a helper leave the nodes bit for bit those of the search alone: where
// the tolerance stays, where it adapts at every correction (so that most answers ahead no
// longer fit), and where evaluations fail part of the way.
TEST(ImplicitCurve, SeedsCorrectedAheadGiveTheNodesOfTheSearchAlone) {
    struct Case {
        const char* Name;
        std::function<double(Point2)> F;
        bool SomeTaken;
    };
    const Case Cases[] = {
        {"circle", [](Point2 P) { return P.X * P.X + P.Y * P.Y - 0.25; }, true},
        {"waves", [](Point2 P) { return std::sin(5 * P.X) + std::cos(3 * P.Y) - 0.5; }, true},
        {"tiny circle", [](Point2 P) { return 1e-14 * (P.X * P.X + P.Y * P.Y - 0.25); }, true},
        {"failing on the right",
         [](Point2 P) { return P.X > 0.5 ? std::nan("") : P.X - P.Y * P.Y; }, true},
        // An arc across the corner that only the refinement after the search finds.
        {"corner arc beside a line",
         [](Point2 P) {
             return (P.X - 0.959) *
                    ((P.X - 1.002) * (P.X - 1.002) + (P.Y - 1.002) * (P.Y - 1.002) - 3.6e-5);
         },
         false},
    };
    TImplicitCurveLine Tracer;
    for (const Case& K : Cases) {
        RememberingClient Alone, Helped;
        Alone.F = Helped.F = K.F;
        const bool AloneDone = Tracer.Run(Alone, {-1, -1}, {1, 1}, 40, 400, 0.01);
        EXPECT_EQ(Tracer.SeedsTakenAhead(), 0) << K.Name;
        const int Pieces = Tracer.RefinementPieces();
        InlineHelpers Helpers(K.F);
        const bool HelpedDone = Tracer.Run(Helped, {-1, -1}, {1, 1}, 40, 400, 0.01, &Helpers);
        if (K.SomeTaken) {
            EXPECT_GT(Tracer.SeedsTakenAhead(), 100) << K.Name;
        }
        EXPECT_EQ(AloneDone, HelpedDone) << K.Name;
        EXPECT_EQ(Pieces, Tracer.RefinementPieces()) << K.Name;
        if (!K.SomeTaken) {
            EXPECT_GE(Pieces, 1) << K.Name;
        }
        ASSERT_EQ(Alone.Nodes.size(), Helped.Nodes.size()) << K.Name;
        ASSERT_FALSE(Alone.Nodes.empty()) << K.Name;
        for (size_t I = 0; I < Alone.Nodes.size(); ++I) {
            ASSERT_EQ(Alone.Nodes[I].Flag, Helped.Nodes[I].Flag) << K.Name << " node " << I;
            ASSERT_EQ(std::memcmp(&Alone.Nodes[I].P, &Helped.Nodes[I].P, sizeof(Point2)), 0)
                << K.Name << " node " << I;
        }
    }
}

// A correction's trail tells which other tolerances give the same steps: a correction run with
// each of those tolerances ends where the first did, with the tolerance the trail foresees.
TEST(ImplicitCurve, ACorrectionsTrailForeseesOtherTolerances) {
    const std::function<double(Point2)> Functions[] = {
        [](Point2 P) { return P.X * P.X + P.Y * P.Y - 0.25; },            // converges
        [](Point2 P) { return std::sin(7 * P.X) * std::exp(P.Y) - 0.3; },  // may bisect
        [](Point2 P) { return P.X * P.X + P.Y * P.Y + 0.25; },            // never meets it
        [](Point2 P) { return std::sin(P.X); },  // overshoots from 1: bisects
    };
    const Point2 Starts[] = {{0.3, 0.41}, {0.5 + 1e-13, 0}, {-0.2, 0.7}, {0.9, -0.9}, {1, 0}};
    auto Corrector = [](RememberingClient& C, double Tolerance) {
        CurveCorrector N;
        N.Client = &C;
        N.Tolerance = Tolerance;
        N.TinyValue = 1e-40;
        N.CoarseDiagonal = 10;  // first steps of any length
        return N;
    };
    int Foreseen = 0, Trails = 0, Bisecting = 0;
    for (const auto& F : Functions) {
        for (Point2 Start : Starts) {
            for (double T0 : {1e-10, 1e-13, 1e-16}) {
                RememberingClient C;
                C.F = F;
                CurveCorrector First = Corrector(C, T0);
                Point2 R1;
                First.Correct(Start, Start, true, R1);
                const CorrectionTrail Trail = First.Trail;
                ++Trails;
                Bisecting += Trail.Bisected;
                for (double T = 1e-18; T < 1e-8; T *= 3.7) {
                    if (!Trail.SameStepsWith(T)) continue;
                    ++Foreseen;
                    RememberingClient D;
                    D.F = F;
                    CurveCorrector Second = Corrector(D, T);
                    Point2 R2;
                    ASSERT_EQ(Second.Correct(Start, Start, true, R2), Trail.Found);
                    ASSERT_EQ(Second.Tolerance, Trail.ToleranceAfter(T));
                    if (Trail.Found) {
                        ASSERT_EQ(std::memcmp(&R1, &R2, sizeof R1), 0);
                    }
                }
            }
        }
    }
    // Most trails allow more than their own tolerance; some bisect.
    EXPECT_GT(Foreseen, 2 * Trails);
    EXPECT_GT(Bisecting, 0);
}

}  // namespace
