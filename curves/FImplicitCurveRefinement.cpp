// The refinement of the tracer's seed search: the squares around seed samples where a zero
// cannot be excluded, searched by a gradient-guided descent for a sign change, within a budget
// of evaluations per run.
#include <algorithm>
#include <cmath>
#include <limits>

#include "curves/FImplicitCurveLine.h"

namespace {

// The run's client with the refinement's budget: each value the client would compute and
// each gradient counts, and once the budget is spent it is refused without asking the client
// (so that its memory stays as it was).
class BudgetedClient : public ImplicitCurveClient {
public:
    BudgetedClient(ImplicitCurveClient& Inner, int Budget) : Inner(Inner), Budget(Budget) {}
    bool Value(Point2 P, double& F) override {
        if (!Inner.Recalls(P) && !Spend()) return false;
        return Inner.Value(P, F);
    }
    bool Gradient(Point2 P, Point2& G) override { return Spend() && Inner.Gradient(P, G); }
    void StoreNode(Point2 P, int32_t Flag) override { Inner.StoreNode(P, Flag); }
    bool Recalls(Point2 P) const override { return Inner.Recalls(P); }
    void Assume(Point2 P, bool Done, double F) override { Inner.Assume(P, Done, F); }
    void Memory(Point2& P, bool& Done, double& F) const override { Inner.Memory(P, Done, F); }
    bool AcceptStep(Point2 Old, Point2 New) override { return Inner.AcceptStep(Old, New); }

    int Spent = 0;
    bool Refused = false;

private:
    bool Spend() {
        if (Spent >= Budget) {
            Refused = true;
            return false;
        }
        ++Spent;
        return true;
    }
    ImplicitCurveClient& Inner;
    const int Budget;
};

// Puts the run's client back however the refinement ends.
class ClientSwap {
public:
    ClientSwap(ImplicitCurveClient*& Slot, ImplicitCurveClient* Other) : Slot(Slot), Kept(Slot) {
        Slot = Other;
    }
    ClientSwap(const ClientSwap&) = delete;
    ClientSwap& operator=(const ClientSwap&) = delete;
    ~ClientSwap() { Slot = Kept; }

private:
    ImplicitCurveClient*& Slot;
    ImplicitCurveClient* Kept;
};

constexpr int MaxDescent = 10;   // Newton steps of one descent
constexpr int MaxBisections = 40;

double Sign(double X) { return X < 0 ? -1 : 1; }

}  // namespace

