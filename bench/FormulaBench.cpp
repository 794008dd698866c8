// Speed of compiled formulas: the value, first-order and second-order programs of three
// formulas, native and interpreted, against the same formulas written in C++, plus the cost
// of compiling a formula with both of its derivative programs.
//
// Every evaluation benchmark runs the same loop: one call per iteration, its input taken from
// a fixed table of 1024 points visited in turn, its result handed to DoNotOptimize. Only the
// callee differs, so the times per iteration are directly comparable. The C++ versions are
// called through a function pointer the optimiser cannot see through (it passes through
// DoNotOptimize on every iteration), so they are neither inlined nor specialised to constant
// inputs, just as the generated programs cannot be. They compute in double with the plain
// library functions; the generated programs compute in extended precision with the safe
// extensions, and that difference is part of what the ratios show.
//
// Before timing, every variant is checked against its C++ twin on all points, so a wrong
// hand-written derivative or a silent fallback to the interpreter cannot skew a ratio.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "formula/OCFunctDDDoubleSafe.h"
#include "formula/x87/FloatingPointState.h"

namespace {

// A power of two, so the point index wraps with a mask. 1024 points of 48 bytes stay in L1.
constexpr size_t PointCount = 1024;

// u, v, then the direction (hu, hv), then the second-order seed (ku, kv): the layout the
// evaluation calls take.
struct Point {
    double In[6];
};

// Parameter values p, q; none of them makes a term vanish.
constexpr double ParameterValues[2] = {1.25, -0.75};

// Deterministic pseudo-random points (splitmix64), the same on every run and machine.
const std::array<Point, PointCount>& Points() {
    static const std::array<Point, PointCount> Table = [] {
        std::array<Point, PointCount> T{};
        uint64_t State = 0x243F6A8885A308D3ull;
        auto Uniform = [&State](double Lo, double Hi) {
            State += 0x9E3779B97F4A7C15ull;
            uint64_t Z = State;
            Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
            Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
            Z ^= Z >> 31;
            return Lo + (Hi - Lo) * static_cast<double>(Z >> 11) * 0x1.0p-53;
        };
        for (Point& P : T) {
            P.In[0] = Uniform(-2.0, 2.0);  // u
            P.In[1] = Uniform(-2.0, 2.0);  // v
            for (int I = 2; I < 6; ++I) P.In[I] = Uniform(-1.0, 1.0);
        }
        return T;
    }();
    return Table;
}

// ---- The formulas written in C++. In: u, v, hu, hv, ku, kv; Pq: p, q. ----
// The first-order versions give f and grad f . h; the second-order versions add
// h' Hess f h + grad f . k, the second derivative along a curve with velocity h and
// acceleration k, which is what the second-order programs compute.

using ValueFunction = double (*)(const double* In, const double* Pq);
using FirstFunction = void (*)(const double* In, const double* Pq, DerivativeResult& R);
using SecondFunction = void (*)(const double* In, const double* Pq, SecondDerivativeResult& R);

// (a) p u^2 - v^3
double ValueA(const double* In, const double* Pq) {
    const double U = In[0], V = In[1], P = Pq[0];
    return P * U * U - V * V * V;
}
void FirstA(const double* In, const double* Pq, DerivativeResult& R) {
    const double U = In[0], V = In[1], Hu = In[2], Hv = In[3], P = Pq[0];
    const double Fu = 2.0 * P * U, Fv = -3.0 * V * V;
    R.Value = P * U * U - V * V * V;
    R.Derivative = Fu * Hu + Fv * Hv;
}
void SecondA(const double* In, const double* Pq, SecondDerivativeResult& R) {
    const double U = In[0], V = In[1], Hu = In[2], Hv = In[3], Ku = In[4], Kv = In[5];
    const double P = Pq[0];
    const double Fu = 2.0 * P * U, Fv = -3.0 * V * V;
    R.Value = P * U * U - V * V * V;
    R.Derivative = Fu * Hu + Fv * Hv;
    // f_uu = 2p, f_uv = 0, f_vv = -6v
    R.SecondDerivative = 2.0 * P * Hu * Hu - 6.0 * V * Hv * Hv + Fu * Ku + Fv * Kv;
}

// (b) sin(u) exp(v) + sqrt(u u + v v)
double ValueB(const double* In, const double*) {
    const double U = In[0], V = In[1];
    return std::sin(U) * std::exp(V) + std::sqrt(U * U + V * V);
}
void FirstB(const double* In, const double*, DerivativeResult& R) {
    const double U = In[0], V = In[1], Hu = In[2], Hv = In[3];
    const double E = std::exp(V);
    const double SinE = std::sin(U) * E, CosE = std::cos(U) * E;
    const double Radius = std::sqrt(U * U + V * V);
    R.Value = SinE + Radius;
    R.Derivative = CosE * Hu + SinE * Hv + (U * Hu + V * Hv) / Radius;
}
void SecondB(const double* In, const double*, SecondDerivativeResult& R) {
    const double U = In[0], V = In[1], Hu = In[2], Hv = In[3], Ku = In[4], Kv = In[5];
    const double E = std::exp(V);
    const double SinE = std::sin(U) * E, CosE = std::cos(U) * E;
    const double Radius = std::sqrt(U * U + V * V);
    // The root term along the curve: r' = (u u' + v v')/r, r'' = (|h|^2 + u ku + v kv - r'^2)/r.
    const double RadiusFirst = (U * Hu + V * Hv) / Radius;
    const double RadiusSecond =
        (Hu * Hu + Hv * Hv + U * Ku + V * Kv - RadiusFirst * RadiusFirst) / Radius;
    R.Value = SinE + Radius;
    R.Derivative = CosE * Hu + SinE * Hv + RadiusFirst;
    // sin(u) exp(v): f_uu = -sin e, f_uv = cos e, f_vv = sin e
    R.SecondDerivative = SinE * (Hv * Hv - Hu * Hu) + 2.0 * CosE * Hu * Hv + CosE * Ku +
                         SinE * Kv + RadiusSecond;
}

// (c) u^3 - 3 u v^2 + p u v - q v - 0.5
double ValueC(const double* In, const double* Pq) {
    const double U = In[0], V = In[1], P = Pq[0], Q = Pq[1];
    return U * U * U - 3.0 * U * V * V + P * U * V - Q * V - 0.5;
}
void FirstC(const double* In, const double* Pq, DerivativeResult& R) {
    const double U = In[0], V = In[1], Hu = In[2], Hv = In[3], P = Pq[0], Q = Pq[1];
    const double Fu = 3.0 * (U * U - V * V) + P * V, Fv = -6.0 * U * V + P * U - Q;
    R.Value = U * U * U - 3.0 * U * V * V + P * U * V - Q * V - 0.5;
    R.Derivative = Fu * Hu + Fv * Hv;
}
void SecondC(const double* In, const double* Pq, SecondDerivativeResult& R) {
    const double U = In[0], V = In[1], Hu = In[2], Hv = In[3], Ku = In[4], Kv = In[5];
    const double P = Pq[0], Q = Pq[1];
    const double Fu = 3.0 * (U * U - V * V) + P * V, Fv = -6.0 * U * V + P * U - Q;
    R.Value = U * U * U - 3.0 * U * V * V + P * U * V - Q * V - 0.5;
    R.Derivative = Fu * Hu + Fv * Hv;
    // f_uu = 6u, f_uv = p - 6v, f_vv = -6u
    R.SecondDerivative = 6.0 * U * (Hu * Hu - Hv * Hv) + 2.0 * (P - 6.0 * V) * Hu * Hv +
                         Fu * Ku + Fv * Kv;
}

struct FormulaCase {
    const char* Name;
    const char* Text;
    ValueFunction Value;
    FirstFunction First;
    SecondFunction Second;
};

// (c) compiles to 12 operations: the powers expand to u^3 = u sqr(u) and v^2 = sqr(v), which
// leaves 6 multiplications, 2 squares and 4 additions or subtractions.
const FormulaCase Cases[] = {
    {"a", "p u^2 - v^3", ValueA, FirstA, SecondA},
    {"b", "sin(u) exp(v) + sqrt(u u + v v)", ValueB, FirstB, SecondB},
    {"c", "u^3 - 3 u v^2 + p u v - q v - 0.5", ValueC, FirstC, SecondC},
};

// ---- The shared loop ----

template <class Evaluation>
void RunLoop(benchmark::State& State, Evaluation&& Evaluate) {
    // As every computation does: a benchmark that painted before leaves the vector registers'
    // upper halves in use, which slows all SSE code after it on some processors.
    ClearUpperVectorHalves();
    const Point* P = Points().data();
    size_t I = 0;
    for (auto _ : State) {
        auto Result = Evaluate(P[I].In);
        benchmark::DoNotOptimize(Result);
        I = (I + 1) & (PointCount - 1);
    }
    State.SetItemsProcessed(State.iterations());
}

enum class Engine { Cpp, Native, Interpreter };

const char* EngineName(Engine E) {
    switch (E) {
        case Engine::Cpp: return "Cpp";
        case Engine::Native: return "Native";
        case Engine::Interpreter: return "Interpreter";
    }
    return "?";
}

// Agreement of the double C++ twin with the extended-precision program.
bool Agrees(double Program, double Cpp) {
    return std::fabs(Program - Cpp) <= 1e-9 * (1.0 + std::fabs(Cpp));
}

// A compiled formula with all three programs generated on the requested engine, checked
// against its C++ twin on every point. Null (and the benchmark marked as failed) otherwise.
std::unique_ptr<TOCFunctDDDoubleSafe> Prepare(const FormulaCase& Case, Engine E,
                                              benchmark::State& State) {
    auto F = std::make_unique<TOCFunctDDDoubleSafe>();
    const FormulaBackend Backend =
        E == Engine::Native ? FormulaBackend::Native : FormulaBackend::Interpreter;
    F->SelectBackend(Backend);
    std::string Error;
    F->Compile(Case.Text, "uv", "pq", Error);
    if (!Error.empty()) {
        State.SkipWithError(("does not compile: " + Error).c_str());
        return nullptr;
    }
    if (F->ActiveBackend() != Backend) {
        State.SkipWithError("native code unavailable here; the interpreter would be timed");
        return nullptr;
    }
    F->SetParameters(ParameterValues);
    F->GenerateDerivativeCode();
    F->GenerateSecondDerivativeCode();
    for (const Point& P : Points()) {
        DerivativeResult D;
        SecondDerivativeResult S, Twin;
        F->EvaluateWithDerivative({P.In, 4}, D);
        F->EvaluateWithSecondDerivative({P.In, 6}, S);
        Case.Second(P.In, ParameterValues, Twin);
        const double V = F->Evaluate({P.In, 2});
        if (!Agrees(V, Case.Value(P.In, ParameterValues)) || !Agrees(D.Value, Twin.Value) ||
            !Agrees(D.Derivative, Twin.Derivative) || !Agrees(S.Value, Twin.Value) ||
            !Agrees(S.Derivative, Twin.Derivative) ||
            !Agrees(S.SecondDerivative, Twin.SecondDerivative)) {
            State.SkipWithError("program and C++ version disagree");
            return nullptr;
        }
    }
    return F;
}

void BenchValue(benchmark::State& State, const FormulaCase& Case, Engine E) {
    if (E == Engine::Cpp) {
        ValueFunction Function = Case.Value;
        RunLoop(State, [&](const double* In) {
            benchmark::DoNotOptimize(Function);
            return Function(In, ParameterValues);
        });
        return;
    }
    auto F = Prepare(Case, E, State);
    if (!F) return;
    RunLoop(State, [&](const double* In) { return F->Evaluate({In, 2}); });
}

void BenchFirst(benchmark::State& State, const FormulaCase& Case, Engine E) {
    if (E == Engine::Cpp) {
        FirstFunction Function = Case.First;
        RunLoop(State, [&](const double* In) {
            benchmark::DoNotOptimize(Function);
            DerivativeResult R;
            Function(In, ParameterValues, R);
            return R;
        });
        return;
    }
    auto F = Prepare(Case, E, State);
    if (!F) return;
    RunLoop(State, [&](const double* In) {
        DerivativeResult R;
        F->EvaluateWithDerivative({In, 4}, R);
        return R;
    });
}

void BenchSecond(benchmark::State& State, const FormulaCase& Case, Engine E) {
    if (E == Engine::Cpp) {
        SecondFunction Function = Case.Second;
        RunLoop(State, [&](const double* In) {
            benchmark::DoNotOptimize(Function);
            SecondDerivativeResult R;
            Function(In, ParameterValues, R);
            return R;
        });
        return;
    }
    auto F = Prepare(Case, E, State);
    if (!F) return;
    RunLoop(State, [&](const double* In) {
        SecondDerivativeResult R;
        F->EvaluateWithSecondDerivative({In, 6}, R);
        return R;
    });
}

// What a change of the formula text costs before drawing can start: the compilation (which
// builds the value program) and the generation of both derivative programs. The object is
// reused, as the program reuses it when the text changes, so the old programs are released
// inside the loop too.
void BenchCompile(benchmark::State& State, const FormulaCase& Case, Engine E) {
    TOCFunctDDDoubleSafe F;
    F.SelectBackend(E == Engine::Native ? FormulaBackend::Native : FormulaBackend::Interpreter);
    std::string Error;
    for (auto _ : State) {
        F.Compile(Case.Text, "uv", "pq", Error);
        F.GenerateDerivativeCode();
        F.GenerateSecondDerivativeCode();
        benchmark::ClobberMemory();
    }
    if (!Error.empty()) State.SkipWithError(("does not compile: " + Error).c_str());
    if (E == Engine::Native && F.ActiveBackend() != FormulaBackend::Native)
        State.SkipWithError("native code unavailable here; the interpreter was timed");
}

// Names read "<program>/<formula>/<engine>", e.g. "Value/a/Native", so a filter such as
// --benchmark_filter='/c/' picks one formula and 'Second/' one program.
[[maybe_unused]] const bool Registered = [] {
    const Engine Engines[] = {Engine::Cpp, Engine::Native, Engine::Interpreter};
    struct Program {
        const char* Name;
        void (*Run)(benchmark::State&, const FormulaCase&, Engine);
    };
    const Program Programs[] = {{"Value", BenchValue}, {"First", BenchFirst},
                                {"Second", BenchSecond}};
    for (const Program& Kind : Programs)
        for (const FormulaCase& Case : Cases)
            for (Engine E : Engines) {
                std::string Name = std::string(Kind.Name) + "/" + Case.Name + "/" + EngineName(E);
                auto Run = Kind.Run;
                benchmark::RegisterBenchmark(Name.c_str(), [Run, &Case, E](benchmark::State& S) {
                    Run(S, Case, E);
                });
            }
    for (Engine E : {Engine::Native, Engine::Interpreter}) {
        std::string Name = std::string("CompileWithDerivatives/c/") + EngineName(E);
        benchmark::RegisterBenchmark(Name.c_str(), [E](benchmark::State& S) {
            BenchCompile(S, Cases[2], E);
        })->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace
