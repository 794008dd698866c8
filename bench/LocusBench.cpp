// The singular locus of the default maps: time per ComputeSingularLocus, evaluations of J
// and of its gradient, nodes, and the share of the time that is the tracer's own work (the
// time minus that of as many J and gradient evaluations, replayed at the locus nodes).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "curves/SingularLocus.h"
#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "view/SceneViews.h"

namespace {

void Prepare(SceneState& S) {
    S.WholeImage = true;
    BindViewProcedures(S);
    SetBasicData(S);
    S.ImgDiag = 10;
    S.SceneReady = true;
}

void Measure(benchmark::State& State, SceneState& S) {
    static TImplicitCurveLine Tracer;
    long long J0 = S.JacobianEvaluations, G0 = S.GradientEvaluations;
    auto Start = std::chrono::steady_clock::now();
    for (auto _ : State) ComputeSingularLocus(S, Tracer);
    double Total = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    double Runs = static_cast<double>(State.iterations());
    long long J = S.JacobianEvaluations - J0, G = S.GradientEvaluations - G0;
    // Replay the same numbers of evaluations at the nodes.
    int Nodes = S.SingLocus.LastIndex + 1;
    auto Replay = std::chrono::steady_clock::now();
    double Sink = 0;
    for (long long I = 0; I < J; ++I) {
        double Value;
        S.Procedures.Jacobian(S, S.SingLocus.Nodes[static_cast<size_t>(I % Nodes)].DomPt, Value);
        Sink += Value;
    }
    for (long long I = 0; I < G; ++I) {
        Point2 Gradient;
        S.Procedures.JacobianGradient(S, S.SingLocus.Nodes[static_cast<size_t>(I % Nodes)].DomPt, Gradient);
        Sink += Gradient.X;
    }
    benchmark::DoNotOptimize(Sink);
    double Evaluating = std::chrono::duration<double>(std::chrono::steady_clock::now() - Replay).count();
    State.counters["J"] = static_cast<double>(J) / Runs;
    State.counters["gradients"] = static_cast<double>(G) / Runs;
    State.counters["nodes"] = Nodes;
    State.counters["tracer_share"] = 1 - Evaluating / Total;
}

void DefaultRealLocus(benchmark::State& State) {
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
    Measure(State, S);
}

void DefaultComplexLocus(benchmark::State& State) {
    TOCComplexFunction W;
    W.Compile("z(1-p) + p cos(z)", "pz");
    SceneState S;
    S.WFunction = &W;
    S.MapType = 1;
    S.ComplexParam = {0.5, 0.5};
    Prepare(S);
    Measure(State, S);
}

BENCHMARK(DefaultRealLocus)->Name("SingularLocus/real/p=q=1")->Unit(benchmark::kMillisecond);
BENCHMARK(DefaultComplexLocus)->Name("SingularLocus/complex/p=0.5+0.5i")->Unit(benchmark::kMillisecond);

}  // namespace
