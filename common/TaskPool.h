// A small pool of worker threads for the independent parts of one computation. Tasks hand
// their results over through what they were given to write; a TaskGroup waits for the tasks
// run through it. The hand-over is a mutex and a condition variable, which ThreadSanitizer
// sees, so the tests under it prove the tasks' ownership rather than assume it.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TaskGroup {
public:
    TaskGroup() = default;
    TaskGroup(const TaskGroup&) = delete;
    TaskGroup& operator=(const TaskGroup&) = delete;
    // Waits for every task run through the group, on any error as well: it must not end
    // while one of them may still write. Rethrows the first exception a task threw.
    ~TaskGroup() { WaitAll(); }
    void Wait();

private:
    friend class TaskPool;
    void WaitAll();
    void Done(std::exception_ptr Error);
    bool AllDone();
    std::mutex Lock;
    std::condition_variable Finished;
    int Pending = 0;
    std::exception_ptr FirstError;
};

class TaskPool {
public:
    // The pool every computation shares: a worker for each core beyond the caller's own (at
    // least one). Made on first use and never destroyed, so that no exit-time destruction
    // order can end a worker under a task.
    static TaskPool& Shared();

    explicit TaskPool(int WorkerCount);
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    int Workers() const { return static_cast<int>(Threads.size()); }
    // Runs Task on a worker; Group.Wait() returns when it and the group's other tasks ended.
    void Run(TaskGroup& Group, std::function<void()> Task);
    // Waits for the group's tasks, running queued tasks (of any group) on the calling thread
    // meanwhile: a task that waits for tasks of its own never waits for a worker it holds.
    // A task may so run inside another on one thread: what a thread keeps for its tasks is
    // lent one use at a time (ThreadLease), never shared by reference.
    // Rethrows the first exception one of the group's tasks threw.
    void Wait(TaskGroup& Group);

private:
    struct Item {
        TaskGroup* Group;
        std::function<void()> Task;
    };
    void Loop();
    void RunItem(Item& Next);

    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<Item> Queue;
    bool Quit = false;
    std::vector<std::thread> Threads;
};
