// The implicit curve tracer: seeds, Newton correction with an adaptive tolerance, bisection,
// tangent steps with shrinking trial scales, and the visited-cell bookkeeping.
#include "curves/FImplicitCurveLine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>

TImplicitCurveLine::TImplicitCurveLine() = default;
TImplicitCurveLine::~TImplicitCurveLine() = default;

void SampleSeeds(ImplicitCurveClient& Client, const SeedGrid& Grid, int FirstCell, int EndCell,
                 SeedSamples& Out) {
    for (int Cell = FirstCell; Cell < EndCell; ++Cell) {
        const int I = Cell / Grid.Count, J = Cell % Grid.Count;
        for (int K = 0; K < 9; ++K) {
            const size_t At = static_cast<size_t>(SeedGrid::Index(I, J, K));
            double F = 0;
            const bool Done = Client.Value(Grid.Sample(I, J, K), F);
            Out.F[At] = F;
            Out.Done[At] = Done ? 1 : 0;
            // The run ends at the first failure: nothing after it is needed.
            if (!Done || !std::isfinite(F)) return;
        }
    }
}

namespace {

// The length of (X, Y): the plain formula where it can neither overflow nor lose digits to
// underflow, the careful library function elsewhere (it is several times slower).
double Length(double X, double Y) {
    double S = X * X + Y * Y;
    if (S > 1e-290 && S < 1e290) return std::sqrt(S);
    return std::hypot(X, Y);
}

}  // namespace

int TImplicitCurveLine::FloorI(double X) {
    // Guarded so that huge or undefined values give an index outside every grid instead of
    // an undefined conversion.
    if (!(X > -1e9 && X < 1e9)) return X > 0 ? 1000000000 : -1000000000;
    int I = static_cast<int>(X);
    return X < 0 && I != X ? I - 1 : I;
}

bool CurveCorrector::Evaluate(Point2 P, double& F) {
    if (Aborted) return false;
    if (!Client->Value(P, F) || !std::isfinite(F)) {
        Aborted = true;
        return false;
    }
    return true;
}

bool CurveCorrector::GradientAt(Point2 P, Point2& G) {
    if (Aborted) return false;
    if (!Client->Gradient(P, G) || !std::isfinite(G.X) || !std::isfinite(G.Y)) {
        Aborted = true;
        return false;
    }
    return true;
}

double TImplicitCurveLine::Margin(Point2 P) const {
    return std::min(Half.X - std::fabs(P.X - Centre.X), Half.Y - std::fabs(P.Y - Centre.Y));
}

void TImplicitCurveLine::Setup(Point2 MinP, Point2 MaxP, int Coarse, int Fine, double Step) {
    Min = MinP;
    Max = MaxP;
    StepLength = Step;
    CoarseCount = std::max(1, std::min(40, Coarse));
    FineCount = std::max(1, std::min(400, Fine));
    const double Lo[2] = {Min.X, Min.Y}, Hi[2] = {Max.X, Max.Y};
    double H[2], C[2], CS[2], FS[2];
    for (int K = 0; K < 2; ++K) {
        H[K] = (Hi[K] - Lo[K]) / 2;
        C[K] = (Hi[K] + Lo[K]) / 2;
        CS[K] = 2 * H[K] / CoarseCount;
        FS[K] = 2 * H[K] / FineCount;
        Grid.Lines[K][0] = Lo[K];
        for (int J = 1; J <= CoarseCount; ++J) Grid.Lines[K][J] = Grid.Lines[K][J - 1] + CS[K];
    }
    Half = {H[0], H[1]};
    Centre = {C[0], C[1]};
    CoarseStep = {CS[0], CS[1]};
    Grid.Count = CoarseCount;
    Grid.Step = CoarseStep;
    Newton.CoarseDiagonal = std::hypot(CS[0], CS[1]);
    FineStep = {FS[0], FS[1]};
    for (auto& Row : Visited) std::fill(std::begin(Row), std::end(Row), uint8_t{0});

    // The size of F over a 10 x 10 grid, its largest sample left out; failed samples are
    // not counted.
    double Sum = 1e-15, Peak = 0;
    int Count = 101;
    for (int I = 1; I <= 10; ++I) {
        for (int J = 1; J <= 10; ++J) {
            Point2 P{Min.X + (2 * I - 1) * H[0] / 10, Min.Y + (2 * J - 1) * H[1] / 10};
            double Y;
            if (Newton.Client->Value(P, Y) && std::isfinite(Y)) {
                Y = std::fabs(Y);
                if (Y > Peak) Peak = Y;
                Sum += Y;
            } else {
                --Count;
            }
        }
    }
    double Mean = (Sum - Peak) / Count;
    Newton.TinyValue = 1e-32 * Mean;
    Newton.Tolerance = std::min(1e-10, std::max(Newton.TinyValue, 1e-6 * Mean));
}

