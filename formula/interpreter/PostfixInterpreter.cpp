// The postfix interpreter: decodes the postfix bytes once, then runs them on a stack of
// extended-precision values (and, for derivative programs, the two derivative stacks).
#include "formula/interpreter/PostfixInterpreter.h"

#include "formula/language/FormulaLanguage.h"
#include "formula/safe/SafeReal.h"
#include "formula/safe/X87Math.h"

using formula::PostfixOp;

// The square, which the interpreter fuses with the operations around it.
constexpr char SquareCode = formula::Code(formula::RealFunction::Square);

InterpretedProgram::InterpretedProgram(const std::string& Postfix, int VariableCount,
                                       ProgramOrder ProgramKind, int MaxDepth)
    : Variables(VariableCount), Order(ProgramKind), Stack(static_cast<size_t>(MaxDepth) + 2),
      FixedOperands{1.0L, x87::Pi()} {
    Code = formula::DecodePostfix(Postfix, VariableCount);
    if (Order == ProgramOrder::Value) Fuse();
}

long double InterpretedProgram::Run(const double* Values, const double* Constants,
                                    double* First, double* Second) const {
    if (Order == ProgramOrder::Value) return RunValue(Values, Constants);
    return RunDerivatives(Values, Constants, First, Second);
}

// Fused instructions of the value program. "Push" saves the top and loads an operand;
// "Op" forms combine the top with an operand (Var: input, Const: constant slot, Fixed: 1 or
// pi); "OpSquare" forms combine it with the square of an operand; "Pop" forms combine the
// entry below with the top. The two top entries stay in registers; only the "Deep" forms,
// used where the stack is deeper than two, move an entry to or from memory.
#define TORVANE_FUSED_INSTRUCTIONS(X)                                                   \
    X(PushVar) X(PushConst) X(PushFixed) X(PushVarDeep) X(PushConstDeep) X(PushFixedDeep)  \
    X(PopAddDeep) X(PopSubDeep) X(PopMulDeep) X(PopDivDeep)                                \
    X(AddVar) X(AddConst) X(AddFixed) X(SubVar) X(SubConst) X(SubFixed)                    \
    X(MulVar) X(MulConst) X(MulFixed) X(DivVar) X(DivConst) X(DivFixed)                    \
    X(MulSquareVar) X(MulSquareConst) X(AddSquareVar) X(SubSquareVar)                      \
    X(PopAdd) X(PopSub) X(PopMul) X(PopDiv) X(Negate) X(Square) X(Function) X(Return)     \
    X(PushMulVarVar) X(PushMulVarConst) X(PushMulConstVar) X(PushMulConstConst)             \
    X(PushMulVarVarDeep) X(PushMulVarConstDeep) X(PushMulConstVarDeep) X(PushMulConstConstDeep) \
    X(MulVarPopAdd) X(MulVarPopSub) X(MulConstPopAdd) X(MulConstPopSub)                     \
    X(MulSquareVarPopAdd) X(MulSquareVarPopSub)                                              \
    X(AddMulVarVar) X(AddMulVarConst) X(AddMulConstVar) X(AddMulConstConst)                 \
    X(SubMulVarVar) X(SubMulVarConst) X(SubMulConstVar) X(SubMulConstConst)                 \
    X(PushMulSquareVarVar) X(PushMulSquareConstVar)                                          \
    X(AddMulSquareVarVar) X(AddMulSquareConstVar) X(SubMulSquareVarVar) X(SubMulSquareConstVar)
#define TORVANE_ENUMERATOR(Name) Name,
enum class InterpretedProgram::Fused : uint8_t { TORVANE_FUSED_INSTRUCTIONS(TORVANE_ENUMERATOR) };
#undef TORVANE_ENUMERATOR

