// Speed of compiled complex formulas, native and interpreted, against the same formulas
// written in C++ with std::complex<double> and compiled with -O2. Every variant runs the same
// loop over 1024 fixed points (p, z), its result handed to DoNotOptimize; the C++ versions are
// called through a function pointer the optimiser cannot see through.
#include <benchmark/benchmark.h>

#include <array>
#include <complex>
#include <cstdint>
#include <string>

#include "formula/OCComplexFunct.h"
#include "formula/x87/FloatingPointState.h"

namespace {

using C = std::complex<double>;
constexpr size_t PointCount = 1024;

struct Point {
    C In[2];  // p, z
};

const std::array<Point, PointCount>& Points() {
    static const std::array<Point, PointCount> Table = [] {
        std::array<Point, PointCount> T{};
        uint64_t State = 0x13198A2E03707344ull;
        auto Uniform = [&State](double Lo, double Hi) {
            State += 0x9E3779B97F4A7C15ull;
            uint64_t Z = State;
            Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
            Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
            Z ^= Z >> 31;
            return Lo + (Hi - Lo) * static_cast<double>(Z >> 11) * 0x1.0p-53;
        };
        for (Point& P : T) {
            P.In[0] = {Uniform(-1, 1), Uniform(-1, 1)};
            P.In[1] = {Uniform(-2, 2), Uniform(-2, 2)};
        }
        return T;
    }();
    return Table;
}

using Function = C (*)(C P, C Z);

C DefaultMap(C P, C Z) { return Z * (1.0 - P) + P * std::cos(Z); }
C Moebius(C P, C Z) { return (P * Z + 1.0) / (Z - 1.0); }
C Transcendental(C P, C Z) { return std::log(Z) + std::sqrt(Z * P) - std::asin(Z / 3.0); }

struct FormulaCase {
    const char* Name;
    const char* Text;
    Function Cpp;
};

const FormulaCase Cases[] = {
    {"map", "z(1-p) + p cos(z)", DefaultMap},
    {"moebius", "(p z + 1)/(z - 1)", Moebius},
    {"ln-sqrt-arcsin", "ln(z) + sqrt(z p) - arcsin(z/3)", Transcendental},
};

template <class Body>
void RunLoop(benchmark::State& State, Body&& Evaluate) {
    ClearUpperVectorHalves();  // as every computation does, after a benchmark that painted
    const auto& P = Points();
    size_t I = 0;
    for (auto _ : State) {
        C W = Evaluate(P[I].In);
        benchmark::DoNotOptimize(W);
        I = (I + 1) & (PointCount - 1);
    }
    State.SetItemsProcessed(State.iterations());
}

void BenchCpp(benchmark::State& State, const FormulaCase& Case) {
    Function F = Case.Cpp;
    RunLoop(State, [&](const C* In) {
        benchmark::DoNotOptimize(F);
        return F(In[0], In[1]);
    });
}

void BenchCompiled(benchmark::State& State, const FormulaCase& Case, FormulaBackend Backend) {
    TOCComplexFunction F;
    F.SelectBackend(Backend);
    F.Compile(Case.Text, "pz");
    State.SetLabel(F.ActiveBackend() == FormulaBackend::Native ? "native code"
                                                                : "interpreted");
    RunLoop(State, [&](const C* In) {
        C W;
        F.Evaluate(W, std::span<const C>(In, 2));
        return W;
    });
}

int Register() {
    for (const FormulaCase& Case : Cases) {
        std::string Base = std::string("Complex/") + Case.Name;
        benchmark::RegisterBenchmark((Base + "/Cpp").c_str(), BenchCpp, Case);
        benchmark::RegisterBenchmark((Base + "/Native").c_str(), BenchCompiled, Case,
                                     FormulaBackend::Native);
        benchmark::RegisterBenchmark((Base + "/Interpreter").c_str(), BenchCompiled, Case,
                                     FormulaBackend::Interpreter);
    }
    return 0;
}
const int Registered = Register();

}  // namespace
