// Which engine runs a compiled formula, and which of its three programs is meant.
#pragma once

enum class FormulaBackend { Native, Interpreter };

// The value program, the first-order program (value and one directional derivative) and the
// second-order program (value, first and second derivative along a curve).
enum class ProgramOrder { Value = 0, First = 1, Second = 2 };
