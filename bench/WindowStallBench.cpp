// How long the window's event loop can be kept from its events while the hostile corpus is
// drawn and dragged. A scene computing on its own thread, as the window's does, is driven from
// the event loop of the offscreen platform: every map through Draw It (each superseding the
// drawing before it, finished or not), then a parameter drag of twenty steps 15 ms apart, while
// a 1 ms timer notes the longest gap between two of its ticks (max_stall_ms). The same run
// notes the longest wait for a drawing asked to stop (max_stop_ms): Draw It waits for that
// before it reads the fields. Every map with a text of at most 2,000 characters takes part,
// the slowest of the corpus among them.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>

#include "../tests/scene/HostileMaps.h"
#include "bench/BenchApplication.h"
#include "scene/TorvaneScene.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point A, Clock::time_point B) {
    return std::chrono::duration<double, std::milli>(B - A).count();
}

struct StallRun {
    double MaxStall = 0, MaxStop = 0;
    int Maps = 0;
};

StallRun DriveCorpus() {
    StallRun Run;
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
        Run.MaxStall = std::max(Run.MaxStall, MillisecondsBetween(Last, Now));
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
            while (Next < Maps.size() && Maps[Next].X.size() + Maps[Next].Y.size() > 2000) ++Next;
            if (Next == Maps.size()) {
                Loop.quit();
                return;
            }
            // A new scene kind for each map, as the robustness test draws it.
            const bool Computing = T->Computing();
            const Clock::time_point Start = Clock::now();
            if (Computing) T->StopComputing();
            T->FinishComputing();
            if (Computing) Run.MaxStop = std::max(Run.MaxStop, MillisecondsBetween(Start, Clock::now()));
            const HostileMap& M = Maps[Next++];
            T->OnFunctionType(M.Kind);
            if (M.Kind == 1 && !T->S.ShowSingLocus) T->OnGeometryMenu();
            PutOnScene(*T, M);
            T->ReadAndDraw(true);
            ++Run.Maps;
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
    Ticker.stop();
    Driver.stop();
    return Run;
}

void WindowStall(benchmark::State& State) {
    EnsureApplication();
    StallRun Worst;
    for (auto _ : State) {
        StallRun R = DriveCorpus();
        Worst.MaxStall = std::max(Worst.MaxStall, R.MaxStall);
        Worst.MaxStop = std::max(Worst.MaxStop, R.MaxStop);
        Worst.Maps = R.Maps;
    }
    State.counters["max_stall_ms"] = Worst.MaxStall;
    State.counters["max_stop_ms"] = Worst.MaxStop;
    State.counters["maps"] = Worst.Maps;
}

}  // namespace

BENCHMARK(WindowStall)->Name("WindowStall")->Unit(benchmark::kSecond)->Iterations(1);

#endif
