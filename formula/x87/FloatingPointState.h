// The floating-point state every computation runs in. The native programs compute in the
// x87 unit with a 64-bit mantissa and round to nearest, and the rest of the code expects the
// SSE unit to round to nearest with every exception masked; a worker thread sets both before
// it evaluates anything, so that its results are bit for bit those of the window's thread.
#pragma once

#include <cstdint>

inline constexpr uint16_t ComputingX87ControlWord = 0x037F;
inline constexpr uint32_t ComputingMxcsr = 0x1F80;

// Sets the state on the calling thread (nothing where there is no x87 unit), and clears the
// upper halves of the vector registers as ClearUpperVectorHalves does.
void SetComputingFloatState();
// Library code that uses the wide vector registers (the painting engine's fills and blends)
// may leave their upper halves in use; until they are cleared, every SSE instruction of the
// computing code after it pays for merging with them, which made the thread that had just
// painted compute at half speed. Cheap; does nothing where the processor has no such
// registers. Call it before long computations on a thread that may have painted.
void ClearUpperVectorHalves();
// The state of the calling thread, for checks (0 where there is no such unit).
uint16_t CurrentX87ControlWord();
uint32_t CurrentMxcsr();
