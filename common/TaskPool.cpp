#include "common/TaskPool.h"

#include <algorithm>
#include <utility>

void TaskGroup::Done(std::exception_ptr Error) {
    std::lock_guard<std::mutex> Guard(Lock);
    if (Error && !FirstError) FirstError = Error;
    if (--Pending == 0) Finished.notify_all();
}

bool TaskGroup::AllDone() {
    std::lock_guard<std::mutex> Guard(Lock);
    return Pending == 0;
}

void TaskGroup::WaitAll() {
    std::unique_lock<std::mutex> Guard(Lock);
    Finished.wait(Guard, [this] { return Pending == 0; });
}

void TaskGroup::Wait() {
    WaitAll();
    std::exception_ptr Error;
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Error = std::exchange(FirstError, nullptr);
    }
    if (Error) std::rethrow_exception(Error);
}

TaskPool& TaskPool::Shared() {
    static TaskPool* const Pool = [] {
        const int Cores = static_cast<int>(std::thread::hardware_concurrency());
        return new TaskPool(std::max(1, Cores - 1));
    }();
    return *Pool;
}

TaskPool::TaskPool(int WorkerCount) {
    for (int I = 0; I < std::max(1, WorkerCount); ++I) Threads.emplace_back([this] { Loop(); });
}

TaskPool::~TaskPool() {
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Quit = true;
    }
    Changed.notify_all();
    for (std::thread& T : Threads) T.join();
}

void TaskPool::Run(TaskGroup& Group, std::function<void()> Task) {
    {
        std::lock_guard<std::mutex> Guard(Group.Lock);
        ++Group.Pending;
    }
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Queue.push_back({&Group, std::move(Task)});
    }
    Changed.notify_one();
}

void TaskPool::Loop() {
    for (;;) {
        Item Next;
        {
            std::unique_lock<std::mutex> Guard(Lock);
            Changed.wait(Guard, [this] { return Quit || !Queue.empty(); });
            // Queued tasks are run even when quitting: their groups wait for them.
            if (Queue.empty()) return;
            Next = std::move(Queue.front());
            Queue.pop_front();
        }
        RunItem(Next);
    }
}

void TaskPool::RunItem(Item& Next) {
    std::exception_ptr Error;
    try {
        Next.Task();
    } catch (...) {
        Error = std::current_exception();
    }
    Next.Group->Done(Error);
    // A thread in Wait sleeps on the pool's condition; taking the lock first means it is
    // either asleep (and woken) or has not yet looked at its group.
    { std::lock_guard<std::mutex> Guard(Lock); }
    Changed.notify_all();
}

void TaskPool::Wait(TaskGroup& Group) {
    for (;;) {
        Item Next;
        {
            std::unique_lock<std::mutex> Guard(Lock);
            Changed.wait(Guard, [&] { return !Queue.empty() || Group.AllDone(); });
            if (Group.AllDone()) break;
            Next = std::move(Queue.front());
            Queue.pop_front();
        }
        RunItem(Next);
    }
    Group.Wait();
}
