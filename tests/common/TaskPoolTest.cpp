// The task pool: every task runs once, a group waits for all of its tasks (also when one
// throws, whose exception the wait passes on), and tasks see what was written before they
// were run and hand back what they write (checked under ThreadSanitizer).
#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>
#include <vector>

#include "common/TaskPool.h"

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
