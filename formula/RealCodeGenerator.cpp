// The real code generator. The x87 registers hold the top of the evaluation stack; deeper
// entries are spilled to the machine stack in full extended precision, so any depth works
// and results equal the interpreter's bit for bit. Derivatives live in memory slots.
#include "formula/RealCodeGenerator.h"

#include <functional>

#include "formula/FormulaLanguage.h"
#include "formula/SafeReal.h"
#include "formula/X87Emitter.h"

namespace {

using x87::Condition;
using x87::Emitter;
using x87::Mem;
using x87::Reg;
using safe_real::TableEntry;

static_assert(sizeof(long double) == 16, "derivative slots are 16 bytes apart");
constexpr int SlotBytes = 16;

Mem Input(int Index) { return Mem{Reg::Rdi, Index * 8}; }
Mem ConstantSlot(int Slot) { return Mem{Reg::Rsi, Slot * 8}; }
Mem FirstSlot(int K) { return Mem{Reg::Rdx, K * SlotBytes}; }
Mem SecondSlot(int K) { return Mem{Reg::Rcx, K * SlotBytes}; }
Mem TableSlot(TableEntry E) { return Mem{Reg::R8, static_cast<int>(E) * SlotBytes}; }

// A constant that a comparison loads: by instruction or from the table.
struct Const {
    enum Kind { Zero, One, MinusOne, Table } Which;
    TableEntry Entry = safe_real::BigEntry;
};
constexpr Const Zero{Const::Zero};
constexpr Const One{Const::One};
constexpr Const MinusOne{Const::MinusOne};

void Load(Emitter& A, Const C) {
    switch (C.Which) {
        case Const::Zero: A.Fldz(); break;
        case Const::One: A.Fld1(); break;
        case Const::MinusOne: A.Fld1(); A.Fchs(); break;
        case Const::Table: A.FldExtended(TableSlot(C.Entry)); break;
    }
}

// Flags of "st(i) compared with C" (Above means st(i) > C, ordered); the stack is unchanged.
void CompareRegisterWith(Emitter& A, int I, Const C) {
    Load(A, C);
    A.FldSt(I + 1);
    A.Fucomip(1);
    A.FstpSt(0);
}

// Flags of "C compared with st(i)" (Above means C > st(i), ordered); the stack is unchanged.
void CompareWithRegister(Emitter& A, Const C, int I) {
    Load(A, C);
    A.Fucomip(I + 1);
}

void LoadTable(Emitter& A, TableEntry E) { A.FldExtended(TableSlot(E)); }
void Halve(Emitter& A) {
    LoadTable(A, safe_real::HalfEntry);
    A.Fmulp(1);
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
    A.Bind(High);
    A.FstpSt(0);
    if (Sine)
        LoadTable(A, safe_real::HalfPiEntry);
    else
        A.Fldz();
    PushZeroDerivatives(A, Order);
    A.Jump(Done);
    A.Bind(Low);
    A.FstpSt(0);
    if (Sine)
        LoadTable(A, safe_real::MinusHalfPiEntry);
    else
        A.Fldpi();
    PushZeroDerivatives(A, Order);
    A.Bind(Done);
}

// (x) -> (v) for the value program, (v, p1) or (v, p1, p2) for the derivative programs.
void EmitFunction(Emitter& A, char Code, ProgramOrder Order) {
    const bool First = Order == ProgramOrder::First;
    const bool Second = Order == ProgramOrder::Second;
    const bool Value = Order == ProgramOrder::Value;
    switch (Code) {
        case 'A':  // cos
            Reduce(A, true);
            if (Value) {
                A.Fcos();
            } else if (First) {
                A.FldSt(0);
                A.Fsin();
                A.Fchs();
                A.Fxch(1);
                A.Fcos();
            } else {
                A.FldSt(0);
                A.Fcos();
                A.FldSt(0);
                A.Fchs();   // (-c, c, r)
                A.Fxch(2);
                A.Fsin();
                A.Fchs();   // (-s, c, -c)
                A.Fxch(1);
            }
            break;
        case 'B':  // sin
            Reduce(A, true);
            if (Value) {
                A.Fsin();
            } else if (First) {
                A.FldSt(0);
                A.Fcos();
                A.Fxch(1);
                A.Fsin();
            } else {
                A.FldSt(0);
                A.Fsin();
                A.FldSt(0);
                A.Fchs();   // (-s, s, r)
                A.Fxch(2);
                A.Fcos();
                A.Fxch(1);  // (s, c, -s)
            }
            break;
        case 'C':  // exp
            SafeExp(A);
            if (!Value) A.FldSt(0);
            if (Second) A.FldSt(0);
            break;
        case 'D':  // square
            if (Value) {
                A.FmulSt0(0);
            } else {
                A.FldSt(0);
                A.FaddSt0(0);  // (2x, x)
                A.Fxch(1);
                A.FmulSt0(0);  // (x^2, 2x)
                if (Second) {
                    A.Fld1();
                    A.FaddSt0(0);
                    A.Fxch(2);
                    A.Fxch(1);
                }
            }
            break;
        case 'E': {  // sqrt
            x87::Label Else = A.NewLabel(), Done = A.NewLabel();
            CompareRegisterWith(A, 0, Zero);
            A.Jump(Condition::BelowOrEqual, Else);
            if (Value) {
                A.Fsqrt();
            } else if (First) {
                A.Fsqrt();
                LoadTable(A, safe_real::HalfEntry);
                A.FdivSt0(1);
                A.Fxch(1);
            } else {
                A.FldSt(0);
                A.Fsqrt();
                LoadTable(A, safe_real::HalfEntry);
                A.FdivSt0(1);   // (p1, s, x)
                A.Fxch(2);
                A.FaddSt0(0);   // (2x, s, p1)
                A.FdivrSt0(2);  // (p1/2x, s, p1)
                A.Fchs();
                A.Fxch(2);
                A.Fxch(1);
            }
            A.Jump(Done);
            A.Bind(Else);
            A.FstpSt(0);
            A.Fldz();
            PushZeroDerivatives(A, Order);
            A.Bind(Done);
            break;
        }
        case 'F': {  // ln
            x87::Label Else = A.NewLabel(), Done = A.NewLabel();
            CompareRegisterWith(A, 0, Zero);
            A.Jump(Condition::BelowOrEqual, Else);
            if (!Value) {
                A.FldSt(0);
                A.Fld1();
                A.Fdivrp(1);  // (1/x, x)
                if (Second) {
                    A.FldSt(0);
                    A.FmulSt0(0);
                    A.Fchs();
                    A.Fxch(2);  // (x, p1, p2)
                } else {
                    A.Fxch(1);
                }
            }
            A.Fldln2();
            A.Fxch(1);
            A.Fyl2x();
            A.Jump(Done);
            A.Bind(Else);
            A.FstpSt(0);
            LoadTable(A, safe_real::LogFloorEntry);
            PushZeroDerivatives(A, Order);
            A.Bind(Done);
            break;
        }
        case 'G':  // tan
            Reduce(A, false);
            A.Fptan();
            A.FstpSt(0);
            if (!Value) {
                A.FldSt(0);
                A.FmulSt0(0);
                A.Fld1();
                A.Faddp(1);  // (1 + t^2, t)
                if (First) {
                    A.Fxch(1);
                } else {
                    A.FldSt(1);
                    A.FaddSt0(0);
                    A.FmulSt0(1);  // (2t p1, p1, t)
                    A.Fxch(2);
                }
            }
            break;
        case 'H':    // sinh
        case 'I': {  // cosh
            bool Sinh = Code == 'H';
            x87::Label Large = A.NewLabel(), Done = A.NewLabel();
            // Near zero, e^x - 1 from f2xm1 gives E - 1/E = M + M/E without cancellation.
            NearZeroExponent(A, Large);
            A.F2xm1();
            A.FstpSt(1);   // (M)
            A.Fld1();
            A.FaddSt0(1);  // (E, M)
            A.FldSt(1);
            A.FdivSt0(1);
            A.Faddp(2);    // (E, M + M/E)
            if (Value && Sinh) {
                A.FstpSt(0);
                Halve(A);
            } else {
                A.Fld1();
                A.FdivSt0(1);
                A.Faddp(1);
                Halve(A);  // (plus, M + M/E)
                if (Value) {
                    A.FstpSt(1);
                } else {
                    A.Fxch(1);
                    Halve(A);  // (minus, plus)
                    if (!Sinh) A.Fxch(1);
                    if (Second) {
                        A.FldSt(0);
                        A.Fxch(2);
                        A.Fxch(1);
                    }
                }
            }
            A.Jump(Done);
            A.Bind(Large);
            A.FstpSt(0);
            SafeExp(A);
            A.Fld1();
            A.FdivSt0(1);  // (1/E, E)
            if (Value) {
                if (Sinh)
                    A.Fsubp(1);
                else
                    A.Faddp(1);
                Halve(A);
            } else {
                A.FldSt(1);
                A.FaddSt0(1);
                Halve(A);      // (plus, 1/E, E)
                A.Fxch(2);
                A.Fsubrp(1);
                Halve(A);      // (minus, plus)
                if (!Sinh) A.Fxch(1);
                if (Second) {
                    A.FldSt(0);
                    A.Fxch(2);
                    A.Fxch(1);
                }
            }
            A.Bind(Done);
            break;
        }
        case 'J': {  // tanh
            x87::Label Large = A.NewLabel(), Done = A.NewLabel();
            NearZeroExponent(A, Large);
            A.F2xm1();
            A.FstpSt(1);   // (M)
            A.Fld1();
            A.FaddSt0(1);  // (E, M)
            A.FmulSt0(0);
            A.Fld1();
            A.Faddp(1);    // (E^2 + 1, M)
            A.FldSt(1);
            A.Fld1();
            A.FaddSt0(0);
            A.Faddp(1);    // (M + 2, E^2 + 1, M)
            A.Fmulp(2);
            A.Fdivp(1);    // (T)
            A.Jump(Done);
            A.Bind(Large);
            A.FstpSt(0);
            SafeExp(A);
            A.FmulSt0(0);
            A.FldSt(0);
            A.Fld1();
            A.Fsubp(1);  // (E2 - 1, E2)
            A.Fxch(1);
            A.Fld1();
            A.Faddp(1);
            A.Fdivp(1);  // (T)
            A.Bind(Done);
            if (!Value) {
                A.FldSt(0);
                A.FmulSt0(0);
                A.Fld1();
                A.Fsubrp(1);  // (1 - T^2, T)
                A.Fxch(1);
                if (Second) {
                    A.FldSt(0);
                    A.FaddSt0(0);
                    A.FmulSt0(2);
                    A.Fchs();
                    A.Fxch(2);
                    A.Fxch(1);
                }
            }
            break;
        }
        case 'K':
        case 'L':
            ArcSineOrCosine(A, Code == 'K', Order);
            break;
        case 'M':  // arctan
            if (!Value) {
                A.FldSt(0);
                A.FmulSt0(0);
                A.Fld1();
                A.Faddp(1);
                A.Fld1();
                A.Fdivrp(1);  // (p1, x)
                if (Second) {
                    A.FldSt(1);
                    A.FaddSt0(0);
                    A.FmulSt0(1);
                    A.FmulSt0(1);
                    A.Fchs();
                    A.Fxch(2);  // (x, p1, p2)
                } else {
                    A.Fxch(1);
                }
            }
            A.Fld1();
            A.Fpatan();
            break;
        case 'N': {  // abs
            if (!Value) {
                x87::Label Positive = A.NewLabel();
                CompareRegisterWith(A, 0, Zero);
                A.Fld1();
                A.Jump(Condition::AboveOrEqual, Positive);
                A.Fchs();
                A.Bind(Positive);
                A.Fxch(1);
            }
            A.Fabs();
            if (Second) {
                A.Fldz();
                A.Fxch(2);
                A.Fxch(1);
            }
            break;
        }
        case 'O': {  // cot
            x87::Label ZeroRemainder = A.NewLabel(), Done = A.NewLabel();
            Reduce(A, false);
            if (Value) {
                A.FldSt(0);
                A.Fsin();
                A.Fxch(1);
                A.Fcos();  // (c, s)
                CompareWithRegister(A, Zero, 1);
                A.Jump(Condition::Equal, ZeroRemainder);
                A.Fdivrp(1);
                A.Jump(Done);
                A.Bind(ZeroRemainder);
                A.FstpSt(1);
                LoadTable(A, safe_real::BigEntry);
                A.Fmulp(1);
                A.Bind(Done);
                break;
            }
            CompareWithRegister(A, Zero, 0);
            A.Jump(Condition::Equal, ZeroRemainder);
            A.Fptan();
            A.Fdivrp(1);  // (v)
            A.FldSt(0);
            A.FmulSt0(0);
            A.Fld1();
            A.Faddp(1);  // (w, v)
            if (First) {
                A.Fchs();
                A.Fxch(1);
            } else {
                A.FldSt(1);
                A.FaddSt0(0);
                A.FmulSt0(1);  // (2v w, w, v)
                A.Fxch(1);
                A.Fchs();      // (-w, p2, v)
                A.Fxch(2);
                A.Fxch(1);
                A.Fxch(2);
                A.Fxch(1);     // (v, -w, p2)
            }
            A.Jump(Done);
            A.Bind(ZeroRemainder);
            A.FstpSt(0);
            if (First)
                A.Fldz();
            else
                LoadTable(A, safe_real::BigEntry);
            PushZeroDerivatives(A, Order);
            A.Bind(Done);
            break;
        }
        case 'P': {  // arccosh
            x87::Label Outside = A.NewLabel(), Done = A.NewLabel();
            CompareRegisterWith(A, 0, One);
            A.Jump(Condition::Below, Outside);
            OneMinusSquare(A, true);
            A.FldSt(0);
            A.Fsqrt();  // (s, q, x)
            if (Value) {
                A.FstpSt(1);
                A.Faddp(1);
                A.Fldln2();
                A.Fxch(1);
                A.Fyl2x();
            } else {
                A.FldSt(0);
                A.FaddSt0(3);
                A.Fldln2();
                A.Fxch(1);
                A.Fyl2x();  // (v, s, q, x)
                RootDerivatives(A, Order, 1, -1);
            }
            A.Jump(Done);
            A.Bind(Outside);
            A.FstpSt(0);
            A.Fldz();
            PushZeroDerivatives(A, Order);
            A.Bind(Done);
            break;
        }
        case 'Q': {  // arctanh
            x87::Label High = A.NewLabel(), Low = A.NewLabel(), Done = A.NewLabel();
            CompareRegisterWith(A, 0, One);
            A.Jump(Condition::AboveOrEqual, High);
            CompareWithRegister(A, MinusOne, 0);
            A.Jump(Condition::AboveOrEqual, Low);
            x87::Label Small = A.NewLabel(), Join = A.NewLabel();
            A.FldSt(0);
            A.Fabs();
            CompareWithRegister(A, Const{Const::Table, safe_real::EighthEntry}, 0);
            A.FstpSt(0);
            A.Jump(Condition::Above, Small);
            A.Fld1();
            A.FaddSt0(1);  // (1 + x, x)
            A.Fld1();
            A.FsubSt0(2);  // (1 - x, 1 + x, x)
            A.Fdivp(1);
            A.Fldln2();
            A.Fxch(1);
            A.Fyl2x();
            A.Jump(Join);
            A.Bind(Small);  // ln(1 + 2x/(1 - x)) keeps the digits of small x
            A.FldSt(0);
            A.FaddSt0(0);  // (2x, x)
            A.Fld1();
            A.FsubSt0(2);  // (1 - x, 2x, x)
            A.Fdivp(1);
            A.Fldln2();
            A.Fxch(1);
            A.Fyl2xp1();
            A.Bind(Join);
            Halve(A);  // (v, x)
            if (Value) {
                A.FstpSt(1);
            } else {
                A.FldSt(1);
                A.FmulSt0(0);
                A.Fld1();
                A.Fsubrp(1);
                A.Fld1();
                A.Fdivrp(1);  // (p1, v, x)
                if (First) {
                    A.Fxch(1);
                    A.FstpSt(2);
                    A.Fxch(1);
                } else {
                    A.FldSt(2);
                    A.FaddSt0(0);
                    A.FmulSt0(1);
                    A.FmulSt0(1);  // (p2, p1, v, x)
                    A.Fxch(3);
                    A.FstpSt(0);   // (p1, v, p2)
                    A.Fxch(1);
                }
            }
            A.Jump(Done);
            A.Bind(High);
            A.FstpSt(0);
            LoadTable(A, safe_real::BigEntry);
            PushZeroDerivatives(A, Order);
            A.Jump(Done);
            A.Bind(Low);
            A.FstpSt(0);
            LoadTable(A, safe_real::MinusBigEntry);
            PushZeroDerivatives(A, Order);
            A.Bind(Done);
            break;
        }
        case 'R': {  // arcsinh
            x87::Label Positive = A.NewLabel();
            A.FldSt(0);
            A.Fabs();
            A.FldSt(0);
            A.FmulSt0(0);
            A.Fld1();
            A.Faddp(1);  // (q, a, x)
            x87::Label Small = A.NewLabel(), Sign = A.NewLabel();
            if (Value) {
                A.Fsqrt();  // (s, a, x)
                CompareWithRegister(A, Const{Const::Table, safe_real::QuarterEntry}, 1);
                A.Jump(Condition::Above, Small);
                A.Faddp(1);
                A.Fldln2();
                A.Fxch(1);
                A.Fyl2x();  // (w, x)
                A.Jump(Sign);
                A.Bind(Small);  // ln(1 + a + a^2/(1 + s)) keeps the digits of small a
                A.Fld1();
                A.Faddp(1);
                A.FldSt(1);
                A.FmulSt0(0);
                A.Fdivrp(1);  // (a^2/(s + 1), a, x)
                A.Faddp(1);
                A.Fldln2();
                A.Fxch(1);
                A.Fyl2xp1();
                A.Bind(Sign);
                CompareWithRegister(A, Zero, 1);
                A.Jump(Condition::BelowOrEqual, Positive);
                A.Fchs();
                A.Bind(Positive);
                A.FstpSt(1);
            } else {
                A.FldSt(0);
                A.Fsqrt();  // (s, q, a, x)
                CompareWithRegister(A, Const{Const::Table, safe_real::QuarterEntry}, 2);
                A.Jump(Condition::Above, Small);
                A.FldSt(0);
                A.FaddSt0(3);
                A.Fldln2();
                A.Fxch(1);
                A.Fyl2x();  // (w, s, q, a, x)
                A.Jump(Sign);
                A.Bind(Small);
                A.Fld1();
                A.FaddSt0(1);
                A.FldSt(3);
                A.FmulSt0(0);
                A.Fdivrp(1);   // (a^2/(1 + s), s, q, a, x)
                A.FaddSt0(3);
                A.Fldln2();
                A.Fxch(1);
                A.Fyl2xp1();
                A.Bind(Sign);
                CompareWithRegister(A, Zero, 4);
                A.Jump(Condition::BelowOrEqual, Positive);
                A.Fchs();
                A.Bind(Positive);
                A.Fxch(3);
                A.FstpSt(0);  // (s, q, v, x)
                A.Fxch(2);
                A.Fxch(1);
                A.Fxch(2);
                A.Fxch(1);    // (v, s, q, x)
                RootDerivatives(A, Order, 1, -1);
            }
            break;
        }
        default:
            break;
    }
}

class Generator {
public:
    Generator(int VariableCount, ProgramOrder ProgramKind)
        : Variables(VariableCount), Order(ProgramKind) {}

