// Which engine runs a compiled formula, and which of its three programs is meant.
#pragma once

enum class FormulaBackend { Native, Interpreter };

// The value program, the first-order program (value and one directional derivative), the
// second-order program (value, first and second derivative along a curve), and the
// two-direction program (value and the first-order derivatives along two directions at once,
// each equal bit for bit to what the first-order program gives for that direction).
enum class ProgramOrder { Value = 0, First = 1, Second = 2, TwoDirections = 3 };