// Which squares may hold a zero. The nine samples of a cell give, by differences, the gradient
// at each sample, the least curvature along u over the cell's three rows and along v over its
// columns, and the largest mixed difference. Over the square of half sides (hx/2, hy/2) about a
// sample, this quadratic model moves the sample's value towards zero by at most the sum of its
// least values along each side (a curvature that bends away from zero only helps) and a
// quarter of the mixed difference; the safety margin widens that for what the differences do
// not see. The drop is at most 1.5 times the sum of the largest differences between
// neighbouring samples along each axis, so that a cell whose values all exceed that (most
// cells, away from any zero) is passed over after a glance.
void TImplicitCurveLine::RefinementCandidates() {
    Candidates.clear();
    const double Hx = Grid.Step.X / 3, Hy = Grid.Step.Y / 3;
    const double Reach = std::hypot(Hx, Hy);
    // The least of E t + C t^2 / 2 over |t| <= 1/2.
    auto Least = [](double E, double C) {
        if (C > 0 && std::fabs(E) <= C / 2) return -E * E / (2 * C);
        return -std::fabs(E) / 2 + C / 8;
    };
    // Differences times the spacing: central in the middle, one-sided of second order at the
    // ends.
    auto Difference = [](double F0, double F1, double F2, int K) {
        if (K == 0) return (-3 * F0 + 4 * F1 - F2) / 2;
        if (K == 1) return (F2 - F0) / 2;
        return (F0 - 4 * F1 + 3 * F2) / 2;
    };
    for (int I = 0; I < CoarseCount; ++I) {
        for (int J = 0; J < CoarseCount; ++J) {
            const double* F = &Seen[static_cast<size_t>(SeedGrid::Index(I, J, 0))];
            // F[3 A + B] is the sample A along u, B along v. First a glance: the least |F| of
            // the cell against its largest differences between neighbouring samples along u
            // and along v, which bound the drop below.
            // A cell the search did not sample whole (a sample failed, or the run ended) has
            // nothing to go by.
            bool Whole = true;
            for (int K = 0; K < 9; ++K) Whole = Whole && std::isfinite(F[K]);
            if (!Whole) continue;
            double Smallest = std::fabs(F[0]), Du = 0, Dv = 0;
            for (int K = 1; K < 9; ++K) Smallest = std::min(Smallest, std::fabs(F[K]));
            for (int A = 0; A < 3; ++A) {
                for (int B = 0; B < 2; ++B) {
                    Du = std::max(Du, std::fabs(F[3 * (B + 1) + A] - F[3 * B + A]));
                    Dv = std::max(Dv, std::fabs(F[3 * A + B + 1] - F[3 * A + B]));
                }
            }
            if (Smallest > RefinementSafety * 1.5 * (Du + Dv)) continue;
            auto At = [F](int A, int B) { return F[3 * A + B]; };
            double XLo = 1e300, XHi = -1e300, YLo = 1e300, YHi = -1e300, Mixed = 0;
            for (int K = 0; K < 3; ++K) {
                const double Cx = At(0, K) - 2 * At(1, K) + At(2, K);
                const double Cy = At(K, 0) - 2 * At(K, 1) + At(K, 2);
                XLo = std::min(XLo, Cx);
                XHi = std::max(XHi, Cx);
                YLo = std::min(YLo, Cy);
                YHi = std::max(YHi, Cy);
            }
            for (int A = 0; A < 2; ++A)
                for (int B = 0; B < 2; ++B)
                    Mixed = std::max(Mixed, std::fabs(At(A + 1, B + 1) - At(A + 1, B) -
                                                      At(A, B + 1) + At(A, B)));
            for (int K = 0; K < 9; ++K) {
                const int A = K / 3, B = K % 3;
                const double Ex = Difference(At(0, B), At(1, B), At(2, B), A);
                const double Ey = Difference(At(A, 0), At(A, 1), At(A, 2), B);
                // In terms of |F|: the sign of the sample taken out.
                const double S = F[K] < 0 ? -1 : 1;
                const double Drop = -(Least(S * Ex, S < 0 ? -XHi : XLo) +
                                      Least(S * Ey, S < 0 ? -YHi : YLo)) + Mixed / 4;
                const double Bound = RefinementSafety * Drop;
                const double Value = std::fabs(F[K]);
                if (!(Value <= Bound)) continue;
                // The probe of its descent's first step, as the samples foresee it: where that
                // crosses a traced curve, the curve is what made the square small.
                const Point2 X = Grid.Sample(I, J, K);
                const Point2 G{Ex / Hx, Ey / Hy};
                const double G2 = G.X * G.X + G.Y * G.Y;
                if (G2 > 0 && std::isfinite(G2)) {
                    Point2 D{-F[K] * G.X / G2, -F[K] * G.Y / G2};
                    double L = std::sqrt(D.X * D.X + D.Y * D.Y);
                    if (!std::isfinite(L)) L = std::hypot(D.X, D.Y);
                    if (L > Reach) D = {D.X * Reach / L, D.Y * Reach / L};
                    if (CrossesCovered({X.X + D.X, X.Y + D.Y}, D)) continue;
                }
                Candidate C;
                C.Score = Bound > 0 ? Value / Bound : 0;
                C.Index = SeedGrid::Index(I, J, K);
                Candidates.push_back(C);
            }
        }
    }
    std::sort(Candidates.begin(), Candidates.end(), [](const Candidate& L, const Candidate& R) {
        return L.Score < R.Score || (L.Score == R.Score && L.Index < R.Index);
    });
}

bool TImplicitCurveLine::MarkedAround(const uint8_t (&Cells)[401][401], Point2 P) const {
    const int A = FloorI((P.X - Min.X) / FineStep.X), B = FloorI((P.Y - Min.Y) / FineStep.Y);
    for (int I = A - 1; I <= A + 1; ++I)
        for (int J = B - 1; J <= B + 1; ++J)
            if (I >= 0 && J >= 0 && I <= 400 && J <= 400 && Cells[I][J] != 0) return true;
    return false;
}

bool TImplicitCurveLine::Covered(Point2 P) const { return MarkedAround(Visited, P); }