    bool Generate(const std::string& Postfix, std::vector<uint8_t>& Code) {
        for (size_t I = 0; I < Postfix.size() && Ok; ++I) {
            char C = Postfix[I];
            if (C == formula::ReferenceKind) {
                if (I + 1 >= Postfix.size()) return false;
                int N = static_cast<unsigned char>(Postfix[++I]);
                char Next = I + 1 < Postfix.size() ? Postfix[I + 1] : 0;
                // In the value program an operand that is at once added, subtracted or
                // multiplied is read straight from memory: same result, fewer instructions.
                if (Order == ProgramOrder::Value && Depth >= 1 && InRegisters() >= 1 &&
                    (Next == '+' || Next == '-' || Next == '*')) {
                    CombineWithMemory(Next, N);
                    ++I;
                } else {
                    Operand(C, N);
                }
            } else if (C == formula::OneKind || C == formula::PiKind) {
                Operand(C, 0);
            } else if (C == '+' || C == '-' || C == '*' || C == '/') {
                Binary(C);
            } else if (C == formula::UnaryMinusKind || (C >= 'A' && C <= 'R')) {
                Unary(C);
            } else {
                return false;
            }
            if (E.Depth() != 8 - Free) Ok = false;
        }
        if (!Ok || Depth != 1 || Spilled != 0 || Free != 7) return false;
        E.FstpDouble(Mem{Reg::Rsp, -8});
        E.MovsdXmm0(Mem{Reg::Rsp, -8});
        E.Ret();
        if (!E.Valid() || E.Depth() != 0) return false;
        Code.insert(Code.end(), E.Code().begin(), E.Code().end());
        return true;
    }

private:
    int InRegisters() const { return 8 - Free; }

