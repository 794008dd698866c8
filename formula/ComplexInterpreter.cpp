// Decodes complex postfix code once, then runs it on a stack of extended-precision pairs.
#include "formula/ComplexInterpreter.h"

#include "formula/FormulaLanguage.h"
#include "formula/X87Math.h"

ComplexProgram::ComplexProgram(const std::string& Postfix, int LetterCount, int MaxDepth)
    : Stack(static_cast<size_t>(MaxDepth) + 1) {
    for (size_t I = 0; I < Postfix.size(); ++I) {
        char C = Postfix[I];
        switch (C) {
            case formula::ReferenceKind: {
                int N = static_cast<unsigned char>(Postfix[++I]);
                if (N <= LetterCount)
                    Code.push_back({Op::Input, 0, N - 1});
                else
                    Code.push_back({Op::Constant, 0, N - LetterCount});
                break;
            }
            case formula::OneKind: Code.push_back({Op::One, 0, 0}); break;
            case formula::PiKind: Code.push_back({Op::Pi, 0, 0}); break;
            case formula::ImaginaryKind: Code.push_back({Op::I, 0, 0}); break;
            case formula::UnaryMinusKind: Code.push_back({Op::Negate, 0, 0}); break;
            case '+': Code.push_back({Op::Add, 0, 0}); break;
            case '-': Code.push_back({Op::Subtract, 0, 0}); break;
            case '*': Code.push_back({Op::Multiply, 0, 0}); break;
            case '/': Code.push_back({Op::Divide, 0, 0}); break;
            default: Code.push_back({Op::Function, C, 0}); break;
        }
    }
}

safe_complex::Complex ComplexProgram::Run(const double* Inputs, const double* Constants) const {
    using safe_complex::Complex;
    Complex* S = Stack.data();
    int Top = -1;
    for (const Instruction& I : Code) {
        switch (I.Kind) {
            case Op::Input:
                S[++Top] = {Inputs[2 * I.Index], Inputs[2 * I.Index + 1]};
                break;
            case Op::Constant:
                S[++Top] = {Constants[2 * I.Index], Constants[2 * I.Index + 1]};
                break;
            case Op::One: S[++Top] = {1.0L, 0.0L}; break;
            case Op::Pi: S[++Top] = {x87::Pi(), 0.0L}; break;
            case Op::I: S[++Top] = {0.0L, 1.0L}; break;
            case Op::Negate: S[Top] = safe_complex::Negate(S[Top]); break;
            case Op::Add: --Top; S[Top] = safe_complex::Add(S[Top], S[Top + 1]); break;
            case Op::Subtract: --Top; S[Top] = safe_complex::Subtract(S[Top], S[Top + 1]); break;
            case Op::Multiply: --Top; S[Top] = safe_complex::Multiply(S[Top], S[Top + 1]); break;
            case Op::Divide: --Top; S[Top] = safe_complex::Divide(S[Top], S[Top + 1]); break;
            case Op::Function: S[Top] = safe_complex::Apply(I.Code, S[Top]); break;
        }
    }
    return S[0];
}
