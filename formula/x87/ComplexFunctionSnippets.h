// x87 instruction sequences of the complex formula programs: each complex value takes two
// registers, the real part on top. The sequences follow, operation by operation, the
// building blocks of SafeComplex.h, so that native and interpreted results are identical.
#pragma once

#include "formula/language/Opcodes.h"
#include "formula/x87/X87Emitter.h"

namespace complex_snippets {

// Operands: rcx points at the table of constants, r8 at the scratch slots (extended values,
// 16 bytes apart).
inline constexpr int SlotBytes = 16;
enum TableEntry { BigEntry, SmallEntry, ExpCutEntry, MinusExpCutEntry, HalfEntry,
                  LogFloorEntry, QuarterEntry, SixteenthEntry, TableSize };
inline x87::Mem TableSlot(TableEntry E) {
    return x87::Mem{x87::Reg::Rcx, static_cast<int>(E) * SlotBytes};
}
const long double* Table();

// Functions with a native form (all of the language's).
bool HasNativeForm(char Code);

// (br, bi, ar, ai) -> a op b for "+", "-", "*", "/".
void EmitBinary(x87::Emitter& X, char C);
// (x, y) -> f(z) for "#" and the function opcodes.
void EmitFunction(x87::Emitter& X, char Code);

// Building blocks shared by the elementary and the inverse functions; (x, y) is a complex
// value on top of the stack.
void LoadTable(x87::Emitter& X, TableEntry E);
void Halve(x87::Emitter& X);
void TimesI(x87::Emitter& X);
void TimesMinusI(x87::Emitter& X);
void SquaredModulus(x87::Emitter& X);        // (x, y) -> (x^2 + y^2, x, y)
void CompareWithZero(x87::Emitter& X, int I);  // flags of st(i) against 0
// (x, y) stays; jumps to Outside where |z|^2 > 1.
void JumpIfOutsideUnitCircle(x87::Emitter& X, x87::Label Outside);
void SquareRoot(x87::Emitter& X);
void Logarithm(x87::Emitter& X);
void LogarithmOfOnePlus(x87::Emitter& X);
void Reciprocal(x87::Emitter& X);
void HyperbolicArctangent(x87::Emitter& X);

// The inverse functions with their quadrant folds (ComplexInverseSnippets.cpp).
void Arctangent(x87::Emitter& X);
void Arcsine(x87::Emitter& X);
void Arccosine(x87::Emitter& X);
void Arccotangent(x87::Emitter& X);

}  // namespace complex_snippets