void InterpretedProgram::Fuse() {
    using F = Fused;
    auto OperandKind = [](const Instruction& I) {
        return I.Kind == PostfixOp::Input ? 0 : I.Kind == PostfixOp::Constant ? 1 : 2;
    };
    // Fixed operands are indexed into {1, pi}.
    auto OperandIndex = [](const Instruction& I) {
        return I.Kind == PostfixOp::One ? 0 : I.Kind == PostfixOp::Pi ? 1 : I.Index;
    };
    auto IsOperand = [](const Instruction& I) {
        return I.Kind == PostfixOp::Input || I.Kind == PostfixOp::Constant || I.Kind == PostfixOp::One ||
               I.Kind == PostfixOp::Pi;
    };
    int Depth = 0;  // entries on the stack before the instruction
    for (size_t I = 0; I < Code.size(); ++I) {
        const Instruction& X = Code[I];
        const Instruction* Next = I + 1 < Code.size() ? &Code[I + 1] : nullptr;
        const Instruction* After = I + 2 < Code.size() ? &Code[I + 2] : nullptr;
        if (IsOperand(X)) {
            int K = OperandKind(X);
            int Index = OperandIndex(X);
            bool Square = Next && Next->Kind == PostfixOp::Function && Next->Code == SquareCode;
            if (Square && K < 2 && After &&
                (After->Kind == PostfixOp::Multiply || (K == 0 && (After->Kind == PostfixOp::Add ||
                                                            After->Kind == PostfixOp::Subtract)))) {
                F Kind = After->Kind == PostfixOp::Multiply ? (K == 0 ? F::MulSquareVar : F::MulSquareConst)
                         : After->Kind == PostfixOp::Add    ? F::AddSquareVar
                                                     : F::SubSquareVar;
                ValueCode.push_back({Kind, 0, Index});
                I += 2;
                continue;
            }
            // "a b b^2 *", a monomial such as u^3 or c v^2, becomes one push.
            const Instruction* Third = I + 3 < Code.size() ? &Code[I + 3] : nullptr;
            if (K < 2 && Depth <= 1 && Next && Next->Kind == PostfixOp::Input && After &&
                After->Kind == PostfixOp::Function && After->Code == SquareCode && Third &&
                Third->Kind == PostfixOp::Multiply) {
                F Kind = K == 0 ? F::PushMulSquareVarVar : F::PushMulSquareConstVar;
                ValueCode.push_back({Kind, 0, Index});
                ValueCode.back().Second = Next->Index;
                ++Depth;
                I += 3;
                continue;
            }
            // "a b *" with two loaded operands: the product of leaves, so common in
            // polynomials, becomes one push.
            if (K < 2 && Next && IsOperand(*Next) && OperandKind(*Next) < 2 && After &&
                After->Kind == PostfixOp::Multiply) {
                int Kind = static_cast<int>(F::PushMulVarVar) + 2 * K + OperandKind(*Next);
                if (Depth >= 2) Kind += 4;
                ValueCode.push_back({static_cast<F>(Kind), static_cast<char>(0), Index});
                ValueCode.back().Second = OperandIndex(*Next);
                ++Depth;
                I += 2;
                continue;
            }
            if (Next && (Next->Kind == PostfixOp::Add || Next->Kind == PostfixOp::Subtract ||
                         Next->Kind == PostfixOp::Multiply || Next->Kind == PostfixOp::Divide)) {
                int Base = Next->Kind == PostfixOp::Add        ? static_cast<int>(F::AddVar)
                           : Next->Kind == PostfixOp::Subtract ? static_cast<int>(F::SubVar)
                           : Next->Kind == PostfixOp::Multiply ? static_cast<int>(F::MulVar)
                                                        : static_cast<int>(F::DivVar);
                ValueCode.push_back({static_cast<F>(Base + K), 0, Index});
                ++I;
                continue;
            }
            F Push = Depth >= 2 ? F::PushVarDeep : F::PushVar;
            ValueCode.push_back({static_cast<F>(static_cast<int>(Push) + K), 0, Index});
            ++Depth;
            continue;
        }
        const bool Deep = Depth >= 3;  // the entry below the result comes from memory
        switch (X.Kind) {
            case PostfixOp::Negate: ValueCode.push_back({F::Negate, 0, 0}); break;
            case PostfixOp::Add: ValueCode.push_back({Deep ? F::PopAddDeep : F::PopAdd, 0, 0}); break;
            case PostfixOp::Subtract: ValueCode.push_back({Deep ? F::PopSubDeep : F::PopSub, 0, 0}); break;
            case PostfixOp::Multiply: ValueCode.push_back({Deep ? F::PopMulDeep : F::PopMul, 0, 0}); break;
            case PostfixOp::Divide: ValueCode.push_back({Deep ? F::PopDivDeep : F::PopDiv, 0, 0}); break;
            default:
                ValueCode.push_back({X.Code == SquareCode ? F::Square : F::Function, X.Code, 0});
                break;
        }
        if (X.Kind == PostfixOp::Add || X.Kind == PostfixOp::Subtract || X.Kind == PostfixOp::Multiply ||
            X.Kind == PostfixOp::Divide)
            --Depth;
    }
    ValueCode.push_back({F::Return, 0, 0});
    MergeTermsIntoSums();
}