// A seed sample: computed ahead where it was, unless the client would answer it from its
// memory (its answer is then the one a run asking for every sample gets).
bool TImplicitCurveLine::SampleAt(Point2 X, int Index, double& F) {
    if (!Samples || Newton.Aborted || Newton.Client->Recalls(X)) return Evaluate(X, F);
    const size_t At = static_cast<size_t>(Index);
    F = Samples->F[At];
    const bool Done = Samples->Done[At] != 0;
    Newton.Client->Assume(X, Done, F);
    if (!Done || !std::isfinite(F)) {
        Newton.Aborted = true;
        return false;
    }
    return true;
}

// Seed corrections a helper computes while the search traces: in the search's order, on cells
// after the one the search is at, each with the search's latest tolerance. An
// entry is written whole before its flag is set, and the search reads it only after seeing
// the flag.
struct SeedsAhead {
    struct Entry {
        Point2 Start, Result, MemoryAt;
        CorrectionTrail Trail;
        double MemoryF = 0;
        bool MemoryDone = false;
    };
    Entry Entries[40 * 40];
    std::atomic<bool> Ready[40 * 40];
    std::atomic<int> Reached{0};  // the cell the search is at; past the last when it is over
    std::atomic<double> Tolerance{0};

    void Reset(double StartTolerance) {
        for (std::atomic<bool>& R : Ready) R.store(false, std::memory_order_relaxed);
        Reached.store(-1, std::memory_order_relaxed);
        Tolerance.store(StartTolerance, std::memory_order_relaxed);
    }
};

namespace {

// The best of a cell's seed samples as computed ahead; false where the search would end or
// find no seed there.
bool BestSample(const SeedGrid& Grid, const SeedSamples& Samples, int I, int J, Point2& Point) {
    double Best = 1e30;
    for (int K = 0; K < 9; ++K) {
        const size_t At = static_cast<size_t>(SeedGrid::Index(I, J, K));
        const double F = Samples.F[At];
        if (Samples.Done[At] == 0 || !std::isfinite(F)) return false;
        if (std::fabs(F) < Best) {
            Best = std::fabs(F);
            Point = Grid.Sample(I, J, K);
        }
    }
    return Best < 1e30;
}

void CorrectSeedsAhead(ImplicitCurveClient& Own, CurveCorrector Newton, const SeedGrid& Grid,
                       const SeedSamples& Samples, SeedsAhead& Ahead) {
    Newton.Client = &Own;
    const int Cells = Grid.Count * Grid.Count;
    for (int Next = 0;;) {
        // The cell the search is at stays its own; the helper keeps to the cells after it.
        // Where the search has caught up with it (its cells cost the search no more than the
        // helper), the two would keep computing the same cells: the helper then moves to the
        // middle of what is left, and the search does the cells before that itself.
        const int At = Ahead.Reached.load(std::memory_order_acquire);
        if (At >= Cells) return;
        const int Cell = Next > 0 && At >= Next ? At + 1 + (Cells - At - 1) / 2
                                                : std::max(Next, At + 1);
        if (Cell >= Cells) return;
        Next = Cell + 1;
        SeedsAhead::Entry E;
        if (!BestSample(Grid, Samples, Cell / Grid.Count, Cell % Grid.Count, E.Start)) continue;
        Newton.Tolerance = Ahead.Tolerance.load(std::memory_order_relaxed);
        Newton.Correct(E.Start, E.Start, true, E.Result);
        // A failed evaluation is left for the search to meet (it ends the search there).
        if (Newton.Aborted) {
            Newton.Aborted = false;
            continue;
        }
        E.Trail = Newton.Trail;
        Own.Memory(E.MemoryAt, E.MemoryDone, E.MemoryF);
        Ahead.Entries[Cell] = E;
        Ahead.Ready[Cell].store(true, std::memory_order_release);
    }
}

// Ends the helper's work with the run, on an error as well: it reads the run's samples.
class AheadWork {
public:
    AheadWork(TracerHelpers* Helpers, SeedsAhead& Ahead) : Helpers(Helpers), Ahead(Ahead) {}
    AheadWork(const AheadWork&) = delete;
    AheadWork& operator=(const AheadWork&) = delete;
    ~AheadWork() {
        try {
            Finish();
        } catch (...) {  // an error of the helper's is not this one's to report
        }
    }
    void Start(std::function<void(ImplicitCurveClient&)> Work) {
        Started = Helpers->StartAhead(std::move(Work));
    }
    void Finish() {
        if (!Started) return;
        Started = false;
        Ahead.Reached.store(std::numeric_limits<int>::max(), std::memory_order_release);
        Helpers->WaitAhead();
    }

private:
    TracerHelpers* Helpers;
    SeedsAhead& Ahead;
    bool Started = false;
};

}  // namespace

