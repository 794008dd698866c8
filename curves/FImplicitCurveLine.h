// Traces the zero set F(u, v) = 0 of a smooth function in a rectangle: a seed search on a
// coarse grid, then a predictor-corrector continuation along the curve in both directions,
// with a fine grid of visited cells that stops a branch where it meets one traced already.
// Nodes go to a callback as they are found; the tracer stores no curve and allocates nothing.
#pragma once

#include <cstdint>

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
    // May refuse a continuation step.
    virtual bool AcceptStep(Point2 Old, Point2 New) {
        (void)Old;
        (void)New;
        return true;
    }
};

class TImplicitCurveLine {
public:
    // Bounds of one run, whatever the function: continuation steps, and Newton iterations of
    // one correction.
    static constexpr int MaxSteps = 200000;
    static constexpr int MaxCorrections = 60;

    TImplicitCurveLine();

    // Traces the zero set in [Min.X, Max.X] x [Min.Y, Max.Y]; counts are cut to 40 and 400.
    // Returns false when an evaluation failed and ended the run early.
    bool Run(ImplicitCurveClient& Client, Point2 Min, Point2 Max, int CoarseCount,
             int FineCount, double StepLength);

    int CoarseCountUsed() const { return CoarseCount; }
    int FineCountUsed() const { return FineCount; }

    static int FloorI(double X);

private:
    bool Evaluate(Point2 P, double& F);
    bool GradientAt(Point2 P, Point2& G);
    void Setup(Point2 Min, Point2 Max, int Coarse, int Fine, double Step);
    bool Seed(int I, int J, Point2& Result);
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
    double Fractions[3];
    double GridLines[2][41] = {};
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