// A term of a sum ends with a multiplication followed by the addition or subtraction that
// takes it into the running sum; doing both in one instruction saves a dispatch per term.
void InterpretedProgram::MergeTermsIntoSums() {
    using F = Fused;
    std::vector<FusedInstruction> Merged;
    for (const FusedInstruction& I : ValueCode) {
        bool Add = I.Kind == F::PopAdd, Sub = I.Kind == F::PopSub;
        if ((Add || Sub) && !Merged.empty()) {
            FusedInstruction& Last = Merged.back();
            int Kind = -1;
            switch (Last.Kind) {
                case F::MulVar: Kind = static_cast<int>(Add ? F::MulVarPopAdd : F::MulVarPopSub); break;
                case F::MulConst: Kind = static_cast<int>(Add ? F::MulConstPopAdd : F::MulConstPopSub); break;
                case F::MulSquareVar:
                    Kind = static_cast<int>(Add ? F::MulSquareVarPopAdd : F::MulSquareVarPopSub);
                    break;
                case F::PushMulVarVar:
                case F::PushMulVarConst:
                case F::PushMulConstVar:
                case F::PushMulConstConst:
                    Kind = static_cast<int>(Add ? F::AddMulVarVar : F::SubMulVarVar) +
                           (static_cast<int>(Last.Kind) - static_cast<int>(F::PushMulVarVar));
                    break;
                case F::PushMulSquareVarVar:
                    Kind = static_cast<int>(Add ? F::AddMulSquareVarVar : F::SubMulSquareVarVar);
                    break;
                case F::PushMulSquareConstVar:
                    Kind = static_cast<int>(Add ? F::AddMulSquareConstVar : F::SubMulSquareConstVar);
                    break;
                default: break;
            }
            if (Kind >= 0) {
                Last.Kind = static_cast<F>(Kind);
                continue;
            }
        }
        Merged.push_back(I);
    }
    ValueCode.swap(Merged);
}

