// A portable interpreter of postfix formula code in extended precision. It runs wherever
// native code cannot, and it is the reference the native programs are tested against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/FormulaBackend.h"
#include "formula/language/FormulaLanguage.h"

class InterpretedProgram {
public:
    // Postfix: real postfix code; operand n <= VariableCount reads the input array,
    // larger operands read Constants[n - VariableCount].
    InterpretedProgram(const std::string& Postfix, int VariableCount, ProgramOrder Order,
                       int MaxDepth);

    // First and Second are the derivative stacks (MaxDepth + 1 slots); slot 1 holds the
    // result's derivatives after a derivative run. They may be null for the value program.
    long double Run(const double* Values, const double* Constants, double* First,
                    double* Second) const;

private:
    // The value program runs on fused instructions with the top of the stack kept in a
    // register: an operand followed by a binary operator becomes one instruction that
    // combines the top with the operand, so that values rarely go through memory.
    enum class Fused : uint8_t;
    struct FusedInstruction {
        Fused Kind;
        char Code;
        int32_t Index;
        int32_t Second = 0;  // the second operand of fused products
    };
    void Fuse();
    void MergeTermsIntoSums();
    long double RunValue(const double* Values, const double* Constants) const;
    long double RunDerivatives(const double* Values, const double* Constants,
                               double* First, double* Second) const;

    using Instruction = formula::PostfixInstruction;
    std::vector<Instruction> Code;
    std::vector<FusedInstruction> ValueCode;
    int Variables;
    ProgramOrder Order;
    mutable std::vector<long double> Stack;
    long double FixedOperands[2];  // 1 and pi, set up once rather than at every run
};
