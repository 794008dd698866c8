// One redraw's image curves for the default maps: time per ComputeImageCurves and the number
// of map evaluations it makes (counter "evaluations").
#include <benchmark/benchmark.h>

#include <string>

#include "curves/GridCurves.h"
#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "view/SceneViews.h"

namespace {

void Prepare(SceneState& S) {
    S.WholeImage = true;
    BindViewProcedures(S);
    SetBasicData(S);
    S.SceneReady = true;
}

void Report(benchmark::State& State, const SceneState& S, long long Before) {
    State.counters["evaluations"] =
        static_cast<double>(S.MapEvaluations - Before) / static_cast<double>(State.iterations());
}

void DefaultRealMap(benchmark::State& State) {
    TOCFunctDDDoubleSafe X, Y;
    std::string Error;
    X.Compile("p u^2 - v^3", "uv", "pq", Error);
    Y.Compile("q v^2 - u^3", "uv", "pq", Error);
    const double Parameters[] = {1, 1};
    X.SetParameters(Parameters);
    Y.SetParameters(Parameters);
    SceneState S;
    S.XFunction = &X;
    S.YFunction = &Y;
    Prepare(S);
    long long Before = S.MapEvaluations;
    for (auto _ : State) ComputeImageCurves(S);
    Report(State, S, Before);
}

void DefaultComplexMap(benchmark::State& State) {
    TOCComplexFunction W;
    W.Compile("z(1-p) + p cos(z)", "pz");
    SceneState S;
    S.WFunction = &W;
    S.MapType = 1;
    S.ComplexParam = {0.5, 0.5};
    Prepare(S);
    long long Before = S.MapEvaluations;
    for (auto _ : State) ComputeImageCurves(S);
    Report(State, S, Before);
}

BENCHMARK(DefaultRealMap)->Name("ImageCurves/real/p=q=1")->Unit(benchmark::kMicrosecond);
BENCHMARK(DefaultComplexMap)->Name("ImageCurves/complex/p=0.5+0.5i")->Unit(benchmark::kMicrosecond);

}  // namespace
