// Preimage counts of one band: the count of a pixel centre as a sum of winding numbers, so
// that only the edges where the triangles' orientation changes (the outline, folds, dropped
// triangles) add anything; exact integer tests in fixed point.
#include "curves/PreimageCount.h"

#include <algorithm>
#include <cmath>

void MappedTriangulation::Resize(int SquaresU, int SquaresV) {
    NU = std::max(SquaresU, 0);
    NV = std::max(SquaresV, 0);
    const size_t Size = static_cast<size_t>(NU + 1) * static_cast<size_t>(NV + 1);
    Vertices.resize(Size);
    Valid.resize(Size);
}

void PreimageCounts::Reset(int W, int H) {
    const bool Fits = W >= 0 && H >= 0 && W <= MaxPreimageRaster && H <= MaxPreimageRaster;
    Width = W;
    Height = H;
    // A raster the counts refuse gets no memory either; its band then reports bad input.
    Counts.resize(Fits ? static_cast<size_t>(W) * static_cast<size_t>(H) : 0);
    Complete = true;
    DroppedTriangles = 0;
}

std::span<uint16_t> PreimageCounts::Rows(int FirstRow, int EndRow) {
    if (FirstRow < 0 || FirstRow > EndRow || EndRow > Height || Width < 0) return {};
    const size_t First = static_cast<size_t>(FirstRow) * static_cast<size_t>(Width);
    const size_t End = static_cast<size_t>(EndRow) * static_cast<size_t>(Width);
    if (End > Counts.size()) return {};
    return std::span<uint16_t>(Counts).subspan(First, End - First);
}

void PreimageCounts::Add(const PreimageBandReport& Band) {
    Complete = Complete && Band.Complete;
    DroppedTriangles += Band.DroppedTriangles;
}

PlaneRaster::PlaneRaster(Point2 Min, Point2 Max, int Width, int Height)
    : Min(Min), Max(Max), ScaleX(Width / (Max.X - Min.X)), ScaleY(Height / (Max.Y - Min.Y)) {}

namespace {

// A vertex in 1/PreimageSubpixels pixel.
struct FixedVertex {
    int32_t X, Y;
};
// Where a vertex may not be used: beyond every usable vertex (|X|, |Y| <= 2^29 steps), so each
// of its triangles fails the span test and goes the careful way, which skips it.
constexpr int32_t Unusable = 1 << 30;

// Rounds to the nearest step. Values within a rounding error of a half step may go either
// way, but the same value always goes the same way, which is all the shared edges need. After
// the clamp |V| <= 2^29 steps, so V + 2^30 + 0.5 lies in (0, 2^31): the conversion truncates
// a positive number, i.e. rounds it down, without overflow and without a call to the library.
int32_t Snap(double V) {
    constexpr double Offset = 1 << 30;
    const double Clamped = std::clamp(V, -MaxPreimageCoordinate, MaxPreimageCoordinate);
    return static_cast<int32_t>(static_cast<int64_t>(Clamped * PreimageSubpixels + (Offset + 0.5)) -
                                static_cast<int64_t>(Offset));
}

// Vertices (A, From) to (A, To - 1) into Row.
void SnapRow(const MappedTriangulation& T, int A, size_t From, size_t To,
             std::vector<FixedVertex>& Row) {
    const size_t First = T.Index(A, 0);
    for (size_t B = From; B < To; ++B) {
        const Point2 P = T.Vertices[First + B];
        const bool Usable = T.Valid[First + B] && std::isfinite(P.X) && std::isfinite(P.Y);
        Row[B] = Usable ? FixedVertex{Snap(P.X), Snap(P.Y)} : FixedVertex{Unusable, Unusable};
    }
}

// The smallest and largest pixel index whose centre (256 I + 128 in steps) is >= V, <= V.
int CeilCentre(int32_t V) { return (V + (PreimageSubpixels / 2 - 1)) >> 8; }
int FloorCentre(int32_t V) { return (V - PreimageSubpixels / 2) >> 8; }
static_assert(PreimageSubpixels == 1 << 8, "the centre indices shift by log2(subpixels)");

int64_t FloorDivide(int64_t N, int64_t D) {  // D > 0
    const int64_t Q = N / D;
    return Q - (N % D < 0);
}

// +1, -1 or 0 as the triangle A, B, C turns one way, the other, or not at all.
int Orientation(FixedVertex A, FixedVertex B, FixedVertex C) {
    const int64_t Area = (static_cast<int64_t>(B.X) - A.X) * (static_cast<int64_t>(C.Y) - A.Y) -
                         (static_cast<int64_t>(B.Y) - A.Y) * (static_cast<int64_t>(C.X) - A.X);
    return (Area > 0) - (Area < 0);
}

// A centre P is counted as the point P' = P + (eps, eps^2), which lies on no edge. The number
// of triangles holding P' is the sum over the triangles of their orientation S times the
// winding number of their outline about P', and a winding number is the sum over the
// outline's edges of the crossings of the ray from P' to the right: +1 for an edge going down
// (y growing), -1 for one going up. An edge shared by two triangles enters the sum twice, once
// each way, with the weight S - S' of its two triangles: only where that is not 0 (the outline
// of the image, folds, next to a triangle that counts nothing) does an edge add anything.
// Exactly: the edge Q0 -> Q1 with Q0.Y < Q1.Y crosses the ray of the centre row at height PY
// when Q0.Y <= PY < Q1.Y (P'.Y is just below PY), and right of P' when its crossing is right
// of P.X (P'.X is just right of it, so a crossing at P.X itself is left of P').
//
// The crossings go into a row of differences: a crossing right of the centres I < K adds its
// weight at K - 1, and the count of centre I is the sum of the differences from I rightward.
class BandCounter {
public:
    BandCounter(int Width, int FirstRow, int EndRow, int Span, int64_t Budget,
                const std::atomic<bool>* Stop, PreimageBandReport& Report)
        : Width(Width),
          FirstRow(FirstRow),
          EndRow(EndRow),
          SpanSteps(Span * PreimageSubpixels),
          TopCentre(FirstRow * PreimageSubpixels + PreimageSubpixels / 2),
          BottomCentre((EndRow - 1) * PreimageSubpixels + PreimageSubpixels / 2),
          RightCentre((Width - 1) * PreimageSubpixels + PreimageSubpixels / 2),
          Budget(Budget),
          Stop(Stop),
          Report(Report),
          Differences(static_cast<size_t>(EndRow - FirstRow) * static_cast<size_t>(Width), 0) {}