    // Moves the deepest register entry to the machine stack. With all eight registers in
    // use, the register stack is rotated so that the deepest entry is on top.
    void SpillDeepest() {
        int M = InRegisters();
        if (M <= 0) {
            Ok = false;
            return;
        }
        E.SubRsp(SlotBytes);
        if (Free == 0) {
            E.Fdecstp();
            E.FstpExtended(Mem{Reg::Rsp, 0});
        } else {
            E.FldSt(M - 1);
            E.FstpExtended(Mem{Reg::Rsp, 0});
            E.FfreeDeepest(M - 1);
        }
        ++Spilled;
        ++Free;
    }

    void RestoreOne() {
        if (Spilled <= 0 || Free < 1) {
            Ok = false;
            return;
        }
        E.FldExtended(Mem{Reg::Rsp, 0});
        E.AddRsp(SlotBytes);
        E.Fxch(1);
        --Spilled;
        --Free;
    }

    void MakeFree(int N) {
        while (Ok && Free < N) SpillDeepest();
    }

    // Emits a snippet after freeing the registers it needs, measured by a dry run.
    void Snippet(int Inputs, const std::function<void(Emitter&)>& Body) {
        Emitter Measure(Inputs, 64);
        Body(Measure);
        int Extra = Measure.MaxDepth() - Inputs;
        if (!Measure.Valid() || Extra > 8 - Inputs) {
            Ok = false;
            return;
        }
        MakeFree(Extra);
        Body(E);
    }

