// The instruction encoder: golden bytes for every form, the measured effect of the
// arithmetic forms whose operand order is easy to swap, and the stack-discipline checks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formula/x87/ExecutableMemory.h"
#include "formula/x87/X87Emitter.h"

namespace {

using x87::Condition;
using x87::Emitter;
using x87::Mem;
using x87::Reg;

std::vector<uint8_t> Bytes(const std::function<void(Emitter&)>& Emit) {
    Emitter E(4, 64);
    Emit(E);
    return E.Code();
}

TEST(X87Emitter, EncodesEachInstructionForm) {
    struct Golden {
        const char* Name;
        std::function<void(Emitter&)> Emit;
        std::vector<uint8_t> Expected;
    };
    const std::vector<Golden> Cases = {
        {"fld qword [rdi+8]", [](Emitter& E) { E.FldDouble({Reg::Rdi, 8}); }, {0xDD, 0x47, 0x08}},
        {"fld qword [rdi+400]", [](Emitter& E) { E.FldDouble({Reg::Rdi, 400}); },
         {0xDD, 0x87, 0x90, 0x01, 0x00, 0x00}},
        {"fld qword [rsi-8]", [](Emitter& E) { E.FldDouble({Reg::Rsi, -8}); }, {0xDD, 0x46, 0xF8}},
        {"fld tbyte [rsp]", [](Emitter& E) { E.FldExtended({Reg::Rsp, 0}); },
         {0xDB, 0x6C, 0x24, 0x00}},
        {"fld tbyte [r8+32]", [](Emitter& E) { E.FldExtended({Reg::R8, 32}); },
         {0x41, 0xDB, 0x68, 0x20}},
        {"fadd/fsub/fmul qword [rsi+24]",
         [](Emitter& E) { E.FaddDouble({Reg::Rsi, 24}); E.FsubDouble({Reg::Rsi, 24}); E.FmulDouble({Reg::Rsi, 24}); },
         {0xDC, 0x46, 0x18, 0xDC, 0x66, 0x18, 0xDC, 0x4E, 0x18}},
        {"fstp tbyte [rdx+16]", [](Emitter& E) { E.FstpExtended({Reg::Rdx, 16}); },
         {0xDB, 0x7A, 0x10}},
        {"fstp tbyte [rcx+4096]", [](Emitter& E) { E.FstpExtended({Reg::Rcx, 4096}); },
         {0xDB, 0xB9, 0x00, 0x10, 0x00, 0x00}},
        {"fstp qword [rsp-8]", [](Emitter& E) { E.FstpDouble({Reg::Rsp, -8}); },
         {0xDD, 0x5C, 0x24, 0xF8}},
        {"movsd xmm0, [rsp-8]", [](Emitter& E) { E.MovsdXmm0({Reg::Rsp, -8}); },
         {0xF2, 0x0F, 0x10, 0x44, 0x24, 0xF8}},
        {"fld st(3)", [](Emitter& E) { E.FldSt(3); }, {0xD9, 0xC3}},
        {"fstp st(1)", [](Emitter& E) { E.FstpSt(1); }, {0xDD, 0xD9}},
        {"fxch st(2)", [](Emitter& E) { E.Fxch(2); }, {0xD9, 0xCA}},
        {"ffree st(3)", [](Emitter& E) { E.FfreeDeepest(3); }, {0xDD, 0xC3}},
        {"constants", [](Emitter& E) { E.Fld1(); E.Fldz(); E.Fldpi(); E.Fldl2e(); E.Fldln2(); },
         {0xD9, 0xE8, 0xD9, 0xEE, 0xD9, 0xEB, 0xD9, 0xEA, 0xD9, 0xED}},
        {"unary", [](Emitter& E) { E.Fchs(); E.Fabs(); E.Fsqrt(); E.Fsin(); E.Fcos(); },
         {0xD9, 0xE0, 0xD9, 0xE1, 0xD9, 0xFA, 0xD9, 0xFE, 0xD9, 0xFF}},
        {"exponent helpers", [](Emitter& E) { E.F2xm1(); E.Frndint(); E.Fscale(); E.Fprem(); },
         {0xD9, 0xF0, 0xD9, 0xFC, 0xD9, 0xFD, 0xD9, 0xF8}},
        {"fptan fpatan fyl2x", [](Emitter& E) { E.Fptan(); E.Fpatan(); E.Fyl2x(); },
         {0xD9, 0xF2, 0xD9, 0xF3, 0xD9, 0xF1}},
        {"fsincos", [](Emitter& E) { E.Fsincos(); }, {0xD9, 0xFB}},
        {"st0 forms", [](Emitter& E) {
             E.FaddSt0(1); E.FmulSt0(2); E.FsubSt0(3); E.FsubrSt0(1); E.FdivSt0(2); E.FdivrSt0(3);
         },
         {0xD8, 0xC1, 0xD8, 0xCA, 0xD8, 0xE3, 0xD8, 0xE9, 0xD8, 0xF2, 0xD8, 0xFB}},
        {"popping forms", [](Emitter& E) { E.Faddp(); E.Fmulp(); E.Fsubp(); },
         {0xDE, 0xC1, 0xDE, 0xC9, 0xDE, 0xE9}},
        {"popping divisions", [](Emitter& E) { E.Fsubrp(); E.Fdivp(); E.Fdivrp(); },
         {0xDE, 0xE1, 0xDE, 0xF9, 0xDE, 0xF1}},
        {"compare", [](Emitter& E) { E.Fucomi(2); E.Fucomip(1); E.FnstswAx(); E.TestAh(4); },
         {0xDB, 0xEA, 0xDF, 0xE9, 0xDF, 0xE0, 0xF6, 0xC4, 0x04}},
        {"machine stack", [](Emitter& E) { E.SubRsp(16); E.AddRsp(16); },
         {0x48, 0x81, 0xEC, 0x10, 0, 0, 0, 0x48, 0x81, 0xC4, 0x10, 0, 0, 0}},
        {"counter", [](Emitter& E) { E.MovR10d(7); E.DecR10d(); E.Ret(); },
         {0x41, 0xBA, 0x07, 0, 0, 0, 0x41, 0xFF, 0xCA, 0xC3}},
        {"forward jump", [](Emitter& E) {
             x87::Label L = E.NewLabel();
             E.Jump(Condition::Above, L);
             E.Fchs();
             E.Bind(L);
         },
         {0x0F, 0x87, 0x02, 0, 0, 0, 0xD9, 0xE0}},
        {"backward jump", [](Emitter& E) {
             x87::Label L = E.NewLabel();
             E.Bind(L);
             E.Jump(L);
         },
         {0xE9, 0xFB, 0xFF, 0xFF, 0xFF}},
    };
    for (const Golden& G : Cases) EXPECT_EQ(Bytes(G.Emit), G.Expected) << G.Name;
}

TEST(X87Emitter, DetectsBrokenStackDiscipline) {
    {
        Emitter E;
        for (int I = 0; I < 8; ++I) E.Fld1();
        EXPECT_TRUE(E.Valid());
        E.Fld1();  // a ninth entry overwrites the deepest
        EXPECT_FALSE(E.Valid());
    }
    {
        Emitter E;
        E.Faddp();  // nothing to add
        EXPECT_FALSE(E.Valid());
    }
    {
        Emitter E(1);
        x87::Label L = E.NewLabel();
        E.Jump(Condition::Equal, L);
        E.Fld1();  // falls through with one more entry than the jump
        E.Bind(L);
        EXPECT_FALSE(E.Valid());
    }
    {
        Emitter E(2);
        E.FfreeDeepest(0);  // st0 is not the deepest of two
        EXPECT_FALSE(E.Valid());
    }
    {
        Emitter E(1);
        x87::Label L = E.NewLabel(), Done = E.NewLabel();
        E.Jump(Condition::Equal, L);
        E.Fchs();
        E.Jump(Done);
        E.Bind(L);
        E.Fabs();
        E.Bind(Done);
        EXPECT_TRUE(E.Valid());
        EXPECT_EQ(E.Depth(), 1);
    }
}

// Runs st1 = 5, st0 = 2 through one instruction and returns what is left on top.
double RunOnFiveAndTwo(const std::function<void(Emitter&)>& Operation) {
    Emitter E;
    E.FldDouble({Reg::Rdi, 0});
    E.FldDouble({Reg::Rdi, 8});
    Operation(E);
    while (E.Depth() > 1) E.FstpSt(1);
    E.FstpDouble({Reg::Rsp, -8});
    E.MovsdXmm0({Reg::Rsp, -8});
    E.Ret();
    EXPECT_TRUE(E.Valid());
    auto Block = ExecutableBlock::Create(E.Code());
    if (!Block) return -999;
    auto Entry = reinterpret_cast<double (*)(const double*)>(const_cast<void*>(Block->Entry()));
    const double Operands[] = {5.0, 2.0};
    return Entry(Operands);
}

TEST(X87Emitter, ArithmeticFormsHaveTheirNamedEffect) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code here";
    struct Effect {
        const char* Name;
        std::function<void(Emitter&)> Emit;
        double Expected;
    };
    const std::vector<Effect> Cases = {
        {"faddp: st1 + st0", [](Emitter& E) { E.Faddp(); }, 7},
        {"fsubp: st1 - st0", [](Emitter& E) { E.Fsubp(); }, 3},
        {"fsubrp: st0 - st1", [](Emitter& E) { E.Fsubrp(); }, -3},
        {"fdivp: st1 / st0", [](Emitter& E) { E.Fdivp(); }, 2.5},
        {"fdivrp: st0 / st1", [](Emitter& E) { E.Fdivrp(); }, 0.4},
        {"fsub st0, st1: st0 - st1", [](Emitter& E) { E.FsubSt0(1); }, -3},
        {"fsubr st0, st1: st1 - st0", [](Emitter& E) { E.FsubrSt0(1); }, 3},
        {"fdiv st0, st1: st0 / st1", [](Emitter& E) { E.FdivSt0(1); }, 0.4},
        {"fdivr st0, st1: st1 / st0", [](Emitter& E) { E.FdivrSt0(1); }, 2.5},
        {"fmul st0, st0", [](Emitter& E) { E.FmulSt0(0); }, 4},
        {"fxch then fstp st1 keeps the old st1", [](Emitter& E) { E.Fxch(1); }, 5},
        {"fld st1 copies the deeper entry", [](Emitter& E) { E.FldSt(1); E.Faddp(); }, 7},
        {"fpatan: atan2(st1, st0)", [](Emitter& E) { E.Fpatan(); }, std::atan2(5.0, 2.0)},
        {"fyl2x: st1 log2 st0", [](Emitter& E) { E.Fyl2x(); }, 5.0},
        {"fscale: st0 2^st1", [](Emitter& E) { E.Fxch(1); E.Fscale(); }, 20.0},
        {"fsincos: cos on top, sin below", [](Emitter& E) { E.Fsincos(); }, std::cos(2.0)},
        {"fsincos then fstp st0 leaves sin",
         [](Emitter& E) { E.Fsincos(); E.FstpSt(0); }, std::sin(2.0)},
    };
    for (const Effect& C : Cases) EXPECT_DOUBLE_EQ(RunOnFiveAndTwo(C.Emit), C.Expected) << C.Name;
}