    // The orientations the two triangles of a square count with (0: they count nothing).
    [[gnu::always_inline]] inline void Square(FixedVertex P00, FixedVertex P01, FixedVertex P10,
                                              FixedVertex P11, int& S1, int& S2);
    // Adds the crossings of the edge Q0 -> Q1 with weight W; false when the count must end.
    bool Edge(FixedVertex Q0, FixedVertex Q1, int W);
    // Adds Work to what was done since the last look at the stop request, and looks when
    // enough has accumulated; false when the count must end.
    bool Worked(int64_t Work) {
        SinceCheck += Work;
        if (SinceCheck < CheckEvery) return true;
        SinceCheck = 0;
        return !StopSet();
    }
    bool StopSet() {
        if (!Stop || !Stop->load(std::memory_order_relaxed)) return false;
        Report.Stopped = true;
        Report.Complete = false;
        return true;
    }
    // The counts from the differences; false when the count must end.
    bool Sum(std::span<uint16_t> Rows);

private:
    // About 30 microseconds of squares or crossings between two looks at the request.
    static constexpr int64_t CheckEvery = 1 << 14;
    int Careful(FixedVertex A, FixedVertex B, FixedVertex C);

    const int Width, FirstRow, EndRow;
    // In steps: the largest span, the band's first and last row centre, the last column's.
    const int32_t SpanSteps, TopCentre, BottomCentre, RightCentre;
    const int64_t Budget;
    const std::atomic<bool>* const Stop;
    PreimageBandReport& Report;
    std::vector<int32_t> Differences;
    int64_t SinceCheck = 0;
};

void BandCounter::Square(FixedVertex P00, FixedVertex P01, FixedVertex P10, FixedVertex P11,
                         int& S1, int& S2) {
    // A triangle holding no centre of the band may count nothing, and a square beside the band
    // or the raster holds none. Whole runs of squares go this way, or the other.
    const int32_t MinY = std::min(std::min(P00.Y, P01.Y), std::min(P10.Y, P11.Y));
    const int32_t MaxY = std::max(std::max(P00.Y, P01.Y), std::max(P10.Y, P11.Y));
    const int32_t MinX = std::min(std::min(P00.X, P01.X), std::min(P10.X, P11.X));
    const int32_t MaxX = std::max(std::max(P00.X, P01.X), std::max(P10.X, P11.X));
    if (MaxY < TopCentre || MinY > BottomCentre || MaxX < PreimageSubpixels / 2 ||
        MinX > RightCentre) {
        S1 = S2 = 0;
        return;
    }
    // A square within the span has both triangles within it. The coordinates are within
    // +-2^30 steps, so the differences fit.
    if (MaxX - MinX > SpanSteps || MaxY - MinY > SpanSteps) {
        S1 = Careful(P00, P10, P11);
        S2 = Careful(P00, P11, P01);
        return;
    }
    S1 = Orientation(P00, P10, P11);
    S2 = Orientation(P00, P11, P01);
}

// A triangle of a square larger than the span, or with an unusable vertex: dropped when it is
// larger itself, and reported when its box holds a centre of the raster and the band holds the
// first row of those.
int BandCounter::Careful(FixedVertex A, FixedVertex B, FixedVertex C) {
    if (A.X == Unusable || B.X == Unusable || C.X == Unusable) return 0;
    const int32_t MinX = std::min({A.X, B.X, C.X}), MaxX = std::max({A.X, B.X, C.X});
    const int32_t MinY = std::min({A.Y, B.Y, C.Y}), MaxY = std::max({A.Y, B.Y, C.Y});
    if (MaxY < TopCentre || MinY > BottomCentre || MaxX < PreimageSubpixels / 2 ||
        MinX > RightCentre)
        return 0;
    if (MaxX - MinX <= SpanSteps && MaxY - MinY <= SpanSteps) return Orientation(A, B, C);
    const int Top = std::max(CeilCentre(MinY), 0);
    if (std::max(CeilCentre(MinX), 0) <= std::min(FloorCentre(MaxX), Width - 1) &&
        Top >= FirstRow && Top <= FloorCentre(MaxY))
        ++Report.DroppedTriangles;
    return 0;
}

bool BandCounter::Edge(FixedVertex Q0, FixedVertex Q1, int W) {
    if (Q0.Y > Q1.Y) {
        std::swap(Q0, Q1);
        W = -W;
    }
    // The rows whose centre PY has Q0.Y <= PY < Q1.Y.
    const int J0 = std::max(CeilCentre(Q0.Y), FirstRow), J1 = std::min(CeilCentre(Q1.Y), EndRow);
    if (J0 >= J1) return true;
    Report.Crossings += J1 - J0;
    if (Report.Crossings > Budget) {
        Report.Complete = false;
        return false;
    }
    // Centre I of the row at PY is left of the crossing when (256 I + 128 - Q0.X) DY <
    // (PY - Q0.Y) DX, i.e. when I < R / Den with R = (PY - Q0.Y) DX + (Q0.X - 128) DY and
    // Den = 256 DY: for I < K = ceil(R / Den) = floor((R - 1) / Den) + 1. Row by row R grows by
    // 256 DX, so K is stepped with its remainder instead of divided again. An edge that adds
    // anything belongs to a triangle within a span of the band: R stays far inside 64 bits.
    const int64_t DX = static_cast<int64_t>(Q1.X) - Q0.X, DY = static_cast<int64_t>(Q1.Y) - Q0.Y;
    const int64_t Den = DY * PreimageSubpixels;
    const int64_t PY = static_cast<int64_t>(J0) * PreimageSubpixels + PreimageSubpixels / 2;
    const int64_t R = (PY - Q0.Y) * DX + (Q0.X - PreimageSubpixels / 2) * DY - 1;
    int64_t Quotient = FloorDivide(R, Den), Remainder = R - Quotient * Den;
    const int64_t Step = DX * PreimageSubpixels;
    const int64_t StepQuotient = FloorDivide(Step, Den), StepRemainder = Step - StepQuotient * Den;
    int32_t* Row =
        Differences.data() + static_cast<size_t>(J0 - FirstRow) * static_cast<size_t>(Width);
    for (int J = J0; J < J1; ++J, Row += Width) {
        const int64_t K = std::clamp<int64_t>(Quotient + 1, 0, Width);
        if (K > 0) Row[K - 1] += W;
        Quotient += StepQuotient;
        Remainder += StepRemainder;
        if (Remainder >= Den) {
            Remainder -= Den;
            ++Quotient;
        }
    }
    return Worked(J1 - J0);
}

bool BandCounter::Sum(std::span<uint16_t> Rows) {
    for (size_t Start = 0; Start < Differences.size(); Start += static_cast<size_t>(Width)) {
        int64_t Count = 0;
        for (size_t I = static_cast<size_t>(Width); I-- > 0;) {
            Count += Differences[Start + I];
            // Counts beyond the type's range stay at its largest value.
            Rows[Start + I] = static_cast<uint16_t>(std::clamp<int64_t>(Count, 0, UINT16_MAX));
        }
        if (!Worked(Width)) return false;
    }
    return true;
}

}  // namespace

