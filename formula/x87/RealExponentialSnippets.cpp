// The x87 sequences of the exponential, the logarithm and the algebraic functions of real
// formulas: exp, ln, sqr, sqrt and abs, each with its derivatives.
// Each follows, operation by operation, the interpreter's computation in SafeReal.h.
#include "formula/x87/RealFunctionParts.h"

namespace real_snippets::parts {

using x87::Condition;
using x87::Emitter;
using safe_real::TableEntry;

void EmitExponentialAndAlgebraicFunction(Emitter& A, char Code, ProgramOrder Order) {
    [[maybe_unused]] const bool First = Order == ProgramOrder::First;
    [[maybe_unused]] const bool Second = Order == ProgramOrder::Second;
    [[maybe_unused]] const bool Value = Order == ProgramOrder::Value;
    switch (static_cast<formula::RealFunction>(Code)) {
        case formula::RealFunction::Exp:
            SafeExp(A);
            if (!Value) A.FldSt(0);
            if (Second) A.FldSt(0);
            break;
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
        default:
            break;
    }
}

}  // namespace real_snippets::parts
