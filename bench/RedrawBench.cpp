// One full redraw of the scene (ComputeAndDrawCurves: grid and image curves, singular locus,
// both bitmaps drawn) and one step of a parameter drag, for the default real map (p = q = 1)
// and the default complex map (p = 0.5 + 0.5i) with the singular locus on; the counters split
// a redraw into image curves, locus and drawing, each timed on its own.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QPainter>

#include <chrono>

#include "bench/BenchApplication.h"
#include "curves/GridCurves.h"
#include "curves/LocusPoints.h"
#include "curves/SingularLocus.h"
#include "scene/PanelRendering.h"
#include "scene/TorvaneScene.h"

namespace {

// The parameters of the benchmark, drawn: a drag benchmark run before may have moved them.
void DrawAtTheParameters(TorvaneScene& T, int Kind) {
    T.Text(EditField::pValue) = Kind == 1 ? "0.5" : "1";
    T.Text(EditField::qValue) = Kind == 1 ? "0.5" : "1";
    T.ReadAndDraw(true);
}

// Kind 0: the default real map; 1: the default complex map with its locus on; 2: the real
// map without its cusps, for the cost of seeking them.
void Prepare(TorvaneScene& T, int Kind) {
    if (Kind == 1) {
        T.OnFunctionType(1);
        T.OnGeometryMenu();  // the complex kind starts with the locus off
    }
    if (Kind == 2) T.SetViewPreferences(false);
    DrawAtTheParameters(T, Kind);
}

template <class Work>
double MillisecondsPer(Work W, int Runs) {
    auto Start = std::chrono::steady_clock::now();
    for (int I = 0; I < Runs; ++I) W();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start)
               .count() /
           Runs;
}

// One scene per map kind, drawn once and kept for every benchmark of that kind. The scenes
// draw text and images, so they live inside the application: made after it, and never
// destroyed after it at exit.
TorvaneScene& SceneOfKind(int Kind) {
    static TorvaneScene* Scenes[3] = {};
    if (!Scenes[Kind]) {
        EnsureApplication();
        auto* T = new TorvaneScene;
        Prepare(*T, Kind);
        Scenes[Kind] = T;
    }
    return *Scenes[Kind];
}

void FullRedraw(benchmark::State& State) {
    TorvaneScene& T = SceneOfKind(static_cast<int>(State.range(0)));
    DrawAtTheParameters(T, static_cast<int>(State.range(0)));
    if (!T.S.SceneReady) {
        State.SkipWithError("the map did not draw");
        return;
    }
    for (auto _ : State) T.ComputeAndDrawCurves();
    // The parts, each on its own (best of a few rounds, so that noise falls alike); the
    // drawing goes to private bitmaps, prepared once.
    QImage Domain = T.DomBitmap.copy(), Image = T.ImgBitmap.copy();
    double Curves = 1e30, Locus = 1e30, Grid = 1e30, LocusDrawing = 1e30, Points = 1e30;
    for (int Round = 0; Round < 5; ++Round) {
        Curves = std::min(Curves, MillisecondsPer([&] { ComputeImageCurves(T.S); }, 10));
        Locus = std::min(Locus, MillisecondsPer([&] { ComputeSingularLocus(T.S, T.SingTracer); }, 5));
        if (T.S.MapType == 0)
            Points = std::min(Points, MillisecondsPer(
                                          [&] {
                                              std::vector<SingularPoint> Found;
                                              FindLocusPoints(T.S, Found);
                                          },
                                          5));
        Grid = std::min(Grid, MillisecondsPer(
                                  [&] {
                                      QPainter D(&Domain), I(&Image);
                                      DrawDomainCurves(T.S, DomainProjection(T.S, T.S.DomRect), D);
                                      DrawImageCurves(T.S, ImageProjection(T.S, T.S.ImgRect), I);
                                  },
                                  10));
        LocusDrawing = std::min(LocusDrawing, MillisecondsPer(
                                                  [&] {
                                                      QPainter D(&Domain), I(&Image);
                                                      DrawSingularLocusDom(T.S, DomainProjection(T.S, T.S.DomRect), D);
                                                      DrawSingularLocusImg(T.S, ImageProjection(T.S, T.S.ImgRect), I);
                                                  },
                                                  10));
    }
    State.counters["image_curves_ms"] = Curves;
    State.counters["locus_ms"] = Locus;
    State.counters["grid_drawing_ms"] = Grid;
    State.counters["locus_drawing_ms"] = LocusDrawing;
    State.counters["locus_nodes"] = T.S.SingLocus.LastIndex + 1;
    if (T.S.MapType == 0) State.counters["cusps_ms"] = Points;
}

void ParameterDragStep(benchmark::State& State) {
    TorvaneScene& T = SceneOfKind(static_cast<int>(State.range(0)));
    ShiftState Left;
    Left.Left = true;
    int Step = 0;
    for (auto _ : State) {
        // Back and forth over a few pixels about the spot, as a hand drags.
        int X = T.Spot.X + (Step % 2 == 0 ? 1 : -1);
        T.OnMouseMoveInParameters(Left, X, T.Spot.Y);
        ++Step;
    }
}

}  // namespace

BENCHMARK(FullRedraw)->Arg(0)->Name("Redraw/real/p=q=1")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(2)->Name("Redraw/real/p=q=1/no-cusps")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(1)->Name("Redraw/complex/p=0.5+0.5i")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Arg(0)->Name("ParameterDrag/real")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Arg(1)->Name("ParameterDrag/complex")->Unit(benchmark::kMillisecond);

#endif
