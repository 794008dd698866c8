// The singular locus of the default maps: time per ComputeSingularLocus (on every core),
// evaluations of J and of its gradient (those not answered from a client's memory), nodes,
// seed corrections taken from the worker that corrects ahead, and the share of a search on
// one thread that is the tracer's own work: its time minus that of the same evaluation calls
// replayed without the tracer (best times of searches and replays that alternate); each map
// also without the refinement of the seed search, and with it the refinement's evaluations
// and pieces.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

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

// Forwards to the locus client and records every evaluation the tracer asks for.
class RecordingClient : public ImplicitCurveClient {
public:
    explicit RecordingClient(SceneState& S) : Inner(S) {}
    bool Value(Point2 P, double& F) override {
        Calls.push_back({P, false});
        return Inner.Value(P, F);
    }
    bool Gradient(Point2 P, Point2& G) override {
        Calls.push_back({P, true});
        return Inner.Gradient(P, G);
    }
    void StoreNode(Point2 P, int32_t Flag) override { Inner.StoreNode(P, Flag); }
    bool AcceptStep(Point2 Old, Point2 New) override { return Inner.AcceptStep(Old, New); }
    struct Call {
        Point2 P;
        bool Gradient;
    };
    std::vector<Call> Calls;

private:
    SingularLocusClient Inner;
};

// The time of the same evaluations without the tracer: the recorded calls of one run, made
// again on a fresh client (so that repeated points are answered alike).
double ReplaySeconds(SceneState& S, const std::vector<RecordingClient::Call>& Calls) {
    SingularLocusClient Client(S);
    double Sink = 0;
    auto Start = std::chrono::steady_clock::now();
    for (const RecordingClient::Call& C : Calls) {
        if (C.Gradient) {
            Point2 G;
            Client.Gradient(C.P, G);
            Sink += G.X;
        } else {
            double F;
            Client.Value(C.P, F);
            Sink += F;
        }
    }
    benchmark::DoNotOptimize(Sink);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

void Measure(benchmark::State& State, SceneState& S, bool Refine) {
    static TImplicitCurveLine Tracer;
    Tracer.SetRefinement(Refine);
    long long J0 = S.JacobianEvaluations, G0 = S.GradientEvaluations, M0 = S.MapEvaluations;
    double Ahead = 0;
    for (auto _ : State) {
        ComputeSingularLocus(S, Tracer);
        Ahead += Tracer.SeedsTakenAhead();
    }
    double Runs = static_cast<double>(State.iterations());
    long long J = S.JacobianEvaluations - J0, G = S.GradientEvaluations - G0;
    double Maps = static_cast<double>(S.MapEvaluations - M0);
    int Nodes = S.SingLocus.LastIndex + 1;

    RecordingClient Recorder(S);
    S.SingLocus.LastIndex = -1;
    Tracer.Run(Recorder, S.DomMin, S.DomMax, 50, 500, S.DomPixelSize);
    // Whole runs and replays alternate, and the best of each counts, so that the noise of a
    // shared machine falls on both alike.
    double Evaluating = 1e30, Whole = 1e30;
    for (int Round = 0; Round < 20; ++Round) {
        auto Begin = std::chrono::steady_clock::now();
        {
            SingularLocusClient Serial(S);
            S.SingLocus.LastIndex = -1;
            Tracer.Run(Serial, S.DomMin, S.DomMax, 50, 500, S.DomPixelSize);
        }
        Whole = std::min(Whole, std::chrono::duration<double>(std::chrono::steady_clock::now() - Begin).count());
        Evaluating = std::min(Evaluating, ReplaySeconds(S, Recorder.Calls));
    }
    State.counters["J"] = static_cast<double>(J) / Runs;
    State.counters["gradients"] = static_cast<double>(G) / Runs;
    State.counters["nodes"] = Nodes;
    State.counters["seeds_ahead"] = Ahead / Runs;  // of 1,600 seed corrections
    if (Maps > 0) State.counters["map_evaluations"] = Maps / Runs;
    State.counters["tracer_share"] = 1 - Evaluating / Whole;
    if (Refine) {
        State.counters["refinement_evaluations"] = Tracer.RefinementEvaluations();
        State.counters["refinement_pieces"] = Tracer.RefinementPieces();
    }
    Tracer.SetRefinement(true);
}

// Argument 1: with the refinement of the seed search (as the program draws), 0: without it.
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
    Measure(State, S, State.range(0) != 0);
}

void DefaultComplexLocus(benchmark::State& State) {
    TOCComplexFunction W;
    W.Compile("z(1-p) + p cos(z)", "pz");
    SceneState S;
    S.WFunction = &W;
    S.MapType = 1;
    S.ComplexParam = {0.5, 0.5};
    Prepare(S);
    Measure(State, S, State.range(0) != 0);
}

BENCHMARK(DefaultRealLocus)->Arg(1)->Name("SingularLocus/real/p=q=1")->Unit(benchmark::kMillisecond);
BENCHMARK(DefaultComplexLocus)->Arg(1)->Name("SingularLocus/complex/p=0.5+0.5i")->Unit(benchmark::kMillisecond);
BENCHMARK(DefaultRealLocus)->Arg(0)->Name("SingularLocus/real/p=q=1/unrefined")->Unit(benchmark::kMillisecond);
BENCHMARK(DefaultComplexLocus)->Arg(0)->Name("SingularLocus/complex/p=0.5+0.5i/unrefined")->Unit(benchmark::kMillisecond);

}  // namespace
