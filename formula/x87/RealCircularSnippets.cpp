// The x87 sequences of the circular functions of real formulas and their inverses: cos, sin,
// tan, cot, arcsin, arccos and arctan, each with its derivatives.
// Each follows, operation by operation, the interpreter's computation in SafeReal.h.
#include "formula/x87/RealFunctionParts.h"

namespace real_snippets::parts {

using x87::Condition;
using x87::Emitter;
using safe_real::TableEntry;

void EmitCircularFunction(Emitter& A, char Code, ProgramOrder Order) {
    [[maybe_unused]] const bool First = Order == ProgramOrder::First;
    [[maybe_unused]] const bool Second = Order == ProgramOrder::Second;
    [[maybe_unused]] const bool Value = Order == ProgramOrder::Value;
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
        default:
            break;
    }
}

}  // namespace real_snippets::parts
