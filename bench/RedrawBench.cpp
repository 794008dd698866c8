// One full redraw of the scene (ComputeAndDrawCurves: grid and image curves, singular locus,
// both bitmaps drawn) and one step of a parameter drag, for the default real map (p = q = 1)
// and the default complex map (p = 0.5 + 0.5i) with the singular locus on; the counters split
// a redraw into image curves, locus and drawing, each timed on its own. Variants beside them
// give the cost of the cusps, of the critical points (against the complex map's locus off,
// and traced as a map that is not holomorphic is), of the preimage shading and of the phase
// portraits, with the portrait of a 460 x 460 panel on its own.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QPainter>

#include <chrono>

#include "bench/BenchApplication.h"
#include "curves/GridCurves.h"
#include "curves/LocusPoints.h"
#include "curves/PhasePortrait.h"
#include "curves/PreimageShading.h"
#include "curves/SingularLocus.h"
#include "scene/PanelRendering.h"
#include "scene/TorvaneScene.h"

namespace {

// The parameters of the benchmark, drawn: a drag benchmark run before may have moved them.
// Kind 0: the default real map; 1: the default complex map with its locus on (its critical
// points); 2: the real map without its cusps, for the cost of seeking them; 3 and 4: the
// first two with the image shaded by the number of preimages; 5: the complex map with its
// locus off; 6: the complex map plus 0 abs(z), which has no exact derivative, so that its
// locus is traced as every complex locus was before the critical points were found directly;
// 7: the complex map with its locus as a phase portrait (Enhanced); 8: the real map as a
// phase portrait (Phase).
constexpr int KindCount = 9;
bool IsComplex(int Kind) { return Kind == 1 || Kind == 4 || Kind == 5 || Kind == 6 || Kind == 7; }

void DrawAtTheParameters(TorvaneScene& T, int Kind) {
    T.Text(EditField::pValue) = IsComplex(Kind) ? "0.5" : "1";
    T.Text(EditField::qValue) = IsComplex(Kind) ? "0.5" : "1";
    T.ReadAndDraw(true);
}

void Prepare(TorvaneScene& T, int Kind) {
    if (IsComplex(Kind)) {
        T.OnFunctionType(1);
        if (Kind != 5) T.OnGeometryMenu();  // the complex kind starts with the locus off
        if (Kind == 6) T.Text(EditField::F1Edit) = "z(1-p) + p cos(z) + 0 abs(z)";
    }
    if (Kind == 2) T.SetViewPreferences(false);
    if (Kind == 3 || Kind == 4) T.SetViewPreferences(true, true);
    if (Kind == 7) T.SetViewPreferences(true, false, Colouring::Enhanced);
    if (Kind == 8) T.SetViewPreferences(true, false, Colouring::Phase);
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
    static TorvaneScene* Scenes[KindCount] = {};
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
    double Samples = 1e30, Counting = 1e30;
    const bool Shaded = T.S.ShadePreimages;
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
        if (Shaded) {
            Samples = std::min(Samples, MillisecondsPer([&] { ComputePreimageSamples(T.S); }, 5));
            PreimageCounts Counts;
            Counting = std::min(Counting, MillisecondsPer(
                                              [&] {
                                                  CountPanelPreimages(
                                                      T.S, ImageProjection(T.S, T.S.ImgRect), Counts);
                                              },
                                              5));
        }
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
    if (Shaded) {
        State.counters["preimage_samples_ms"] = Samples;
        State.counters["preimage_count_ms"] = Counting;
    }
}

// Arg 2 of a portrait's drag: 0 the scene's choice of a coarse portrait, 1 never coarse,
// 2 always coarse.
void ParameterDragStep(benchmark::State& State) {
    TorvaneScene& T = SceneOfKind(static_cast<int>(State.range(0)));
    const double Budgets[] = {CoarsePortraitAfter, 1e300, -1};
    T.CoarsePortraitBudget = Budgets[State.range(1)];
    ShiftState Left;
    Left.Left = true;
    int Step = 0;
    for (auto _ : State) {
        // Back and forth over a few pixels about the spot, as a hand drags.
        int X = T.Spot.X + (Step % 2 == 0 ? 1 : -1);
        T.OnMouseMoveInParameters(Left, X, T.Spot.Y);
        ++Step;
    }
    if (T.S.PortraitColouring != Colouring::None) State.SetLabel(T.S.CoarsePortrait ? "coarse" : "full");
    T.OnMouseUpInParameters(MouseButton::Left, {}, T.Spot.X, T.Spot.Y);
}

// The phase portrait of the default complex map (p = 0.5 + 0.5i) over a 460 x 460 Domain
// panel, on every core: arg 0 the colouring, arg 1 the block side (2: a drag's half
// resolution); and the Image panel's colours of its points (not kept between runs).
void DomainPortrait(benchmark::State& State) {
    TorvaneScene& T = SceneOfKind(1);
    const PanelProjection Project = DomainProjection(T.S, {0, 0, 460, 460});
    PortraitRaster R;
    for (auto _ : State) {
        ColourDomainPortrait(T.S, Project, static_cast<Colouring>(State.range(0)),
                             static_cast<int>(State.range(1)), R);
        benchmark::DoNotOptimize(R.Pixels.data());
    }
    State.counters["pixels"] = static_cast<double>(R.Pixels.size());
}

void ImagePortrait(benchmark::State& State) {
    TorvaneScene& T = SceneOfKind(1);
    const PanelProjection Project = ImageProjection(T.S, {0, 0, 460, 460});
    PortraitRaster R;
    for (auto _ : State) {
        ColourImagePortrait(Project, Colouring::Enhanced, 1, R);
        benchmark::DoNotOptimize(R.Pixels.data());
    }
}

}  // namespace

BENCHMARK(FullRedraw)->Arg(0)->Name("Redraw/real/p=q=1")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(2)->Name("Redraw/real/p=q=1/no-cusps")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(3)->Name("Redraw/real/p=q=1/shaded")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(1)->Name("Redraw/complex/p=0.5+0.5i")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(5)->Name("Redraw/complex/p=0.5+0.5i/locus-off")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(6)->Name("Redraw/complex/p=0.5+0.5i/traced")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(4)->Name("Redraw/complex/p=0.5+0.5i/shaded")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(7)->Name("Redraw/complex/p=0.5+0.5i/portrait")->Unit(benchmark::kMillisecond);
BENCHMARK(FullRedraw)->Arg(8)->Name("Redraw/real/p=q=1/portrait")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({0, 0})->Name("ParameterDrag/real")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({3, 0})->Name("ParameterDrag/real/shaded")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({1, 0})->Name("ParameterDrag/complex")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({4, 0})->Name("ParameterDrag/complex/shaded")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({7, 0})->Name("ParameterDrag/complex/portrait")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({7, 1})->Name("ParameterDrag/complex/portrait/full")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({7, 2})->Name("ParameterDrag/complex/portrait/coarse")->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterDragStep)->Args({8, 0})->Name("ParameterDrag/real/portrait")->Unit(benchmark::kMillisecond);
BENCHMARK(DomainPortrait)->Args({1, 1})->Name("Portrait/domain/phase")->Unit(benchmark::kMillisecond);
BENCHMARK(DomainPortrait)->Args({3, 1})->Name("Portrait/domain/enhanced")->Unit(benchmark::kMillisecond);
BENCHMARK(DomainPortrait)->Args({3, 2})->Name("Portrait/domain/enhanced/half")->Unit(benchmark::kMillisecond);
BENCHMARK(ImagePortrait)->Name("Portrait/image/enhanced")->Unit(benchmark::kMillisecond);

#endif
