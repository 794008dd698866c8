// Traces the zero set F(u, v) = 0 of a smooth function in a rectangle: a seed search on a
// coarse grid, then a predictor-corrector continuation along the curve in both directions,
// with a fine grid of visited cells that stops a branch where it meets one traced already.
// Nodes go to a callback as they are found; the tracer stores no curve and allocates nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "common/ConstTypesAndGlobals.h"

// What the tracer works on. Value and Gradient return false where F cannot be evaluated (a
// result that is not a finite number); that ends the run, and the nodes handed out stay.
class ImplicitCurveClient {
public:
    virtual ~ImplicitCurveClient() = default;
    virtual bool Value(Point2 P, double& F) = 0;
    virtual bool Gradient(Point2 P, Point2& G) = 0;
    // Flag 1: the node starts a new piece; 0: it continues the current piece.
    virtual void StoreNode(Point2 P, int32_t Flag) = 0;
    // Told after each seed cell of the search, with the number of cells searched so far.
    virtual void CellSearched(int Done, int Total) {
        (void)Done;
        (void)Total;
    }
    // Whether Value(P) would be answered from what earlier calls left rather than computed
    // (then a sample computed elsewhere may differ from it in its last bits).
    virtual bool Recalls(Point2 P) const {
        (void)P;
        return false;
    }
    // Told that the tracer took F (Done: whether it could be evaluated) for P from a sample
    // computed elsewhere, as if it had asked Value(P): the client remembers it as it would.
    virtual void Assume(Point2 P, bool Done, double F) {
        (void)P;
        (void)Done;
        (void)F;
    }
    // What the client remembers now, in the terms of Assume: Assume(P, Done, F) on another
    // client of the same kind makes it remember the same.
    virtual void Memory(Point2& P, bool& Done, double& F) const {
        P = {0, 0};
        Done = false;
        F = 0;
    }
    // May refuse a continuation step.
    virtual bool AcceptStep(Point2 Old, Point2 New) {
        (void)Old;
        (void)New;
        return true;
    }
};

// The points of the seed search: 3 x 3 samples in each coarse cell, cell (I, J) holding the
// samples Index(I, J, 0..8).
struct SeedGrid {
    int Count = 0;  // cells per side
    double Lines[2][41] = {};
    Point2 Step;
    static constexpr double Fractions[3] = {1.0 / 6, 0.5, 5.0 / 6};
    Point2 Sample(int I, int J, int K) const {
        return {Lines[0][I] + Fractions[K / 3] * Step.X, Lines[1][J] + Fractions[K % 3] * Step.Y};
    }
    static int Index(int I, int J, int K) { return (I * 40 + J) * 9 + K; }
};

// Values of the seed samples computed ahead of the run (by other threads, say): Done and F
// as the client's Value gave them.
struct SeedSamples {
    std::vector<double> F;
    std::vector<uint8_t> Done;
};

// Fills the samples of the cells [FirstCell, EndCell) (cell number I * Count + J) through a
// client of its own; stops early (leaving the rest not done) when an evaluation fails.
void SampleSeeds(ImplicitCurveClient& Client, const SeedGrid& Grid, int FirstCell, int EndCell,
                 SeedSamples& Out);

// Work a run may hand to other threads: the seed samples before the search, and the Newton
// corrections of seeds ahead of it while it traces.
class TracerHelpers {
public:
    virtual ~TracerHelpers() = default;
    // Fills every seed sample of the grid (a sample it does not reach ends the run there).
    virtual void Sample(const SeedGrid& Grid, SeedSamples& Out) = 0;
    // Runs Work on another thread with a client of that thread's own, one that answers as the
    // run's client does; false when no other thread can take it.
    virtual bool StartAhead(std::function<void(ImplicitCurveClient&)> Work) = 0;
    // Returns when the work started is over.
    virtual void WaitAhead() = 0;
};

// What a correction compared with its tolerance: enough to tell whether it would have taken
// the same steps with another tolerance, and what the tolerance would have been after it.
struct CorrectionTrail {
    double StartTolerance = 0, EndTolerance = 0;
    double LeastMiss = 0;  // the least |F| found not below the tolerance (infinity if none)
    double Hit = 0;        // the |F| found below it, where one was
    bool Found = false;    // what the correction returned
    bool Bisected = false;  // bisection compares with the tolerance at every step
    bool Adapted = false;   // it set a new tolerance from the values it found

    bool SameStepsWith(double Tolerance) const;
    double ToleranceAfter(double Tolerance) const;  // for one with the same steps
};

// The Newton correction onto the curve, with the tolerance it adapts as it goes. A correction
// is a function of its start, the tolerance it starts with and the client's answers, so one
// computed on another thread with a tolerance that gives the same steps is the one the
// search would compute.
struct CurveCorrector {
    static constexpr int MaxIterations = 60;
    ImplicitCurveClient* Client = nullptr;
    double Tolerance = 1e-10;
    double TinyValue = 0;
    double CoarseDiagonal = 0;
    bool Aborted = false;  // an evaluation failed: everything after it fails too
    CorrectionTrail Trail;  // of the last correction

    bool Evaluate(Point2 P, double& F);
    bool GradientAt(Point2 P, Point2& G);
    bool Correct(Point2 P0, Point2 Other, bool AlongGradient, Point2& Result);
    void Bisect(Point2 A, Point2 D, double FLo, double FHi, double THi, Point2& P, double& FM);

private:
    bool Steps(Point2 P0, Point2 Other, bool AlongGradient, Point2& Result);
    bool Below(double F);  // |F| below the tolerance, noted in the trail
};

struct SeedsAhead;

