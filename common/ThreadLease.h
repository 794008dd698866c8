// A working object kept by each thread for its next use (buffers that would otherwise be
// fresh memory at every step), lent to one use at a time. A thread waiting in TaskPool::Wait
// runs other queued tasks meanwhile, and one of them may want the object that the waiting
// task still uses: that one gets a fresh object of its own and leaves the kept one alone.
#pragma once

#include <memory>

template <typename T>
class ThreadLease {
public:
    ThreadLease() {
        Slot& Kept = ThisThreadsSlot();
        if (Kept.Lent) {
            Spare = std::make_unique<T>();
            Object = Spare.get();
            return;
        }
        // Made on first use, on the heap: some of these objects are too large for a thread's
        // static storage.
        if (!Kept.Object) Kept.Object = std::make_unique<T>();
        Kept.Lent = true;
        Held = &Kept;
        Object = Kept.Object.get();
    }
    ~ThreadLease() {
        if (Held) Held->Lent = false;
    }
    ThreadLease(const ThreadLease&) = delete;
    ThreadLease& operator=(const ThreadLease&) = delete;

    T& operator*() const { return *Object; }
    T* operator->() const { return Object; }
    // Whether this use got a fresh object because the thread's own one was lent already.
    bool Fresh() const { return Spare != nullptr; }

private:
    struct Slot {
        std::unique_ptr<T> Object;
        bool Lent = false;
    };
    static Slot& ThisThreadsSlot() {
        thread_local Slot Kept;
        return Kept;
    }
    Slot* Held = nullptr;
    std::unique_ptr<T> Spare;
    T* Object = nullptr;
};
