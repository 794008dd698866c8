// Copies of compiled formulas for other threads: they compute bit for bit what the original
// computes, outlive it, keep their own parameters, and run on several threads at once.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <thread>
#include <vector>

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "formula/x87/FloatingPointState.h"

namespace {

const char* const RealTexts[] = {"u^2 - v^2 + p*sin(3*u*v)", "exp(u)*cos(q*v) + arctan(u/v)",
                                 "sqrt(abs(u)) * ln(1 + v^2) / (p - q)",
                                 "sh(u)*ch(v) - tg(u*v/3) + arcsin(v/4)"};
const char* const ComplexTexts[] = {"z^3 - p*z", "sin(3z)/(z^2 - p)", "exp(conj(z)) + abs(z)*p",
                                    "arcsin(z/3) + ln(z) + sqrt(z p)"};

// The sample points: a grid that also crosses the formulas' singular places.
std::vector<double> Points() {
    std::vector<double> P;
    for (int I = -6; I <= 6; ++I) P.push_back(I / 3.0);
    return P;
}

uint64_t Bits(double X) { return std::bit_cast<uint64_t>(X); }

// Every program of the real formula at every point, as bit patterns (NaNs compare too).
std::vector<uint64_t> RealRuns(TOCFunctDDDoubleSafe& F) {
    std::vector<uint64_t> R;
    for (double U : Points())
        for (double V : Points()) {
            const double Value[2] = {U, V};
            R.push_back(Bits(F.Evaluate(Value)));
            const double First[4] = {U, V, 1, 0.5};
            DerivativeResult D;
            F.EvaluateWithDerivative(First, D);
            R.insert(R.end(), {Bits(D.Value), Bits(D.Derivative)});
            const double Second[6] = {U, V, 1, 0.5, 0.25, -1};
            SecondDerivativeResult S;
            F.EvaluateWithSecondDerivative(Second, S);
            R.insert(R.end(), {Bits(S.Value), Bits(S.Derivative), Bits(S.SecondDerivative)});
            TwoDerivativeResult T;
            F.EvaluateWithTwoDerivatives(Second, T);
            R.insert(R.end(), {Bits(T.Value), Bits(T.Derivative), Bits(T.OtherDerivative)});
        }
    return R;
}

std::vector<uint64_t> ComplexRuns(const TOCComplexFunction& W, std::complex<double> P) {
    std::vector<uint64_t> R;
    for (double X : Points())
        for (double Y : Points()) {
            const std::complex<double> In[2] = {P, {X, Y}};
            std::complex<double> Out;
            W.Evaluate(Out, In);
            R.insert(R.end(), {Bits(Out.real()), Bits(Out.imag())});
        }
    return R;
}

void CompileReal(TOCFunctDDDoubleSafe& F, const char* Text, FormulaBackend Backend) {
    F.SelectBackend(Backend);
    std::string Error;
    F.Compile(Text, "uv", "pq", Error);
    ASSERT_EQ(Error, "") << Text;
    const double Parameters[2] = {0.7, -1.3};
    F.SetParameters(Parameters);
}

}  // namespace

TEST(FormulaCopies, RealCopiesComputeWhatTheOriginalComputesOnEitherEngine) {
    for (FormulaBackend Backend : {FormulaBackend::Native, FormulaBackend::Interpreter})
        for (const char* Text : RealTexts) {
            TOCFunctDDDoubleSafe Original, Copy, LateCopy;
            CompileReal(Original, Text, Backend);
            // Copied before and after the derivative programs exist: both must agree.
            Copy.CopyFrom(Original);
            Original.GenerateAllPrograms();
            LateCopy.CopyFrom(Original);
            const std::vector<uint64_t> Expected = RealRuns(Original);
            EXPECT_EQ(RealRuns(Copy), Expected) << Text;
            EXPECT_EQ(RealRuns(LateCopy), Expected) << Text;
            EXPECT_EQ(LateCopy.ActiveBackend(), Original.ActiveBackend());
        }
}