PreimageBandReport CountPreimageRows(const MappedTriangulation& T, int Width, int Height,
                                     int FirstRow, int EndRow, std::span<uint16_t> Rows,
                                     const std::atomic<bool>* Stop, const PreimageLimits& Limits) {
    PreimageBandReport Report;
    const bool RasterFits = Width >= 1 && Height >= 1 && Width <= MaxPreimageRaster &&
                            Height <= MaxPreimageRaster && FirstRow >= 0 && FirstRow <= EndRow &&
                            EndRow <= Height;
    const size_t VertexCount =
        T.NU >= 1 && T.NV >= 1 ? static_cast<size_t>(T.NU + 1) * static_cast<size_t>(T.NV + 1) : 0;
    if (!RasterFits || VertexCount == 0 || T.Vertices.size() != VertexCount ||
        T.Valid.size() != VertexCount ||
        Rows.size() != static_cast<size_t>(EndRow - FirstRow) * static_cast<size_t>(Width)) {
        Report.BadInput = true;
        Report.Complete = false;
        return Report;
    }
    std::fill(Rows.begin(), Rows.end(), uint16_t{0});
    if (FirstRow == EndRow) return Report;

    const int Span =
        Limits.MaxSpan > 0 ? std::min(Limits.MaxSpan, MaxPreimageRaster) : std::max(Width, Height);
    const int64_t Budget =
        static_cast<int64_t>(std::max(Limits.CrossingsPerPixel, 0)) * (EndRow - FirstRow) * Width;
    BandCounter Counter(Width, FirstRow, EndRow, Span, Budget, Stop, Report);
    if (Counter.StopSet()) return Report;

    // Two rows of vertices at a time, each rounded once per band, and the orientations of the
    // row of squares before (its first triangles, which share an edge with this row's second).
    // The upper row is rounded a run of squares ahead, and the stop request read after each.
    constexpr size_t Run = 1024;
    const size_t NV = static_cast<size_t>(T.NV);
    std::vector<FixedVertex> Lower(NV + 1), Upper(NV + 1);
    std::vector<int8_t> BeforeS1(NV, 0);
    SnapRow(T, 0, 0, NV + 1, Lower);
    for (int A = 0; A < T.NU; ++A) {
        int PreviousS2 = 0;
        SnapRow(T, A + 1, 0, 1, Upper);
        for (size_t From = 0; From < NV; From += Run) {
            const size_t To = std::min(From + Run, NV);
            SnapRow(T, A + 1, From + 1, To + 1, Upper);
            if (!Counter.Worked(static_cast<int64_t>(To - From))) return Report;
            for (size_t B = From; B < To; ++B) {
                // Square (A, B): T1 = P00 P10 P11, T2 = P00 P11 P01. Its diagonal P00 -> P11 is
                // T2's way round, its edge P00 -> P10 T1's (and backwards the second triangle's of
                // the square before), its edge P00 -> P01 backwards T2's (and forwards the first
                // triangle's of the square below in A).
                int S1, S2;
                Counter.Square(Lower[B], Lower[B + 1], Upper[B], Upper[B + 1], S1, S2);
                if (S2 != S1 && !Counter.Edge(Lower[B], Upper[B + 1], S2 - S1)) return Report;
                if (S1 != PreviousS2 && !Counter.Edge(Lower[B], Upper[B], S1 - PreviousS2))
                    return Report;
                if (BeforeS1[B] != S2 && !Counter.Edge(Lower[B], Lower[B + 1], BeforeS1[B] - S2))
                    return Report;
                BeforeS1[B] = static_cast<int8_t>(S1);
                PreviousS2 = S2;
            }
        }
        // The outline: the edge (A, NV) -> (A + 1, NV) belongs to the last T2 only, backwards.
        if (PreviousS2 != 0 && !Counter.Edge(Lower[NV], Upper[NV], -PreviousS2)) return Report;
        std::swap(Lower, Upper);
    }
    // The outline at A = NU: the edge (NU, B) -> (NU, B + 1) belongs to the last T1 only.
    for (size_t B = 0; B < NV; ++B) {
        if (BeforeS1[B] != 0 && !Counter.Edge(Lower[B], Lower[B + 1], BeforeS1[B])) return Report;
    }
    Counter.Sum(Rows);
    return Report;
}

void CountPreimages(const MappedTriangulation& T, int Width, int Height, PreimageCounts& Out,
                    const std::atomic<bool>* Stop, const PreimageLimits& Limits) {
    Out.Reset(Width, Height);
    Out.Add(CountPreimageRows(T, Width, Height, 0, Height, Out.Rows(0, Height), Stop, Limits));
}
