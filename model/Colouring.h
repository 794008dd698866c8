// How the panels colour the map's values as a phase portrait: not at all, by the argument of
// w, by the argument with the modulus's level lines, or with the phase's steps as well.
#pragma once

#include <cstdint>

enum class Colouring : int32_t { None, Phase, Modulus, Enhanced };