    void Operand(char C, int N) {
        MakeFree(1);
        ++Depth;
        const bool IsVariable = C == formula::ReferenceKind && N <= Variables;
        if (Order != ProgramOrder::Value) {
            if (IsVariable)
                E.FldDouble(Input(Variables + N - 1));
            else
                E.Fldz();
            E.FstpExtended(FirstSlot(Depth));
            if (Order == ProgramOrder::Second) {
                if (IsVariable)
                    E.FldDouble(Input(2 * Variables + N - 1));
                else
                    E.Fldz();
                E.FstpExtended(SecondSlot(Depth));
            }
        }
        if (C == formula::OneKind)
            E.Fld1();
        else if (C == formula::PiKind)
            E.Fldpi();
        else if (IsVariable)
            E.FldDouble(Input(N - 1));
        else
            E.FldDouble(ConstantSlot(N - Variables));
        --Free;
    }

    void CombineWithMemory(char C, int N) {
        Mem M = N <= Variables ? Input(N - 1) : ConstantSlot(N - Variables);
        if (C == '+')
            E.FaddDouble(M);
        else if (C == '-')
            E.FsubDouble(M);
        else
            E.FmulDouble(M);
    }

    void Binary(char C) {
        while (Ok && InRegisters() < 2) RestoreOne();
        const int A = Depth - 1, B = Depth;  // derivative slots of the two operands
        const ProgramOrder O = Order;
        Snippet(2, [C, A, B, O](Emitter& X) { EmitBinary(X, C, A, B, O); });
        ++Free;
        --Depth;
    }

