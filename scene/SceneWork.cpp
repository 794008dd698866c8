#include "scene/SceneWork.h"

#include <QPainter>

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "common/TaskPool.h"
#include "formula/x87/FloatingPointState.h"
#include "model/SceneCopy.h"

#include "curves/GridCurves.h"
#include "curves/PreimageShading.h"
#include "curves/SingularLocus.h"
#include "scene/PanelRendering.h"
#include "scene/ScenePipeline.h"
#include "view/SceneViews.h"

void PrepareBitmap(QImage& Bitmap, PixelRect& Clip, const PanelProjection& Project) {
    QPainter P(&Bitmap);
    P.fillRect(ToQRect(Project.Rect), WindowColour(FormColour));
    P.fillRect(ToQRect(Project.DrawingRect()), WindowColour(DrawingColour));
    Clip = Project.DrawingRect();
}

bool FitBitmap(QImage& Bitmap, int Size) {
    if (Bitmap.width() == Size && Bitmap.height() == Size) return false;
    Bitmap = QImage();  // the old one goes before the new one is made
    Bitmap = QImage(Size, Size, QImage::Format_RGB32);
    Bitmap.fill(WindowColour(FormColour));
    return true;
}

namespace {

// What of a panel a drawing pass puts on its bitmap.
enum class Pass { Whole, CurvesOnly, LocusOnly };

// The screen view is fitted to the panel first (a sphere's radius may have changed), then
// the picture drawn through a projection of it.
void DrawDomainBitmap(const SceneCanvas& C, bool Erase, Pass What = Pass::Whole) {
    SceneState& S = C.S;
    if (What != Pass::LocusOnly)
        FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                      S.PreserveRatio);
    QPainter P(&C.DomBitmap);
    P.setClipRect(ToQRect(C.DomClip));
    PanelProjection Project = ScreenDomainProjection(S);
    if (Erase) P.fillRect(ToQRect(Project.DrawingRect()), WindowColour(DrawingColour));
    Project.PortraitStep = S.CoarsePortrait ? 2 : 1;
    if (What != Pass::LocusOnly) {
        const auto Start = std::chrono::steady_clock::now();
        DrawDomainCurves(S, Project, P);
        // Only this task writes the time, and nothing reads it before the work is done.
        if (S.PortraitColouring != Colouring::None && !S.CoarsePortrait)
            S.PortraitMilliseconds = std::chrono::duration<double, std::milli>(
                                         std::chrono::steady_clock::now() - Start)
                                         .count();
    }
    if (What != Pass::CurvesOnly && S.ShowSingLocus) DrawSingularLocusDom(S, Project, P);
}

void DrawImageBitmap(const SceneCanvas& C, bool Erase, Pass What = Pass::Whole) {
    SceneState& S = C.S;
    if (What != Pass::LocusOnly)
        FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                     S.PreserveRatio);
    QPainter P(&C.ImgBitmap);
    P.setClipRect(ToQRect(C.ImgClip));
    const PanelProjection Project = ScreenImageProjection(S);
    if (Erase) P.fillRect(ToQRect(Project.DrawingRect()), WindowColour(DrawingColour));
    if (What != Pass::LocusOnly) DrawImageCurves(S, Project, P);
    if (What != Pass::CurvesOnly && S.ShowSingLocus) DrawSingularLocusImg(S, Project, P);
}

