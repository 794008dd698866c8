// Executable blocks through mmap and mprotect.
#include "formula/x87/ExecutableMemory.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#if defined(__x86_64__) && defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#define TORVANE_NATIVE_CODE 1
#endif

namespace {
std::atomic<bool> Refused{false};

#ifdef TORVANE_NATIVE_CODE
// Released blocks are kept for reuse: mapping fresh pages and unmapping them costs more
// than the rest of a compilation. A kept block stays read+execute until it is reused, when
// it is made writable (and not executable) for the copy.
struct Region {
    void* Address;
    size_t Length;
};
constexpr size_t MaxKept = 64;
struct BlockPool {
    std::mutex Lock;
    std::vector<Region> Kept;
};
// The pool is made on first use and never destroyed: a block may be released during exit by an
// object with static storage made before the pool (a scene kept for a whole run), after every
// function-local static made later is gone.
BlockPool& Pool() {
    static BlockPool* const P = new BlockPool;
    return *P;
}

bool TakeFromPool(size_t Length, Region& Out) {
    std::lock_guard<std::mutex> Guard(Pool().Lock);
    auto& Kept = Pool().Kept;
    size_t Best = Kept.size();
    for (size_t I = 0; I < Kept.size(); ++I)
        if (Kept[I].Length >= Length && (Best == Kept.size() || Kept[I].Length < Kept[Best].Length))
            Best = I;
    if (Best == Kept.size()) return false;
    Out = Kept[Best];
    Kept.erase(Kept.begin() + static_cast<long>(Best));
    return true;
}

void Release(void* Address, size_t Length) {
    {
        BlockPool& P = Pool();
        std::lock_guard<std::mutex> Guard(P.Lock);
        if (P.Kept.size() < MaxKept) {
            P.Kept.push_back({Address, Length});
            return;
        }
    }
    munmap(Address, Length);
}
#endif
}  // namespace

bool ExecutableBlock::NativeCodeSupported() {
#ifdef TORVANE_NATIVE_CODE
    return true;
#else
    return false;
#endif
}

void ExecutableBlock::RefuseForTesting(bool Refuse) { Refused = Refuse; }

std::unique_ptr<ExecutableBlock> ExecutableBlock::Create(const std::vector<uint8_t>& Code) {
#ifdef TORVANE_NATIVE_CODE
    if (Refused || Code.empty()) return nullptr;
    long Page = sysconf(_SC_PAGESIZE);
    if (Page <= 0) Page = 4096;
    size_t Length = (Code.size() + static_cast<size_t>(Page) - 1) / static_cast<size_t>(Page) *
                    static_cast<size_t>(Page);
    Region R{nullptr, 0};
    if (TakeFromPool(Length, R)) {
        if (mprotect(R.Address, R.Length, PROT_READ | PROT_WRITE) != 0) {
            munmap(R.Address, R.Length);
            R = {nullptr, 0};
        }
    }
    if (!R.Address) {
        void* A = mmap(nullptr, Length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (A == MAP_FAILED) return nullptr;
        R = {A, Length};
    }
    std::memcpy(R.Address, Code.data(), Code.size());
    if (mprotect(R.Address, R.Length, PROT_READ | PROT_EXEC) != 0) {
        munmap(R.Address, R.Length);
        return nullptr;
    }
    return std::unique_ptr<ExecutableBlock>(new ExecutableBlock(R.Address, R.Length));
#else
    (void)Code;
    return nullptr;
#endif
}

ExecutableBlock::~ExecutableBlock() {
#ifdef TORVANE_NATIVE_CODE
    Release(Address, Length);
#endif
}
