// Page layout and printing of the page.
#include "scene/PrintDrawings.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include <algorithm>

#include "common/ConstTypesAndGlobals.h"
#include "document/MapDocument.h"
#include "scene/PanelRendering.h"

namespace {

QFont PrintFont(int Pixels, bool Bold) {
    QFont F;
    F.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    F.setPixelSize(std::max(1, Pixels));
    F.setBold(Bold);
    return F;
}

// Text with its top-left corner at (X, Y).
void TextOut(QPainter& P, int X, int Y, const std::string& Text) {
    P.drawText(QPoint(X, Y + P.fontMetrics().ascent()), QString::fromStdString(Text));
}

void CentredText(QPainter& P, const QRect& Frame, int Y, const std::string& Text) {
    int Width = P.fontMetrics().horizontalAdvance(QString::fromStdString(Text));
    TextOut(P, (Frame.left() + Frame.left() + Frame.width() - Width) / 2, Y, Text);
}

void PrintTexts(const TorvaneScene& T, QPainter& P, const PageGeometry& G) {
    const bool Real = T.S.MapType == 0;
    const QRect& F = G.PageFrame;
    P.setPen(QPen(Qt::black));
    P.setFont(PrintFont(3 * G.L35 / 4, true));
    TextOut(P, F.left(), F.top(), std::string("Torvane :  ") + (Real ? "real map" : "complex map"));
    P.setFont(PrintFont(4 * G.L35 / 5, true));
    TextOut(P, F.left(), F.top() + G.L35, T.FileName.empty() ? "Untitled" : FileTitle(T.FileName));
    P.setFont(PrintFont(4 * G.L35 / 5, false));
    std::string F1 = TrimBlanks(T.Text(EditField::F1Edit)), F2 = TrimBlanks(T.Text(EditField::F2Edit));
    CentredText(P, F, G.FormulaY, (Real ? "x(u,v) = " : "w(z) = ") + F1);
    if (Real) CentredText(P, F, G.FormulaY + G.L35, "y(u,v) = " + F2);

    P.setFont(PrintFont(4 * G.L40 / 5, false));
    auto Field = [&T](EditField E) { return T.Text(E); };
    int X = G.DomPrintRect.Left, Y = G.DomPrintRect.Bottom + 2 * G.L40;
    TextOut(P, X, Y,
            (Real ? "p = " : "Re(p) = ") + Field(EditField::pValue) +
                (Real ? " ,   q = " : " ,   Im(p) = ") + Field(EditField::qValue));
    Y += 2 * G.L40;
    TextOut(P, X, Y,
            Field(EditField::uMinEdit) + (Real ? " < u < " : " < Re(z) < ") +
                Field(EditField::uMaxEdit) + " ,   " + Field(EditField::vMinEdit) +
                (Real ? " < v < " : " < Im(z) < ") + Field(EditField::vMaxEdit));
    Y += 2 * G.L40;
    auto Bound = [](double V) { return FloatToShortText(6, V); };
    TextOut(P, X, Y,
            Bound(T.S.ImgMin.X) + (Real ? " < x < " : " < Re(w) < ") + Bound(T.S.ImgMax.X) +
                " ,   " + Bound(T.S.ImgMin.Y) + (Real ? " < y < " : " < Im(w) < ") +
                Bound(T.S.ImgMax.Y));
}

}  // namespace

PageGeometry PageSetup(int PW, int PH) {
    PageGeometry G;
    int MX = PW / 14, MY = PH / 14;
    G.PageFrame = QRect(QPoint(MX, MY), QPoint(PW - MX - 1, PH - MY - 1));  // (mx, my, PW-mx, PH-my)
    int Left = MX, Top = MY, Right = PW - MX, Bottom = PH - MY;
    int W = PW - 2 * MX;
    G.L40 = PH / 40;
    G.L35 = PH / 35;
    int D = 14 * W / 42;
    G.DomPrintRect = {Left, Top + 4 * G.L40, Left + D, Top + 4 * G.L40 + D};
    int S = std::min(26 * W / 42, Bottom - 3 * G.L40 - Top - G.L40);
    S = std::max(S, 1);
    G.ImgPrintRect = {Right - S, Top, Right, Top + S};
    G.FormulaY = G.ImgPrintRect.Bottom + 2 * G.L40;
    return G;
}

void PrintPage(const TorvaneScene& T, QPainter& P, const PageGeometry& G) {
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    QPen Frame(WindowColour(0x777777));
    Frame.setWidth(2);
    P.setPen(Frame);
    const PixelRect& I = G.ImgPrintRect;
    const QPoint Corners[5] = {{I.Left, I.Top}, {I.Right, I.Top}, {I.Right, I.Bottom},
                               {I.Left, I.Bottom}, {I.Left, I.Top}};
    P.drawPolyline(Corners, 5);
    PrintTexts(T, P, G);

    P.setClipRect(ToQRect(G.DomPrintRect));
    DrawDomainPanel(T.S, DomainProjection(T.S, G.DomPrintRect), P);
    P.setClipRect(ToQRect(G.ImgPrintRect));
    DrawImagePanel(T.S, ImageProjection(T.S, G.ImgPrintRect), P);
    P.setClipping(false);
    P.restore();
}
