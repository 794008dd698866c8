// Blocks of machine code: built in ordinary memory, copied into a fresh mapping that is
// then made read+execute, so that no page is ever writable and executable at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ExecutableBlock {
public:
    // Returns null when executable memory is not available (refused by the system, another
    // processor, or refused on purpose by tests); callers then interpret instead.
    static std::unique_ptr<ExecutableBlock> Create(const std::vector<uint8_t>& Code);
    ~ExecutableBlock();
    ExecutableBlock(const ExecutableBlock&) = delete;
    ExecutableBlock& operator=(const ExecutableBlock&) = delete;

    const void* Entry() const { return Address; }
    size_t Size() const { return Length; }

    // True where this build can run generated x86-64 code at all.
    static bool NativeCodeSupported();
    // Makes every later Create fail, to exercise the fallback paths.
    static void RefuseForTesting(bool Refuse);

private:
    ExecutableBlock(void* A, size_t L) : Address(A), Length(L) {}
    void* Address;
    size_t Length;
};
