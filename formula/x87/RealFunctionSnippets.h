// x87 instruction sequences for the real formula programs: the memory layout of a program's
// operands, comparisons with constants, and the safe functions with their derivatives.
#pragma once

#include "formula/FormulaBackend.h"
#include "formula/safe/SafeReal.h"
#include "formula/x87/X87Emitter.h"

namespace real_snippets {

// Spilled stack entries and the safe functions' constants are extended values, 16 bytes
// apart; derivative slots are doubles.
inline constexpr int SlotBytes = 16;

// Operands of a program: rdi the input array, rsi the constant slots, rdx and rcx the first
// and second derivative stacks, r8 the table of the safe functions' constants.
inline x87::Mem Input(int Index) { return x87::Mem{x87::Reg::Rdi, Index * 8}; }
inline x87::Mem ConstantSlot(int Slot) { return x87::Mem{x87::Reg::Rsi, Slot * 8}; }
inline x87::Mem FirstSlot(int K) { return x87::Mem{x87::Reg::Rdx, K * 8}; }
inline x87::Mem SecondSlot(int K) { return x87::Mem{x87::Reg::Rcx, K * 8}; }
inline x87::Mem TableSlot(safe_real::TableEntry E) {
    return x87::Mem{x87::Reg::R8, static_cast<int>(E) * SlotBytes};
}

// A constant that a comparison loads: by instruction or from the table.
struct Const {
    enum Kind { Zero, One, MinusOne, Pi, Table } Which;
    safe_real::TableEntry Entry = safe_real::BigEntry;
};
inline constexpr Const Zero{Const::Zero};
inline constexpr Const One{Const::One};
inline constexpr Const MinusOne{Const::MinusOne};
inline constexpr Const PiConstant{Const::Pi};

// Flags of "st(i) compared with C" (Above means st(i) > C, ordered); the stack is unchanged.
void CompareRegisterWith(x87::Emitter& A, int I, Const C);
// Flags of "C compared with st(i)" (Above means C > st(i), ordered); the stack is unchanged.
void CompareWithRegister(x87::Emitter& A, Const C, int I);
void LoadTable(x87::Emitter& A, safe_real::TableEntry E);
// (x) -> (x mod m), the remainder with the sign of x, m = pi or 2 pi (the complex programs
// reduce their sines and cosines the same way).
void Reduce(x87::Emitter& A, bool TwoPi);

// Function opcode "A".."R": (x) -> (v) for the value program, (v, p1) or (v, p1, p2) with
// the function's first and second derivative for the derivative programs.
void EmitFunction(x87::Emitter& A, char Code, ProgramOrder Order);

}  // namespace real_snippets
