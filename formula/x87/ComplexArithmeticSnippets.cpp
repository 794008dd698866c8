// The arithmetic of complex formula programs in x87 code: sums, differences, products and the
// safe quotient of two complex values, mirroring SafeComplex.h.
#include "formula/x87/ComplexFunctionSnippets.h"

namespace complex_snippets {

using x87::Condition;
using x87::Emitter;

// (br, bi, ar, ai) -> (re, im) of a op b; the names follow SafeComplex.h.

void EmitBinary(Emitter& X, char C) {
    switch (static_cast<formula::Opcode>(C)) {
        case formula::Opcode::Add:
            X.Faddp(2);
            X.Faddp(2);
            break;
        case formula::Opcode::Subtract:
            X.Fsubp(2);
            X.Fsubp(2);
            break;
        case formula::Opcode::Multiply:
            X.FldSt(2);
            X.FmulSt0(1);  // RR = ar br
            X.FldSt(4);
            X.FmulSt0(3);  // II = ai bi
            X.Fsubp(1);    // Re = RR - II
            X.FldSt(3);
            X.FmulSt0(3);  // RI = ar bi
            X.FldSt(5);
            X.FmulSt0(3);  // IR = ai br
            X.Faddp(1);    // (Im, Re, br, bi, ar, ai)
            for (int I = 0; I < 4; ++I) X.FstpSt(2);
            X.Fxch(1);
            break;
        case formula::Opcode::Divide: {
            x87::Label Zero = X.NewLabel(), Done = X.NewLabel();
            X.FldSt(0);
            X.FmulSt0(0);  // XX
            X.FldSt(2);
            X.FmulSt0(0);  // YY
            X.Faddp(1);    // (D, br, bi, ar, ai)
            X.Fldz();
            X.Fucomip(1);
            X.Jump(Condition::Equal, Zero);  // zero, or not a number
            X.FldSt(3);
            X.FmulSt0(2);  // RR = ar br
            X.FldSt(5);
            X.FmulSt0(4);  // II = ai bi
            X.Faddp(1);
            X.FdivSt0(1);  // Re / D
            X.FldSt(5);
            X.FmulSt0(3);  // IR = ai br
            X.FldSt(5);
            X.FmulSt0(5);  // RI = ar bi
            X.Fsubp(1);
            X.FdivSt0(2);  // (Im, Re, D, br, bi, ar, ai)
            for (int I = 0; I < 5; ++I) X.FstpSt(2);  // an odd count leaves (Re, Im)
            X.Jump(Done);
            X.Bind(Zero);  // a * 10^30
            for (int I = 0; I < 3; ++I) X.FstpSt(0);
            X.FldExtended(TableSlot(BigEntry));
            X.Fxch(1);
            X.FmulSt0(1);
            X.Fxch(2);
            X.Fmulp(1);
            X.Fxch(1);
            X.Bind(Done);
            break;
        }
        default:  // the callers pass arithmetic only
            break;
    }
}

}  // namespace complex_snippets
