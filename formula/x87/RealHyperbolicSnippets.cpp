// The x87 sequences of the hyperbolic functions of real formulas and their inverses: sinh,
// cosh, tanh, arcsinh, arccosh and arctanh, each with its derivatives.
// Each follows, operation by operation, the interpreter's computation in SafeReal.h.
#include "formula/x87/RealFunctionParts.h"

namespace real_snippets::parts {

using x87::Condition;
using x87::Emitter;
using safe_real::TableEntry;

void EmitHyperbolicFunction(Emitter& A, char Code, ProgramOrder Order) {
    [[maybe_unused]] const bool First = Order == ProgramOrder::First;
    [[maybe_unused]] const bool Second = Order == ProgramOrder::Second;
    [[maybe_unused]] const bool Value = Order == ProgramOrder::Value;
    switch (static_cast<formula::RealFunction>(Code)) {
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
        default:
            break;
    }
}

}  // namespace real_snippets::parts
