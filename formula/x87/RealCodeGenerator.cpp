// The real code generator. The x87 registers hold the top of the evaluation stack; deeper
// entries are spilled to the machine stack in full extended precision, so any depth works
// and results equal the interpreter's bit for bit. Derivatives live in memory slots of doubles.
#include "formula/x87/RealCodeGenerator.h"

#include <array>
#include <functional>
#include <vector>

#include "formula/language/FormulaLanguage.h"
#include "formula/safe/SafeReal.h"
#include "formula/x87/RealFunctionSnippets.h"
#include "formula/x87/X87Emitter.h"
#include "formula/x87/X87Spilling.h"

namespace {

using x87::Condition;
using x87::Emitter;
using x87::Mem;
using x87::Reg;
using namespace real_snippets;
// The arithmetic bytes of postfix code (the generator's own member Code is its machine code).
constexpr char AddCode = formula::Code(formula::Opcode::Add);
constexpr char SubtractCode = formula::Code(formula::Opcode::Subtract);
constexpr char MultiplyCode = formula::Code(formula::Opcode::Multiply);

static_assert(sizeof(long double) == SlotBytes, "spilled entries are 16 bytes apart");

// Where the derivative of a stack entry is read from. A variable's derivative is its
// direction input and a constant's is zero: they are read from the input or loaded as zero
// by the operation that consumes them, never copied to a slot first, which keeps a store and
// a dependent reload off the path. The values read are the same either way.
struct Source {
    enum Kind : uint8_t { Slot, Memory, Zero } K = Slot;
    Mem M{Reg::Rdx, 0};
};

struct Sources {
    Source FirstA, FirstB, SecondA, SecondB;
};

void Load(Emitter& X, const Source& S) {
    if (S.K == Source::Zero)
        X.Fldz();
    else
        X.FldDouble(S.M);
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
                    (Next == AddCode || Next == SubtractCode ||
                     Next == MultiplyCode)) {
                    CombineWithMemory(Next, N);
                    ++I;
                } else {
                    Operand(C, N);
                }
            } else if (C == formula::OneKind || C == formula::PiKind) {
                Operand(C, 0);
            } else if (formula::IsArithmeticCode(C)) {
                Binary(C);
            } else if (C == formula::UnaryMinusKind || formula::IsRealFunctionCode(C)) {
                Unary(C);
            } else {
                return false;
            }
            if (E.Depth() != 8 - Free) Ok = false;
        }
        if (!Ok || Depth != 1 || Spilled != 0 || Free != 7) return false;
        if (Order != ProgramOrder::Value) {
            // The result's derivatives are read from slot 1.
            for (int Kind = 0; Kind < (HasSecondSlots() ? 2 : 1); ++Kind) {
                Source S = Kind == 0 ? FirstSource(1) : SecondSource(1);
                if (S.K == Source::Slot) continue;
                Load(E, S);
                E.FstpDouble(Kind == 0 ? FirstSlot(1) : SecondSlot(1));
            }
        }
        E.FstpDouble(Mem{Reg::Rsp, -8});
        E.MovsdXmm0(Mem{Reg::Rsp, -8});
        E.Ret();
        if (!E.Valid() || E.Depth() != 0) return false;
        Code.insert(Code.end(), E.Code().begin(), E.Code().end());
        return true;
    }

