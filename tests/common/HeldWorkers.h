// Every worker of a pool kept busy until released, so that the tasks queued meanwhile run on
// the thread that waits for them, inside its wait: the order a test needs is then certain.
#pragma once

#include <condition_variable>
#include <mutex>

#include "common/TaskPool.h"

class HeldWorkers {
public:
    explicit HeldWorkers(TaskPool& P) : Pool(P) {
        for (int K = 0; K < Pool.Workers(); ++K)
            Pool.Run(Holding, [this] {
                std::unique_lock<std::mutex> Guard(Lock);
                ++Held;
                Changed.notify_all();
                Changed.wait(Guard, [this] { return Released; });
            });
        // Each worker has taken its task: none is left in the queue for a waiting thread.
        std::unique_lock<std::mutex> Guard(Lock);
        Changed.wait(Guard, [this] { return Held == Pool.Workers(); });
    }
    ~HeldWorkers() {
        Release();
        Pool.Wait(Holding);
    }
    HeldWorkers(const HeldWorkers&) = delete;
    HeldWorkers& operator=(const HeldWorkers&) = delete;

    void Release() {
        std::lock_guard<std::mutex> Guard(Lock);
        Released = true;
        Changed.notify_all();
    }

private:
    TaskPool& Pool;
    TaskGroup Holding;
    std::mutex Lock;
    std::condition_variable Changed;
    int Held = 0;
    bool Released = false;
};
