// The x87 sequences of the safe real functions: comparisons with constants, the argument
// reduction, the pieces the functions are built from, and the choice of the family emitter.
// Each sequence follows, operation by operation, the interpreter's computation in SafeReal.h,
// so that both engines round identically.
#include "formula/x87/RealFunctionSnippets.h"

#include "formula/x87/RealFunctionParts.h"

namespace real_snippets {

using x87::Condition;
using x87::Emitter;
using safe_real::TableEntry;

namespace {

void Load(Emitter& A, Const C) {
    switch (C.Which) {
        case Const::Zero: A.Fldz(); break;
        case Const::One: A.Fld1(); break;
        case Const::MinusOne: A.Fld1(); A.Fchs(); break;
        case Const::Pi: A.Fldpi(); break;
        case Const::Table: A.FldExtended(TableSlot(C.Entry)); break;
    }
}

}  // namespace

void CompareRegisterWith(Emitter& A, int I, Const C) {
    Load(A, C);
    A.FldSt(I + 1);
    A.Fucomip(1);
    A.FstpSt(0);
}

void CompareWithRegister(Emitter& A, Const C, int I) {
    Load(A, C);
    A.Fucomip(I + 1);
}

void LoadTable(Emitter& A, TableEntry E) { A.FldExtended(TableSlot(E)); }

// (x) -> (x mod m), the remainder with the sign of x, m = pi or 2 pi. The partial remainder
// is repeated until complete; the count bound only matters for infinite arguments.
void Reduce(Emitter& A, bool TwoPi) {
    A.Fldpi();
    if (TwoPi) A.FaddSt0(0);
    A.Fxch(1);
    x87::Label Loop = A.NewLabel(), Done = A.NewLabel();
    // Arguments already below the modulus are their own remainder; skip the slow fprem.
    A.FldSt(0);
    A.Fabs();
    A.Fucomip(2);
    A.Jump(Condition::Below, Done);
    A.MovR10d(1100);
    A.Bind(Loop);
    A.Fprem();
    A.FnstswAx();
    A.TestAh(0x04);
    A.Jump(Condition::Equal, Done);
    A.DecR10d();
    A.Jump(Condition::NotEqual, Loop);
    A.Bind(Done);
    A.FstpSt(1);
}

namespace parts {

Const Table(TableEntry E) { return Const{Const::Table, E}; }

void Halve(Emitter& A) {
    LoadTable(A, safe_real::HalfEntry);
    A.Fmulp(1);
}

// (x) -> (ln x), as ln 2 log2 x.
void NaturalLog(Emitter& A) {
    A.Fldln2();
    A.Fxch(1);
    A.Fyl2x();
}

// (x) -> (ln(1 + x)) for |x| < 1 - sqrt(2)/2, exact to the last digit for small x.
void NaturalLogOfOnePlus(Emitter& A) {
    A.Fldln2();
    A.Fxch(1);
    A.Fyl2xp1();
}

// (minus, plus) -> (v, p1[, p2]) for sinh (v = minus) or cosh (v = plus); p2 is v.
void ArrangeHyperbolic(Emitter& A, bool Sinh, bool Second) {
    if (!Sinh) A.Fxch(1);
    if (Second) {
        A.FldSt(0);
        A.Fxch(2);
        A.Fxch(1);
    }
}

// (v) -> (v, 0) or (v, 0, 0): the derivatives of a constant extension.
void PushZeroDerivatives(Emitter& A, ProgramOrder Order) {
    if (Order == ProgramOrder::First) {
        A.Fldz();
        A.Fxch(1);
    } else if (Order == ProgramOrder::Second) {
        A.Fldz();
        A.Fldz();
        A.Fxch(2);
    }
}

// At L: (x) -> the constant C of an extension, with zero derivatives.
void Extension(Emitter& A, x87::Label L, Const C, ProgramOrder Order) {
    A.Bind(L);
    A.FstpSt(0);
    Load(A, C);
    PushZeroDerivatives(A, Order);
}


// (x) -> (E), the safe exponential.
void SafeExp(Emitter& A) {
    x87::Label High = A.NewLabel(), Low = A.NewLabel(), Done = A.NewLabel();
    A.Fldl2e();
    A.Fmulp(1);
    CompareRegisterWith(A, 0, Const{Const::Table, safe_real::ExpCutEntry});
    A.Jump(Condition::Above, High);
    CompareWithRegister(A, Const{Const::Table, safe_real::MinusExpCutEntry}, 0);
    A.Jump(Condition::Above, Low);
    A.FldSt(0);
    A.Frndint();   // (n, t)
    A.Fxch(1);
    A.FsubSt0(1);  // (t - n, n)
    A.F2xm1();
    A.Fld1();
    A.Faddp(1);
    A.Fscale();
    A.FstpSt(1);
    A.Jump(Done);
    A.Bind(High);
    A.FstpSt(0);
    LoadTable(A, safe_real::BigEntry);
    A.Jump(Done);
    A.Bind(Low);
    A.FstpSt(0);
    LoadTable(A, safe_real::SmallEntry);
    A.Bind(Done);
}

// (x) -> (t = x log2 e, x), then to Large (keeping that stack) unless |t| <= 1, where
// f2xm1 gives e^x - 1 without cancellation.
void NearZeroExponent(Emitter& A, x87::Label Large) {
    A.Fldl2e();
    A.FmulSt0(1);
    A.FldSt(0);
    A.Fabs();
    A.Fld1();
    A.Fucomip(1);
    A.FstpSt(0);
    A.Jump(Condition::Below, Large);
}

// (v, s, q, x) -> (v, p1[, p2]) with p1 = S1/s and p2 = S2 x/(s q) where q > 0, else zeros.
void RootDerivatives(Emitter& A, ProgramOrder Order, int S1, int S2) {
    x87::Label None = A.NewLabel(), Done = A.NewLabel();
    CompareRegisterWith(A, 2, Zero);
    A.Jump(Condition::BelowOrEqual, None);
    A.Fld1();
    A.FdivSt0(2);  // (1/s, v, s, q, x)
    if (Order == ProgramOrder::Second) {
        A.FldSt(2);
        A.FmulSt0(4);
        A.FdivrSt0(5);  // (x/(s q), p1, v, s, q, x)
        if (S2 < 0) A.Fchs();
        if (S1 < 0) {
            A.Fxch(1);
            A.Fchs();
            A.Fxch(1);
        }
        A.Fxch(2);  // (v, p1, p2, s, q, x)
        for (int I = 0; I < 3; ++I) A.FstpSt(3);
    } else {
        if (S1 < 0) A.Fchs();
        A.Fxch(1);  // (v, p1, s, q, x)
        for (int I = 0; I < 3; ++I) A.FstpSt(2);
        A.Fxch(1);
    }
    A.Jump(Done);
    A.Bind(None);
    for (int I = 0; I < 3; ++I) A.FstpSt(1);
    PushZeroDerivatives(A, Order);
    A.Bind(Done);
}

// (x) -> (q = 1 - x^2, x) or, with Plus, (q = x^2 - 1, x).
void OneMinusSquare(Emitter& A, bool Reverse) {
    A.FldSt(0);
    A.FmulSt0(0);
    A.Fld1();
    if (Reverse)
        A.Fsubp(1);   // x^2 - 1
    else
        A.Fsubrp(1);  // 1 - x^2
}

void ArcSineOrCosine(Emitter& A, bool Sine, ProgramOrder Order) {
    x87::Label High = A.NewLabel(), Low = A.NewLabel(), Done = A.NewLabel();
    CompareRegisterWith(A, 0, One);
    A.Jump(Condition::Above, High);
    CompareWithRegister(A, MinusOne, 0);
    A.Jump(Condition::Above, Low);
    OneMinusSquare(A, false);
    A.FldSt(0);
    A.Fsqrt();  // (s, q, x)
    if (Order == ProgramOrder::Value) {
        A.FstpSt(1);  // (s, x)
        if (!Sine) A.Fxch(1);
        A.Fpatan();
    } else {
        if (Sine) {
            A.FldSt(2);
            A.FldSt(1);  // (s, x, s, q, x)
        } else {
            A.FldSt(0);
            A.FldSt(3);  // (x, s, s, q, x)
        }
        A.Fpatan();  // (v, s, q, x)
        RootDerivatives(A, Order, Sine ? 1 : -1, Sine ? 1 : -1);
    }
    A.Jump(Done);
    Extension(A, High, Sine ? Table(safe_real::HalfPiEntry) : Zero, Order);
    A.Jump(Done);
    Extension(A, Low, Sine ? Table(safe_real::MinusHalfPiEntry) : PiConstant, Order);
    A.Bind(Done);
}

}  // namespace parts

void EmitFunction(Emitter& A, char Code, ProgramOrder Order) {
    using formula::RealFunction;
    switch (static_cast<RealFunction>(Code)) {
        case RealFunction::Cos:
        case RealFunction::Sin:
        case RealFunction::Tan:
        case RealFunction::Cot:
        case RealFunction::Arcsin:
        case RealFunction::Arccos:
        case RealFunction::Arctan:
            parts::EmitCircularFunction(A, Code, Order);
            break;
        case RealFunction::Exp:
        case RealFunction::Ln:
        case RealFunction::Square:
        case RealFunction::Sqrt:
        case RealFunction::Abs:
            parts::EmitExponentialAndAlgebraicFunction(A, Code, Order);
            break;
        case RealFunction::Sinh:
        case RealFunction::Cosh:
        case RealFunction::Tanh:
        case RealFunction::Arcsinh:
        case RealFunction::Arccosh:
        case RealFunction::Arctanh:
            parts::EmitHyperbolicFunction(A, Code, Order);
            break;
    }
}

}  // namespace real_snippets
