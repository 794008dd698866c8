// The pieces the real function snippets are built from, shared by the function families
// (circular, exponential and algebraic, hyperbolic), and the emitter of each family. Internal
// to the real code generator.
#pragma once

#include "formula/x87/RealFunctionSnippets.h"

namespace real_snippets::parts {

// A constant of the safe functions' table, for the comparisons.
Const Table(safe_real::TableEntry E);
// (x) -> (x / 2).
void Halve(x87::Emitter& A);
// (x) -> (ln x), as ln 2 log2 x.
void NaturalLog(x87::Emitter& A);
// (x) -> (ln(1 + x)) for |x| < 1 - sqrt(2)/2, exact to the last digit for small x.
void NaturalLogOfOnePlus(x87::Emitter& A);
// (minus, plus) -> (v, p1[, p2]) for sinh (v = minus) or cosh (v = plus); p2 is v.
void ArrangeHyperbolic(x87::Emitter& A, bool Sinh, bool Second);
// (v) -> (v, 0) or (v, 0, 0): the derivatives of a constant extension.
void PushZeroDerivatives(x87::Emitter& A, ProgramOrder Order);
// At L: (x) -> the constant C of an extension, with zero derivatives.
void Extension(x87::Emitter& A, x87::Label L, Const C, ProgramOrder Order);
// (x) -> (E), the safe exponential.
void SafeExp(x87::Emitter& A);
// (x) -> (t = x log2 e, x), then to Large (keeping that stack) unless |t| <= 1, where
// f2xm1 gives e^x - 1 without cancellation.
void NearZeroExponent(x87::Emitter& A, x87::Label Large);
// (v, s, q, x) -> (v, p1[, p2]) with p1 = S1/s and p2 = S2 x/(s q) where q > 0, else zeros.
void RootDerivatives(x87::Emitter& A, ProgramOrder Order, int S1, int S2);
// (x) -> (q = 1 - x^2, x) or, with Plus, (q = x^2 - 1, x).
void OneMinusSquare(x87::Emitter& A, bool Reverse);
// (x) -> arcsin or arccos of x with its derivatives, beyond +-1 the end values.
void ArcSineOrCosine(x87::Emitter& A, bool Sine, ProgramOrder Order);

// (x) -> the function's value and derivatives, as EmitFunction describes, for the functions
// of each family; other codes emit nothing.
void EmitCircularFunction(x87::Emitter& A, char Code, ProgramOrder Order);
void EmitExponentialAndAlgebraicFunction(x87::Emitter& A, char Code, ProgramOrder Order);
void EmitHyperbolicFunction(x87::Emitter& A, char Code, ProgramOrder Order);

}  // namespace real_snippets::parts
