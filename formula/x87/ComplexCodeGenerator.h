// Turns complex postfix code into a straight-line x87 program. Each complex entry of the
// evaluation stack takes two registers, the real part on top of the imaginary part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The generated function: Inputs and Constants are (re, im) pairs (constant slot 0 unused),
// Result receives the pair, Table holds the safe functions' constants, Scratch (at least
// ComplexScratchSlots extended values) keeps temporaries of the inverse functions.
using NativeComplexEntry = void (*)(const double* Inputs, const double* Constants,
                                    double* Result, const long double* Table,
                                    long double* Scratch);
inline constexpr int ComplexScratchSlots = 8;

// True when every operation of the postfix code has a native form; the others run in the
// interpreter.
bool ComplexCodeIsNative(const std::string& Postfix);

// Appends the program to Code; false if the code is malformed, has an operation without a
// native form, or the generator broke the register discipline (Code must not run then).
bool GenerateComplexProgram(const std::string& Postfix, int LetterCount,
                            std::vector<uint8_t>& Code);

// The constants the complex programs read through their Table argument.
const long double* ComplexTable();