    static void EmitBinary(Emitter& X, char C, int A, int B, ProgramOrder O) {
        const bool Derivatives = O != ProgramOrder::Value;
        const bool Second = O == ProgramOrder::Second;
        if (C == '+' || C == '-') {
            bool Add = C == '+';
            for (int Pass = 0; Pass < (Second ? 2 : (Derivatives ? 1 : 0)); ++Pass) {
                auto Slot = Pass == 0 ? FirstSlot : SecondSlot;
                X.FldExtended(Slot(A));
                X.FldExtended(Slot(B));
                if (Add)
                    X.Faddp(1);
                else
                    X.Fsubp(1);
                X.FstpExtended(Slot(A));
            }
            if (Add)
                X.Faddp(1);
            else
                X.Fsubp(1);
        } else if (C == '*') {
            if (Second) {
                X.FldExtended(SecondSlot(A));
                X.FmulSt0(1);  // (dda b, b, a)
                X.FldExtended(FirstSlot(A));
                X.FldExtended(FirstSlot(B));
                X.Fmulp(1);
                X.FaddSt0(0);
                X.Faddp(1);
                X.FldExtended(SecondSlot(B));
                X.FmulSt0(3);
                X.Faddp(1);
                X.FstpExtended(SecondSlot(A));
            }
            if (Derivatives) {
                X.FldExtended(FirstSlot(A));
                X.FmulSt0(1);
                X.FldExtended(FirstSlot(B));
                X.FmulSt0(3);
                X.Faddp(1);
                X.FstpExtended(FirstSlot(A));
            }
            X.Fmulp(1);
        } else {  // "/"
            x87::Label ZeroDivisor = X.NewLabel(), Done = X.NewLabel();
            CompareWithRegister(X, Zero, 0);
            X.Jump(Condition::Equal, ZeroDivisor);
            if (!Derivatives) {
                X.Fdivp(1);
            } else {
                X.FldSt(1);
                X.FdivSt0(1);  // (q, b, a)
                X.FldExtended(FirstSlot(B));
                X.FmulSt0(1);
                X.FldExtended(FirstSlot(A));
                X.Fsubrp(1);
                X.FdivSt0(2);  // (dq, q, b, a)
                if (Second) {
                    X.FldSt(0);
                    X.FstpExtended(FirstSlot(A));
                    X.FaddSt0(0);
                    X.FldExtended(FirstSlot(B));
                    X.Fmulp(1);
                    X.FldExtended(SecondSlot(A));
                    X.Fsubrp(1);
                    X.FldExtended(SecondSlot(B));
                    X.FmulSt0(2);
                    X.Fsubp(1);
                    X.FdivSt0(2);
                    X.FstpExtended(SecondSlot(A));
                } else {
                    X.FstpExtended(FirstSlot(A));
                }
                X.FstpSt(2);
                X.FstpSt(0);
            }
            X.Jump(Done);
            X.Bind(ZeroDivisor);
            X.FstpSt(0);
            LoadTable(X, safe_real::BigEntry);
            X.Fmulp(1);
            if (Derivatives) {
                X.Fldz();
                X.FstpExtended(FirstSlot(A));
            }
            if (Second) {
                X.Fldz();
                X.FstpExtended(SecondSlot(A));
            }
            X.Bind(Done);
        }
    }

