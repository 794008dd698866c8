// Drawing of the panels on any painter: the domain grid and its image (front and rear passes
// on the spheres, the sphere outlines), the singular locus and its image, and the little
// circle. Each drawing takes the target rectangle and fits the view to it, so the same code
// draws on the screen bitmaps, a printed page, an SVG file or a PNG.
#pragma once

#include <QColor>
#include <QPainter>

#include <cstdint>

#include "model/SceneState.h"

// Colours are given as window colours $00BBGGRR.
QColor WindowColour(uint32_t BBGGRR);

inline constexpr uint32_t FormColour = 0xB0E8FF;
inline constexpr uint32_t DrawingColour = 0xFFFFFF;
inline constexpr uint32_t HLineColour = 0x6666FF;  // light red
inline constexpr uint32_t VLineColour = 0xFF6666;  // light blue
inline constexpr uint32_t RearLineColour = 0xC8C8C8;
inline constexpr uint32_t OutlineColour = 0x808080;
inline constexpr uint32_t CrossColour = 0x0000FF;
inline constexpr uint32_t RearCrossColour = 0x888888;
inline constexpr uint32_t SpotColour = 0x0000FF;
inline constexpr uint32_t LocusColour = 0x333333;
inline constexpr uint32_t RearLocusColour = 0x999999;

QRect ToQRect(PixelRect R);

void DrawDomainCurves(SceneState& S, PixelRect Rect, QPainter& Canvas);
// The image grid's pen width comes from the scene's Image panel, not from Rect.
void DrawImageCurves(SceneState& S, PixelRect Rect, QPainter& Canvas);

// The locus in the domain (the view fitted to Rect) and its image (in the image view as the
// caller fitted it).
void DrawSingularLocusDom(SceneState& S, PixelRect Rect, QPainter& Canvas);
void DrawSingularLocusImg(const SceneState& S, PixelRect Rect, QPainter& Canvas);

// The little circle: an octagon about C, drawn with the painter's pen.
void DrawOctagon(QPainter& Canvas, PixelPoint C);
