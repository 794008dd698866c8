// The task pool: every task runs once, a group waits for all of its tasks (also when one
// throws, whose exception the wait passes on), and tasks see what was written before they
// were run and hand back what they write (checked under ThreadSanitizer). The working objects
// threads keep are lent to one use at a time.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/TaskPool.h"
#include "common/ThreadLease.h"
#include "tests/common/HeldWorkers.h"

TEST(TaskPool, EveryTaskRunsOnceAndTheGroupWaitsForAll) {
    for (int Workers : {1, 3}) {
        TaskPool Pool(Workers);
        EXPECT_EQ(Pool.Workers(), Workers);
        std::vector<long> Sums(200, -1);
        const std::vector<int> Input = [] {
            std::vector<int> V(1000);
            std::iota(V.begin(), V.end(), 1);
            return V;
        }();
        {
            TaskGroup Group;
            for (size_t I = 0; I < Sums.size(); ++I)
                Pool.Run(Group, [&Sums, &Input, I] {
                    Sums[I] = std::accumulate(Input.begin(), Input.begin() + static_cast<long>(I), 0L);
                });
            Group.Wait();
        }
        for (size_t I = 0; I < Sums.size(); ++I)
            EXPECT_EQ(Sums[I], static_cast<long>(I * (I + 1) / 2)) << I;
    }
}

TEST(TaskPool, AThrowingTaskStillLetsTheOthersFinishAndItsErrorReachesTheWait) {
    TaskPool Pool(2);
    std::vector<int> Done(20, 0);
    TaskGroup Group;
    for (int I = 0; I < 20; ++I)
        Pool.Run(Group, [&Done, I] {
            if (I == 7) throw std::runtime_error("seven");
            Done[static_cast<size_t>(I)] = 1;
        });
    EXPECT_THROW(Group.Wait(), std::runtime_error);
    for (int I = 0; I < 20; ++I) EXPECT_EQ(Done[static_cast<size_t>(I)], I == 7 ? 0 : 1) << I;
    // The error is reported once; the group can be used again.
    Pool.Run(Group, [] {});
    EXPECT_NO_THROW(Group.Wait());
}

TEST(TaskPool, TheSharedPoolHasAWorkerAndTasksQueuedAtTheEndStillRun) {
    EXPECT_GE(TaskPool::Shared().Workers(), 1);
    int Ran = 0;
    TaskGroup Group;
    {
        TaskPool Pool(1);
        for (int I = 0; I < 50; ++I) Pool.Run(Group, [&Ran] { ++Ran; });
        // The pool's end runs what is still queued: its groups wait for it.
    }
    EXPECT_EQ(Ran, 50);
    EXPECT_NO_THROW(Group.Wait());
}

// A task that this thread runs while it waits for the pool must not write into the working
// object the waiting task still uses; once that is given back, the next use finds it again.
TEST(ThreadLease, ATaskRunWhileWaitingGetsAnObjectOfItsOwnAndTheKeptOneComesBack) {
    using Buffer = ThreadLease<std::vector<int>>;
    TaskPool Pool(1);
    auto Workers = std::make_unique<HeldWorkers>(Pool);
    TaskGroup Inner;
    const std::vector<int>* Kept = nullptr;
    {
        const Buffer Outer;
        EXPECT_FALSE(Outer.Fresh());
        Kept = &*Outer;
        Outer->assign(1000, 7);
        bool InnerFresh = false;
        const std::vector<int>* InnerObject = nullptr;
        Pool.Run(Inner, [&] {
            const Buffer Nested;
            InnerFresh = Nested.Fresh();
            InnerObject = &*Nested;
            Nested->assign(10, -1);
        });
        // The worker is held: the queued task runs here, inside the wait.
        Pool.Wait(Inner);
        EXPECT_TRUE(InnerFresh);
        EXPECT_NE(InnerObject, Kept);
        EXPECT_EQ(*Outer, std::vector<int>(1000, 7));
    }
    {
        const Buffer Again;
        EXPECT_FALSE(Again.Fresh());
        EXPECT_EQ(&*Again, Kept);
        EXPECT_EQ(Again->size(), 1000u);
    }
    Workers.reset();
    // Another thread keeps an object of its own.
    const std::vector<int>* OthersObject = nullptr;
    std::thread([&] { OthersObject = &*Buffer(); }).join();
    EXPECT_NE(OthersObject, Kept);
}
