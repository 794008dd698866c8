// The safe real functions of the formula language, in extended precision: every partial
// function has a fixed extension so that an evaluation always yields a number. Each
// function also gives its first and second derivative (phi', phi''), as computed values.
#pragma once

#include "formula/FormulaBackend.h"

namespace safe_real {

// Cut-offs of the safe extensions.
inline constexpr long double Big = 1e24L;
inline constexpr long double Small = 1e-24L;
inline constexpr long double ExpCut = 75.0L;
inline constexpr long double LogFloor = -75.0L;

struct Jet {
    long double Value;
    long double First;   // phi'(x)
    long double Second;  // phi''(x)
};

// The safe exponential: 2^(x log2 e), cut at |x log2 e| = 75 to 10^24 and 10^-24.
long double Exp(long double X);

// Function opcode "A".."R" at X. The order matters only for the cotangent, whose three
// programs treat a zero remainder differently.
Jet Apply(char Code, long double X, ProgramOrder Order);

// A division by zero (or by something that is not a number) gives a * 10^24.
inline bool DivisorIsZero(long double B) { return B == 0 || B != B; }

// Constants of the safe functions, in the layout the native programs read them from.
enum TableEntry { BigEntry, MinusBigEntry, SmallEntry, ExpCutEntry, MinusExpCutEntry,
                  LogFloorEntry, HalfPiEntry, MinusHalfPiEntry, HalfEntry, TableSize };
const long double* Table();

}  // namespace safe_real