// Everything, on two cores: this thread traces the locus on a copy of the scene; a worker
// samples its share of the locus seeds, traces the image lines and then corrects seeds ahead
// of the search; the drawing of the curves, a task for each panel, follows on whichever
// thread is free; then each panel's locus is drawn over its curves on a thread of its own,
// as a single pass would have drawn it.
void RunEverything(const SceneCanvas& C) {
    SceneState& S = C.S;
    PrepareSceneCurves(S);
    if (!S.ShowSingLocus) {
        TraceImageCurves(S);
        ComputePreimageSamples(S);
        ComputeSingularLocus(S, C.Tracer);  // the thresholds, and no nodes
        if (C.CurvesComputed && *C.CurvesComputed) (*C.CurvesComputed)();
        if (!C.Paint) return;
        // Both bitmaps get the panel's background for the views just fitted, then the picture.
        PrepareBitmap(C.DomBitmap, C.DomClip, ScreenDomainProjection(S));
        PrepareBitmap(C.ImgBitmap, C.ImgClip, ScreenImageProjection(S));
        DrawDomainBitmap(C, false);
        DrawImageBitmap(C, false);
        return;
    }
    TaskPool& Pool = TaskPool::Shared();
    // Copied before a worker writes the image lines; the locus reads none of them.
    SceneCopy Locus(S);
    const long long CopiedEvaluations = Locus.S.MapEvaluations;
    // The preimage samples are mapped in shares, each a task with a copy of its own (the
    // lines use the scene's formulas meanwhile), into the scene's samples, which nothing
    // reads before they are done. The tasks wait for nothing, so no task that waits for them
    // can be run inside one of them.
    std::vector<std::unique_ptr<SceneCopy>> Shading;
    if (S.ShadePreimages) {
        SizePreimageSamples(S.Preimages);
        const int Shares = std::min(Pool.Workers() + 1, 8);
        for (int K = 0; K < Shares; ++K) {
            Shading.push_back(std::make_unique<SceneCopy>(S));
            Shading.back()->S.MapEvaluations = 0;
        }
    } else {
        S.Preimages.Clear();
    }
    // Declared in this order so that on any error the drawing, which may wait for the lines
    // and the samples, ends first.
    TaskGroup Lines, Samples, Drawing;
    bool LinesQueued = false, DrawingQueued = false;
    auto TraceLines = [&Pool, &Lines, &Samples, &Shading, &C, &LinesQueued] {
        LinesQueued = true;
        Pool.Run(Lines, [&C] {
            SetComputingFloatState();
            TraceImageCurves(C.S);
        });
        const int Shares = static_cast<int>(Shading.size()), Columns = C.S.Preimages.NU + 1;
        for (int K = 0; K < Shares; ++K)
            Pool.Run(Samples, [&C, &Own = Shading[static_cast<size_t>(K)]->S,
                               First = K * Columns / Shares, End = (K + 1) * Columns / Shares] {
                SetComputingFloatState();
                MapPreimageColumns(Own, First, End, C.S.Preimages);
            });
    };
    // Each task writes only its own panel's bitmap.
    auto DrawCurves = [&Pool, &Lines, &Samples, &Drawing, &C, &DrawingQueued] {
        DrawingQueued = true;
        if (C.CurvesComputed && *C.CurvesComputed)
            Pool.Run(Drawing, [&Pool, &Lines, &Samples, &C] {
                Pool.Wait(Lines);
                Pool.Wait(Samples);
                (*C.CurvesComputed)();
            });
        if (!C.Paint) return;
        Pool.Run(Drawing, [&C] {
            PrepareBitmap(C.DomBitmap, C.DomClip, ScreenDomainProjection(C.S));
            DrawDomainBitmap(C, false, Pass::CurvesOnly);
        });
        Pool.Run(Drawing, [&Pool, &Lines, &Samples, &C] {
            Pool.Wait(Lines);
            Pool.Wait(Samples);
            PrepareBitmap(C.ImgBitmap, C.ImgClip, ScreenImageProjection(C.S));
            DrawImageBitmap(C, false, Pass::CurvesOnly);
        });
    };
    ComputeSingularLocus(Locus.S, C.Tracer, TraceLines, DrawCurves);
    if (!LinesQueued) TraceLines();
    if (!DrawingQueued) DrawCurves();
    Pool.Wait(Drawing);
    Pool.Wait(Lines);
    Pool.Wait(Samples);
    for (const auto& Share : Shading) S.MapEvaluations += Share->S.MapEvaluations;
    S.SingLocus = std::move(Locus.S.SingLocus);
    S.SingPoints = std::move(Locus.S.SingPoints);
    S.DomJump = Locus.S.DomJump;
    S.ImgJump = Locus.S.ImgJump;
    S.MapEvaluations += Locus.S.MapEvaluations - CopiedEvaluations;
    S.JacobianEvaluations = Locus.S.JacobianEvaluations;
    S.GradientEvaluations = Locus.S.GradientEvaluations;
    if (!C.Paint) return;
    // Neither pass writes the scene: they only read it, each into its own bitmap.
    Pool.Run(Drawing, [&C] { DrawDomainBitmap(C, false, Pass::LocusOnly); });
    DrawImageBitmap(C, false, Pass::LocusOnly);
    Pool.Wait(Drawing);
}

}  // namespace

