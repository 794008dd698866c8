// The x87 sequences of the safe real functions. Each follows, operation by operation, the
// interpreter's computation in SafeReal.h, so that both engines round identically.
#include "formula/x87/RealFunctionSnippets.h"

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

namespace {

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

}  // namespace

void EmitFunction(Emitter& A, char Code, ProgramOrder Order) {
    const bool First = Order == ProgramOrder::First;
    const bool Second = Order == ProgramOrder::Second;
    const bool Value = Order == ProgramOrder::Value;
    switch (static_cast<formula::RealFunction>(Code)) {
        case formula::RealFunction::Cos:
            Reduce(A, true);
            if (Value) {
                A.Fcos();
            } else if (First) {
                A.Fsincos();  // (c, s)
                A.Fxch(1);
                A.Fchs();
                A.Fxch(1);
            } else {
                A.Fsincos();
                A.FldSt(0);
                A.Fchs();   // (-c, c, s)
                A.Fxch(2);
                A.Fchs();   // (-s, c, -c)
                A.Fxch(1);
            }
            break;
        case formula::RealFunction::Sin:
            Reduce(A, true);
            if (Value) {
                A.Fsin();
            } else if (First) {
                A.Fsincos();
                A.Fxch(1);  // (s, c)
            } else {
                A.Fsincos();
                A.FldSt(1);
                A.Fchs();   // (-s, c, s)
                A.Fxch(2);  // (s, c, -s)
            }
            break;
        case formula::RealFunction::Exp:
            SafeExp(A);
            if (!Value) A.FldSt(0);
            if (Second) A.FldSt(0);
            break;
        case formula::RealFunction::Square:
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
        case formula::RealFunction::Sqrt: {
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
            Extension(A, Else, Zero, Order);
            A.Bind(Done);
            break;
        }
        case formula::RealFunction::Ln: {
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
            NaturalLog(A);
            A.Jump(Done);
            Extension(A, Else, Table(safe_real::LogFloorEntry), Order);
            A.Bind(Done);
            break;
        }
        case formula::RealFunction::Tan:
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
        case formula::RealFunction::Sinh:
        case formula::RealFunction::Cosh: {
            bool Sinh = Code == formula::Code(formula::RealFunction::Sinh);
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
                    ArrangeHyperbolic(A, Sinh, Second);
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
                ArrangeHyperbolic(A, Sinh, Second);
            }
            A.Bind(Done);
            break;
        }
        case formula::RealFunction::Tanh: {
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
        case formula::RealFunction::Arcsin:
        case formula::RealFunction::Arccos:
            ArcSineOrCosine(A, Code == formula::Code(formula::RealFunction::Arcsin), Order);
            break;
        case formula::RealFunction::Arctan:
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
        case formula::RealFunction::Abs: {
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
        case formula::RealFunction::Cot: {
            x87::Label ZeroRemainder = A.NewLabel(), Done = A.NewLabel();
            Reduce(A, false);
            if (Value) {
                A.Fsincos();  // (c, s)
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
            Extension(A, ZeroRemainder, First ? Zero : Table(safe_real::BigEntry), Order);
            A.Bind(Done);
            break;
        }
        case formula::RealFunction::Arccosh: {
            x87::Label Outside = A.NewLabel(), Done = A.NewLabel();
            CompareRegisterWith(A, 0, One);
            A.Jump(Condition::Below, Outside);
            OneMinusSquare(A, true);
            A.FldSt(0);
            A.Fsqrt();  // (s, q, x)
            x87::Label Huge = A.NewLabel(), Logarithm = A.NewLabel();
            CompareRegisterWith(A, 2, Const{Const::Table, safe_real::HugeEntry});
            A.Jump(Condition::AboveOrEqual, Huge);
            A.FldSt(0);
            A.FaddSt0(3);  // (x + s, s, q, x)
            A.Jump(Logarithm);
            A.Bind(Huge);
            A.FldSt(2);
            A.FaddSt0(0);  // (2x, s, q, x)
            A.Bind(Logarithm);
            NaturalLog(A);  // (v, s, q, x)
            if (Value) {
                for (int I = 0; I < 3; ++I) A.FstpSt(1);
            } else {
                RootDerivatives(A, Order, 1, -1);
            }
            A.Jump(Done);
            Extension(A, Outside, Zero, Order);
            A.Bind(Done);
            break;
        }
        case formula::RealFunction::Arctanh: {
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
            NaturalLog(A);
            A.Jump(Join);
            A.Bind(Small);  // ln(1 + 2x/(1 - x)) keeps the digits of small x
            A.FldSt(0);
            A.FaddSt0(0);  // (2x, x)
            A.Fld1();
            A.FsubSt0(2);  // (1 - x, 2x, x)
            A.Fdivp(1);
            NaturalLogOfOnePlus(A);
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
            Extension(A, High, Table(safe_real::BigEntry), Order);
            A.Jump(Done);
            Extension(A, Low, Table(safe_real::MinusBigEntry), Order);
            A.Bind(Done);
            break;
        }
        case formula::RealFunction::Arcsinh: {
            x87::Label Positive = A.NewLabel();
            A.FldSt(0);
            A.Fabs();
            A.FldSt(0);
            A.FmulSt0(0);
            A.Fld1();
            A.Faddp(1);  // (q, a, x)
            x87::Label Small = A.NewLabel(), Sign = A.NewLabel(), Huge = A.NewLabel();
            if (Value) {
                A.Fsqrt();  // (s, a, x)
                CompareWithRegister(A, Const{Const::Table, safe_real::QuarterEntry}, 1);
                A.Jump(Condition::Above, Small);
                CompareRegisterWith(A, 1, Const{Const::Table, safe_real::HugeEntry});
                A.Jump(Condition::AboveOrEqual, Huge);
                A.Faddp(1);
                NaturalLog(A);  // (w, x)
                A.Jump(Sign);
                A.Bind(Small);  // ln(1 + a + a^2/(1 + s)) keeps the digits of small a
                A.Fld1();
                A.Faddp(1);
                A.FldSt(1);
                A.FmulSt0(0);
                A.Fdivrp(1);  // (a^2/(s + 1), a, x)
                A.Faddp(1);
                NaturalLogOfOnePlus(A);
                A.Jump(Sign);
                A.Bind(Huge);
                A.FstpSt(0);
                A.FaddSt0(0);  // (2a, x)
                NaturalLog(A);
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
                CompareRegisterWith(A, 2, Const{Const::Table, safe_real::HugeEntry});
                A.Jump(Condition::AboveOrEqual, Huge);
                A.FldSt(0);
                A.FaddSt0(3);
                NaturalLog(A);  // (w, s, q, a, x)
                A.Jump(Sign);
                A.Bind(Small);
                A.Fld1();
                A.FaddSt0(1);
                A.FldSt(3);
                A.FmulSt0(0);
                A.Fdivrp(1);   // (a^2/(1 + s), s, q, a, x)
                A.FaddSt0(3);
                NaturalLogOfOnePlus(A);
                A.Jump(Sign);
                A.Bind(Huge);
                A.FldSt(2);
                A.FaddSt0(0);  // (2a, s, q, a, x)
                NaturalLog(A);
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

}  // namespace real_snippets
