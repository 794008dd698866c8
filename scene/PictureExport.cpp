// Drawing the panels into PNG, SVG and PDF files.
#include "scene/PictureExport.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>

#include "scene/PanelRendering.h"

namespace {

int Gap(int Size) { return std::max(4, Size / 40); }

}  // namespace

bool PictureFormatOf(const std::string& Path, PictureFormat& Format) {
    size_t Dot = Path.find_last_of('.');
    if (Dot == std::string::npos || Path.find('/', Dot) != std::string::npos) return false;
    std::string E = Path.substr(Dot + 1);
    for (char& C : E)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    if (E == "png") Format = PictureFormat::Png;
    else if (E == "svg") Format = PictureFormat::Svg;
    else if (E == "pdf") Format = PictureFormat::Pdf;
    else return false;
    return true;
}

QSize PictureSize(PicturePanels Which, int Size) {
    return Which == PicturePanels::Both ? QSize(2 * Size + Gap(Size), Size) : QSize(Size, Size);
}

void DrawPanels(const TorvaneScene& T, QPainter& P, PicturePanels Which, int Size) {
    const SceneState& S = T.S;
    int Left = 0;
    if (Which != PicturePanels::Image) {
        const PanelProjection Project = DomainProjection(S, {0, 0, Size, Size});
        P.save();
        PreparePanel(P, Project);
        DrawDomainPanel(S, Project, P);
        P.restore();
        Left = Size + Gap(Size);
    }
    if (Which != PicturePanels::Domain) {
        const PanelProjection Project = ImageProjection(S, {Left, 0, Left + Size, Size});
        P.save();
        PreparePanel(P, Project);
        DrawImagePanel(S, Project, P);
        P.restore();
    }
}

std::string ExportPicture(TorvaneScene& T, const std::string& Path, PicturePanels Which, int Size) {
    PictureFormat Format;
    if (!PictureFormatOf(Path, Format)) return "The picture's name must end in .png, .svg or .pdf.";
    if (!T.S.SceneReady) return "There is no drawing to export.";
    if (Size < 16 || Size > 20000) return "The picture's size must lie between 16 and 20000.";
    const QSize Whole = PictureSize(Which, Size);
    const QString Name = QString::fromStdString(Path);
    const QColor Background = WindowColour(DrawingColour);
    auto PaintVector = [&](QPaintDevice& Device) {
        QPainter P;
        if (!P.begin(&Device)) return false;
        P.fillRect(QRect(QPoint(0, 0), Whole), Background);
        DrawPanels(T, P, Which, Size);
        return P.end();
    };
    switch (Format) {
        case PictureFormat::Png: {
            QImage I(Whole, QImage::Format_RGB32);
            if (I.isNull()) return "There is not enough memory for a picture of this size.";
            I.fill(Background);
            {
                QPainter P(&I);
                P.setRenderHint(QPainter::Antialiasing, true);
                DrawPanels(T, P, Which, Size);
            }
            if (!I.save(Name, "PNG")) return "The picture could not be written to " + Path + ".";
            return "";
        }
        case PictureFormat::Svg: {
            QSvgGenerator G;
            G.setFileName(Name);
            G.setSize(Whole);
            G.setViewBox(QRect(QPoint(0, 0), Whole));
            G.setResolution(96);
            G.setTitle(QStringLiteral("Torvane"));
            if (!PaintVector(G)) return "The picture could not be written to " + Path + ".";
            break;
        }
        case PictureFormat::Pdf: {
            QPdfWriter W(Name);
            // One unit of drawing is one point of the page.
            W.setResolution(72);
            W.setPageSize(QPageSize(QSizeF(Whole), QPageSize::Point));
            W.setPageMargins(QMarginsF(0, 0, 0, 0));
            if (!PaintVector(W)) return "The picture could not be written to " + Path + ".";
            break;
        }
    }
    // The vector writers report no failure of their own: the file must be there.
    if (!QFileInfo::exists(Name) || QFileInfo(Name).size() == 0)
        return "The picture could not be written to " + Path + ".";
    return "";
}
