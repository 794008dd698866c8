// Preimage counts of a 400 x 400 triangulation (320,000 triangles) into the 460 x 460 panel:
// the whole raster on one thread, one band of two (one core's share), a triangulation that
// spends the whole budget, and how soon a stop request ends a count (counter "crossings": the
// budget's steps).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <complex>
#include <cstdint>
#include <thread>

#include "curves/PreimageCount.h"

namespace {

constexpr int Squares = 400, Panel = 460;

// The vertices of [-1, 1]^2 mapped by Map into the plane rectangle [-Half, Half]^2.
template <class MapFunction>
MappedTriangulation MapDomain(double Half, MapFunction Map) {
    const PlaneRaster R({-Half, -Half}, {Half, Half}, Panel, Panel);
    MappedTriangulation T;
    T.Resize(Squares, Squares);
    for (int A = 0; A <= Squares; ++A) {
        for (int B = 0; B <= Squares; ++B) {
            const Point2 P{-1 + 2.0 * A / Squares, -1 + 2.0 * B / Squares};
            T.Vertices[T.Index(A, B)] = R.ToRaster(Map(P));
            T.Valid[T.Index(A, B)] = 1;
        }
    }
    return T;
}

// The default real map x = u^2 - v^3, y = v^2 - u^3, which folds the square over itself.
MappedTriangulation RealMap() {
    return MapDomain(2.2, [](Point2 P) {
        return Point2{P.X * P.X - P.Y * P.Y * P.Y, P.Y * P.Y - P.X * P.X * P.X};
    });
}

// w = z^3 + z: three sheets about the origin.
MappedTriangulation ComplexMap() {
    return MapDomain(3.5, [](Point2 P) {
        const std::complex<double> Z(P.X, P.Y), W = Z * Z * Z + Z;
        return Point2{W.real(), W.imag()};
    });
}

// Vertices scattered over the whole raster: every triangle as large as it may be.
MappedTriangulation Scattered() {
    MappedTriangulation T;
    T.Resize(Squares, Squares);
    uint32_t Seed = 12345;
    for (Point2& P : T.Vertices) {
        Seed = Seed * 1664525u + 1013904223u;
        P.X = (Seed >> 8) % (Panel * 256) / 256.0;
        Seed = Seed * 1664525u + 1013904223u;
        P.Y = (Seed >> 8) % (Panel * 256) / 256.0;
    }
    std::fill(T.Valid.begin(), T.Valid.end(), uint8_t{1});
    return T;
}

// Arg 1: the whole raster; 2: the upper of two bands.
void CountBand(benchmark::State& State, const MappedTriangulation& T) {
    PreimageCounts C;
    C.Reset(Panel, Panel);
    const int End = Panel / static_cast<int>(State.range(0));
    PreimageBandReport Report;
    for (auto _ : State) {
        Report = CountPreimageRows(T, Panel, Panel, 0, End, C.Rows(0, End));
        benchmark::DoNotOptimize(C.Counts.data());
    }
    State.counters["crossings"] = static_cast<double>(Report.Crossings);
    if (!Report.Complete) State.SetLabel("incomplete");
}

void RealCount(benchmark::State& State) { CountBand(State, RealMap()); }
void ComplexCount(benchmark::State& State) { CountBand(State, ComplexMap()); }
void ScatteredCount(benchmark::State& State) { CountBand(State, Scattered()); }

// The time from a stop request to the end of a count that would otherwise run for seconds.
void StopLatency(benchmark::State& State) {
    const MappedTriangulation T = Scattered();
    PreimageLimits NoBudget;
    NoBudget.CrossingsPerPixel = 1 << 30;
    PreimageCounts C;
    C.Reset(Panel, Panel);
    for (auto _ : State) {
        std::atomic<bool> Stop{false};
        std::atomic<int64_t> Requested{0};
        std::thread Stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            Requested = std::chrono::steady_clock::now().time_since_epoch().count();
            Stop = true;
        });
        CountPreimageRows(T, Panel, Panel, 0, Panel, C.Rows(0, Panel), &Stop, NoBudget);
        const int64_t Ended = std::chrono::steady_clock::now().time_since_epoch().count();
        Stopper.join();
        State.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::duration(Ended - Requested))
                .count());
    }
}

}  // namespace

BENCHMARK(RealCount)->Arg(1)->Arg(2)->Name("PreimageCount/real")->Unit(benchmark::kMillisecond);
BENCHMARK(ComplexCount)
    ->Arg(1)
    ->Arg(2)
    ->Name("PreimageCount/complex")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ScatteredCount)->Arg(1)->Name("PreimageCount/scattered")->Unit(benchmark::kMillisecond);
BENCHMARK(StopLatency)
    ->Name("PreimageCount/stop-latency")
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);
