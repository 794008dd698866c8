// Traces the zero set F(u, v) = 0 of a smooth function in a rectangle: a seed search on a
// coarse grid, then a predictor-corrector continuation along the curve in both directions,
// with a fine grid of visited cells that stops a branch where it meets one traced already.
// Nodes go to a callback as they are found; the tracer stores no curve and allocates nothing.
#pragma once

#include <cstdint>
#include <functional>
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

class TImplicitCurveLine {
public:
    // Bounds of one run, whatever the function: continuation steps, and Newton iterations of
    // one correction.
    static constexpr int MaxSteps = 200000;
    static constexpr int MaxCorrections = 60;

    TImplicitCurveLine();

    // Traces the zero set in [Min.X, Max.X] x [Min.Y, Max.Y]; counts are cut to 40 and 400.
    // Returns false when an evaluation failed and ended the run early.
    // Sampler, when given, fills every seed sample of the grid before the search (it may
    // spread the work over threads); the run then takes the samples from it, and the nodes
    // are exactly those of a run that asks the client for each.
    bool Run(ImplicitCurveClient& Client, Point2 Min, Point2 Max, int CoarseCount,
             int FineCount, double StepLength,
             const std::function<void(const SeedGrid&, SeedSamples&)>& Sampler = {});

    int CoarseCountUsed() const { return CoarseCount; }
    int FineCountUsed() const { return FineCount; }

    static int FloorI(double X);

private:
    bool Evaluate(Point2 P, double& F);
    bool GradientAt(Point2 P, Point2& G);
    void Setup(Point2 Min, Point2 Max, int Coarse, int Fine, double Step);
    bool Seed(int I, int J, Point2& Result);
    bool SampleAt(Point2 X, int Index, double& F);
    bool Correct(Point2 P0, Point2 Other, bool AlongGradient, Point2& Result);
    void Bisect(Point2 A, Point2 D, double FLo, double FHi, double THi, Point2& P, double& FM);
    bool Tangent(Point2 P, Point2& T);
    bool Step(Point2 P, Point2& T, Point2& Next);
    void TraceFromSeed(Point2 P0, int A, int B);
    bool MarkLine(int A0, int B0, int A1, int B1);
    bool Mark(int A, int B);  // marks a cell; true when it was marked already
    double Margin(Point2 P) const;

    ImplicitCurveClient* Client = nullptr;
    uint8_t Visited[401][401] = {};
    SeedGrid Grid;
    const SeedSamples* Samples = nullptr;
    Point2 Min, Max, CoarseStep, FineStep, Half, Centre;
    double CoarseDiagonal = 0;
    int CoarseCount = 0;
    int FineCount = 0;
    double Tolerance = 1e-10;
    double StepLength = 0;
    double TinyValue = 0;
    bool Aborted = false;
    int Steps = 0;
};