TEST(ExecutableMemory, RefusalIsReportedAsNoBlock) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code here";
    const std::vector<uint8_t> Ret = {0xC3};
    EXPECT_NE(ExecutableBlock::Create(Ret), nullptr);
    ExecutableBlock::RefuseForTesting(true);
    EXPECT_EQ(ExecutableBlock::Create(Ret), nullptr);
    ExecutableBlock::RefuseForTesting(false);
    EXPECT_EQ(ExecutableBlock::Create({}), nullptr);
}

// A compiled block may be held by an object that lives for the whole run and was made before
// any block existed (a scene of static storage); its release during exit must find the pool of
// kept blocks still there. The child process runs only this test, so the pool is made after
// the holder, and is the first to go if it is an ordinary static.
TEST(ExecutableMemory, ABlockReleasedDuringExitIsSafe) {
    if (!ExecutableBlock::NativeCodeSupported()) GTEST_SKIP() << "no native code here";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::vector<std::unique_ptr<ExecutableBlock>> Held;
            const std::vector<uint8_t> Ret = {0xC3};
            for (int I = 0; I < 3; ++I) Held.push_back(ExecutableBlock::Create(Ret));
            ExecutableBlock::Create(Ret).reset();  // one block kept in the pool at once
            std::exit(Held.back() ? 7 : 8);
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