// Whether the segment Middle - Half .. Middle + Half passes a visited fine cell or one beside
// it, looked at every half cell from the middle out (a traced curve is most often met there).
bool TImplicitCurveLine::CrossesCovered(Point2 Middle, Point2 Half) const {
    const double Cells = std::max(std::fabs(Half.X) / FineStep.X, std::fabs(Half.Y) / FineStep.Y);
    const int N = static_cast<int>(std::min(32.0, std::ceil(2 * Cells)));
    if (Covered(Middle)) return true;
    for (int K = 1; K <= N; ++K) {
        const double T = static_cast<double>(K) / N;
        if (Covered({Middle.X + T * Half.X, Middle.Y + T * Half.Y}) ||
            Covered({Middle.X - T * Half.X, Middle.Y - T * Half.Y}))
            return true;
    }
    return false;
}

bool TImplicitCurveLine::NearDead(Point2 P) const { return MarkedAround(Dead, P); }

void TImplicitCurveLine::MarkDead(Point2 P) {
    const int A = FloorI((P.X - Min.X) / FineStep.X), B = FloorI((P.Y - Min.Y) / FineStep.Y);
    if (A < 0 || B < 0 || A > 400 || B > 400 || Dead[A][B] != 0) return;
    Dead[A][B] = 1;
    DeadList.push_back(A * 401 + B);
}

// The point of the segment From -> To where it leaves the rectangle (To itself inside it).
Point2 TImplicitCurveLine::IntoDomain(Point2 From, Point2 To) const {
    double T = 1;
    const double F[2] = {From.X, From.Y}, E[2] = {To.X, To.Y};
    const double Lo[2] = {Min.X, Min.Y}, Hi[2] = {Max.X, Max.Y};
    for (int K = 0; K < 2; ++K) {
        if (E[K] > Hi[K]) T = std::min(T, (Hi[K] - F[K]) / (E[K] - F[K]));
        if (E[K] < Lo[K]) T = std::min(T, (Lo[K] - F[K]) / (E[K] - F[K]));
    }
    T = std::max(0.0, T);
    return {From.X + T * (To.X - From.X), From.Y + T * (To.Y - From.Y)};
}

// Newton steps towards F = 0 along the gradient from Start, each at most a square's diagonal
// long; before each step the point twice the step ahead is probed, which lands inside a small
// loop whose F is nearly quadratic however far the step starts. True with A and B on either
// side of a sign change. It gives up when the steps stop shrinking (no zero ahead), when they
// fall below an eighth of the shortest piece it must find (an F that only nears zero), and
// where an earlier descent gave up: the points of a descent that gave up are marked, since
// descents from the squares about one minimum of |F| all go down to it.
bool TImplicitCurveLine::Descend(Point2 Start, Point2& A, double& FA, Point2& B, double& FB) {
    const double Reach = std::hypot(Grid.Step.X, Grid.Step.Y) / 3;
    const double Shortest = 0.002 * std::min(Max.X - Min.X, Max.Y - Min.Y);
    Point2 Path[MaxDescent];
    int Went = 0;
    Point2 P = Start, G;
    auto GiveUp = [&] {
        if (!Newton.Aborted)
            for (int K = 0; K < Went; ++K) MarkDead(Path[K]);
        return false;
    };
    double F;
    if (!GradientAt(P, G) || !Evaluate(P, F)) return false;
    const double F0 = F;
    if (F0 == 0) return false;  // no side to tell the other from
    double PrevLength = std::numeric_limits<double>::infinity();
    for (int Iteration = 0; Iteration < MaxDescent; ++Iteration) {
        const double Gn = std::hypot(G.X, G.Y);
        if (!(Gn > 0)) return false;
        double Length = std::fabs(F) / Gn;
        const bool Clamped = !(Length <= Reach);
        if (Clamped) Length = Reach;
        if (!Clamped && Iteration > 0 && Length > 0.9 * PrevLength) return GiveUp();
        const Point2 Dir{-Sign(F) * G.X / Gn, -Sign(F) * G.Y / Gn};
        const Point2 Q = IntoDomain(P, {P.X + 2 * Length * Dir.X, P.Y + 2 * Length * Dir.Y});
        double FQ;
        if (!Evaluate(Q, FQ)) return false;
        if (FQ * F0 < 0) {
            A = P;
            FA = F;
            B = Q;
            FB = FQ;
            return true;
        }
        if (Length < Shortest / 8) return GiveUp();
        const Point2 Next = IntoDomain(P, {P.X + Length * Dir.X, P.Y + Length * Dir.Y});
        if (Next.X == P.X && Next.Y == P.Y) return false;  // held at the border
        if (NearDead(Next)) return GiveUp();
        // Far from its square: what lies there is the business of the squares there.
        if (std::hypot(Next.X - Start.X, Next.Y - Start.Y) > 2 * Reach) return false;
        PrevLength = Length;
        const Point2 Prev = P;
        const double FPrev = F;
        P = Next;
        Path[Went++] = P;
        if (!GradientAt(P, G) || !Evaluate(P, F)) return false;
        if (F * F0 < 0) {
            A = Prev;
            FA = FPrev;
            B = P;
            FB = F;
            return true;
        }
    }
    return GiveUp();
}

