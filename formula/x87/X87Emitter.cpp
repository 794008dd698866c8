// Instruction encodings of the x87 emitter and its register-stack bookkeeping.
#include "formula/x87/X87Emitter.h"

#include <algorithm>

namespace x87 {

Emitter::Emitter(int InitialDepth, int Cap)
    : CurrentDepth(InitialDepth), Deepest(InitialDepth), Capacity(Cap) {}

void Emitter::Dword(uint32_t V) {
    for (int I = 0; I < 4; ++I) Byte(static_cast<uint8_t>(V >> (8 * I)));
}

void Emitter::Push() {
    if (CurrentDepth >= Capacity) Ok = false;
    ++CurrentDepth;
    Deepest = std::max(Deepest, CurrentDepth);
}

void Emitter::Pop() {
    if (CurrentDepth <= 0) Ok = false;
    --CurrentDepth;
}

void Emitter::Need(int Entries) {
    if (CurrentDepth < Entries) Ok = false;
}

// ModRM with a base register and an 8- or 32-bit displacement; rsp and r12 as base need a
// SIB byte, and r8..r15 a REX.B prefix.
void Emitter::MemoryOperand(uint8_t Opcode, uint8_t Digit, Mem M) {
    uint8_t Base = static_cast<uint8_t>(M.Base);
    if (Base >= 8) Byte(0x41);
    Byte(Opcode);
    bool Short = M.Disp >= -128 && M.Disp <= 127;
    Byte(static_cast<uint8_t>((Short ? 0x40 : 0x80) | (Digit << 3) | (Base & 7)));
    if ((Base & 7) == 4) Byte(0x24);
    if (Short)
        Byte(static_cast<uint8_t>(static_cast<int8_t>(M.Disp)));
    else
        Dword(static_cast<uint32_t>(M.Disp));
}

void Emitter::StackRegister(uint8_t A, uint8_t B, int I) {
    if (I < 0 || I > 7) {
        Ok = false;
        I = 0;
    }
    Pair(A, static_cast<uint8_t>(B + I));
}

void Emitter::FldDouble(Mem M) { MemoryOperand(0xDD, 0, M); Push(); }
void Emitter::FldExtended(Mem M) { MemoryOperand(0xDB, 5, M); Push(); }
void Emitter::FstDouble(Mem M) { Need(1); MemoryOperand(0xDD, 2, M); }
void Emitter::FstpDouble(Mem M) { MemoryOperand(0xDD, 3, M); Pop(); }
void Emitter::FstpExtended(Mem M) { MemoryOperand(0xDB, 7, M); Pop(); }
void Emitter::FldSt(int I) { Need(I + 1); StackRegister(0xD9, 0xC0, I); Push(); }
void Emitter::FstpSt(int I) { Need(I + 1); StackRegister(0xDD, 0xD8, I); Pop(); }
void Emitter::Fxch(int I) { Need(I + 1); StackRegister(0xD9, 0xC8, I); }
void Emitter::FfreeDeepest(int I) {
    if (I != CurrentDepth - 1) Ok = false;
    StackRegister(0xDD, 0xC0, I);
    Pop();
}
void Emitter::Fdecstp() {
    // Rotates the deepest of eight entries to the top; only meaningful on a full stack.
    if (CurrentDepth != 8) Ok = false;
    Pair(0xD9, 0xF6);
}
void Emitter::Fld1() { Pair(0xD9, 0xE8); Push(); }
void Emitter::Fldz() { Pair(0xD9, 0xEE); Push(); }
void Emitter::Fldpi() { Pair(0xD9, 0xEB); Push(); }
void Emitter::Fldl2e() { Pair(0xD9, 0xEA); Push(); }
void Emitter::Fldln2() { Pair(0xD9, 0xED); Push(); }

void Emitter::Fchs() { Need(1); Pair(0xD9, 0xE0); }
void Emitter::Fabs() { Need(1); Pair(0xD9, 0xE1); }
void Emitter::Fsqrt() { Need(1); Pair(0xD9, 0xFA); }
void Emitter::Fsin() { Need(1); Pair(0xD9, 0xFE); }
void Emitter::Fcos() { Need(1); Pair(0xD9, 0xFF); }
void Emitter::Fsincos() { Need(1); Pair(0xD9, 0xFB); Push(); }
void Emitter::F2xm1() { Need(1); Pair(0xD9, 0xF0); }
void Emitter::Frndint() { Need(1); Pair(0xD9, 0xFC); }
void Emitter::Fscale() { Need(2); Pair(0xD9, 0xFD); }
void Emitter::Fprem() { Need(2); Pair(0xD9, 0xF8); }
void Emitter::Fptan() { Need(1); Pair(0xD9, 0xF2); Push(); }
void Emitter::Fpatan() { Need(2); Pair(0xD9, 0xF3); Pop(); }
void Emitter::Fyl2x() { Need(2); Pair(0xD9, 0xF1); Pop(); }
void Emitter::Fyl2xp1() { Need(2); Pair(0xD9, 0xF9); Pop(); }

void Emitter::FaddSt0(int I) { Need(I + 1); StackRegister(0xD8, 0xC0, I); }
void Emitter::FmulSt0(int I) { Need(I + 1); StackRegister(0xD8, 0xC8, I); }
void Emitter::FsubSt0(int I) { Need(I + 1); StackRegister(0xD8, 0xE0, I); }
void Emitter::FsubrSt0(int I) { Need(I + 1); StackRegister(0xD8, 0xE8, I); }
void Emitter::FdivSt0(int I) { Need(I + 1); StackRegister(0xD8, 0xF0, I); }
void Emitter::FdivrSt0(int I) { Need(I + 1); StackRegister(0xD8, 0xF8, I); }
void Emitter::Faddp(int I) { Need(I + 1); StackRegister(0xDE, 0xC0, I); Pop(); }
void Emitter::Fmulp(int I) { Need(I + 1); StackRegister(0xDE, 0xC8, I); Pop(); }
void Emitter::Fsubp(int I) { Need(I + 1); StackRegister(0xDE, 0xE8, I); Pop(); }
void Emitter::Fsubrp(int I) { Need(I + 1); StackRegister(0xDE, 0xE0, I); Pop(); }
void Emitter::Fdivp(int I) { Need(I + 1); StackRegister(0xDE, 0xF8, I); Pop(); }
void Emitter::Fdivrp(int I) { Need(I + 1); StackRegister(0xDE, 0xF0, I); Pop(); }
void Emitter::FaddDouble(Mem M) { Need(1); MemoryOperand(0xDC, 0, M); }
void Emitter::FsubDouble(Mem M) { Need(1); MemoryOperand(0xDC, 4, M); }
void Emitter::FmulDouble(Mem M) { Need(1); MemoryOperand(0xDC, 1, M); }

void Emitter::Fucomi(int I) { Need(I + 1); StackRegister(0xDB, 0xE8, I); }
void Emitter::Fucomip(int I) { Need(I + 1); StackRegister(0xDF, 0xE8, I); Pop(); }
void Emitter::FnstswAx() { Pair(0xDF, 0xE0); }
void Emitter::TestAh(uint8_t Mask) { Pair(0xF6, 0xC4); Byte(Mask); }

void Emitter::SubRsp(int32_t N) {
    Byte(0x48); Byte(0x81); Byte(0xEC); Dword(static_cast<uint32_t>(N));
}
void Emitter::AddRsp(int32_t N) {
    Byte(0x48); Byte(0x81); Byte(0xC4); Dword(static_cast<uint32_t>(N));
}
void Emitter::MovR10d(int32_t V) { Byte(0x41); Byte(0xBA); Dword(static_cast<uint32_t>(V)); }
void Emitter::DecR10d() { Byte(0x41); Byte(0xFF); Byte(0xCA); }
void Emitter::MovsdXmm0(Mem M) {
    Byte(0xF2);
    uint8_t Base = static_cast<uint8_t>(M.Base);
    if (Base >= 8) Byte(0x41);
    Byte(0x0F);
    // The opcode is two bytes here; the operand encoder writes the last one.
    MemoryOperand(0x10, 0, Mem{static_cast<Reg>(Base & 7), M.Disp});
}
void Emitter::Ret() {
    Byte(0xC3);
    Reachable = false;
}

Label Emitter::NewLabel() {
    Labels.emplace_back();
    return Label{static_cast<int>(Labels.size()) - 1};
}

void Emitter::ReachLabel(LabelState& L) {
    if (L.Depth < 0)
        L.Depth = CurrentDepth;
    else if (L.Depth != CurrentDepth)
        Ok = false;
}

void Emitter::Jump(Condition C, Label L) {
    if (L.Id < 0 || L.Id >= static_cast<int>(Labels.size())) {
        Ok = false;
        return;
    }
    LabelState& S = Labels[static_cast<size_t>(L.Id)];
    ReachLabel(S);
    Pair(0x0F, static_cast<uint8_t>(0x80 | static_cast<uint8_t>(C)));
    if (S.Position >= 0) {
        Dword(static_cast<uint32_t>(S.Position - static_cast<int>(Bytes.size()) - 4));
    } else {
        S.Patches.push_back(static_cast<int>(Bytes.size()));
        Dword(0);
    }
}

void Emitter::Jump(Label L) {
    if (L.Id < 0 || L.Id >= static_cast<int>(Labels.size())) {
        Ok = false;
        return;
    }
    LabelState& S = Labels[static_cast<size_t>(L.Id)];
    ReachLabel(S);
    Byte(0xE9);
    if (S.Position >= 0) {
        Dword(static_cast<uint32_t>(S.Position - static_cast<int>(Bytes.size()) - 4));
    } else {
        S.Patches.push_back(static_cast<int>(Bytes.size()));
        Dword(0);
    }
    Reachable = false;
}

void Emitter::Bind(Label L) {
    if (L.Id < 0 || L.Id >= static_cast<int>(Labels.size()) ||
        Labels[static_cast<size_t>(L.Id)].Position >= 0) {
        Ok = false;
        return;
    }
    LabelState& S = Labels[static_cast<size_t>(L.Id)];
    if (Reachable) {
        ReachLabel(S);
    } else if (S.Depth >= 0) {
        CurrentDepth = S.Depth;  // only reached by jumps: continue at their depth
    } else {
        Ok = false;  // code that nothing reaches
    }
    Reachable = true;
    S.Position = static_cast<int>(Bytes.size());
    for (int P : S.Patches) {
        uint32_t Rel = static_cast<uint32_t>(S.Position - (P + 4));
        for (int I = 0; I < 4; ++I) Bytes[static_cast<size_t>(P + I)] = static_cast<uint8_t>(Rel >> (8 * I));
    }
    S.Patches.clear();
}

}  // namespace x87
