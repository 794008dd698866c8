// How long the window's event loop can be kept from its events while the hostile corpus is
// drawn and dragged, and how long a drawing takes to stop.
//
// WindowStall: a scene computing on its own thread, as the window's does, is driven from the
// event loop of the offscreen platform: every map through Draw It (each cancelling the drawing
// before it, finished or not), then a parameter drag of twenty steps 15 ms apart, while a 1 ms
// timer notes the longest gap between two of its ticks (max_stall_ms).
// StopLatency: every map is drawn on the computing thread, asked to stop 30 ms later, and the
// time until its thread is free again is noted (max_stop_ms, with the slowest map).
// Both take every map with a text of at most 2,000 characters, the slowest of the corpus
// among them; each runs for about a minute.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "../tests/scene/HostileMaps.h"
#include "bench/BenchApplication.h"
#include "scene/TorvaneScene.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point A, Clock::time_point B) {
    return std::chrono::duration<double, std::milli>(B - A).count();
}

bool Short(const HostileMap& M) { return M.X.size() + M.Y.size() <= 2000; }

// A new scene kind for each map, as the robustness test draws it.
void StartMap(TorvaneScene& T, const HostileMap& M) {
    T.OnFunctionType(M.Kind);
    if (M.Kind == 1 && !T.S.ShowSingLocus) T.OnGeometryMenu();
    PutOnScene(T, M);
    T.ReadAndDraw(true);
}

double DriveCorpus() {
    double MaxStall = 0;
    QObject Context;
    auto Scene = std::make_unique<TorvaneScene>();
    TorvaneScene* T = Scene.get();
    T->ComputeInBackground([&Context, T] {
        QMetaObject::invokeMethod(&Context, [T] { while (T->TakeFinishedWork()) {} },
                                  Qt::QueuedConnection);
    });
    QTimer Ticker;
    Ticker.setTimerType(Qt::PreciseTimer);
    Ticker.setInterval(1);
    Clock::time_point Last = Clock::now();
    QObject::connect(&Ticker, &QTimer::timeout, [&] {
        const Clock::time_point Now = Clock::now();
        MaxStall = std::max(MaxStall, MillisecondsBetween(Last, Now));
        Last = Now;
    });

    const std::vector<HostileMap>& Maps = HostileMaps();
    size_t Next = 0;
    int Step = 0;
    QEventLoop Loop;
    QTimer Driver;
    Driver.setInterval(15);
    QObject::connect(&Driver, &QTimer::timeout, [&] {
        if (Step == 0) {
            while (Next < Maps.size() && !Short(Maps[Next])) ++Next;
            if (Next == Maps.size()) {
                Loop.quit();
                return;
            }
            StartMap(*T, Maps[Next++]);
        } else if (T->S.SceneReady) {
            const ShiftState Held{false, false, true, false, false};
            if (Step == 1) T->OnMouseDownInParameters(MouseButton::Left, Held, 100, 100);
            T->OnMouseMoveInParameters(Held, 100 + Step, 100 - Step);
        }
        Step = (Step + 1) % 21;
    });
    Ticker.start();
    Driver.start();
    Last = Clock::now();
    Loop.exec();
    return MaxStall;
}

void WindowStall(benchmark::State& State) {
    EnsureApplication();
    double Worst = 0;
    for (auto _ : State) Worst = std::max(Worst, DriveCorpus());
    State.counters["max_stall_ms"] = Worst;
}

void StopLatency(benchmark::State& State) {
    EnsureApplication();
    double Worst = 0;
    std::string Slowest;
    for (auto _ : State) {
        for (const HostileMap& M : HostileMaps()) {
            if (!Short(M)) continue;
            TorvaneScene T;
            T.ComputeInBackground({});
            StartMap(T, M);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            if (!T.Computing()) continue;
            const Clock::time_point Start = Clock::now();
            T.StopComputing();
            T.FinishComputing();
            const double Stop = MillisecondsBetween(Start, Clock::now());
            if (Stop > Worst) {
                Worst = Stop;
                Slowest = std::string(M.Category) + ": " + M.X.substr(0, 40);
            }
        }
    }
    State.counters["max_stop_ms"] = Worst;
    State.SetLabel("slowest to stop: " + Slowest);
}

}  // namespace

BENCHMARK(WindowStall)->Name("WindowStall")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(StopLatency)->Name("StopLatency")->Unit(benchmark::kSecond)->Iterations(1);

#endif