bool TImplicitCurveLine::Seed(int I, int J, Point2& Result) {
    double Best = 1e30;
    Point2 BestPoint;
    for (int K = 0; K < 9; ++K) {
        const Point2 X = Grid.Sample(I, J, K);
        double F;
        if (!SampleAt(X, SeedGrid::Index(I, J, K), F)) return false;
        Seen[static_cast<size_t>(SeedGrid::Index(I, J, K))] = F;
        if (std::fabs(F) < Best) {
            Best = std::fabs(F);
            BestPoint = X;
        }
    }
    if (!(Best < 1e30)) return false;
    bool Found;
    if (TakeAhead(I * Grid.Count + J, BestPoint, Found, Result)) return Found;
    return Newton.Correct(BestPoint, BestPoint, true, Result);
}

// A correction from the helper counts where it started from the same point and took the
// steps the search's would take with its tolerance now; the search then takes its result,
// its tolerance and the client's memory after it.
bool TImplicitCurveLine::TakeAhead(int Cell, Point2 Start, bool& Found, Point2& Result) {
    if (!Ahead || !Ahead->Ready[Cell].load(std::memory_order_acquire)) return false;
    const SeedsAhead::Entry& E = Ahead->Entries[Cell];
    if (!(E.Start.X == Start.X && E.Start.Y == Start.Y)) return false;
    if (!E.Trail.SameStepsWith(Newton.Tolerance)) return false;
    Newton.Tolerance = E.Trail.ToleranceAfter(Newton.Tolerance);
    Newton.Client->Assume(E.MemoryAt, E.MemoryDone, E.MemoryF);
    Found = E.Trail.Found;
    Result = E.Result;
    ++TakenAhead;
    return true;
}

void CurveCorrector::Bisect(Point2 A, Point2 D, double FLo, double FHi, double THi,
                                Point2& P, double& FM) {
    double TLo = 0;
    P = A;
    FM = FLo;
    for (int I = 0; I < 100 && FLo * FHi < 0; ++I) {
        double TM = (TLo + THi) / 2;
        P = {A.X + TM * D.X, A.Y + TM * D.Y};
        if (!Evaluate(P, FM)) return;
        if (FM == FLo || FM == FHi) {
            Tolerance = 10 * std::fabs(FM);  // no more progress in the arithmetic
            return;
        }
        if (std::fabs(FM) < Tolerance) return;
        if (FM * FLo > 0) {
            TLo = TM;
            FLo = FM;
        } else {
            THi = TM;
            FHi = FM;
        }
    }
}

bool CorrectionTrail::SameStepsWith(double T) const {
    // Bisection compares at every halving: only the same tolerance repeats it. Otherwise
    // each comparison must come out as it did: what was not below stays not below, what was
    // below stays below.
    if (Bisected) return T == StartTolerance;
    return LeastMiss >= T && (!Found || Hit < T);
}

double CorrectionTrail::ToleranceAfter(double T) const {
    return Bisected || Adapted ? EndTolerance : T;
}

bool CurveCorrector::Below(double F) {
    const double A = std::fabs(F);
    if (A < Tolerance) {
        Trail.Hit = A;
        return true;
    }
    Trail.LeastMiss = std::min(Trail.LeastMiss, A);
    return false;
}

bool CurveCorrector::Correct(Point2 P0, Point2 Other, bool AlongGradient, Point2& Result) {
    Trail = {};
    Trail.StartTolerance = Tolerance;
    Trail.LeastMiss = std::numeric_limits<double>::infinity();
    Trail.Found = Steps(P0, Other, AlongGradient, Result);
    Trail.EndTolerance = Tolerance;
    return Trail.Found;
}

