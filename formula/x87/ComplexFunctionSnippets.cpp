// The elementary complex functions and the arithmetic in x87 code, mirroring SafeComplex.h.
#include "formula/x87/ComplexFunctionSnippets.h"

#include "formula/x87/RealFunctionSnippets.h"
#include "formula/safe/SafeComplex.h"

namespace complex_snippets {

using x87::Condition;
using x87::Emitter;

const long double* Table() {
    static const long double Values[TableSize] = {
        safe_complex::Big, safe_complex::Small, safe_complex::ExpCut, -safe_complex::ExpCut,
        0.5L, safe_complex::LogFloor, safe_complex::Log1pRange,
        safe_complex::ArcsinSeriesRadius2};
    return Values;
}

// Functions with a native form; the others make the whole formula run in the interpreter.
bool HasNativeForm(char Code) {
    return formula::IsComplexFunctionCode(Code);
}

namespace {

// (s) -> (2^s) with the cut-offs of the complex language (Power2).

void Power2(Emitter& X) {
    x87::Label High = X.NewLabel(), Low = X.NewLabel(), Done = X.NewLabel();
    LoadTable(X, ExpCutEntry);
    X.FldSt(1);
    X.Fucomip(1);  // s against 100
    X.FstpSt(0);
    X.Jump(Condition::Above, High);
    LoadTable(X, MinusExpCutEntry);
    X.Fucomip(1);  // -100 against s
    X.Jump(Condition::Above, Low);
    X.FldSt(0);
    X.Frndint();   // (n, s)
    X.Fxch(1);
    X.FsubSt0(1);  // (s - n, n)
    X.F2xm1();
    X.Fld1();
    X.Faddp(1);
    X.Fscale();
    X.FstpSt(1);
    X.Jump(Done);
    X.Bind(High);
    X.FstpSt(0);
    LoadTable(X, BigEntry);
    X.Jump(Done);
    X.Bind(Low);
    X.FstpSt(0);
    LoadTable(X, SmallEntry);
    X.Bind(Done);
}

// (y) -> (sinh y, cosh y) as HyperbolicPair: from e^y - 1 near zero, else from the safe

// exponential.

void HyperbolicPair(Emitter& X) {
    x87::Label Large = X.NewLabel(), Join = X.NewLabel();
    X.Fldl2e();
    X.FmulSt0(1);
    X.FstpSt(1);  // (t)
    X.FldSt(0);
    X.Fabs();
    X.Fld1();
    X.Fucomip(1);  // 1 against |t|
    X.FstpSt(0);
    X.Jump(Condition::Below, Large);
    X.F2xm1();     // (m)
    X.Fld1();
    X.FaddSt0(1);  // (e, m)
    X.FldSt(1);
    X.FdivSt0(1);
    X.Faddp(2);    // (e, m + m/e)
    X.Fld1();
    X.FdivSt0(1);
    X.Faddp(1);    // (e + 1/e, m + m/e)
    X.Jump(Join);
    X.Bind(Large);
    Power2(X);     // (e)
    X.Fld1();
    X.FdivSt0(1);  // (1/e, e)
    X.FldSt(1);
    X.FaddSt0(1);  // (e + 1/e, 1/e, e)
    X.Fxch(2);
    X.Fsubrp(1);   // (e - 1/e, e + 1/e)
    X.Fxch(1);
    X.Bind(Join);  // (2 cosh, 2 sinh)
    Halve(X);
    X.Fxch(1);
    Halve(X);      // (sinh, cosh)
}

// (x, y) -> sin z or cos z: the sine and cosine of x times cosh y and sinh y.

void SineOrCosine(Emitter& X, bool Sine) {
    X.Fxch(1);
    HyperbolicPair(X);  // (sh, ch, x)
    X.Fxch(2);
    real_snippets::Reduce(X, true);
    X.Fsincos();  // (C, S, ch, sh)
    if (Sine) {
        X.FmulSt0(3);  // C sh
        X.Fxch(1);
        X.FmulSt0(2);  // S ch
    } else {
        X.FmulSt0(2);  // C ch
        X.Fxch(1);
        X.FmulSt0(3);  // S sh
        X.Fchs();
        X.Fxch(1);
    }
    X.FstpSt(2);
    X.FstpSt(2);
}

// (x, y, ...) -> (x^2 + y^2, x, y, ...)

// Flags of st(i) against 0 (Above: st(i) > 0, ordered); the stack is unchanged.

// Jumps to Target when st0 is exactly zero (not when it is not a number).

void JumpIfExactlyZero(Emitter& X, x87::Label Target) {
    x87::Label NotZero = X.NewLabel();
    X.Fldz();
    X.Fucomip(1);
    X.Jump(Condition::Unordered, NotZero);
    X.Jump(Condition::Equal, Target);
    X.Bind(NotZero);
}

// (x, y) -> S(z), the root with non-negative imaginary part.

// (r, ...) -> (ln r or -100, ...)

void SafeLogarithm(Emitter& X) {
    x87::Label Floor = X.NewLabel(), Done = X.NewLabel();
    CompareWithZero(X, 0);
    X.Jump(Condition::BelowOrEqual, Floor);
    X.Fldln2();
    X.Fxch(1);
    X.Fyl2x();
    X.Jump(Done);
    X.Bind(Floor);
    X.FstpSt(0);
    LoadTable(X, LogFloorEntry);
    X.Bind(Done);
}

// (x, y) -> Ln z, with Ln 0 = -50 + 0i.

// (dx, dy) -> Ln(1 + d), through fyl2xp1 where |1 + d|^2 - 1 is small.

// (x, y) -> e^z - 1, without cancellation near zero.

void ExpMinusOne(Emitter& X) {
    x87::Label Large = X.NewLabel(), Done = X.NewLabel();
    X.Fldl2e();
    X.FmulSt0(1);  // (t, x, y)
    X.FldSt(0);
    X.Fabs();
    X.Fld1();
    X.Fucomip(1);
    X.FstpSt(0);
    X.Jump(Condition::Below, Large);
    X.FldSt(2);
    X.Fabs();
    X.Fld1();
    X.Fucomip(1);
    X.FstpSt(0);
    X.Jump(Condition::Below, Large);
    X.F2xm1();
    X.FstpSt(1);   // (m, y)
    X.Fxch(1);
    real_snippets::Reduce(X, true);
    X.Fsincos();      // (c, s, m)
    X.FldSt(1);
    X.FmulSt0(0);  // s s
    X.FldSt(1);
    X.Fld1();
    X.Faddp(1);    // c + 1
    X.Fdivp(1);    // (1 - c, c, s, m)
    X.FldSt(3);
    X.FmulSt0(2);  // m c
    X.Fsubrp(1);   // (re, c, s, m)
    X.FldSt(3);
    X.Fld1();
    X.Faddp(1);    // m + 1
    X.FmulSt0(3);  // (im, re, c, s, m)
    X.Fxch(1);
    for (int I = 0; I < 3; ++I) X.FstpSt(2);
    X.Fxch(1);
    X.Jump(Done);
    X.Bind(Large);
    X.FstpSt(0);
    EmitFunction(X, formula::Code(formula::ComplexFunction::Exp));
    X.Fld1();
    X.Fsubp(1);
    X.Bind(Done);
}

// (x, y) -> conj(w)/|w|^2, and 0 for w = 0.

// (x, y) -> (e^2z - 1)/(e^2z + 1)

void HyperbolicTangent(Emitter& X) {
    X.FaddSt0(0);
    X.Fxch(1);
    X.FaddSt0(0);
    X.Fxch(1);
    ExpMinusOne(X);  // (mr, mi)
    X.FldSt(1);
    X.FldSt(1);
    X.Fld1();
    X.FaddSt0(0);
    X.Faddp(1);      // (mr + 2, mi, mr, mi)
    EmitBinary(X, formula::Code(formula::Opcode::Divide));
}

void Tangent(Emitter& X) {  // -i tanh(iz)
    TimesI(X);
    HyperbolicTangent(X);
    TimesMinusI(X);
}

// (x, y) -> (1 - x, -y, x, y)

void OneMinus(Emitter& X) {
    X.Fld1();
    X.FsubSt0(1);
    X.FldSt(2);
    X.Fchs();
    X.Fxch(1);
}

// (x, y) -> Ln(1 + d)/2 with d = 2z/(1 - z), or 2/(1 - z) - 2 outside the unit circle.

}  // namespace

void LoadTable(Emitter& X, TableEntry E) { X.FldExtended(TableSlot(E)); }

void Halve(Emitter& X) {
    LoadTable(X, HalfEntry);
    X.Fmulp(1);
}

void TimesI(Emitter& X) {  // (x, y) -> (-y, x)
    X.Fxch(1);
    X.Fchs();
}

void TimesMinusI(Emitter& X) {  // (x, y) -> (y, -x)
    X.Fchs();
    X.Fxch(1);
}

void SquaredModulus(Emitter& X) {
    X.FldSt(0);
    X.FmulSt0(0);
    X.FldSt(2);
    X.FmulSt0(0);
    X.Faddp(1);
}

void CompareWithZero(Emitter& X, int I) {
    X.Fldz();
    X.FldSt(I + 1);
    X.Fucomip(1);
    X.FstpSt(0);
}

void SquareRoot(Emitter& X) {
    x87::Label Right = X.NewLabel(), Join = X.NewLabel(), Zero = X.NewLabel(),
               Done = X.NewLabel(), Ordered = X.NewLabel(), Sign = X.NewLabel(),
               Positive = X.NewLabel();
    SquaredModulus(X);
    X.Fsqrt();  // (r, x, y)
    CompareWithZero(X, 1);
    X.Jump(Condition::AboveOrEqual, Right);
    X.FsubSt0(1);  // r - x
    X.Jump(Join);
    X.Bind(Right);
    X.FaddSt0(1);  // r + x
    X.Bind(Join);
    Halve(X);
    X.Fsqrt();  // (larger, x, y)
    JumpIfExactlyZero(X, Zero);
    X.FldSt(0);
    X.FaddSt0(0);
    X.FldSt(3);
    X.Fabs();
    X.FdivSt0(1);  // (|y|/2 larger, 2 larger, larger, x, y)
    X.FstpSt(1);   // (smaller, larger, x, y)
    CompareWithZero(X, 2);
    X.Jump(Condition::AboveOrEqual, Ordered);
    X.Jump(Sign);  // left half: (a, b) = (smaller, larger)
    X.Bind(Ordered);
    X.Fxch(1);     // right half: (larger, smaller)
    X.Bind(Sign);
    CompareWithZero(X, 3);
    X.Jump(Condition::AboveOrEqual, Positive);
    X.Fchs();
    X.Bind(Positive);
    X.FstpSt(2);
    X.FstpSt(2);
    X.Jump(Done);
    X.Bind(Zero);
    for (int I = 0; I < 3; ++I) X.FstpSt(0);
    X.Fldz();
    X.Fldz();
    X.Bind(Done);
}

void Logarithm(Emitter& X) {
    x87::Label Zero = X.NewLabel(), Done = X.NewLabel();
    SquaredModulus(X);  // (n, x, y)
    X.FldSt(0);
    SafeLogarithm(X);
    Halve(X);           // (re, n, x, y)
    X.Fxch(1);
    JumpIfExactlyZero(X, Zero);
    X.Fxch(1);
    X.FldSt(3);
    X.FldSt(3);
    X.Fpatan();         // (im, re, n, x, y)
    X.Fxch(1);
    X.Jump(Done);
    X.Bind(Zero);       // (n, re, x, y)
    X.Fldz();
    X.Fxch(1);
    X.Fxch(2);          // (re, 0, n, x, y)
    X.Bind(Done);       // (re, im, junk, x, y)
    for (int I = 0; I < 3; ++I) X.FstpSt(2);
    X.Fxch(1);
}

void LogarithmOfOnePlus(Emitter& X) {
    x87::Label Large = X.NewLabel(), Done = X.NewLabel();
    SquaredModulus(X);  // (|d|^2, dx, dy)
    X.FldSt(1);
    X.FaddSt0(0);
    X.Faddp(1);         // (u, dx, dy)
    X.Fld1();
    X.FaddSt0(2);       // 1 + dx
    X.FstpSt(2);        // (u, 1 + dx, dy)
    X.FldSt(0);
    X.Fabs();
    LoadTable(X, QuarterEntry);
    X.Fucomip(1);       // 1/4 against |u|
    X.FstpSt(0);
    X.Jump(Condition::Below, Large);
    X.Fldln2();
    X.Fxch(1);
    X.Fyl2xp1();
    Halve(X);           // (re, wx, wy)
    X.FldSt(2);
    X.FldSt(2);
    X.Fpatan();
    X.Fxch(1);          // (re, im, wx, wy)
    X.FstpSt(2);
    X.FstpSt(2);
    X.Jump(Done);
    X.Bind(Large);
    X.FstpSt(0);
    Logarithm(X);
    X.Bind(Done);
}

void Reciprocal(Emitter& X) {
    x87::Label Zero = X.NewLabel(), Done = X.NewLabel();
    SquaredModulus(X);  // (d, x, y)
    JumpIfExactlyZero(X, Zero);
    X.Fxch(1);
    X.FdivSt0(1);  // (x/d, d, y)
    X.Fxch(2);
    X.FdivSt0(1);  // (y/d, d, x/d)
    X.Fchs();
    X.FstpSt(1);
    X.Fxch(1);
    X.Jump(Done);
    X.Bind(Zero);
    for (int I = 0; I < 3; ++I) X.FstpSt(0);
    X.Fldz();
    X.Fldz();
    X.Bind(Done);
}

void JumpIfOutsideUnitCircle(Emitter& X, x87::Label Outside) {
    SquaredModulus(X);
    X.Fld1();
    X.FldSt(1);
    X.Fucomip(1);  // |z|^2 against 1
    X.FstpSt(0);
    X.FstpSt(0);
    X.Jump(Condition::Above, Outside);
}

void HyperbolicArctangent(Emitter& X) {
    x87::Label Outside = X.NewLabel(), Logarithm = X.NewLabel();
    JumpIfOutsideUnitCircle(X, Outside);
    OneMinus(X);   // (omr, omi, x, y)
    X.Fxch(2);
    X.FaddSt0(0);
    X.Fxch(2);
    X.Fxch(3);
    X.FaddSt0(0);
    X.Fxch(3);     // (omr, omi, 2x, 2y)
    EmitBinary(X, formula::Code(formula::Opcode::Divide));
    X.Jump(Logarithm);
    X.Bind(Outside);
    OneMinus(X);
    X.FstpSt(2);
    X.FstpSt(2);   // (omr, omi)
    Reciprocal(X);
    X.FaddSt0(0);
    X.Fld1();
    X.FaddSt0(0);
    X.Fsubp(1);    // (2 rr - 2, ri)
    X.Fxch(1);
    X.FaddSt0(0);
    X.Fldz();
    X.Faddp(1);    // 2 ri + 0
    X.Fxch(1);
    X.Bind(Logarithm);
    LogarithmOfOnePlus(X);
    Halve(X);
    X.Fxch(1);
    Halve(X);
    X.Fxch(1);
}

// (re, im) -> (re, im) of the function.

void EmitFunction(Emitter& X, char Code) {
    if (Code == formula::Code(formula::Opcode::Negate)) {
        X.Fchs();
        X.Fxch(1);
        X.Fchs();
        X.Fxch(1);
        return;
    }
    switch (static_cast<formula::ComplexFunction>(Code)) {
        case formula::ComplexFunction::Conjugate:
            X.Fxch(1);
            X.Fchs();
            X.Fxch(1);
            break;
        case formula::ComplexFunction::Square:
            X.FldSt(0);
            X.FmulSt0(0);  // XX
            X.FldSt(2);
            X.FmulSt0(0);  // YY
            X.Fsubp(1);    // (Re, x, y)
            X.Fxch(1);
            X.FaddSt0(0);  // 2x
            X.Fmulp(2);
            break;
        case formula::ComplexFunction::Modulus:
            X.FmulSt0(0);
            X.Fxch(1);
            X.FmulSt0(0);
            X.Faddp(1);
            X.Fsqrt();
            X.Fldz();
            X.Fxch(1);
            break;
        case formula::ComplexFunction::Argument:
            X.Fpatan();
            X.Fldz();
            X.Fxch(1);
            break;
        case formula::ComplexFunction::Sin:
            SineOrCosine(X, true);
            break;
        case formula::ComplexFunction::Cos:
            SineOrCosine(X, false);
            break;
        case formula::ComplexFunction::Exp:  // exp: E(x) (cos y + i sin y)
            X.Fldl2e();
            X.FmulSt0(1);
            X.FstpSt(1);
            Power2(X);  // (E, y)
            X.Fxch(1);
            real_snippets::Reduce(X, true);
            X.Fsincos();      // (C, S, E)
            X.FmulSt0(2);  // E C
            X.Fxch(1);
            X.FmulSt0(2);  // (E S, E C, E)
            X.FstpSt(2);
            break;
        case formula::ComplexFunction::Sinh:  // sinh z = -i sin(iz)
            TimesI(X);
            SineOrCosine(X, true);
            TimesMinusI(X);
            break;
        case formula::ComplexFunction::Cosh:  // cosh z = cos(iz)
            TimesI(X);
            SineOrCosine(X, false);
            break;
        case formula::ComplexFunction::Sqrt:
            SquareRoot(X);
            break;
        case formula::ComplexFunction::Ln:
            Logarithm(X);
            break;
        case formula::ComplexFunction::Tanh:
            HyperbolicTangent(X);
            break;
        case formula::ComplexFunction::Tan:
            Tangent(X);
            break;
        case formula::ComplexFunction::Cot:  // cot z = 1/tan z
            Tangent(X);
            Reciprocal(X);
            break;
        case formula::ComplexFunction::Arctanh:
            HyperbolicArctangent(X);
            break;
        case formula::ComplexFunction::Arctan:
            Arctangent(X);
            break;
        case formula::ComplexFunction::Arcsin:
            Arcsine(X);
            break;
        case formula::ComplexFunction::Arcsinh:  // arcsinh z = -i arcsin(iz)
            TimesI(X);
            Arcsine(X);
            TimesMinusI(X);
            break;
        case formula::ComplexFunction::Arccos:
            Arccosine(X);
            break;
        case formula::ComplexFunction::Arccosh:  // arccosh z = i arccos z
            Arccosine(X);
            TimesI(X);
            break;
        case formula::ComplexFunction::Arccot:
            Arccotangent(X);
            break;
    }
}

}  // namespace complex_snippets
