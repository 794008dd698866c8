// The inverse complex functions in x87 code: arguments folded into one quadrant, where the
// defining formulas add numbers of like sign, and the results unfolded, as in SafeComplex.h.
#include "formula/x87/ComplexFunctionSnippets.h"

#include "formula/x87/ComplexCodeGenerator.h"  // ComplexScratchSlots

namespace complex_snippets {

using x87::Condition;
using x87::Emitter;
using x87::Mem;
using x87::Reg;

namespace {

// Scratch slots of the inverse functions (extended values, r8 points at them): the original

// real part, the imaginary part after the first fold, and complex temporaries.

enum ScratchSlot { OriginalRe, FoldedIm, SavedZ, SavedQ = SavedZ + 2, SavedIZ = SavedQ + 2,
                   ScratchSlots = SavedIZ + 2 };
static_assert(ScratchSlots <= ComplexScratchSlots);

Mem Scratch(int Slot) { return Mem{Reg::R8, Slot * SlotBytes}; }

void Stash(Emitter& X, int Slot) {  // (re, im) -> (), saved
    X.FstpExtended(Scratch(Slot));
    X.FstpExtended(Scratch(Slot + 1));
}

void Unstash(Emitter& X, int Slot) {  // () -> (re, im)
    X.FldExtended(Scratch(Slot + 1));
    X.FldExtended(Scratch(Slot));
}

void SwapEntries(Emitter& X) {  // (ar, ai, br, bi) -> (br, bi, ar, ai)
    X.Fxch(2);
    X.Fxch(1);
    X.Fxch(3);
    X.Fxch(1);
}

void NegateEntry(Emitter& X) {
    X.Fchs();
    X.Fxch(1);
    X.Fchs();
    X.Fxch(1);
}

void ConjugateEntry(Emitter& X) {
    X.Fxch(1);
    X.Fchs();
    X.Fxch(1);
}

// Flags of 0 against the saved extended value (Above: 0 > value, ordered).

void ZeroAgainstSaved(Emitter& X, int Slot) {
    X.FldExtended(Scratch(Slot));
    X.Fldz();
    X.Fucomip(1);
    X.FstpSt(0);
}

// Flags of the saved extended value against 0 (Above: value > 0, ordered).

void SavedAgainstZero(Emitter& X, int Slot) {
    X.Fldz();
    X.FldExtended(Scratch(Slot));
    X.Fucomip(1);
    X.FstpSt(0);
}

// (x, y) -> -z where x < 0 (the original x saved), then conj where the new imaginary part

// is positive (arcsin) or negative (arccos) (that imaginary part saved).

void FoldIntoQuadrant(Emitter& X, bool ConjugatePositive) {
    x87::Label NoNegation = X.NewLabel(), NoConjugation = X.NewLabel();
    X.FldSt(0);
    X.FstpExtended(Scratch(OriginalRe));
    X.Fldz();
    X.Fucomip(1);  // 0 against x
    X.Jump(Condition::BelowOrEqual, NoNegation);
    NegateEntry(X);
    X.Bind(NoNegation);
    X.FldSt(1);
    X.FstpExtended(Scratch(FoldedIm));
    if (ConjugatePositive) {
        CompareWithZero(X, 1);  // y against 0
    } else {
        X.Fldz();
        X.Fucomip(2);  // 0 against y
    }
    X.Jump(Condition::BelowOrEqual, NoConjugation);
    ConjugateEntry(X);
    X.Bind(NoConjugation);
}

// (x, y) -> arcsin z, folded into Re z >= 0 >= Im z and unfolded at the end.

// (x, y) -> arccos z, folded into Re z >= 0, Im z >= 0 and unfolded at the end.

// (x, y) -> arccot z: arctan(1/z) outside the unit circle, else pi/2 - arctan z with its

// real part kept in (-pi/2, pi/2].

}  // namespace

void Arcsine(Emitter& X) {
    x87::Label Small = X.NewLabel(), Unfold = X.NewLabel(), NoConjugation = X.NewLabel(),
               Done = X.NewLabel();
    FoldIntoQuadrant(X, true);
    X.FldSt(1);
    X.FldSt(1);
    Stash(X, SavedZ);
    EmitFunction(X, formula::Code(formula::ComplexFunction::Square));  // (qr, qi)
    X.FldSt(1);
    X.FldSt(1);
    Stash(X, SavedQ);
    X.Fld1();
    X.FsubSt0(1);
    X.FstpSt(1);
    X.Fxch(1);
    X.Fchs();
    X.Fxch(1);             // (1 - qr, -qi)
    SquareRoot(X);         // (rr, ri)
    Unstash(X, SavedZ);
    SquaredModulus(X);
    LoadTable(X, SixteenthEntry);
    X.Fucomip(1);          // 1/16 against |z|^2
    X.FstpSt(0);           // (zx, zy, rr, ri)
    X.Jump(Condition::AboveOrEqual, Small);
    TimesI(X);
    EmitBinary(X, formula::Code(formula::Opcode::Add));    // iz + S
    Logarithm(X);
    X.Jump(Unfold);
    X.Bind(Small);
    TimesI(X);
    Stash(X, SavedIZ);     // (rr, ri)
    X.Fld1();
    X.FaddSt0(1);
    X.FstpSt(1);           // (1 + rr, ri)
    Unstash(X, SavedQ);
    SwapEntries(X);
    EmitBinary(X, formula::Code(formula::Opcode::Divide));    // k = z^2/(1 + S)
    Unstash(X, SavedIZ);
    SwapEntries(X);
    EmitBinary(X, formula::Code(formula::Opcode::Subtract));    // iz - k
    LogarithmOfOnePlus(X);
    X.Bind(Unfold);
    TimesMinusI(X);
    SavedAgainstZero(X, FoldedIm);
    X.Jump(Condition::BelowOrEqual, NoConjugation);
    ConjugateEntry(X);
    X.Bind(NoConjugation);
    ZeroAgainstSaved(X, OriginalRe);
    X.Jump(Condition::BelowOrEqual, Done);
    NegateEntry(X);
    X.Bind(Done);
}

void Arccosine(Emitter& X) {
    x87::Label NoConjugation = X.NewLabel(), Done = X.NewLabel();
    FoldIntoQuadrant(X, false);
    X.FldSt(1);
    X.FldSt(1);
    Stash(X, SavedZ);
    EmitFunction(X, formula::Code(formula::ComplexFunction::Square));
    X.Fld1();
    X.Fsubp(1);          // (qr - 1, qi)
    SquareRoot(X);
    Unstash(X, SavedZ);
    EmitBinary(X, formula::Code(formula::Opcode::Add));  // z + S
    Logarithm(X);
    TimesMinusI(X);
    ZeroAgainstSaved(X, FoldedIm);
    X.Jump(Condition::BelowOrEqual, NoConjugation);
    ConjugateEntry(X);
    X.Bind(NoConjugation);
    ZeroAgainstSaved(X, OriginalRe);
    X.Jump(Condition::BelowOrEqual, Done);
    X.Fldpi();
    X.FsubSt0(1);
    X.FstpSt(1);         // pi - re
    ConjugateEntry(X);
    X.Bind(Done);
}

void Arctangent(Emitter& X) {  // -i arctanh(iz)
    TimesI(X);
    HyperbolicArctangent(X);
    TimesMinusI(X);
}

void Arccotangent(Emitter& X) {
    x87::Label Outside = X.NewLabel(), Done = X.NewLabel();
    JumpIfOutsideUnitCircle(X, Outside);
    Arctangent(X);
    X.Fldpi();
    Halve(X);
    X.FsubSt0(1);
    X.FstpSt(1);   // (pi/2 - re, im)
    X.Fxch(1);
    X.Fchs();
    X.Fxch(1);
    X.Fldpi();
    Halve(X);
    X.FldSt(1);
    X.Fucomip(1);  // re against pi/2
    X.FstpSt(0);
    X.Jump(Condition::BelowOrEqual, Done);
    X.Fldpi();
    X.Fsubp(1);
    X.Jump(Done);
    X.Bind(Outside);
    Reciprocal(X);
    Arctangent(X);
    X.Bind(Done);
}

}  // namespace complex_snippets
