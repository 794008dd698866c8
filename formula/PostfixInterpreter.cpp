// The postfix interpreter: decodes the postfix bytes once, then runs them on a stack of
// extended-precision values (and, for derivative programs, the two derivative stacks).
#include "formula/PostfixInterpreter.h"

#include "formula/FormulaLanguage.h"
#include "formula/SafeReal.h"
#include "formula/X87Math.h"

InterpretedProgram::InterpretedProgram(const std::string& Postfix, int VariableCount,
                                       ProgramOrder ProgramKind, int MaxDepth)
    : Variables(VariableCount), Order(ProgramKind), Stack(static_cast<size_t>(MaxDepth) + 2) {
    for (size_t I = 0; I < Postfix.size(); ++I) {
        char C = Postfix[I];
        switch (C) {
            case formula::ReferenceKind: {
                int N = static_cast<unsigned char>(Postfix[++I]);
                if (N <= Variables)
                    Code.push_back({Op::Variable, 0, N - 1});
                else
                    Code.push_back({Op::Constant, 0, N - Variables});
                break;
            }
            case formula::OneKind: Code.push_back({Op::One, 0, 0}); break;
            case formula::PiKind: Code.push_back({Op::Pi, 0, 0}); break;
            case formula::UnaryMinusKind: Code.push_back({Op::Negate, 0, 0}); break;
            case '+': Code.push_back({Op::Add, 0, 0}); break;
            case '-': Code.push_back({Op::Subtract, 0, 0}); break;
            case '*': Code.push_back({Op::Multiply, 0, 0}); break;
            case '/': Code.push_back({Op::Divide, 0, 0}); break;
            default: Code.push_back({Op::Function, C, 0}); break;
        }
    }
}

long double InterpretedProgram::Run(const double* Values, const double* Constants,
                                    long double* First, long double* Second) const {
    if (Order == ProgramOrder::Value) return RunValue(Values, Constants);
    return RunDerivatives(Values, Constants, First, Second);
}

long double InterpretedProgram::RunValue(const double* Values, const double* Constants) const {
    long double* S = Stack.data();  // S[Top] is the top entry; S[0] is never used
    int Top = 0;
    const long double Pi = x87::Pi();
    for (const Instruction& I : Code) {
        switch (I.Kind) {
            case Op::Variable: S[++Top] = Values[I.Index]; break;
            case Op::Constant: S[++Top] = Constants[I.Index]; break;
            case Op::One: S[++Top] = 1.0L; break;
            case Op::Pi: S[++Top] = Pi; break;
            case Op::Negate: S[Top] = -S[Top]; break;
            case Op::Add: --Top; S[Top] = S[Top] + S[Top + 1]; break;
            case Op::Subtract: --Top; S[Top] = S[Top] - S[Top + 1]; break;
            case Op::Multiply: --Top; S[Top] = S[Top] * S[Top + 1]; break;
            case Op::Divide:
                --Top;
                S[Top] = safe_real::DivisorIsZero(S[Top + 1]) ? S[Top] * safe_real::Big
                                                              : S[Top] / S[Top + 1];
                break;
            case Op::Function:
                S[Top] = safe_real::Apply(I.Code, S[Top], ProgramOrder::Value).Value;
                break;
        }
    }
    return S[1];
}

// Each stack entry k carries its value S[k], first derivative D[k] and (second order)
// second derivative DD[k], the chain rule applied at every step.
long double InterpretedProgram::RunDerivatives(const double* Values, const double* Constants,
                                               long double* D, long double* DD) const {
    long double* S = Stack.data();
    const bool Second = Order == ProgramOrder::Second;
    int Top = 0;
    const long double Pi = x87::Pi();
    auto Push = [&](long double Value, long double First, long double SecondSeed) {
        ++Top;
        S[Top] = Value;
        D[Top] = First;
        if (Second) DD[Top] = SecondSeed;
    };
    for (const Instruction& I : Code) {
        switch (I.Kind) {
            case Op::Variable:
                Push(Values[I.Index], Values[Variables + I.Index],
                     Second ? Values[2 * Variables + I.Index] : 0.0);
                break;
            case Op::Constant: Push(Constants[I.Index], 0, 0); break;
            case Op::One: Push(1.0L, 0, 0); break;
            case Op::Pi: Push(Pi, 0, 0); break;
            case Op::Negate:
                S[Top] = -S[Top];
                D[Top] = -D[Top];
                if (Second) DD[Top] = -DD[Top];
                break;
            case Op::Add:
            case Op::Subtract: {
                --Top;
                bool Add = I.Kind == Op::Add;
                S[Top] = Add ? S[Top] + S[Top + 1] : S[Top] - S[Top + 1];
                D[Top] = Add ? D[Top] + D[Top + 1] : D[Top] - D[Top + 1];
                if (Second) DD[Top] = Add ? DD[Top] + DD[Top + 1] : DD[Top] - DD[Top + 1];
                break;
            }
            case Op::Multiply: {
                --Top;
                long double A = S[Top], B = S[Top + 1];
                long double DA = D[Top], DB = D[Top + 1];
                if (Second) {
                    long double T = DA * DB;
                    DD[Top] = (DD[Top] * B + (T + T)) + A * DD[Top + 1];
                }
                D[Top] = DA * B + A * DB;
                S[Top] = A * B;
                break;
            }
            case Op::Divide: {
                --Top;
                long double A = S[Top], B = S[Top + 1];
                if (safe_real::DivisorIsZero(B)) {
                    S[Top] = A * safe_real::Big;
                    D[Top] = 0;
                    if (Second) DD[Top] = 0;
                } else {
                    long double Q = A / B;
                    long double DQ = (D[Top] - Q * D[Top + 1]) / B;
                    if (Second)
                        DD[Top] = ((DD[Top] - (DQ + DQ) * D[Top + 1]) - Q * DD[Top + 1]) / B;
                    D[Top] = DQ;
                    S[Top] = Q;
                }
                break;
            }
            case Op::Function: {
                safe_real::Jet J = safe_real::Apply(I.Code, S[Top], Order);
                long double DX = D[Top];
                if (Second) DD[Top] = J.Second * (DX * DX) + J.First * DD[Top];
                D[Top] = J.First * DX;
                S[Top] = J.Value;
                break;
            }
        }
    }
    return S[1];
}