    void Unary(char C) {
        const int K = Depth;
        const ProgramOrder O = Order;
        Snippet(1, [C, K, O](Emitter& X) { EmitUnary(X, C, K, O); });
    }

    static void EmitUnary(Emitter& X, char C, int K, ProgramOrder O) {
        if (C == formula::UnaryMinusKind) {
            X.Fchs();
            if (O != ProgramOrder::Value) {
                X.FldExtended(FirstSlot(K));
                X.Fchs();
                X.FstpExtended(FirstSlot(K));
            }
            if (O == ProgramOrder::Second) {
                X.FldExtended(SecondSlot(K));
                X.Fchs();
                X.FstpExtended(SecondSlot(K));
            }
            return;
        }
        EmitFunction(X, C, O);
        if (O == ProgramOrder::First) {  // (v, p1): d := p1 dx
            X.Fxch(1);
            X.FldExtended(FirstSlot(K));
            X.Fmulp(1);
            X.FstpExtended(FirstSlot(K));
        } else if (O == ProgramOrder::Second) {  // (v, p1, p2): dd := p2 dx^2 + p1 ddx
            X.Fxch(2);
            X.FldExtended(FirstSlot(K));
            X.FmulSt0(0);
            X.Fmulp(1);
            X.FldExtended(SecondSlot(K));
            X.FmulSt0(2);
            X.Faddp(1);
            X.FstpExtended(SecondSlot(K));
            X.FldExtended(FirstSlot(K));
            X.Fmulp(1);
            X.FstpExtended(FirstSlot(K));
        }
    }

    Emitter E;
    int Variables;
    ProgramOrder Order;
    int Free = 8;
    int Spilled = 0;
    int Depth = 0;
    bool Ok = true;
};

}  // namespace

bool GenerateRealProgram(const std::string& Postfix, int VariableCount, ProgramOrder Order,
                         std::vector<uint8_t>& Code) {
    Generator G(VariableCount, Order);
    return G.Generate(Postfix, Code);
}
