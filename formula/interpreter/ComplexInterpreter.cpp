// Decodes complex postfix code once, then runs it on a stack of extended-precision pairs.
#include "formula/interpreter/ComplexInterpreter.h"

#include "formula/language/FormulaLanguage.h"
#include "formula/safe/X87Math.h"

using formula::PostfixOp;

ComplexProgram::ComplexProgram(const std::string& Postfix, int LetterCount, int MaxDepth)
    : Code(formula::DecodePostfix(Postfix, LetterCount)),
      Stack(static_cast<size_t>(MaxDepth) + 1) {}

safe_complex::Complex ComplexProgram::Run(const double* Inputs, const double* Constants) const {
    using safe_complex::Complex;
    Complex* S = Stack.data();
    int Top = -1;
    for (const Instruction& I : Code) {
        switch (I.Kind) {
            case PostfixOp::Input:
                S[++Top] = {Inputs[2 * I.Index], Inputs[2 * I.Index + 1]};
                break;
            case PostfixOp::Constant:
                S[++Top] = {Constants[2 * I.Index], Constants[2 * I.Index + 1]};
                break;
            case PostfixOp::One: S[++Top] = {1.0L, 0.0L}; break;
            case PostfixOp::Pi: S[++Top] = {x87::Pi(), 0.0L}; break;
            case PostfixOp::I: S[++Top] = {0.0L, 1.0L}; break;
            case PostfixOp::Negate: S[Top] = safe_complex::Negate(S[Top]); break;
            case PostfixOp::Add: --Top; S[Top] = safe_complex::Add(S[Top], S[Top + 1]); break;
            case PostfixOp::Subtract: --Top; S[Top] = safe_complex::Subtract(S[Top], S[Top + 1]); break;
            case PostfixOp::Multiply: --Top; S[Top] = safe_complex::Multiply(S[Top], S[Top + 1]); break;
            case PostfixOp::Divide: --Top; S[Top] = safe_complex::Divide(S[Top], S[Top + 1]); break;
            case PostfixOp::Function: S[Top] = safe_complex::Apply(I.Code, S[Top]); break;
        }
    }
    return S[0];
}
