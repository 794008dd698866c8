// Maps chosen to hurt: poles, essential singularities, values that overflow or underflow,
// maps defined nowhere or on a sliver, texts at and beyond the compiler's limits, absurd
// domains and parameters. Each one is either drawn or refused with a message; the robustness
// test runs them all through the scene and asks only that nothing crashes or hangs.
#pragma once

#include <string>
#include <vector>

struct HostileMap {
    const char* Category;  // what the map attacks, e.g. "pole", "operand limit", "tiny domain"
    int Kind;              // 0 real, 1 complex
    std::string X;         // x(u,v), or w(z) for a complex map
    std::string Y;         // y(u,v); empty for a complex map
    // Field texts (the same syntax: numbers or formulas without variables); empty means default
    std::string UMin, UMax, VMin, VMax;  // domain, defaults -1, 1, -1, 1
    std::string P, Q;                    // parameter values, defaults "0.5" and "-0.5"; for a
                                         // complex map the real and imaginary parts of p
    std::string PMin, PMax, QMin, QMax;  // parameter ranges, defaults -2, 2, -2, 2
};

const std::vector<HostileMap>& HostileMaps();

class TorvaneScene;
// Puts the map into a new scene's fields (switching to the complex kind and turning its locus
// on where needed), ready for Draw It.
void PutOnScene(TorvaneScene& T, const HostileMap& M);