// A seed at the sign change between A and B: bisection to a sixty-fourth of a fine cell, then
// the Newton correction from the nearer end, unless it goes astray (then the end itself).
bool TImplicitCurveLine::SeedBetween(Point2 A, double FA, Point2 B, double FB, Point2& Result) {
    const double Small = std::min(FineStep.X, FineStep.Y) / 64;
    const double Cell = std::min(FineStep.X, FineStep.Y);
    bool Looked = false;
    for (int I = 0; I < MaxBisections && std::hypot(B.X - A.X, B.Y - A.Y) > Small; ++I) {
        // Once the sign change is known within a fine cell: a traced curve there is the
        // one it found.
        if (!Looked && std::hypot(B.X - A.X, B.Y - A.Y) <= Cell) {
            Looked = true;
            if (Covered({(A.X + B.X) / 2, (A.Y + B.Y) / 2})) return false;
        }
        const Point2 M{(A.X + B.X) / 2, (A.Y + B.Y) / 2};
        double FM;
        if (!Evaluate(M, FM)) return false;
        if (FM == 0) {
            Result = M;
            return true;
        }
        if (FM * FA < 0) {
            B = M;
            FB = FM;
        } else {
            A = M;
            FA = FM;
        }
    }
    const Point2 Start = std::fabs(FA) <= std::fabs(FB) ? A : B;
    if (Newton.Correct(Start, Start, true, Result) &&
        std::hypot(Result.X - Start.X, Result.Y - Start.Y) <= std::hypot(FineStep.X, FineStep.Y))
        return true;
    if (Newton.Aborted) return false;
    Result = Start;
    return true;
}

void TImplicitCurveLine::Refine() {
    if (Newton.Aborted) return;
    RefinementCandidates();
    if (Candidates.empty()) return;
    BudgetedClient Budgeted(*Newton.Client, RefinementBudget);
    bool Cut = false;
    {
        ClientSwap Swap(Newton.Client, &Budgeted);
        for (const Candidate& C : Candidates) {
            if (Newton.Aborted) break;
            // Squares that only the safety margin brings to zero come last, and have a
            // quarter of the budget: the tails of a positive F that falls off fast are many.
            if (C.Score * RefinementSafety > 1 && Budgeted.Spent >= RefinementBudget / 4) {
                Cut = true;
                break;
            }
            const int Index = C.Index;
            const Point2 X = Grid.Sample(Index / 360, Index / 9 % 40, Index % 9);
            Point2 A, B, Seed;
            double FA = 0, FB = 0;
            if (!Descend(X, A, FA, B, FB) || !SeedBetween(A, FA, B, FB, Seed)) continue;
            if (Covered(Seed)) continue;
            const int I = FloorI((Seed.X - Min.X) / FineStep.X);
            const int J = FloorI((Seed.Y - Min.Y) / FineStep.Y);
            if (I < 0 || I >= FineCount || J < 0 || J >= FineCount) continue;
            TraceFromSeed(Seed, I, J);
            ++RefinePieces;
        }
    }
    for (int Cell : DeadList) Dead[Cell / 401][Cell % 401] = 0;
    DeadList.clear();
    RefineSpent = Budgeted.Spent;
    // A refusal of the budget ends the refinement, not the run: the client was not asked.
    if (Budgeted.Refused) {
        Cut = true;
        Newton.Aborted = false;
    }
    RefineCut = Cut;
}
