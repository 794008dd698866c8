// Typed emitters for the x86-64 instructions the formula code generators use: one function
// per instruction form. The emitter also follows the depth of the x87 register stack, so
// that a generator mistake (an overflow, a pop of an empty stack, paths that meet with
// different depths) is detected when the code is built, never when it runs.
#pragma once

#include <cstdint>
#include <vector>

namespace x87 {

enum class Reg : uint8_t { Rax, Rcx, Rdx, Rbx, Rsp, Rbp, Rsi, Rdi, R8, R9, R10, R11 };

struct Mem {
    Reg Base;
    int32_t Disp;
};

// Conditions after fucomi/fcomi, which set CF, ZF and PF like an unsigned compare of
// st(0) with st(i); all three are set when the operands are unordered.
enum class Condition : uint8_t {
    Below = 0x2,         // st0 < st(i) or unordered
    AboveOrEqual = 0x3,  // st0 >= st(i), ordered
    Equal = 0x4,         // equal or unordered (also "zero" after test)
    NotEqual = 0x5,
    BelowOrEqual = 0x6,  // st0 <= st(i) or unordered
    Above = 0x7,         // st0 > st(i), ordered
    Unordered = 0xA,     // one of the two is not a number (parity set)
};

struct Label {
    int Id = -1;
};

class Emitter {
public:
    // Capacity: registers available (8 on the real unit; tests and measurements may use more).
    explicit Emitter(int InitialDepth = 0, int Capacity = 8);

    // Loads and stores. Loads push, "p" forms pop.
    void FldDouble(Mem M);
    void FldExtended(Mem M);
    void FstDouble(Mem M);
    void FstpDouble(Mem M);
    void FstpExtended(Mem M);
    void FldSt(int I);    // push a copy of st(i)
    void FstpSt(int I);   // st(i) := st0, pop
    void Fxch(int I);
    void FfreeDeepest(int I);  // tag st(i), the deepest entry, empty
    void Fdecstp();
    void Fld1();
    void Fldz();
    void Fldpi();
    void Fldl2e();
    void Fldln2();

    // st0 in place.
    void Fchs();
    void Fabs();
    void Fsqrt();
    void Fsin();
    void Fcos();
    void Fsincos();  // (x) -> (cos x, sin x)
    void F2xm1();
    void Frndint();
    void Fscale();
    void Fprem();
    void Fptan();   // pushes 1 above tan
    void Fpatan();  // st1 := atan2(st1, st0), pop
    void Fyl2x();   // st1 := st1 * log2(st0), pop
    void Fyl2xp1(); // st1 := st1 * log2(st0 + 1), pop; |st0| < 1 - sqrt(2)/2

    // Arithmetic between st0 and st(i). The names say which register receives the result.
    void FaddSt0(int I);          // st0 := st0 + st(i)
    void FmulSt0(int I);          // st0 := st0 * st(i)
    void FsubSt0(int I);          // st0 := st0 - st(i)
    void FsubrSt0(int I);         // st0 := st(i) - st0
    void FdivSt0(int I);          // st0 := st0 / st(i)
    void FdivrSt0(int I);         // st0 := st(i) / st0
    void Faddp(int I = 1);        // st(i) := st(i) + st0, pop
    void Fmulp(int I = 1);        // st(i) := st(i) * st0, pop
    void Fsubp(int I = 1);        // st(i) := st(i) - st0, pop
    void Fsubrp(int I = 1);       // st(i) := st0 - st(i), pop
    void Fdivp(int I = 1);        // st(i) := st(i) / st0, pop
    void Fdivrp(int I = 1);       // st(i) := st0 / st(i), pop
    void FaddDouble(Mem M);       // st0 := st0 + m64
    void FsubDouble(Mem M);       // st0 := st0 - m64
    void FmulDouble(Mem M);       // st0 := st0 * m64

    // Comparisons into EFLAGS.
    void Fucomi(int I);   // compare st0 with st(i)
    void Fucomip(int I);  // the same, then pop
    void FnstswAx();
    void TestAh(uint8_t Mask);

    // Integer and control instructions.
    void SubRsp(int32_t Bytes);
    void AddRsp(int32_t Bytes);
    void MovR10d(int32_t Value);
    void DecR10d();
    void MovsdXmm0(Mem M);
    void Ret();

    Label NewLabel();
    void Jump(Condition C, Label L);
    void Jump(Label L);
    void Bind(Label L);

    const std::vector<uint8_t>& Code() const { return Bytes; }
    int Depth() const { return CurrentDepth; }
    int MaxDepth() const { return Deepest; }
    // False once any instruction broke the stack discipline; the code must not run then.
    bool Valid() const { return Ok; }

private:
    struct LabelState {
        int Position = -1;
        int Depth = -1;
        std::vector<int> Patches;  // offsets of rel32 fields
    };
    void Byte(uint8_t B) { Bytes.push_back(B); }
    void Dword(uint32_t V);
    void MemoryOperand(uint8_t Opcode, uint8_t Digit, Mem M);
    void Pair(uint8_t A, uint8_t B) {
        Byte(A);
        Byte(B);
    }
    void StackRegister(uint8_t A, uint8_t B, int I);  // A, B + i with 0 <= i <= 7
    void Push();
    void Pop();
    void Need(int Entries);
    void ReachLabel(LabelState& L);

    std::vector<uint8_t> Bytes;
    std::vector<LabelState> Labels;
    int CurrentDepth;
    int Deepest;
    int Capacity;
    bool Reachable = true;
    bool Ok = true;
};

}  // namespace x87
