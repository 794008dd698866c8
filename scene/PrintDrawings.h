// The printed page: one landscape page with a header, the domain picture in the left third,
// the image picture at the top right, the formulas centred below it, and the parameter,
// domain and image bounds. The pictures are drawn again for the page by the panel drawing.
#pragma once

#include <QPainter>
#include <QRect>

#include "scene/TorvaneScene.h"

struct PageGeometry {
    QRect PageFrame;
    PixelRect DomPrintRect, ImgPrintRect;
    int L40 = 0, L35 = 0;
    int FormulaY = 0;
};

// The geometry for a page of PW x PH device pixels (landscape).
PageGeometry PageSetup(int PW, int PH);

// Prints the page. The pictures are drawn through projections fitted to the page's frames;
// the scene and its screen views stay as they are.
void PrintPage(const TorvaneScene& T, QPainter& P, const PageGeometry& G);