class TImplicitCurveLine {
public:
    // Bounds of one run, whatever the function: continuation steps, and Newton iterations of
    // one correction.
    static constexpr int MaxSteps = 200000;
    static constexpr int MaxCorrections = CurveCorrector::MaxIterations;

    // The refinement of the seed search. One seed per coarse cell misses a piece that shares
    // its cell with another (two small loops, a loop beside a curve) and one that Newton's
    // method does not reach from the cell's best sample. Once the search is over, each of
    // the 3 x 3 squares of a cell around its samples whose sample is small for the
    // gradient and curvature the cell's nine samples show (a Taylor bound of F over the square
    // cannot exclude a zero) is searched, most promising first, unless the linear model from
    // its sample points at a curve traced already: a gradient-guided descent from the sample
    // probes, at every Newton step, twice the step ahead for a value of the other sign, and a
    // sign change found is narrowed to a seed that traces a new piece. A square that only
    // comes close to zero without a sign change (the minima of an F >= 0) gives no piece.
    // The refinement asks for at most RefinementBudget evaluations per run (values not
    // recalled by the client and gradients, the tracing of its pieces included); the search
    // and its nodes come before it and are those of a run without it. Pieces longer than
    // 0.2 % of the domain's smaller side that the samples resolve are found while the budget
    // lasts, except within one fine cell of a curve traced already (which would not show
    // apart from it).
    static constexpr int RefinementBudget = 8000;
    static constexpr double RefinementSafety = 2;  // the Taylor bound's margin
    void SetRefinement(bool On) { Refining = On; }
    // Of the last run: evaluations the refinement asked for, pieces it started, and whether
    // its budget ran out before it had searched every square it meant to.
    int RefinementEvaluations() const { return RefineSpent; }
    int RefinementPieces() const { return RefinePieces; }
    bool RefinementCut() const { return RefineCut; }

    TImplicitCurveLine();
    ~TImplicitCurveLine();
    TImplicitCurveLine(const TImplicitCurveLine&) = delete;
    TImplicitCurveLine& operator=(const TImplicitCurveLine&) = delete;

    // Traces the zero set in [Min.X, Max.X] x [Min.Y, Max.Y]; counts are cut to 40 and 400.
    // Returns false when an evaluation failed and ended the run early.
    // Helpers, when given, sample the seed grid before the search and may correct seeds ahead
    // of it; the nodes are exactly those of a run that asks its client for everything.
    bool Run(ImplicitCurveClient& Client, Point2 Min, Point2 Max, int CoarseCount,
             int FineCount, double StepLength, TracerHelpers* Helpers = nullptr);

    int CoarseCountUsed() const { return CoarseCount; }
    int FineCountUsed() const { return FineCount; }
    // Seed corrections of the last run taken from a helper instead of computed by the search.
    int SeedsTakenAhead() const { return TakenAhead; }

    static int FloorI(double X);

private:
    bool Evaluate(Point2 P, double& F) { return Newton.Evaluate(P, F); }
    bool GradientAt(Point2 P, Point2& G) { return Newton.GradientAt(P, G); }
    void Setup(Point2 Min, Point2 Max, int Coarse, int Fine, double Step);
    bool Seed(int I, int J, Point2& Result);
    bool SampleAt(Point2 X, int Index, double& F);
    bool TakeAhead(int Cell, Point2 Start, bool& Found, Point2& Result);
    bool Tangent(Point2 P, Point2& T);
    bool Step(Point2 P, Point2& T, Point2& Next);
    void TraceFromSeed(Point2 P0, int A, int B);
    bool MarkLine(int A0, int B0, int A1, int B1);
    bool Mark(int A, int B);  // marks a cell; true when it was marked already
    double Margin(Point2 P) const;
    void Refine();
    void RefinementCandidates();
    // A marked fine cell at P or beside it, of Visited (Covered) or of Dead (NearDead).
    bool MarkedAround(const uint8_t (&Cells)[401][401], Point2 P) const;
    bool Covered(Point2 P) const;
    bool CrossesCovered(Point2 Middle, Point2 Half) const;
    bool NearDead(Point2 P) const;
    void MarkDead(Point2 P);
    bool Descend(Point2 Start, Point2& A, double& FA, Point2& B, double& FB);
    bool SeedBetween(Point2 A, double FA, Point2 B, double FB, Point2& Result);
    Point2 IntoDomain(Point2 From, Point2 To) const;

    CurveCorrector Newton;  // its client is the run's
    uint8_t Visited[401][401] = {};
    SeedGrid Grid;
    const SeedSamples* Samples = nullptr;
    SeedsAhead* Ahead = nullptr;  // while a run has a helper
    // Kept from run to run: fresh memory of this size costs more to map than to reuse.
    SeedSamples Computed;
    std::unique_ptr<SeedsAhead> AheadStore;
    Point2 Min, Max, CoarseStep, FineStep, Half, Centre;
    int CoarseCount = 0;
    int FineCount = 0;
    double StepLength = 0;
    int Steps = 0;
    int TakenAhead = 0;
    // The seed samples as the search saw them, and the squares the refinement means to search.
    struct Candidate {
        double Score;  // the sample's |F| over its bound: the smaller, the likelier a zero
        int Index;     // SeedGrid::Index of the sample
    };
    std::vector<double> Seen;
    std::vector<Candidate> Candidates;
    // Fine cells where descents that found no sign change went, and the list that clears them.
    uint8_t Dead[401][401] = {};
    std::vector<int> DeadList;
    bool Refining = true;
    int RefineSpent = 0;
    int RefinePieces = 0;
    bool RefineCut = false;
};
