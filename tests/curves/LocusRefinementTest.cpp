// The refinement of the locus search against a dense reference: pieces that the seed grid
// misses (an arc across a corner beside a curve, small loops in a patch) are found; curves
// found already, minima that never reach zero and curves too dense for the budget cost no more
// than the budget; the search's own nodes stay as they were.
#include <gtest/gtest.h>

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

struct Function {
    const char* Name;
    std::function<double(Point2)> F;
    std::function<Point2(Point2)> G;
};

class Client : public ImplicitCurveClient {
public:
    const Function* Fn = nullptr;
    std::vector<Node> Nodes;
    long Values = 0, Gradients = 0;
    bool Value(Point2 P, double& Y) override {
        ++Values;
        Y = Fn->F(P);
        return true;
    }
    bool Gradient(Point2 P, Point2& G) override {
        ++Gradients;
        G = Fn->G(P);
        return true;
    }
    void StoreNode(Point2 P, int32_t Flag) override { Nodes.push_back({P, Flag}); }
};

double DistanceToNodes(const std::vector<Node>& Nodes, Point2 P) {
    double Best = 1e300;
    for (size_t I = 0; I < Nodes.size(); ++I) {
        const Point2 B = Nodes[I].P;
        Best = std::min(Best, std::hypot(B.X - P.X, B.Y - P.Y));
        if (I == 0 || Nodes[I].Flag) continue;
        const Point2 A = Nodes[I - 1].P;
        double DX = B.X - A.X, DY = B.Y - A.Y, L2 = DX * DX + DY * DY;
        double T = L2 > 0 ? ((P.X - A.X) * DX + (P.Y - A.Y) * DY) / L2 : 0;
        T = std::max(0.0, std::min(1.0, T));
        Best = std::min(Best, std::hypot(A.X + T * DX - P.X, A.Y + T * DY - P.Y));
    }
    return Best;
}

// Sign-change squares of an N x N grid over [-1, 1]^2 farther than Reach from every node.
int Missed(const Function& Fn, const std::vector<Node>& Nodes, double Reach, int& Squares,
           int N = 1000) {
    std::vector<double> Row(N + 1), Previous(N + 1);
    int Far = 0;
    Squares = 0;
    for (int I = 0; I <= N; ++I) {
        for (int J = 0; J <= N; ++J) Row[J] = Fn.F({-1 + 2.0 * J / N, -1 + 2.0 * I / N});
        if (I > 0) {
            for (int J = 0; J < N; ++J) {
                double A = Previous[J], B = Previous[J + 1], C = Row[J], D = Row[J + 1];
                if (!(std::min({A, B, C, D}) < 0 && std::max({A, B, C, D}) > 0)) continue;
                ++Squares;
                Point2 Centre{-1 + 2.0 * (J + 0.5) / N, -1 + 2.0 * (I - 0.5) / N};
                if (DistanceToNodes(Nodes, Centre) > Reach) ++Far;
            }
        }
        Previous.swap(Row);
    }
    return Far;
}

// x, y the point of a corner arc (a circle about a point just outside the domain's corner)
// beside the line x = 0.959 (resp. y = -0.958): the arc is some 0.3 % of the domain's width,
// and shares its seed cells with the line.
Function CornerArcBesideLine() {
    return {"corner arc beside line",
            [](Point2 P) {
                const double Q = (P.X - 1.002) * (P.X - 1.002) + (P.Y - 1.002) * (P.Y - 1.002) - 3.6e-5;
                return (P.X - 0.959) * Q;
            },
            [](Point2 P) {
                const double Q = (P.X - 1.002) * (P.X - 1.002) + (P.Y - 1.002) * (P.Y - 1.002) - 3.6e-5;
                return Point2{Q + (P.X - 0.959) * 2 * (P.X - 1.002), (P.X - 0.959) * 2 * (P.Y - 1.002)};
            }};
}

Function LowCornerArcBesideLine() {
    return {"low corner arc beside line",
            [](Point2 P) {
                const double Q = (P.X + 1.002) * (P.X + 1.002) + (P.Y + 1.003) * (P.Y + 1.003) - 4.9e-5;
                return (P.Y + 0.958) * Q;
            },
            [](Point2 P) {
                const double Q = (P.X + 1.002) * (P.X + 1.002) + (P.Y + 1.003) * (P.Y + 1.003) - 4.9e-5;
                return Point2{(P.Y + 0.958) * 2 * (P.X + 1.002), Q + (P.Y + 0.958) * 2 * (P.Y + 1.003)};
            }};
}

// A lattice of small loops under a Gaussian bump: only near its top does F reach zero.
Function LoopPatch() {
    auto Parts = [](Point2 P, double& E, double& C) {
        E = std::exp(-((P.X - 0.3) * (P.X - 0.3) + (P.Y + 0.4) * (P.Y + 0.4)) / 0.04);
        C = std::cos(2 * M_PI * (P.X - 0.003) / 0.025) + std::cos(2 * M_PI * (P.Y - 0.01) / 0.05);
    };
    return {"loop patch",
            [Parts](Point2 P) {
                double E, C;
                Parts(P, E, C);
                return 1.9 - E * C;
            },
            [Parts](Point2 P) {
                double E, C;
                Parts(P, E, C);
                return Point2{E * 2 * (P.X - 0.3) / 0.04 * C +
                                  E * 2 * M_PI / 0.025 * std::sin(2 * M_PI * (P.X - 0.003) / 0.025),
                              E * 2 * (P.Y + 0.4) / 0.04 * C +
                                  E * 2 * M_PI / 0.05 * std::sin(2 * M_PI * (P.Y - 0.01) / 0.05)};
            }};
}