TEST(FormulaCopies, ARealCopyOutlivesItsOriginalAndKeepsItsOwnParameters) {
    auto Original = std::make_unique<TOCFunctDDDoubleSafe>();
    CompileReal(*Original, RealTexts[0], FormulaBackend::Native);
    Original->GenerateAllPrograms();
    const std::vector<uint64_t> Expected = RealRuns(*Original);
    TOCFunctDDDoubleSafe Copy;
    Copy.CopyFrom(*Original);
    // New parameters for the original do not reach the copy, and recompiling or destroying
    // the original leaves the copy's shared code alive.
    const double Other[2] = {5, 6};
    Original->SetParameters(Other);
    std::string Error;
    Original->Compile("u + v", "uv", "pq", Error);
    Original.reset();
    EXPECT_EQ(RealRuns(Copy), Expected);

    TOCFunctDDDoubleSafe Empty, CopyOfEmpty;
    CopyOfEmpty.CopyFrom(Empty);
    const double At[2] = {1, 2};
    EXPECT_TRUE(std::isnan(CopyOfEmpty.Evaluate(At)));
    EXPECT_FALSE(CopyOfEmpty.IsCompiled());
}

TEST(FormulaCopies, ComplexCopiesComputeWhatTheOriginalComputesAndOutliveIt) {
    for (FormulaBackend Backend : {FormulaBackend::Native, FormulaBackend::Interpreter})
        for (const char* Text : ComplexTexts) {
            auto Original = std::make_unique<TOCComplexFunction>();
            Original->SelectBackend(Backend);
            Original->Compile(Text, "pz");
            TOCComplexFunction Copy;
            Copy.CopyFrom(*Original);
            const std::vector<uint64_t> Expected = ComplexRuns(*Original, {0.3, 0.2});
            EXPECT_EQ(Copy.IsHolomorphic(), Original->IsHolomorphic()) << Text;
            EXPECT_EQ(Copy.ActiveBackend(), Original->ActiveBackend()) << Text;
            Original.reset();
            EXPECT_EQ(ComplexRuns(Copy, {0.3, 0.2}), Expected) << Text;
        }
    TOCComplexFunction Empty, CopyOfEmpty;
    CopyOfEmpty.CopyFrom(Empty);
    EXPECT_FALSE(CopyOfEmpty.IsCompiled());
}

// Copies running at the same time on several threads (the ThreadSanitizer build checks that
// they share nothing writable), each thread in the computing state, give the serial results.
TEST(FormulaCopies, CopiesRunConcurrentlyWithTheSerialResults) {
    TOCFunctDDDoubleSafe X;
    CompileReal(X, RealTexts[1], FormulaBackend::Native);
    X.GenerateAllPrograms();
    TOCComplexFunction W;
    W.Compile(ComplexTexts[3], "pz");
    const std::vector<uint64_t> RealExpected = RealRuns(X);
    const std::vector<uint64_t> ComplexExpected = ComplexRuns(W, {0.5, 0.5});

    constexpr int Threads = 3;
    TOCFunctDDDoubleSafe XCopies[Threads];
    TOCComplexFunction WCopies[Threads];
    for (int I = 0; I < Threads; ++I) {
        XCopies[I].CopyFrom(X);
        WCopies[I].CopyFrom(W);
    }
    std::vector<uint64_t> RealGot[Threads], ComplexGot[Threads];
    uint16_t Words[Threads] = {};
    {
        std::vector<std::jthread> Workers;
        for (int I = 0; I < Threads; ++I)
            Workers.emplace_back([&, I] {
                SetComputingFloatState();
                Words[I] = CurrentX87ControlWord();
                for (int Round = 0; Round < 3; ++Round) {
                    RealGot[I] = RealRuns(XCopies[I]);
                    ComplexGot[I] = ComplexRuns(WCopies[I], {0.5, 0.5});
                }
            });
    }
    for (int I = 0; I < Threads; ++I) {
        EXPECT_EQ(RealGot[I], RealExpected) << "thread " << I;
        EXPECT_EQ(ComplexGot[I], ComplexExpected) << "thread " << I;
#if defined(__x86_64__)
        EXPECT_EQ(Words[I], ComputingX87ControlWord);
#endif
    }
}

#if defined(__x86_64__)
// A thread that starts from a changed state (say a library set single precision) is put back
// in the state the programs are written for.
TEST(FormulaCopies, TheComputingStateIsRestoredOnAThread) {
    std::jthread([] {
        const uint16_t Single = 0x007F;
        __asm__ volatile("fldcw %0" : : "m"(Single));
        EXPECT_EQ(CurrentX87ControlWord(), Single);
        SetComputingFloatState();
        EXPECT_EQ(CurrentX87ControlWord(), ComputingX87ControlWord);
        EXPECT_EQ(CurrentMxcsr() & 0xFFC0u, ComputingMxcsr & 0xFFC0u);
    }).join();
}
#endif
