// The colours of a phase portrait: a complex value w coloured by its argument (the hue wheel,
// arg 0 red, 2 pi / 3 green, 4 pi / 3 blue, counter-clockwise), with the modulus and the phase
// optionally shown as saw-tooth brightness, so that zeros and poles appear where all colours
// meet and level lines of |w| and arg w as edges.
#pragma once

#include <complex>
#include <cstdint>

#include "model/Colouring.h"

// Colours are 0xAARRGGBB, fully opaque.
inline constexpr uint32_t UndefinedColour = 0xFF808080;  // a value that is not finite
inline constexpr uint32_t PoleColour = 0xFFFFFFFF;       // |w| beyond PoleModulus
// The formula compiler answers 1 / 0, and results its functions cannot hold, with 1e30.
inline constexpr double PoleModulus = 1e30;
// The saw-tooth of the phase in Enhanced has this many teeth around the circle.
inline constexpr int PhaseTeeth = 12;

// The colour of W in the given colouring (None colours like Phase: whoever draws decides
// whether to colour at all).
uint32_t PhaseColour(std::complex<double> W, Colouring C);

// The hue, saturation 1 and value V (in [0, 1]) as a colour; the hue in turns, any real
// number (its fraction counts).
uint32_t HueColour(double Turns, double V);
