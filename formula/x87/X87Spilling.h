// What both code generators do with the x87 register stack: move its deepest entry to the
// machine stack, and measure how many registers a snippet needs before emitting it.
#pragma once

#include <functional>

#include "formula/x87/X87Emitter.h"

namespace x87 {

// Bytes a spilled register takes on the machine stack (a full extended value).
inline constexpr int SpillBytes = 16;

// Stores the deepest of the InRegisters occupied registers at the new top of the machine
// stack and frees it. With all eight in use the register stack is rotated first, so that the
// deepest entry comes to the top.
inline void SpillDeepestRegister(Emitter& E, int InRegisters) {
    E.SubRsp(SpillBytes);
    if (InRegisters == 8) {
        E.Fdecstp();
        E.FstpExtended(Mem{Reg::Rsp, 0});
    } else {
        E.FldSt(InRegisters - 1);
        E.FstpExtended(Mem{Reg::Rsp, 0});
        E.FfreeDeepest(InRegisters - 1);
    }
}

// Registers the snippet needs beyond its Inputs, found by a dry run; -1 when the snippet
// breaks the stack discipline or cannot fit beside its inputs.
inline int MeasureSnippet(int Inputs, const std::function<void(Emitter&)>& Body) {
    Emitter Measure(Inputs, 64);
    Body(Measure);
    int Extra = Measure.MaxDepth() - Inputs;
    if (!Measure.Valid() || Extra > 8 - Inputs) return -1;
    return Extra;
}

}  // namespace x87