bool CurveCorrector::Steps(Point2 P0, Point2 Other, bool AlongGradient, Point2& Result) {
    Point2 G;
    if (!GradientAt(P0, G)) return false;
    Point2 D = AlongGradient ? G : Point2{P0.Y - Other.Y, Other.X - P0.X};
    Point2 P = P0;
    double F;
    if (!Evaluate(P, F)) return false;
    double SumAbs = std::fabs(F);
    int N = 1;
    if (Below(F)) {
        Result = P;
        return true;
    }
    double LastLen = 0.3 * CoarseDiagonal;
    for (int Iteration = 0; Iteration < MaxIterations; ++Iteration) {
        double FPrev = F;
        Point2 PPrev = P;
        double PrevLen = LastLen;
        // The first iteration starts where the gradient was just taken.
        if (Iteration > 0 && !GradientAt(P, G)) return false;
        if (AlongGradient) D = G;
        double S = G.X * D.X + G.Y * D.Y;
        if (!(std::fabs(S) >= 1e-64)) return false;
        double T = -F / S;
        P = {PPrev.X + T * D.X, PPrev.Y + T * D.Y};
        LastLen = Length(T * D.X, T * D.Y);
        if (!Evaluate(P, F)) return false;
        SumAbs += std::fabs(F);
        ++N;
        bool Success = false;
        if (Below(F)) {
            Success = true;
        } else if (LastLen > 0.9 * PrevLen) {
            return false;
        } else if (F * FPrev < -1e-64) {
            Trail.Bisected = true;
            Bisect(PPrev, D, FPrev, F, T, P, F);
            if (Aborted || !(std::fabs(F) <= Tolerance)) return false;
            Success = true;
        }
        if (Success) {
            Tolerance = std::min(1e-10, std::max(TinyValue, 0.1 * SumAbs / N));
            Trail.Adapted = true;
            Result = P;
            return true;
        }
    }
    return false;
}

bool TImplicitCurveLine::Tangent(Point2 P, Point2& T) {
    Point2 G;
    if (!GradientAt(P, G)) return false;
    double Gn = Length(G.X, G.Y);
    if (!(Gn > 1e-24)) return false;
    double K = (5 * Gn + 6) * StepLength / ((2 + Gn) * Gn);
    T = {-K * G.Y, K * G.X};
    return true;
}

bool TImplicitCurveLine::Step(Point2 P, Point2& T, Point2& Next) {
    if (++Steps > MaxSteps) return false;
    Point2 TNew;
    if (!Tangent(P, TNew)) return false;
    if (TNew.X * T.X + TNew.Y * T.Y < 0) TNew = {-TNew.X, -TNew.Y};
    double S = 1.25;
    for (int K = 1; K <= 8 && !Newton.Aborted; ++K) {
        S *= 0.8;
        Point2 Q{P.X + S * TNew.X, P.Y + S * TNew.Y};
        if (Newton.Correct(Q, P, false, Next) && Newton.Client->AcceptStep(P, Next)) {
            T = TNew;
            return true;
        }
    }
    return false;
}

bool TImplicitCurveLine::Mark(int A, int B) {
    // Indices outside the grid (the grid has a spare row and column) are never touched.
    if (A < 0 || B < 0 || A > 400 || B > 400) return false;
    bool Was = Visited[A][B] != 0;
    Visited[A][B] = 1;
    return Was;
}

bool TImplicitCurveLine::MarkLine(int A0, int B0, int A1, int B1) {
    Mark(A0, B0);
    if (A0 == A1 && B0 == B1) return false;
    bool Hit = false;
    if (std::abs(A1 - A0) < std::abs(B1 - B0)) {
        double R = static_cast<double>(A1 - A0) / (B1 - B0);
        int Sign = B1 > B0 ? 1 : -1;
        for (int K = Sign; B0 + K - Sign != B1; K += Sign)
            Hit = Mark(static_cast<int>(std::nearbyint(K * R + A0)), B0 + K) || Hit;
    } else {
        double R = static_cast<double>(B1 - B0) / (A1 - A0);
        int Sign = A1 > A0 ? 1 : -1;
        for (int K = Sign; A0 + K - Sign != A1; K += Sign)
            Hit = Mark(A0 + K, static_cast<int>(std::nearbyint(K * R + B0))) || Hit;
    }
    return Hit;
}