int PanelsDrawnBy(unsigned Work) {
    if (Work & WorkEverything) return 3;
    return ((Work & WorkDrawDomain) ? 1 : 0) | ((Work & WorkDrawImage) ? 2 : 0);
}

void RunSceneWork(const SceneCanvas& C, unsigned Work) {
    SceneState& S = C.S;
    ClearUpperVectorHalves();  // this thread may have painted the last picture
    // A bitmap made for another scale is made anew (the window grew or moved to another
    // screen meanwhile); the scene asks for both panels to be drawn then anyway.
    if (C.Paint) {
        const bool NewDomain = FitBitmap(C.DomBitmap, ScreenSize(S, S.DomRect.Right));
        const bool NewImage = FitBitmap(C.ImgBitmap, ScreenSize(S, S.ImgRect.Right));
        if (NewDomain && !(Work & WorkEverything))
            PrepareBitmap(C.DomBitmap, C.DomClip, ScreenDomainProjection(S));
        if (NewImage && !(Work & WorkEverything))
            PrepareBitmap(C.ImgBitmap, C.ImgClip, ScreenImageProjection(S));
    }
    if (Work & WorkEverything) {
        RunEverything(C);
        return;
    }
    if (!C.Paint) Work &= ~(WorkPrepareDomain | WorkDrawDomain | WorkDrawImage);
    if (Work & WorkDomainCurves) ComputeDomainCurves(S);
    if (Work & WorkImageCurves) ComputeImageCurves(S);
    if (Work & WorkPreimageSamples) ComputePreimageSamples(S);
    if (Work & WorkLocus) {
        ComputeSingularLocus(S, C.Tracer);
    } else {
        if (Work & WorkLocusDomainPositions) UpdateSingularLocus(S, 1);
        if (Work & WorkLocusImagePositions) UpdateSingularLocus(S, 2);
    }
    // The drawing rectangle may have changed with the view: preparing the bitmap again leaves
    // no margin of the other view behind.
    if (Work & WorkPrepareDomain)
        PrepareBitmap(C.DomBitmap, C.DomClip, ScreenDomainProjection(S));
    if (Work & WorkDrawDomain) DrawDomainBitmap(C, true);
    if (Work & WorkDrawImage) DrawImageBitmap(C, true);
}

void TakeComputedParts(SceneState& To, SceneState&& From) {
    To.Procedures = From.Procedures;
    To.DomView = From.DomView;
    To.ImgView = From.ImgView;
    To.DomSphere = From.DomSphere;
    To.ImgSphere = From.ImgSphere;
    for (int I = 0; I <= 20; ++I) {
        To.DomHLines[I] = std::move(From.DomHLines[I]);
        To.DomVLines[I] = std::move(From.DomVLines[I]);
        To.ImgHLines[I] = std::move(From.ImgHLines[I]);
        To.ImgVLines[I] = std::move(From.ImgVLines[I]);
    }
    To.ImgMin = From.ImgMin;
    To.ImgMax = From.ImgMax;
    for (int I = 0; I < 2; ++I) {
        To.ImgWidth[I] = From.ImgWidth[I];
        To.ImgHalf[I] = From.ImgHalf[I];
        To.ImgCentre[I] = From.ImgCentre[I];
        To.LineStep[I] = From.LineStep[I];
    }
    To.ImgDiag = From.ImgDiag;
    To.ImgDivisor = From.ImgDivisor;
    To.DomJump = From.DomJump;
    To.ImgJump = From.ImgJump;
    To.SingLocus = std::move(From.SingLocus);
    To.SingPoints = std::move(From.SingPoints);
    To.Preimages = std::move(From.Preimages);
    To.PortraitMilliseconds = From.PortraitMilliseconds;
    To.MapEvaluations = From.MapEvaluations;
    To.JacobianEvaluations = From.JacobianEvaluations;
    To.GradientEvaluations = From.GradientEvaluations;
}