long double InterpretedProgram::RunValue(const double* Values, const double* Constants) const {
    using F = Fused;
    // The two top entries live in registers (Top, Second); S[1..Sp] holds the deeper ones.
    // The first pushes save meaningless entries, which keeps the code free of special cases.
    long double* S = Stack.data();
    int Sp = 0;
    long double Top = 0, Second = 0;
    const long double* Fixed = FixedOperands;
    auto Divide = [](long double A, long double B) {
        return safe_real::DivisorIsZero(B) ? A * safe_real::Big : A / B;
    };
    auto Push = [&](long double X) {
        Second = Top;
        Top = X;
    };
    auto PushDeep = [&](long double X) {
        S[++Sp] = Second;
        Second = Top;
        Top = X;
    };
    auto PopDeep = [&]() {
        long double Left = Second;
        Second = S[Sp--];
        return Left;
    };
    // A plain switch: the compiler keeps Top and Second in x87 registers across it (a
    // threaded dispatch through label addresses made it spill them at every instruction).
    const FusedInstruction* I = ValueCode.data();
#define CASE(Name) case F::Name:
#define NEXT break
    for (;; ++I) {
        switch (I->Kind) {
            CASE(PushVar) Push(Values[I->Index]); NEXT;
            CASE(PushConst) Push(Constants[I->Index]); NEXT;
            CASE(PushFixed) Push(Fixed[I->Index]); NEXT;
            CASE(PushVarDeep) PushDeep(Values[I->Index]); NEXT;
            CASE(PushConstDeep) PushDeep(Constants[I->Index]); NEXT;
            CASE(PushFixedDeep) PushDeep(Fixed[I->Index]); NEXT;
            CASE(AddVar) Top = Top + static_cast<long double>(Values[I->Index]); NEXT;
            CASE(AddConst) Top = Top + static_cast<long double>(Constants[I->Index]); NEXT;
            CASE(AddFixed) Top = Top + Fixed[I->Index]; NEXT;
            CASE(SubVar) Top = Top - static_cast<long double>(Values[I->Index]); NEXT;
            CASE(SubConst) Top = Top - static_cast<long double>(Constants[I->Index]); NEXT;
            CASE(SubFixed) Top = Top - Fixed[I->Index]; NEXT;
            CASE(MulVar) Top = Top * static_cast<long double>(Values[I->Index]); NEXT;
            CASE(MulConst) Top = Top * static_cast<long double>(Constants[I->Index]); NEXT;
            CASE(MulFixed) Top = Top * Fixed[I->Index]; NEXT;
            CASE(DivVar) Top = Divide(Top, Values[I->Index]); NEXT;
            CASE(DivConst) Top = Divide(Top, Constants[I->Index]); NEXT;
            CASE(DivFixed) Top = Divide(Top, Fixed[I->Index]); NEXT;
            CASE(MulSquareVar) {
                long double X = Values[I->Index];
                Top = Top * (X * X);
                NEXT;
            }
            CASE(MulSquareConst) {
                long double X = Constants[I->Index];
                Top = Top * (X * X);
                NEXT;
            }
            CASE(AddSquareVar) {
                long double X = Values[I->Index];
                Top = Top + X * X;
                NEXT;
            }
            CASE(SubSquareVar) {
                long double X = Values[I->Index];
                Top = Top - X * X;
                NEXT;
            }
            CASE(PopAdd) Top = Second + Top; NEXT;
            CASE(PopSub) Top = Second - Top; NEXT;
            CASE(PopMul) Top = Second * Top; NEXT;
            CASE(PopDiv) Top = Divide(Second, Top); NEXT;
            CASE(PopAddDeep) Top = PopDeep() + Top; NEXT;
            CASE(PopSubDeep) Top = PopDeep() - Top; NEXT;
            CASE(PopMulDeep) Top = PopDeep() * Top; NEXT;
            CASE(PopDivDeep) Top = Divide(PopDeep(), Top); NEXT;
            CASE(Negate) Top = -Top; NEXT;
            CASE(Square) Top = Top * Top; NEXT;
            CASE(Function) Top = safe_real::Apply(I->Code, Top, ProgramOrder::Value).Value; NEXT;
            CASE(PushMulVarVar) Push(static_cast<long double>(Values[I->Index]) * Values[I->Second]); NEXT;
            CASE(PushMulVarConst) Push(static_cast<long double>(Values[I->Index]) * Constants[I->Second]); NEXT;
            CASE(PushMulConstVar) Push(static_cast<long double>(Constants[I->Index]) * Values[I->Second]); NEXT;
            CASE(PushMulConstConst) Push(static_cast<long double>(Constants[I->Index]) * Constants[I->Second]); NEXT;
            CASE(PushMulVarVarDeep) PushDeep(static_cast<long double>(Values[I->Index]) * Values[I->Second]); NEXT;
            CASE(PushMulVarConstDeep) PushDeep(static_cast<long double>(Values[I->Index]) * Constants[I->Second]); NEXT;
            CASE(PushMulConstVarDeep) PushDeep(static_cast<long double>(Constants[I->Index]) * Values[I->Second]); NEXT;
            CASE(PushMulConstConstDeep) PushDeep(static_cast<long double>(Constants[I->Index]) * Constants[I->Second]); NEXT;
            CASE(MulVarPopAdd) Top = Second + Top * static_cast<long double>(Values[I->Index]); NEXT;
            CASE(MulVarPopSub) Top = Second - Top * static_cast<long double>(Values[I->Index]); NEXT;
            CASE(MulConstPopAdd) Top = Second + Top * static_cast<long double>(Constants[I->Index]); NEXT;
            CASE(MulConstPopSub) Top = Second - Top * static_cast<long double>(Constants[I->Index]); NEXT;
            CASE(MulSquareVarPopAdd) {
                long double X = Values[I->Index];
                Top = Second + Top * (X * X);
                NEXT;
            }
            CASE(MulSquareVarPopSub) {
                long double X = Values[I->Index];
                Top = Second - Top * (X * X);
                NEXT;
            }
            CASE(AddMulVarVar) Top = Top + static_cast<long double>(Values[I->Index]) * Values[I->Second]; NEXT;
            CASE(AddMulVarConst) Top = Top + static_cast<long double>(Values[I->Index]) * Constants[I->Second]; NEXT;
            CASE(AddMulConstVar) Top = Top + static_cast<long double>(Constants[I->Index]) * Values[I->Second]; NEXT;
            CASE(AddMulConstConst) Top = Top + static_cast<long double>(Constants[I->Index]) * Constants[I->Second]; NEXT;
            CASE(SubMulVarVar) Top = Top - static_cast<long double>(Values[I->Index]) * Values[I->Second]; NEXT;
            CASE(SubMulVarConst) Top = Top - static_cast<long double>(Values[I->Index]) * Constants[I->Second]; NEXT;
            CASE(SubMulConstVar) Top = Top - static_cast<long double>(Constants[I->Index]) * Values[I->Second]; NEXT;
            CASE(SubMulConstConst) Top = Top - static_cast<long double>(Constants[I->Index]) * Constants[I->Second]; NEXT;
            CASE(PushMulSquareVarVar) {
                long double Y = Values[I->Second];
                Push(static_cast<long double>(Values[I->Index]) * (Y * Y));
                NEXT;
            }
            CASE(PushMulSquareConstVar) {
                long double Y = Values[I->Second];
                Push(static_cast<long double>(Constants[I->Index]) * (Y * Y));
                NEXT;
            }
            CASE(AddMulSquareVarVar) {
                long double Y = Values[I->Second];
                Top = Top + static_cast<long double>(Values[I->Index]) * (Y * Y);
                NEXT;
            }
            CASE(AddMulSquareConstVar) {
                long double Y = Values[I->Second];
                Top = Top + static_cast<long double>(Constants[I->Index]) * (Y * Y);
                NEXT;
            }
            CASE(SubMulSquareVarVar) {
                long double Y = Values[I->Second];
                Top = Top - static_cast<long double>(Values[I->Index]) * (Y * Y);
                NEXT;
            }
            CASE(SubMulSquareConstVar) {
                long double Y = Values[I->Second];
                Top = Top - static_cast<long double>(Constants[I->Index]) * (Y * Y);
                NEXT;
            }
            CASE(Return) return Top;
#if defined(__GNUC__) || defined(__clang__)
            default: __builtin_unreachable();  // every instruction is one of the above
#endif
        }
    }
#undef CASE
#undef NEXT
}

