// Executable blocks through mmap and mprotect.
#include "formula/ExecutableMemory.h"

#include <atomic>
#include <cstring>

#if defined(__x86_64__) && defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#define TORVANE_NATIVE_CODE 1
#endif

namespace {
std::atomic<bool> Refused{false};
}

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
    void* A = mmap(nullptr, Length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (A == MAP_FAILED) return nullptr;
    std::memcpy(A, Code.data(), Code.size());
    if (mprotect(A, Length, PROT_READ | PROT_EXEC) != 0) {
        munmap(A, Length);
        return nullptr;
    }
    return std::unique_ptr<ExecutableBlock>(new ExecutableBlock(A, Length));
#else
    (void)Code;
    return nullptr;
#endif
}

ExecutableBlock::~ExecutableBlock() {
#ifdef TORVANE_NATIVE_CODE
    munmap(Address, Length);
#endif
}
