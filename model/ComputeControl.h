// What a computation off the window's thread is told and tells: a request to stop, which
// every long loop of the curves and the locus checks, and how far it has come. The window's
// thread writes Stop and reads the counts while the computation runs, hence the atomics.
#pragma once

#include <atomic>

struct ComputeControl {
    std::atomic<bool> Stop{false};
    std::atomic<int> LinesDone{0}, LinesTotal{0};  // image lines traced
    std::atomic<int> CellsDone{0}, CellsTotal{0};  // seed cells of the locus searched

    bool Stopped() const { return Stop.load(std::memory_order_relaxed); }
    // The fraction done of the work that reports progress, 0 before any is known.
    double Fraction() const {
        const int Total = LinesTotal.load(std::memory_order_relaxed) +
                          CellsTotal.load(std::memory_order_relaxed);
        if (Total <= 0) return 0;
        const int Done = LinesDone.load(std::memory_order_relaxed) +
                         CellsDone.load(std::memory_order_relaxed);
        return static_cast<double>(Done) / Total;
    }
};
