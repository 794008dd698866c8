// The interpreter of complex postfix code, in extended precision. It runs where native code
// cannot and is the reference the native complex programs are tested against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/language/FormulaLanguage.h"
#include "formula/safe/SafeComplex.h"

class ComplexProgram {
public:
    // Operand n <= LetterCount reads input n; larger operands read Constants[n - LetterCount].
    ComplexProgram(const std::string& Postfix, int LetterCount, int MaxDepth);

    // Inputs: (re, im) pairs, one per letter; Constants: (re, im) pairs, slot 0 unused.
    safe_complex::Complex Run(const double* Inputs, const double* Constants) const;

private:
    using Instruction = formula::PostfixInstruction;
    std::vector<Instruction> Code;
    mutable std::vector<safe_complex::Complex> Stack;
};
