#include "formula/x87/FloatingPointState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>

void SetComputingFloatState() {
    const uint16_t Word = ComputingX87ControlWord;
    __asm__ volatile("fldcw %0" : : "m"(Word));
    _mm_setcsr(ComputingMxcsr);
    ClearUpperVectorHalves();
}

void ClearUpperVectorHalves() {
    // The instruction exists only with AVX; the code around it keeps nothing in the upper
    // halves (it is built for SSE), so clearing them loses nothing.
    static const bool HaveAvx = __builtin_cpu_supports("avx");
    if (HaveAvx) __asm__ volatile("vzeroupper" ::: "memory");
}

uint16_t CurrentX87ControlWord() {
    uint16_t Word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(Word));
    return Word;
}

uint32_t CurrentMxcsr() { return _mm_getcsr(); }

#else

void SetComputingFloatState() {}
void ClearUpperVectorHalves() {}
uint16_t CurrentX87ControlWord() { return 0; }
uint32_t CurrentMxcsr() { return 0; }

#endif
