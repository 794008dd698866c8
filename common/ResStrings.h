// The texts the user reads: compiler messages and other fixed captions.
#pragma once

namespace ResStrings {

// Real formula compiler, by message code.
inline constexpr const char* MiswrittenNumber = "There is a miswritten number.";
inline constexpr const char* BadCharacter = "You did use a character not allowed.";
inline constexpr const char* MiswrittenName = "Some function or variable was miswritten.";
inline constexpr const char* Parentheses = "Check, please, the parentheses.";
inline constexpr const char* TooManyConstants = "I cannot cope with so much constants.";
inline constexpr const char* SyntaxDefect = "There is a sintax defect in the formula.";
inline constexpr const char* NothingWritten = "Perhaps you forgot to write something.";
inline constexpr const char* VariableRange = "The allowed variables must be in the range 'p' to 'z'";
inline constexpr const char* ParameterName = "No parameter may be named as any variable";
// Beyond the classic table: a formula whose expansion would not fit the evaluator.
inline constexpr const char* TooComplex = "The formula is too long or too deeply nested.";
// A numeric field that names a variable letter has no value to give.
inline constexpr const char* VariableInNumber = "A number may not contain variables.";

// Complex formula compiler.
inline constexpr const char* ComplexNothingWritten = "Nothing written in formula";
inline constexpr const char* ComplexBadCharacter = "A bad character has been used";
inline constexpr const char* ComplexParentheses = "Check please the parentheses";
inline constexpr const char* ComplexMiswrittenNumber = "A number was miswritten";
inline constexpr const char* ComplexTooManyConstants = "Too much constants in formula";
inline constexpr const char* ComplexMiswrittenName = "Used a non-allowed variable or function";
inline constexpr const char* ComplexSyntax = "Syntax error in formula";
inline constexpr const char* ComplexWrongVariable = "Used a wrong variable";
inline constexpr const char* ComplexIntegerExponents = "Only integer exponents are allowed";
// An evaluation asked of an object whose last compilation failed (or never happened).
inline constexpr const char* NoCompiledFormula = "There is no compiled formula to evaluate.";
inline constexpr const char* TooFewInputs = "The formula needs more input values.";

// Reading the fields of the window.
inline constexpr const char* NoFirstFunction = "You must write the first function";
inline constexpr const char* NoSecondFunction = "You must write the second function";
inline constexpr const char* PRangeReversed = "The minimum of 'p' cannot be greater than its maximum";
inline constexpr const char* QRangeReversed = "The minimum of 'q' cannot be greater than its maximum";
inline constexpr const char* PReRangeReversed = "The minimum of 'p.re' cannot be greater than its maximum";
inline constexpr const char* PImRangeReversed = "The minimum of 'p.im' cannot be greater than its maximum";
inline constexpr const char* PValueOutside = "The value of 'p' must be between its bounds";
inline constexpr const char* QValueOutside = "The value of 'q' must be between its bounds";
inline constexpr const char* URangeReversed = "The minimum of 'u' cannot be greater than its maximum";
inline constexpr const char* VRangeReversed = "The minimum of 'v' must be less than its maximum";
inline constexpr const char* ZReRangeReversed = "The minimum of 'z.re' must be less than its maximum";
inline constexpr const char* ZImRangeReversed = "The minimum of 'z.im' must be less than its maximum";
inline constexpr const char* XRangeReversed = "The minimum of 'x' must be less than its maximum";
inline constexpr const char* YRangeReversed = "The minimum of 'y' must be less than its maximum";
inline constexpr const char* WReRangeReversed = "The minimum of 'w.Re' must be less than its maximum";
inline constexpr const char* WImRangeReversed = "The minimum of 'w.Im' must be less than its maximum";
inline constexpr const char* WholeRange = "The image of the map will be drawn in its whole range";
// A field whose value, or the width of whose range, is not a finite number.
inline constexpr const char* NumberTooLarge = "A number in the fields is too large to draw with.";

// Shown when Esc stopped a drawing before it was finished.
inline constexpr const char* DrawingStopped =
    "The drawing was stopped; the panels show the last finished picture";
}  // namespace ResStrings
