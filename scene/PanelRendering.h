// Drawing of the panels on any painter: the domain grid and its image (front and rear passes
// on the spheres, the sphere outlines), the singular locus and its image, and the little
// circle. Each drawing takes a projection fitted to its target rectangle, so the same code
// draws on the screen bitmaps, a printed page, an SVG file or a PNG.
#pragma once

#include <QColor>
#include <QPainter>

#include <cstdint>

#include "model/SceneState.h"
#include "view/PanelProjection.h"

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

// The grid and the locus of each panel as Project places them. Nothing of the scene changes.
// When the scene shades by the number of preimages, the image's grid goes over the shading,
// counted for Project's pixels, and the shading's key over the grid.
void DrawDomainCurves(const SceneState& S, const PanelProjection& Project, QPainter& Canvas);
void DrawImageCurves(const SceneState& S, const PanelProjection& Project, QPainter& Canvas);
void DrawSingularLocusDom(const SceneState& S, const PanelProjection& Project, QPainter& Canvas);
void DrawSingularLocusImg(const SceneState& S, const PanelProjection& Project, QPainter& Canvas);

// A panel's whole picture: its grid, and the locus when the scene shows it.
void DrawDomainPanel(const SceneState& S, const PanelProjection& Project, QPainter& Canvas);
void DrawImagePanel(const SceneState& S, const PanelProjection& Project, QPainter& Canvas);

// The panel's background as on the screen (the form colour where the view does not reach,
// white where it draws), and the drawing clipped to the white part.
void PreparePanel(QPainter& Canvas, const PanelProjection& Project);

// The little circle: an octagon about C, drawn with the painter's pen.
void DrawOctagon(QPainter& Canvas, PixelPoint C);
