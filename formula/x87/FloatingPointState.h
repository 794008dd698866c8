// The floating-point state every computation runs in. The native programs compute in the
// x87 unit with a 64-bit mantissa and round to nearest, and the rest of the code expects the
// SSE unit to round to nearest with every exception masked; a worker thread sets both before
// it evaluates anything, so that its results are bit for bit those of the window's thread.
#pragma once

#include <cstdint>

inline constexpr uint16_t ComputingX87ControlWord = 0x037F;
inline constexpr uint32_t ComputingMxcsr = 0x1F80;

// Sets the state on the calling thread (nothing where there is no x87 unit).
void SetComputingFloatState();
// The state of the calling thread, for checks (0 where there is no such unit).
uint16_t CurrentX87ControlWord();
uint32_t CurrentMxcsr();