// Each stack entry k carries its value S[k], first derivative D[k] and (second order)
// second derivative DD[k], the chain rule applied at every step. Derivatives are stored as
// doubles, as the native programs store them, and every operation on them is done in
// extended precision first (L reads a slot), so that both engines round alike.
long double InterpretedProgram::RunDerivatives(const double* Values, const double* Constants,
                                               double* D, double* DD) const {
    long double* S = Stack.data();
    const bool Second = Order == ProgramOrder::Second;
    const bool Two = Order == ProgramOrder::TwoDirections;  // DD holds the other direction
    const bool Both = Second || Two;
    int Top = 0;
    const long double Pi = x87::Pi();
    auto L = [](double X) { return static_cast<long double>(X); };
    auto Store = [](double& Slot, long double X) { Slot = static_cast<double>(X); };
    auto Push = [&](long double Value, double First, double SecondSeed) {
        ++Top;
        S[Top] = Value;
        D[Top] = First;
        if (Both) DD[Top] = SecondSeed;
    };
    for (const Instruction& I : Code) {
        switch (I.Kind) {
            case PostfixOp::Input:
                Push(Values[I.Index], Values[Variables + I.Index],
                     Both ? Values[2 * Variables + I.Index] : 0.0);
                break;
            case PostfixOp::Constant: Push(Constants[I.Index], 0, 0); break;
            case PostfixOp::One: Push(1.0L, 0, 0); break;
            case PostfixOp::Pi: Push(Pi, 0, 0); break;
            case PostfixOp::I: Push(0, 0, 0); break;  // real code has no imaginary unit
            case PostfixOp::Negate:
                S[Top] = -S[Top];
                D[Top] = -D[Top];
                if (Both) DD[Top] = -DD[Top];
                break;
            case PostfixOp::Add:
            case PostfixOp::Subtract: {
                --Top;
                bool Add = I.Kind == PostfixOp::Add;
                S[Top] = Add ? S[Top] + S[Top + 1] : S[Top] - S[Top + 1];
                Store(D[Top], Add ? L(D[Top]) + L(D[Top + 1]) : L(D[Top]) - L(D[Top + 1]));
                if (Both)
                    Store(DD[Top], Add ? L(DD[Top]) + L(DD[Top + 1]) : L(DD[Top]) - L(DD[Top + 1]));
                break;
            }
            case PostfixOp::Multiply: {
                --Top;
                long double A = S[Top], B = S[Top + 1];
                long double DA = D[Top], DB = D[Top + 1];
                if (Second) {
                    long double T = DA * DB;
                    Store(DD[Top], (L(DD[Top]) * B + (T + T)) + A * L(DD[Top + 1]));
                } else if (Two) {
                    Store(DD[Top], L(DD[Top]) * B + A * L(DD[Top + 1]));
                }
                Store(D[Top], DA * B + A * DB);
                S[Top] = A * B;
                break;
            }
            case PostfixOp::Divide: {
                --Top;
                long double A = S[Top], B = S[Top + 1];
                if (safe_real::DivisorIsZero(B)) {
                    S[Top] = A * safe_real::Big;
                    D[Top] = 0;
                    if (Both) DD[Top] = 0;
                } else {
                    long double Q = A / B;
                    long double DQ = (L(D[Top]) - Q * L(D[Top + 1])) / B;
                    if (Second)
                        Store(DD[Top],
                              ((L(DD[Top]) - (DQ + DQ) * L(D[Top + 1])) - Q * L(DD[Top + 1])) / B);
                    else if (Two)
                        Store(DD[Top], (L(DD[Top]) - Q * L(DD[Top + 1])) / B);
                    Store(D[Top], DQ);
                    S[Top] = Q;
                }
                break;
            }
            case PostfixOp::Function: {
                safe_real::Jet J =
                    safe_real::Apply(I.Code, S[Top], Two ? ProgramOrder::First : Order);
                long double DX = D[Top];
                if (Second) Store(DD[Top], J.Second * (DX * DX) + J.First * L(DD[Top]));
                if (Two) Store(DD[Top], J.First * L(DD[Top]));
                Store(D[Top], J.First * DX);
                S[Top] = J.Value;
                break;
            }
        }
    }
    return S[1];
}
