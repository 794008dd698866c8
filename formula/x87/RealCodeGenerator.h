// Turns real postfix code into a straight-line x87 program: the value program, or the
// first- or second-order program that also carries directional derivatives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/FormulaBackend.h"

// The generated function. Values: the input array; Constants: parameter and constant slots;
// First, Second: derivative stacks (doubles, slot k for stack entry k);
// Table: the constants of the safe functions. Parameters and constants are read at every
// run, so changing a parameter needs no new code.
using NativeRealEntry = double (*)(const double* Values, const double* Constants,
                                   double* First, double* Second,
                                   const long double* Table);

// Appends the program to Code. Returns false if the postfix code is malformed or the
// generator broke the register discipline; Code must not be run then.
bool GenerateRealProgram(const std::string& Postfix, int VariableCount, ProgramOrder Order,
                         std::vector<uint8_t>& Code);