struct Traced {
    std::vector<Node> Nodes;
    long Evaluations = 0;
    int RefinementEvaluations = 0, Pieces = 0;
    bool Cut = false, Completed = false;
};

Traced Trace(TImplicitCurveLine& Tracer, const Function& F, bool Refining) {
    Tracer.SetRefinement(Refining);
    Client C;
    C.Fn = &F;
    Traced T;
    T.Completed = Tracer.Run(C, {-1, -1}, {1, 1}, 40, 400, 0.01);
    T.Nodes = C.Nodes;
    T.Evaluations = C.Values + C.Gradients;
    T.RefinementEvaluations = Tracer.RefinementEvaluations();
    T.Pieces = Tracer.RefinementPieces();
    T.Cut = Tracer.RefinementCut();
    return T;
}

// The refined run begins with the search's own nodes, bit for bit.
void ExpectSameStart(const Traced& Plain, const Traced& Refined, const char* Name) {
    ASSERT_GE(Refined.Nodes.size(), Plain.Nodes.size()) << Name;
    for (size_t K = 0; K < Plain.Nodes.size(); ++K) {
        ASSERT_EQ(std::memcmp(&Plain.Nodes[K].P, &Refined.Nodes[K].P, sizeof(Point2)), 0) << Name << " " << K;
        ASSERT_EQ(Plain.Nodes[K].Flag, Refined.Nodes[K].Flag) << Name << " " << K;
    }
}

TEST(LocusRefinement, PiecesTheSeedGridMissesAreFound) {
    TImplicitCurveLine Tracer;
    for (const Function& F : {CornerArcBesideLine(), LowCornerArcBesideLine(), LoopPatch()}) {
        const Traced Plain = Trace(Tracer, F, false), Refined = Trace(Tracer, F, true);
        // Squares of the reference farther than one tracing step from every node.
        int Squares = 0;
        EXPECT_GT(Missed(F, Plain.Nodes, 0.01, Squares), 0) << F.Name << ": nothing hidden";
        EXPECT_EQ(Missed(F, Refined.Nodes, 0.01, Squares), 0) << F.Name;
        EXPECT_GE(Refined.Pieces, 1) << F.Name;
        EXPECT_LE(Refined.RefinementEvaluations, TImplicitCurveLine::RefinementBudget) << F.Name;
        EXPECT_FALSE(Refined.Cut) << F.Name;
        EXPECT_TRUE(Refined.Completed) << F.Name;
        ExpectSameStart(Plain, Refined, F.Name);
    }
}

TEST(LocusRefinement, CurvesFoundAlreadyAndMinimaWithoutZerosGiveNoPieces) {
    TImplicitCurveLine Tracer;
    const Function Default{"default real J", [](Point2 P) { return P.X * P.Y * (4 - 9 * P.X * P.Y); },
                           [](Point2 P) {
                               return Point2{P.Y * (4 - 18 * P.X * P.Y), P.X * (4 - 18 * P.X * P.Y)};
                           }};
    // Two minima of an F > 0 that come within 1e-9 of zero.
    const Function Minima{"positive minima",
                          [](Point2 P) {
                              const double A = P.X - 0.3, B = P.Y + 0.2, C = P.X + 0.5, D = P.Y - 0.6;
                              return (A * A + B * B) * (C * C + D * D) + 1e-9;
                          },
                          [](Point2 P) {
                              const double A = P.X - 0.3, B = P.Y + 0.2, C = P.X + 0.5, D = P.Y - 0.6;
                              const double E = A * A + B * B, H = C * C + D * D;
                              return Point2{2 * A * H + 2 * C * E, 2 * B * H + 2 * D * E};
                          }};
    for (const Function& F : {Default, Minima}) {
        const Traced Plain = Trace(Tracer, F, false), Refined = Trace(Tracer, F, true);
        EXPECT_EQ(Refined.Pieces, 0) << F.Name;
        EXPECT_EQ(Refined.Nodes.size(), Plain.Nodes.size()) << F.Name;
        ExpectSameStart(Plain, Refined, F.Name);
        EXPECT_LE(Refined.Evaluations - Plain.Evaluations, 1000) << F.Name;
    }
    // The default map's locus is found by the search alone: no evaluation more.
    EXPECT_EQ(Trace(Tracer, Default, true).RefinementEvaluations, 0);
}

TEST(LocusRefinement, CurvesTooDenseForTheBudgetEndWithinIt) {
    // 127 x 127 lines, many per seed cell: the search finds some, the budget ends the rest.
    const Function Dense{"sin sin", [](Point2 P) { return std::sin(200 * P.X) * std::sin(200 * P.Y); },
                         [](Point2 P) {
                             return Point2{200 * std::cos(200 * P.X) * std::sin(200 * P.Y),
                                           200 * std::sin(200 * P.X) * std::cos(200 * P.Y)};
                         }};
    TImplicitCurveLine Tracer;
    const Traced Plain = Trace(Tracer, Dense, false), Refined = Trace(Tracer, Dense, true);
    EXPECT_TRUE(Refined.Cut);
    EXPECT_TRUE(Refined.Completed);
    EXPECT_LE(Refined.RefinementEvaluations, TImplicitCurveLine::RefinementBudget);
    EXPECT_GT(Refined.Nodes.size(), Plain.Nodes.size());
    ExpectSameStart(Plain, Refined, Dense.Name);
    // What the refinement traces from its seeds is traced under the budget as well.
    EXPECT_LE(Refined.Evaluations - Plain.Evaluations,
              static_cast<long>(TImplicitCurveLine::RefinementBudget) + 2 * 400 * 400);
}

}  // namespace