private:
    int InRegisters() const { return 8 - Free; }
    bool HasSecondSlots() const {
        return Order == ProgramOrder::Second || Order == ProgramOrder::TwoDirections;
    }

    // Per stack depth: where its first and second derivative are read from.
    Source& FirstSource(int K) { return Track(K)[0]; }
    Source& SecondSource(int K) { return Track(K)[1]; }
    std::array<Source, 2>& Track(int K) {
        if (static_cast<size_t>(K) >= Derivatives.size()) Derivatives.resize(static_cast<size_t>(K) + 8);
        return Derivatives[static_cast<size_t>(K)];
    }
    void SetStored(int K) {
        FirstSource(K) = {Source::Slot, FirstSlot(K)};
        SecondSource(K) = {Source::Slot, SecondSlot(K)};
    }
    Sources SourcesOf(int A, int B) {
        return {FirstSource(A), FirstSource(B), SecondSource(A), SecondSource(B)};
    }

    // Moves the deepest register entry to the machine stack.
    void SpillDeepest() {
        if (InRegisters() <= 0) {
            Ok = false;
            return;
        }
        x87::SpillDeepestRegister(E, InRegisters());
        ++Spilled;
        ++Free;
    }

    void RestoreOne() {
        if (Spilled <= 0 || Free < 1) {
            Ok = false;
            return;
        }
        E.FldExtended(Mem{Reg::Rsp, 0});
        E.AddRsp(x87::SpillBytes);
        E.Fxch(1);
        --Spilled;
        --Free;
    }

    void MakeFree(int N) {
        while (Ok && Free < N) SpillDeepest();
    }

    // Emits a snippet after freeing the registers it needs, measured by a dry run.
    void Snippet(int Inputs, const std::function<void(Emitter&)>& Body) {
        int Extra = x87::MeasureSnippet(Inputs, Body);
        if (Extra < 0) {
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
            if (IsVariable) {
                FirstSource(Depth) = {Source::Memory, Input(Variables + N - 1)};
                SecondSource(Depth) = {Source::Memory, Input(2 * Variables + N - 1)};
            } else {
                FirstSource(Depth) = {Source::Zero, {}};
                SecondSource(Depth) = {Source::Zero, {}};
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
        if (C == AddCode)
            E.FaddDouble(M);
        else if (C == SubtractCode)
            E.FsubDouble(M);
        else
            E.FmulDouble(M);
    }

    void Binary(char C) {
        while (Ok && InRegisters() < 2) RestoreOne();
        const int A = Depth - 1, B = Depth;  // derivative slots of the two operands
        const ProgramOrder O = Order;
        const Sources S = SourcesOf(A, B);
        Snippet(2, [C, A, O, S](Emitter& X) { EmitBinary(X, C, A, O, S); });
        SetStored(A);
        ++Free;
        --Depth;
    }

    // Writes every derivative slot of A that the program order has, on every path.
    static void EmitBinary(Emitter& X, char C, int A, ProgramOrder O, const Sources& S) {
        const bool Derivatives = O != ProgramOrder::Value;
        const bool Second = O == ProgramOrder::Second;
        const bool Two = O == ProgramOrder::TwoDirections;
        if (C == AddCode || C == SubtractCode) {
            bool Add = C == AddCode;
            for (int Pass = 0; Pass < (Second || Two ? 2 : (Derivatives ? 1 : 0)); ++Pass) {
                auto Slot = Pass == 0 ? FirstSlot : SecondSlot;
                Load(X, Pass == 0 ? S.FirstA : S.SecondA);
                Load(X, Pass == 0 ? S.FirstB : S.SecondB);
                if (Add)
                    X.Faddp(1);
                else
                    X.Fsubp(1);
                X.FstpDouble(Slot(A));
            }
            if (Add)
                X.Faddp(1);
            else
                X.Fsubp(1);
        } else if (C == MultiplyCode) {
            if (Second) {
                Load(X, S.SecondA);
                X.FmulSt0(1);  // (dda b, b, a)
                Load(X, S.FirstA);
                Load(X, S.FirstB);
                X.Fmulp(1);
                X.FaddSt0(0);
                X.Faddp(1);
                Load(X, S.SecondB);
                X.FmulSt0(3);
                X.Faddp(1);
                X.FstpDouble(SecondSlot(A));
            }
            for (int Pass = 0; Pass < (Two ? 2 : (Derivatives ? 1 : 0)); ++Pass) {
                auto Slot = Pass == 0 ? FirstSlot : SecondSlot;
                Load(X, Pass == 0 ? S.FirstA : S.SecondA);
                X.FmulSt0(1);
                Load(X, Pass == 0 ? S.FirstB : S.SecondB);
                X.FmulSt0(3);
                X.Faddp(1);
                X.FstpDouble(Slot(A));
            }
            X.Fmulp(1);
        } else {  // "/"
            x87::Label ZeroDivisor = X.NewLabel(), Done = X.NewLabel();
            CompareWithRegister(X, Zero, 0);
            X.Jump(Condition::Equal, ZeroDivisor);
            if (!Derivatives) {
                X.Fdivp(1);
            } else if (Two) {
                X.FldSt(1);
                X.FdivSt0(1);  // (q, b, a)
                for (int Pass = 0; Pass < 2; ++Pass) {
                    auto Slot = Pass == 0 ? FirstSlot : SecondSlot;
                    Load(X, Pass == 0 ? S.FirstB : S.SecondB);
                    X.FmulSt0(1);
                    Load(X, Pass == 0 ? S.FirstA : S.SecondA);
                    X.Fsubrp(1);
                    X.FdivSt0(2);  // (dq, q, b, a)
                    X.FstpDouble(Slot(A));
                }
                X.FstpSt(2);
                X.FstpSt(0);
            } else {
                X.FldSt(1);
                X.FdivSt0(1);  // (q, b, a)
                Load(X, S.FirstB);
                X.FmulSt0(1);
                Load(X, S.FirstA);
                X.Fsubrp(1);
                X.FdivSt0(2);  // (dq, q, b, a)
                if (Second) {
                    X.FldSt(0);
                    X.FstpDouble(FirstSlot(A));
                    X.FaddSt0(0);
                    Load(X, S.FirstB);
                    X.Fmulp(1);
                    Load(X, S.SecondA);
                    X.Fsubrp(1);
                    Load(X, S.SecondB);
                    X.FmulSt0(2);
                    X.Fsubp(1);
                    X.FdivSt0(2);
                    X.FstpDouble(SecondSlot(A));
                } else {
                    X.FstpDouble(FirstSlot(A));
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
                X.FstpDouble(FirstSlot(A));
            }
            if (Second || Two) {
                X.Fldz();
                X.FstpDouble(SecondSlot(A));
            }
            X.Bind(Done);
        }
    }

    void Unary(char C) {
        const int K = Depth;
        const ProgramOrder O = Order;
        const Sources S = SourcesOf(K, K);
        Snippet(1, [C, K, O, S](Emitter& X) { EmitUnary(X, C, K, O, S); });
        SetStored(K);
    }

    static void EmitUnary(Emitter& X, char C, int K, ProgramOrder O, const Sources& S) {
        if (C == formula::UnaryMinusKind) {
            X.Fchs();
            if (O != ProgramOrder::Value) {
                Load(X, S.FirstA);
                X.Fchs();
                X.FstpDouble(FirstSlot(K));
            }
            if (O == ProgramOrder::Second || O == ProgramOrder::TwoDirections) {
                Load(X, S.SecondA);
                X.Fchs();
                X.FstpDouble(SecondSlot(K));
            }
            return;
        }
        EmitFunction(X, C, O == ProgramOrder::TwoDirections ? ProgramOrder::First : O);
        if (O == ProgramOrder::First) {  // (v, p1): d := p1 dx
            X.Fxch(1);
            Load(X, S.FirstA);
            X.Fmulp(1);
            X.FstpDouble(FirstSlot(K));
        } else if (O == ProgramOrder::TwoDirections) {  // (v, p1): d := p1 dx, e := p1 ex
            X.Fxch(1);
            Load(X, S.FirstA);
            X.FmulSt0(1);
            X.FstpDouble(FirstSlot(K));
            Load(X, S.SecondA);
            X.Fmulp(1);
            X.FstpDouble(SecondSlot(K));
        } else if (O == ProgramOrder::Second) {  // (v, p1, p2): dd := p2 dx^2 + p1 ddx
            X.Fxch(2);
            Load(X, S.FirstA);
            X.FmulSt0(0);
            X.Fmulp(1);
            Load(X, S.SecondA);
            X.FmulSt0(2);
            X.Faddp(1);
            X.FstpDouble(SecondSlot(K));
            Load(X, S.FirstA);
            X.Fmulp(1);
            X.FstpDouble(FirstSlot(K));
        }
    }

    Emitter E;
    std::vector<std::array<Source, 2>> Derivatives;
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
