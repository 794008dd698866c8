// Arbitrary bytes as formula text, real and complex. Compiling must never crash or hang, both
// engines must accept or refuse the same texts with the same message, a refused text must
// leave nothing to run, and every accepted formula must run all its programs on both engines,
// which must agree wherever both results are finite. Any violation aborts, so libFuzzer keeps
// the input.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

// Formula fields are short; longer inputs only slow the search down.
constexpr size_t MaxLength = 4096;

// Ordinary values, the edges of the safe extensions (0, ±1, the exponential cut, far outside)
// and assorted directions h and seeds k.
struct Point {
    double U, V, HU, HV, KU, KV;
};
constexpr Point Points[] = {
    {0.5, -1.25, 1, 0.5, 0.25, -1},
    {0, 0, 1, 1, 0, 0},
    {1, -1, -0.5, 2, 1, 1},
    {60, -1000, 1, -1, 0.5, 0.5},
    {-3.141592653589793, 1e-9, 0.3, 0.7, 0, 1},
};
constexpr double Parameters[2] = {0.75, -2};

// The engines are built to round identically; the rule below leaves room for nothing but
// what a future change of instruction order might introduce.
bool Agree(double A, double B) {
    if (!std::isfinite(A) || !std::isfinite(B)) return true;
    double Difference = std::fabs(A - B);
    return Difference <= 1e-300 || Difference <= 1e-12 * std::max(std::fabs(A), std::fabs(B));
}

[[noreturn]] void Fail(const std::string& Text, const char* What) {
    std::fprintf(stderr, "CompileFuzzer: %s for \"%s\"\n", What, Text.c_str());
    std::abort();
}

void Compare(const std::string& Text, const Point& X, const char* What, double Native,
             double Interpreted) {
    if (Agree(Native, Interpreted)) return;
    std::fprintf(stderr,
                 "CompileFuzzer: %s differs at u=%.17g v=%.17g h=(%.17g, %.17g) "
                 "k=(%.17g, %.17g): native %.17g, interpreter %.17g\n",
                 What, X.U, X.V, X.HU, X.HV, X.KU, X.KV, Native, Interpreted);
    Fail(Text, "the engines disagree");
}

// The same text as a complex formula w(p, z): compiling throws FormulaError or succeeds, and
// a compiled formula evaluates on every engine (they must agree) to a pair of numbers.
void FuzzComplex(const std::string& Text) {
    TOCComplexFunction Native, Interpreted;
    Native.SelectBackend(FormulaBackend::Native);
    Interpreted.SelectBackend(FormulaBackend::Interpreter);
    std::string NativeError, InterpretedError;
    try {
        Native.Compile(Text, "pz");
    } catch (const FormulaError& E) {
        NativeError = E.what();
    }
    try {
        Interpreted.Compile(Text, "pz");
    } catch (const FormulaError& E) {
        InterpretedError = E.what();
    }
    if (NativeError != InterpretedError) Fail(Text, "the complex engines do not accept the same texts");
    const std::complex<double> Inputs[][2] = {
        {{0.5, -0.25}, {1.5, 2}}, {{0, 0}, {0, 0}}, {{-2, 1}, {-1, 0}}, {{1, 1}, {60, -80}}};
    for (const auto& In : Inputs) {
        std::complex<double> A, B;
        if (!NativeError.empty()) {
            bool Refused = false;
            try {
                Native.Evaluate(A, In);
            } catch (const FormulaError&) {
                Refused = true;
            }
            if (!Refused) Fail(Text, "a refused complex formula still runs");
            continue;
        }
        Native.Evaluate(A, In);
        Interpreted.Evaluate(B, In);
        if (!Agree(A.real(), B.real()) || !Agree(A.imag(), B.imag()))
            Fail(Text, "the complex engines disagree");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    std::string Text(reinterpret_cast<const char*>(Data), std::min(Size, MaxLength));

    // Numeric fields take the same language; only FormulaError may come out of them.
    double Constant = 0;
    try {
        EvaluateConstantFormula(Text, Constant);
    } catch (const FormulaError&) {
    }

    FuzzComplex(Text);

    TOCFunctDDDoubleSafe Native, Interpreted;
    Native.SelectBackend(FormulaBackend::Native);
    Interpreted.SelectBackend(FormulaBackend::Interpreter);
    std::string NativeError, InterpretedError;
    Native.Compile(Text, "uv", "pq", NativeError);
    Interpreted.Compile(Text, "uv", "pq", InterpretedError);
    if (NativeError != InterpretedError || Native.IsCompiled() != Interpreted.IsCompiled())
        Fail(Text, "the engines do not accept the same texts");

    Native.SetParameters(Parameters);
    Interpreted.SetParameters(Parameters);
    for (const Point& X : Points) {
        const double Values[2] = {X.U, X.V};
        const double FirstInput[4] = {X.U, X.V, X.HU, X.HV};
        const double SecondInput[6] = {X.U, X.V, X.HU, X.HV, X.KU, X.KV};
        const double A = Native.Evaluate(Values), B = Interpreted.Evaluate(Values);
        DerivativeResult FirstA, FirstB;
        Native.EvaluateWithDerivative(FirstInput, FirstA);
        Interpreted.EvaluateWithDerivative(FirstInput, FirstB);
        SecondDerivativeResult SecondA, SecondB;
        Native.EvaluateWithSecondDerivative(SecondInput, SecondA);
        Interpreted.EvaluateWithSecondDerivative(SecondInput, SecondB);

        if (!NativeError.empty()) {
            // A refused text leaves nothing to run: every program answers NaN.
            if (!std::isnan(A) || !std::isnan(B) || !std::isnan(FirstA.Value) ||
                !std::isnan(SecondB.SecondDerivative))
                Fail(Text, "a refused formula still computes numbers");
            continue;
        }
        Compare(Text, X, "value", A, B);
        Compare(Text, X, "first-order value", FirstA.Value, FirstB.Value);
        Compare(Text, X, "first derivative", FirstA.Derivative, FirstB.Derivative);
        Compare(Text, X, "second-order value", SecondA.Value, SecondB.Value);
        Compare(Text, X, "second-order first derivative", SecondA.Derivative, SecondB.Derivative);
        Compare(Text, X, "second derivative", SecondA.SecondDerivative, SecondB.SecondDerivative);
    }
    return 0;
}
