// Compiled complex formulas: w(z) texts with complex inputs such as the parameter p become
// programs that map complex inputs to a complex result, with safe extensions throughout.
#pragma once

#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formula/FormulaBackend.h"
#include "formula/OCFunctDDDoubleSafe.h"  // FormulaError

class ComplexProgram;
class ExecutableBlock;

class TOCComplexFunction {
public:
    TOCComplexFunction();
    ~TOCComplexFunction();
    TOCComplexFunction(const TOCComplexFunction&) = delete;
    TOCComplexFunction& operator=(const TOCComplexFunction&) = delete;

    // Letters: one input per letter, in order ("pz": input 1 is p, input 2 is z); empty means
    // the eleven letters P..Z. Throws FormulaError with the user's message on failure, and
    // leaves the object without a program.
    void Compile(const std::string& Formula, const std::string& Letters);

    // Inputs: one value per letter. Throws FormulaError when no formula is compiled or when
    // fewer inputs are given than the letters of the last compilation.
    void Evaluate(std::complex<double>& Result,
                  std::span<const std::complex<double>> Inputs) const;

    // Makes this object a copy of Other for use on another thread: the same formula and
    // constants; the native code is shared (it is read-only), while the interpreter program
    // and the scratch slots of the native inverse functions are this object's own.
    void CopyFrom(const TOCComplexFunction& Other);

    // Selects the engine of programs compiled from now on (tests and benchmarks compare them).
    void SelectBackend(FormulaBackend Backend);
    FormulaBackend ActiveBackend() const;

    bool IsCompiled() const { return Program != nullptr; }
    const std::string& Postfix() const { return PostfixCode; }
    // Slot 0 is unused; slots 1.. hold the formula's constants.
    const std::vector<std::complex<double>>& Constants() const { return ConstantSlots; }
    // True when the formula uses none of conj, abs and arg, so that w is holomorphic wherever
    // it is smooth (w_v = i w_u there).
    bool IsHolomorphic() const { return Holomorphic; }

    // A holomorphic formula gets exact programs for w' and w'' (with respect to the last
    // letter), run by the same engine as w; a formula whose derivative would be too long
    // has none.
    bool HasDerivatives() const { return Derivative[0].Program && Derivative[1].Program; }
    // w' and w'' at the inputs; false without derivative programs or with too few inputs.
    bool EvaluateDerivatives(std::span<const std::complex<double>> Inputs,
                             std::complex<double>& W1, std::complex<double>& W2) const;
    // The postfix code of w' (Order 1) or w'' (Order 2); empty without derivative programs.
    const std::string& DerivativePostfix(int Order) const;

private:
    std::vector<std::complex<double>> ConstantSlots;
    std::string PostfixCode;
    int Letters = 0;
    int MaxDepth = 0;
    bool Holomorphic = false;
    FormulaBackend Requested = FormulaBackend::Native;
    // The interpreter program always exists after a successful compilation; the native
    // program where every operation has a native form and executable memory is available.
    std::unique_ptr<ComplexProgram> Program;
    std::shared_ptr<const ExecutableBlock> NativeBlock;
    void (*NativeEntry)(const double*, const double*, double*, const long double*,
                        long double*) = nullptr;
    mutable long double Scratch[8] = {};  // temporaries of the native inverse functions

    // A program of the same engines as the value program, for one derivative.
    struct DerivativeProgram {
        std::string Postfix;
        int MaxDepth = 0;
        std::unique_ptr<ComplexProgram> Program;
        std::shared_ptr<const ExecutableBlock> NativeBlock;
        void (*NativeEntry)(const double*, const double*, double*, const long double*,
                            long double*) = nullptr;
    };
    DerivativeProgram Derivative[2];
    void BuildDerivatives();
    std::complex<double> Run(const DerivativeProgram& D, const double* In) const;
};
