// The complex code generator. Registers hold the top complex entries (at most four); deeper
// entries are spilled in pairs to the machine stack in extended precision. The snippets
// follow, operation by operation, the building blocks of SafeComplex.h, so that native and
// interpreted results are identical.
#include "formula/x87/ComplexCodeGenerator.h"

#include <functional>

#include "formula/language/FormulaLanguage.h"
#include "formula/x87/ComplexFunctionSnippets.h"
#include "formula/x87/X87Emitter.h"
#include "formula/x87/X87Spilling.h"

namespace {

using x87::Emitter;
using x87::Mem;
using x87::Reg;
using namespace complex_snippets;

class Generator {
public:
    explicit Generator(int LetterCount) : Letters(LetterCount) {}

    bool Generate(const std::string& Postfix, std::vector<uint8_t>& Code) {
        for (size_t I = 0; I < Postfix.size() && Ok; ++I) {
            char C = Postfix[I];
            if (C == formula::ReferenceKind) {
                if (I + 1 >= Postfix.size()) return false;
                Operand(C, static_cast<unsigned char>(Postfix[++I]));
            } else if (C == formula::OneKind || C == formula::PiKind ||
                       C == formula::ImaginaryKind) {
                Operand(C, 0);
            } else if (formula::IsArithmeticCode(C)) {
                while (Ok && InRegisters() < 4) RestoreEntry();
                Snippet(4, [C](Emitter& X) { EmitBinary(X, C); });
                Free += 2;
                --Depth;
            } else if (C == formula::UnaryMinusKind || HasNativeForm(C)) {
                Snippet(2, [C](Emitter& X) { EmitFunction(X, C); });
            } else {
                return false;
            }
            if (E.Depth() != 8 - Free) Ok = false;
        }
        if (!Ok || Depth != 1 || Spilled != 0 || Free != 6) return false;
        E.FstpDouble(Mem{Reg::Rdx, 0});
        E.FstpDouble(Mem{Reg::Rdx, 8});
        E.Ret();
        if (!E.Valid() || E.Depth() != 0) return false;
        Code.insert(Code.end(), E.Code().begin(), E.Code().end());
        return true;
    }

private:
    int InRegisters() const { return 8 - Free; }

    // One register of the deepest entry to the machine stack (the imaginary part first, so
    // that the real part ends at the lower address).
    void SpillRegister() {
        x87::SpillDeepestRegister(E, InRegisters());
        ++Free;
    }

    void SpillEntry() {
        if (InRegisters() < 2) {
            Ok = false;
            return;
        }
        SpillRegister();
        SpillRegister();
        ++Spilled;
    }

    // Brings the entry spilled last back below the one entry in registers.
    void RestoreEntry() {
        if (Spilled <= 0 || InRegisters() != 2) {
            Ok = false;
            return;
        }
        E.FldExtended(Mem{Reg::Rsp, x87::SpillBytes});  // im2
        E.Fxch(2);
        E.Fxch(1);  // (re1, im1, im2)
        E.FldExtended(Mem{Reg::Rsp, 0});  // re2
        E.Fxch(2);
        E.Fxch(1);  // (re1, im1, re2, im2)
        E.AddRsp(2 * x87::SpillBytes);
        --Spilled;
        Free -= 2;
    }

    void MakeFree(int N) {
        while (Ok && Free < N) SpillEntry();
    }

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
        MakeFree(2);
        ++Depth;
        if (C == formula::OneKind) {
            E.Fldz();
            E.Fld1();
        } else if (C == formula::PiKind) {
            E.Fldz();
            E.Fldpi();
        } else if (C == formula::ImaginaryKind) {
            E.Fld1();
            E.Fldz();
        } else if (N <= Letters) {
            E.FldDouble(Mem{Reg::Rdi, (2 * (N - 1) + 1) * 8});
            E.FldDouble(Mem{Reg::Rdi, 2 * (N - 1) * 8});
        } else {
            int Slot = N - Letters;
            E.FldDouble(Mem{Reg::Rsi, (2 * Slot + 1) * 8});
            E.FldDouble(Mem{Reg::Rsi, 2 * Slot * 8});
        }
        Free -= 2;
    }

    Emitter E;
    int Letters;
    int Free = 8;
    int Spilled = 0;  // complex entries on the machine stack
    int Depth = 0;
    bool Ok = true;
};

}  // namespace

bool ComplexCodeIsNative(const std::string& Postfix) {
    for (size_t I = 0; I < Postfix.size(); ++I) {
        char C = Postfix[I];
        if (C == formula::ReferenceKind) {
            ++I;
        } else if (formula::IsFunctionCode(C) && !HasNativeForm(C)) {
            return false;
        }
    }
    return true;
}

bool GenerateComplexProgram(const std::string& Postfix, int LetterCount,
                            std::vector<uint8_t>& Code) {
    Generator G(LetterCount);
    return G.Generate(Postfix, Code);
}

const long double* ComplexTable() { return complex_snippets::Table(); }
