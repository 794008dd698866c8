// Symbolic differentiation of complex postfix code: the derivative of a formula with respect
// to one of its letters, written back as postfix code that both engines run as they run the
// formula itself.
#pragma once

#include <string>

namespace formula {

// Bounds that keep differentiation bounded for any formula: the depth of the expression tree
// (the work is recursive), and the length of the derivative's code.
inline constexpr int MaxDerivativeTreeDepth = 1000;
inline constexpr size_t MaxDerivativeCode = 20000;

// Writes the derivative of the complex postfix code Postfix (operands 1..LetterCount are the
// letters) with respect to letter Variable (1-based) into Result, with no new constants (2 is
// written 1 1 +, a derivative that is zero everywhere 1 1 -). False when the code uses conj,
// abs or arg (nowhere holomorphic), is malformed, or its derivative would pass the bounds.
bool DifferentiateComplexPostfix(const std::string& Postfix, int LetterCount, int Variable,
                                 std::string& Result);

}  // namespace formula
