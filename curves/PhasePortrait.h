// Phase portraits of the map: every pixel of the Domain panel coloured by the value of w (a
// real map read as w = x + i y) at the domain point its centre shows, and every pixel of the
// Image panel by the image point itself, so that each region of the image has the colour of
// its preimage. The map is evaluated with the compiled formulas, in rows, on every core.
#pragma once

#include <atomic>
#include <complex>
#include <cstdint>
#include <vector>

#include "model/SceneState.h"
#include "view/PanelProjection.h"
#include "view/PhaseColouring.h"

// A raster side beyond this is coloured in blocks of pixels (a printed page or a large
// picture), so that the evaluations stay those of a screen panel.
inline constexpr int MaxPortraitRaster = 2048;

// The colours of a panel's drawing rectangle, row 0 at the top. Pixel (I, J) covers the
// Step x Step block of panel pixels from (Rect.Left + I * Step, Rect.Top + J * Step) and has
// the colour of the point at the block's centre (the pixel's centre when Step is 1). Colours
// are 0xAARRGGBB; 0 where the panel shows no point to colour (outside the domain rectangle,
// off the sphere).
struct PortraitRaster {
    PixelRect Rect;
    int Step = 1;
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;

    bool Empty() const { return Pixels.empty(); }
    uint32_t At(int I, int J) const {
        return Pixels[static_cast<size_t>(J) * static_cast<size_t>(Width) + static_cast<size_t>(I)];
    }
};

// Where a panel position (not rounded) lies: the world point the projection shows there, on
// the plane or the sphere's front. Returns 0 off the sphere or outside the plane view's
// rectangle, 1 with the point, 2 at the sphere's point at infinity.
int PortraitPoint(const PanelProjection& Project, double X, double Y, Point2& P);

// The Domain panel's colours: the map's value at each pixel whose point lies in the domain
// rectangle (the front of the sphere when it is shown), with S's formulas copied for each
// thread. Step is at least the one the raster's size needs (MaxPortraitRaster). False with
// Out empty for Colouring::None, an empty rectangle, a scene without a compiled map or a
// stop request.
bool ColourDomainPortrait(const SceneState& S, const PanelProjection& Project, Colouring C,
                          int Step, PortraitRaster& Out, const std::atomic<bool>* Stop = nullptr);

// The Image panel's colours: each pixel by its own point (the point at infinity is a pole).
bool ColourImagePortrait(const PanelProjection& Project, Colouring C, int Step,
                         PortraitRaster& Out, const std::atomic<bool>* Stop = nullptr);
