// Compiled real formulas: x(u,v)-style texts become straight-line programs that compute the
// value and, on request, first and second directional derivatives with safe extensions.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "formula/FormulaBackend.h"
#include "formula/interpreter/PostfixInterpreter.h"

struct DerivativeResult {
    double Value;
    double Derivative;
};

// Derivatives along two directions of one point, from one run.
struct TwoDerivativeResult {
    double Value;
    double Derivative;       // along the first direction
    double OtherDerivative;  // along the second
};

struct SecondDerivativeResult {
    double Value;
    double Derivative;
    double SecondDerivative;
};

class FormulaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class NativeProgram;

class TOCFunctDDDoubleSafe {
public:
    TOCFunctDDDoubleSafe();
    ~TOCFunctDDDoubleSafe();
    TOCFunctDDDoubleSafe(const TOCFunctDDDoubleSafe&) = delete;
    TOCFunctDDDoubleSafe& operator=(const TOCFunctDDDoubleSafe&) = delete;

    // On failure ErrorMsg holds the user-facing message and the object has no program:
    // evaluations then return NaN until a later Compile succeeds.
    void Compile(const std::string& Formula, const std::string& Variables,
                 const std::string& Parameters, std::string& ErrorMsg);

    // Copies Values into the parameter slots when 1 <= size <= ParameterCount, else nothing.
    void SetParameters(std::span<const double> Values);

    // Value program. Values holds one entry per variable; fewer entries give NaN.
    // Inline, because it runs thousands of times per drawing.
    double Evaluate(std::span<const double> Values) const {
        if (ValueEntry && Values.size() >= static_cast<size_t>(Variables))
            return ValueEntry(Values.data(), ConstantSlots.data(), nullptr, nullptr, SafeTable);
        return EvaluateInterpreted(Values);
    }

    void GenerateDerivativeCode();
    void GenerateSecondDerivativeCode();
    // Generates every program a drawing may run (value, one and two directions, second
    // order) that is not there yet, so that copies share them instead of each making its own.
    void GenerateAllPrograms();

    // Makes this object a copy of Other for use on another thread: the same formula, backend
    // and parameter values; native programs are shared (their code is read-only and every
    // run gets its scratch from the object that runs it), while constants, derivative stacks
    // and interpreter programs (which keep their stack) are this object's own.
    void CopyFrom(const TOCFunctDDDoubleSafe& Other);
    // The same with the value program only: it reads nothing of Other that a derivative
    // program generated on first use writes, so it may copy a formula that another thread is
    // running meanwhile.
    void CopyValueFrom(const TOCFunctDDDoubleSafe& Other);

    // Values: the variables, then the direction h (and for the second order the seed k).
    // A missing program is generated on first use; too short an input array gives NaN.
    void EvaluateWithDerivative(std::span<const double> Values, DerivativeResult& R);
    void EvaluateWithSecondDerivative(std::span<const double> Values, SecondDerivativeResult& R);
    // Values: the variables, then two directions; each derivative is bit for bit the one
    // EvaluateWithDerivative gives for that direction, at about the cost of one such call.
    void EvaluateWithTwoDerivatives(std::span<const double> Values, TwoDerivativeResult& R);

    // Selects the engine of programs generated from now on (tests and benchmarks compare them).
    // Native code falls back to the interpreter where executable memory is not available.
    void SelectBackend(FormulaBackend Backend);
    // The engine that actually runs the value program (Interpreter after a fallback).
    FormulaBackend ActiveBackend() const;

    bool IsCompiled() const { return Compiled; }
    const std::string& Postfix() const { return PostfixCode; }
    int32_t VariableCount() const { return Variables; }
    const std::vector<double>& Constants() const { return ConstantSlots; }
    // True when the postfix code reads variable number n (1-based).
    bool UsesVariable(int n) const;

private:
    void ResetPrograms();
    void CopyPrograms(const TOCFunctDDDoubleSafe& Other, size_t Orders);
    double EvaluateInterpreted(std::span<const double> Values) const;
    void GenerateProgram(ProgramOrder Order);

    std::vector<double> ConstantSlots;
    std::vector<double> FirstStack;
    std::vector<double> SecondStack;
    int32_t Variables = 0;
    int32_t Parameters = 0;
    std::string PostfixCode;
    int MaxDepth = 0;
    bool Compiled = false;
    FormulaBackend Requested = FormulaBackend::Native;

    // One program per order (value, first, second, two directions); native code where
    // available,
    // otherwise the decoded interpreter program.
    std::shared_ptr<const NativeProgram> Native[4];
    // The entry of the native value program, or null: the quickest way to it.
    double (*ValueEntry)(const double*, const double*, double*, double*,
                         const long double*) = nullptr;
    const long double* SafeTable = nullptr;
    std::unique_ptr<InterpretedProgram> Interpreted[4];
};

// Evaluates the text of a numeric field ("cos(pi/sqrt(5))"). Throws FormulaError with the
// compiler's message when the text does not compile, and with a clear message when it
// mentions a variable letter; Value is 0 after a failure.
void EvaluateConstantFormula(const std::string& Text, double& Value);
