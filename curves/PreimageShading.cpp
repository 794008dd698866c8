#include "curves/PreimageShading.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/TaskPool.h"
#include "common/ThreadLease.h"
#include "formula/x87/FloatingPointState.h"
#include "model/SceneCopy.h"

void MapPreimageColumns(const SceneState& S, int First, int End, PreimageSamples& Out) {
    const double DU = (S.DomMax.X - S.DomMin.X) / Out.NU, DV = (S.DomMax.Y - S.DomMin.Y) / Out.NV;
    for (int A = First; A < End; ++A) {
        if (StopRequested(S)) return;
        // The last column and row are the domain's edges themselves, not a sum of steps.
        const double U = A == Out.NU ? S.DomMax.X : S.DomMin.X + A * DU;
        size_t K = static_cast<size_t>(A) * static_cast<size_t>(Out.NV + 1);
        for (int B = 0; B <= Out.NV; ++B, ++K) {
            const double V = B == Out.NV ? S.DomMax.Y : S.DomMin.Y + B * DV;
            Point2 Q;
            const bool Ok = S.Procedures.MapPoint(S, {U, V}, Q);
            Out.Images[K] = Ok ? Q : Point2{0, 0};
            Out.Valid[K] = Ok ? 1 : 0;
        }
    }
}

namespace {

// Counts T into Out in one band per core.
bool CountInBands(const MappedTriangulation& T, int W, int H, PreimageCounts& Out,
                  const std::atomic<bool>* Stop) {
    Out.Reset(W, H);
    TaskPool& Pool = TaskPool::Shared();
    const int Bands = std::clamp(std::min(Pool.Workers() + 1, 8), 1, std::max(1, H));
    std::vector<PreimageBandReport> Reports(static_cast<size_t>(Bands));
    {
        TaskGroup Group;
        for (int K = 1; K < Bands; ++K) {
            const int First = K * H / Bands, End = (K + 1) * H / Bands;
            Pool.Run(Group, [&T, &Out, &Reports, W, H, First, End, Stop, K] {
                ClearUpperVectorHalves();  // the worker may have painted a panel just before
                Reports[static_cast<size_t>(K)] =
                    CountPreimageRows(T, W, H, First, End, Out.Rows(First, End), Stop);
            });
        }
        Reports[0] = CountPreimageRows(T, W, H, 0, H / Bands, Out.Rows(0, H / Bands), Stop);
        Pool.Wait(Group);
    }
    bool Counted = true;
    for (const PreimageBandReport& R : Reports) {
        Out.Add(R);
        if (R.Stopped || R.BadInput) Counted = false;
    }
    if (!Counted) Out.Reset(0, 0);
    return Counted;
}

// Fills T's vertices with the samples placed by Place(world point, raster point) -> visible.
// On this thread: it is a few multiplications per vertex (half a millisecond for the
// triangulation), and shares of it on the pool measured slower than none.
template <typename PlaceFn>
void PlaceSamples(const PreimageSamples& P, MappedTriangulation& T, const PlaceFn& Place) {
    T.Resize(P.NU, P.NV);
    for (size_t K = 0; K < P.Images.size(); ++K)
        T.Valid[K] = P.Valid[K] && Place(P.Images[K], T.Vertices[K]) ? 1 : 0;
}

// The vertices of a count, kept by each thread that counts: they are as large as the samples,
// and a drag counts again at every step.
using CountVertices = ThreadLease<MappedTriangulation>;

}  // namespace

void SizePreimageSamples(PreimageSamples& P) {
    P.NU = P.NV = PreimageSquares;
    const size_t Count = static_cast<size_t>(P.NU + 1) * static_cast<size_t>(P.NV + 1);
    P.Images.resize(Count);
    P.Valid.resize(Count);
}

void ComputePreimageSamples(SceneState& S) {
    PreimageSamples& Out = S.Preimages;
    if (!S.ShadePreimages || !S.Procedures.MapPoint) {
        Out.Clear();
        return;
    }
    SizePreimageSamples(Out);
    TaskPool& Pool = TaskPool::Shared();
    const int Shares = std::min(Pool.Workers() + 1, 8);
    const int Columns = Out.NU + 1;
    std::vector<std::unique_ptr<SceneCopy>> Copies;
    {
        TaskGroup Group;
        for (int K = 1; K < Shares; ++K) {
            Copies.push_back(std::make_unique<SceneCopy>(S));
            SceneState& Own = Copies.back()->S;
            Own.MapEvaluations = 0;
            const int First = K * Columns / Shares, End = (K + 1) * Columns / Shares;
            Pool.Run(Group, [&Own, &Out, First, End] {
                SetComputingFloatState();
                MapPreimageColumns(Own, First, End, Out);
            });
        }
        MapPreimageColumns(S, 0, Columns / Shares, Out);
        Pool.Wait(Group);
    }
    for (const auto& C : Copies) S.MapEvaluations += C->S.MapEvaluations;
    if (StopRequested(S)) Out.Clear();
}

int CountPanelPreimages(const SceneState& S, const PanelProjection& Project, PreimageCounts& Out,
                        const std::atomic<bool>* Stop) {
    const PixelRect R = Project.Rect;
    const int Width = R.Right - R.Left, Height = R.Bottom - R.Top;
    if (S.Preimages.Empty() || Width <= 0 || Height <= 0) {
        Out.Reset(0, 0);
        return 0;
    }
    // The count follows the painting of the panel's background on this thread.
    ClearUpperVectorHalves();
    const int Step = (std::max(Width, Height) + MaxShadingRaster - 1) / MaxShadingRaster;
    const int W = (Width + Step - 1) / Step, H = (Height + Step - 1) / Step;
    // A panel position is the centre of the pixel it names: raster coordinates are half a
    // pixel further, and scaled down with the raster.
    const double Scale = 1.0 / Step;
    const double Left = R.Left - 0.5, Top = R.Top - 0.5;
    const CountVertices Lease;
    MappedTriangulation& T = *Lease;
    PlaceSamples(S.Preimages, T, [&](Point2 Q, Point2& At) {
        const Point3 G = Project.Sphere ? InvStereo(S.ImgSphere, Q) : Point3{Q.X, Q.Y, 0};
        bool Rear = false;
        const Point2 P = Project.ToPanel(G, Rear);
        At = {(P.X - Left) * Scale, (P.Y - Top) * Scale};
        return !Rear;
    });
    return CountInBands(T, W, H, Out, Stop) ? Step : 0;
}

bool CountPlanePreimages(const SceneState& S, Point2 Min, Point2 Max, int Width, int Height,
                         PreimageCounts& Out) {
    if (S.Preimages.Empty() || Width <= 0 || Height <= 0 || Width > MaxPreimageRaster ||
        Height > MaxPreimageRaster) {
        Out.Reset(0, 0);
        return false;
    }
    const PlaneRaster Raster(Min, Max, Width, Height);
    const CountVertices Lease;
    MappedTriangulation& T = *Lease;
    PlaceSamples(S.Preimages, T, [&Raster](Point2 Q, Point2& At) {
        At = Raster.ToRaster(Q);
        return true;
    });
    return CountInBands(T, Width, Height, Out, nullptr);
}
