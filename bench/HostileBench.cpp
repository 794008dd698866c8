// The slowest drawing of the hostile map corpus: every map once through Draw It with the
// singular locus on (as the robustness test draws it), the slowest time reported with the map
// that took it. One pass takes most of a minute; run it alone with
// --benchmark_filter=HostileMaps.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/BenchApplication.h"
#include "../tests/scene/HostileMaps.h"
#include "scene/TorvaneScene.h"

namespace {

double DrawSeconds(const HostileMap& M) {
    TorvaneScene T;
    PutOnScene(T, M);
    auto Start = std::chrono::steady_clock::now();
    T.ReadAndDraw(true);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

void SlowestHostileMap(benchmark::State& State) {
    EnsureApplication();
    const std::vector<HostileMap>& Maps = HostileMaps();
    double Worst = 0, Total = 0;
    size_t WorstIndex = 0;
    for (auto _ : State) {
        for (size_t I = 0; I < Maps.size(); ++I) {
            double Seconds = DrawSeconds(Maps[I]);
            Total += Seconds;
            if (Seconds > Worst) {
                Worst = Seconds;
                WorstIndex = I;
            }
        }
    }
    State.counters["slowest_s"] = Worst;
    State.counters["all_maps_s"] = Total;
    const HostileMap& M = Maps[WorstIndex];
    State.SetLabel(std::string(M.Category) + ": " + M.X.substr(0, 40));
}

BENCHMARK(SlowestHostileMap)->Name("HostileMaps/slowest-draw")->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

#endif