void TImplicitCurveLine::TraceFromSeed(Point2 P0, int A, int B) {
    Point2 T0;
    if (!Tangent(P0, T0)) {
        if (!Newton.Aborted) Newton.Client->StoreNode(P0, 1);
        Mark(A, B);
        return;
    }
    double M0 = Margin(P0);
    if (!(M0 > 0)) {
        Mark(A, B);
        return;
    }
    for (int Pass = 0; Pass < 2; ++Pass) {
        T0 = {-T0.X, -T0.Y};
        Newton.Client->StoreNode(P0, 1);
        Point2 P = P0, T = T0, PN;
        double MPrev = M0;
        int CI = A, CJ = B, Hits = 0, Short = 0;
        if (!Step(P, T, PN)) break;
        for (;;) {
            bool Clipped = false;
            double M = Margin(PN);
            if (M < 0) {
                double S = (MPrev - 1e-8) / (MPrev - M);
                PN = {P.X + S * (PN.X - P.X), P.Y + S * (PN.Y - P.Y)};
                Clipped = true;
            }
            MPrev = M;
            int NI = FloorI((PN.X - Min.X) / FineStep.X), NJ = FloorI((PN.Y - Min.Y) / FineStep.Y);
            Newton.Client->StoreNode(PN, 0);
            bool GoOn;
            if (std::abs(NI - CI) + std::abs(NJ - CJ) > 1) {
                bool Hit = MarkLine(CI, CJ, NI, NJ);
                Hits = Hit ? Hits + 1 : 0;
                Short = 0;
                GoOn = Hits < 2 && !Clipped;
            } else {
                ++Short;
                GoOn = Short < 50;
            }
            if (!GoOn) break;
            CI = NI;
            CJ = NJ;
            P = PN;
            if (!Step(P, T, PN) || Hits > 1 || Clipped) break;
        }
        if (Newton.Aborted) break;
        Visited[A][B] = 0;  // the second pass may start through the seed cell
    }
    Mark(A, B);
}

bool TImplicitCurveLine::Run(ImplicitCurveClient& C, Point2 MinP, Point2 MaxP, int Coarse,
                             int Fine, double Step, TracerHelpers* Helpers) {
    Newton.Client = &C;
    Newton.Aborted = false;
    Steps = 0;
    TakenAhead = 0;
    Samples = nullptr;
    Ahead = nullptr;
    RefineSpent = RefinePieces = 0;
    RefineCut = false;
    Setup(MinP, MaxP, Coarse, Fine, Step);
    // Cells the search does not sample keep no values of an earlier run.
    Seen.assign(static_cast<size_t>(SeedGrid::Index(40, 0, 0)),
                std::numeric_limits<double>::quiet_NaN());
    if (!AheadStore) AheadStore = std::make_unique<SeedsAhead>();
    AheadWork Helping(Helpers, *AheadStore);
    if (Helpers) {
        const size_t Count = static_cast<size_t>(SeedGrid::Index(40, 0, 0));
        Computed.F.assign(Count, 0.0);
        Computed.Done.assign(Count, 0);  // a sample the helpers did not reach ends the run
        Helpers->Sample(Grid, Computed);
        Samples = &Computed;
        Ahead = AheadStore.get();
        Ahead->Reset(Newton.Tolerance);
        Helping.Start([Newton = Newton, Grid = Grid, &Samples = Computed,
                       &Ahead = *Ahead](ImplicitCurveClient& Own) {
            CorrectSeedsAhead(Own, Newton, Grid, Samples, Ahead);
        });
    }
    for (int I = 0; I < CoarseCount && !Newton.Aborted; ++I) {
        for (int J = 0; J < CoarseCount && !Newton.Aborted; ++J) {
            if (Ahead) {
                Ahead->Reached.store(I * CoarseCount + J, std::memory_order_release);
                Ahead->Tolerance.store(Newton.Tolerance, std::memory_order_relaxed);
            }
            Point2 P;
            if (Seed(I, J, P)) {
                int A = FloorI((P.X - Min.X) / FineStep.X);
                int B = FloorI((P.Y - Min.Y) / FineStep.Y);
                if (A >= 0 && A < FineCount && B >= 0 && B < FineCount && Visited[A][B] == 0)
                    TraceFromSeed(P, A, B);
            }
            Newton.Client->CellSearched(I * CoarseCount + J + 1, CoarseCount * CoarseCount);
        }
    }
    Helping.Finish();
    Ahead = nullptr;
    if (Refining) Refine();
    return !Newton.Aborted;
}
