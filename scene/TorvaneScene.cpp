// The scene's set-up, the reading of the fields, the Draw It pipeline, the switch between the
// two map kinds, the Parameters panel model, and the drawing of bitmaps and overlays.
#include "scene/TorvaneScene.h"

#include <QPainter>

#include <cmath>

#include "common/ResStrings.h"
#include "curves/GridCurves.h"
#include "curves/ImageBounds.h"
#include "curves/SingularLocus.h"
#include "scene/PanelRendering.h"
#include "model/MapDerivatives.h"
#include "view/SceneViews.h"
#include "view/ViewDrags.h"

namespace {

QImage WhiteSurface(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    I.fill(WindowColour(DrawingColour));
    return I;
}

struct LabelText {
    const char* Real;
    int RealLeft;
    const char* Complex;
    int ComplexLeft;
};

// Captions and horizontal positions of the labels of both kinds (xuvLabel and yuvLabel do
// not move; yuvLabel is hidden for a complex map).
const LabelText KindLabels[SceneLabelCount] = {
    {"x(u,v)=", 294, "w(z)=", 294},   {"y(u,v)=", 294, "y(u,v)=", 294},
    {"u =", 12, "z.re=", 2},          {"v =", 12, "z.im=", 2},
    {"< u <", 200, "< z.re <", 192},  {"< v <", 200, "< z.im <", 192},
    {"< x <", 598, "< w.re <", 590},  {"< y <", 598, "< w.im <", 590},
    {"p =", 6, "p.re=", 2},           {"q =", 6, "p.im=", 2},
    {"< p <", 126, "<p.re<", 120},    {"< q <", 126, "<p.im<", 120},
    {"x =", 348, "w.re=", 338},       {"y =", 348, "w.im=", 338},
};

}  // namespace

std::string FixedText(double X, int Precision, int Digits) {
    if (!std::isfinite(X)) return X != X ? "NAN" : (X > 0 ? "INF" : "-INF");
    if (X != 0 && std::fabs(X) >= std::pow(10.0, Precision)) {
        std::string T = Scientific(X, Precision);
        for (char& C : T)
            if (C == 'e') C = 'E';
        return T;
    }
    // Round to Precision significant digits first, then show Digits decimals.
    double Rounded = TextValue(Scientific(X, Precision));
    if (Rounded == 0) Rounded = 0;  // no "-0.00"
    std::string T = FixedDecimals(Rounded, Digits);
    if (T.find_first_not_of("-0.") == std::string::npos && T[0] == '-') T.erase(0, 1);
    return T;
}

TorvaneScene::TorvaneScene() {
    S.XFunction = &XFunction;
    S.YFunction = &YFunction;
    S.WFunction = &WFunction;
    DomBitmap = WhiteSurface(280, 280);
    ImgBitmap = WhiteSurface(460, 460);
    DomainSurface = WhiteSurface(280, 280);
    ImageSurface = WhiteSurface(460, 460);
    ParametersSurface = WhiteSurface(200, 200);
    DomBitmapClip = S.DomRect;
    ImgBitmapClip = S.ImgRect;
    const char* Defaults[EditFieldCount] = {"p u^2 - v^3", "q v^2 - u^3", "-1", "1", "-1", "1",
                                            "-2", "2", "-2", "2", "0", "0", "", "", "", "",
                                            "0", "0", "0", "0"};
    for (int I = 0; I < EditFieldCount; ++I) Edits[I].Text = Defaults[I];
    Menu(MenuItem::Singularlocus1).Checked = true;
    Menu(MenuItem::AdjusttoPanel1).Checked = true;
    // Neither domain view is marked until one is chosen (or a document sets it).
    Menu(MenuItem::Planeimage1).Checked = true;
    S.MapType = 0;
    ChangeMapType(false);
}

void TorvaneScene::Inform(const std::string& Text) { StatusText = Text; }

// ---- Reading the fields ----

double TorvaneScene::ReadNumber(EditField F) const {
    double V = 0;
    try {
        EvaluateConstantFormula(TrimBlanks(Text(F)), V);
    } catch (const FormulaError& E) {
        throw ReadFailure{E.what()};
    }
    if (!std::isfinite(V)) throw ReadFailure{ResStrings::NumberTooLarge};
    return V;
}

// Reads the four clip fields; true when the image is to be clipped to them.
bool TorvaneScene::ReadClipFields(const char* XMessage, const char* YMessage) {
    const EditField Fields[4] = {EditField::xMinEdit, EditField::xMaxEdit, EditField::yMinEdit,
                                 EditField::yMaxEdit};
    double V[4];
    for (int I = 0; I < 4; ++I) {
        std::string T = TrimBlanks(Text(Fields[I]));
        bool Read = !T.empty();
        if (Read) {
            try {
                EvaluateConstantFormula(T, V[I]);
                Read = std::isfinite(V[I]);
            } catch (const FormulaError&) {
                Read = false;
            }
        }
        if (!Read) {
            S.WholeImage = true;
            Inform(ResStrings::WholeRange);
            return false;
        }
    }
    S.ImgMin = {V[0], V[2]};
    S.ImgMax = {V[1], V[3]};
    if (!(V[0] < V[1])) throw ReadFailure{XMessage};
    if (!(V[2] < V[3])) throw ReadFailure{YMessage};
    if (!std::isfinite(V[1] - V[0]) || !std::isfinite(V[3] - V[2]))
        throw ReadFailure{ResStrings::NumberTooLarge};
    S.WholeImage = false;
    S.Modified = true;
    Inform("");
    return true;
}

namespace {

// The messages that differ between the two kinds of map.
struct KindMessages {
    const char *PRange, *QRange, *URange, *VRange, *XRange, *YRange;
};
const KindMessages RealMessages{ResStrings::PRangeReversed,   ResStrings::QRangeReversed,
                                ResStrings::URangeReversed,   ResStrings::VRangeReversed,
                                ResStrings::XRangeReversed,   ResStrings::YRangeReversed};
const KindMessages ComplexMessages{ResStrings::PReRangeReversed, ResStrings::PImRangeReversed,
                                   ResStrings::ZReRangeReversed, ResStrings::ZImRangeReversed,
                                   ResStrings::WReRangeReversed, ResStrings::WImRangeReversed};

}  // namespace

int TorvaneScene::ReadDataReal() { return ReadData(false); }
int TorvaneScene::ReadDataComplex() { return ReadData(true); }

void TorvaneScene::CompileFormulas(bool Complex) {
    std::string S1 = TrimBlanks(Text(EditField::F1Edit));
    if (S1.empty()) throw ReadFailure{ResStrings::NoFirstFunction};
    if (Complex) {
        try {
            WFunction.Compile(S1, "pz");
        } catch (const FormulaError& E) {
            throw ReadFailure{E.what()};
        }
        return;  // the second field is not a part of a complex map
    }
    std::string S2 = TrimBlanks(Text(EditField::F2Edit)), Error;
    XFunction.Compile(S1, "uv", "pq", Error);
    if (!Error.empty()) throw ReadFailure{Error};
    if (S2.empty()) throw ReadFailure{ResStrings::NoSecondFunction};
    YFunction.Compile(S2, "uv", "pq", Error);
    if (!Error.empty()) throw ReadFailure{Error};
}

// Reads the fields in their order; the first failure stops it with its message. The values
// read before it stay in the scene.
int TorvaneScene::ReadData(bool Complex) {
    S.DataValid = false;
    S.SceneReady = false;
    const KindMessages& M = Complex ? ComplexMessages : RealMessages;
    try {
        CompileFormulas(Complex);
        S.ParamMin.X = ReadNumber(EditField::pMinEdit);
        S.ParamMax.X = ReadNumber(EditField::pMaxEdit);
        if (S.ParamMax.X < S.ParamMin.X) throw ReadFailure{M.PRange};
        S.ParamMin.Y = ReadNumber(EditField::qMinEdit);
        S.ParamMax.Y = ReadNumber(EditField::qMaxEdit);
        if (S.ParamMax.Y < S.ParamMin.Y) throw ReadFailure{M.QRange};
        S.ParamValue.X = ReadNumber(EditField::pValue);
        if (S.ParamValue.X < S.ParamMin.X || S.ParamValue.X > S.ParamMax.X)
            throw ReadFailure{ResStrings::PValueOutside};
        if (Complex) S.ComplexParam.X = S.ParamValue.X;
        S.ParamValue.Y = ReadNumber(EditField::qValue);
        if (S.ParamValue.Y < S.ParamMin.Y || S.ParamValue.Y > S.ParamMax.Y)
            throw ReadFailure{ResStrings::QValueOutside};
        if (Complex)
            S.ComplexParam.Y = S.ParamValue.Y;
        else
            HandParametersToFormulas();
        S.DomMin.X = ReadNumber(EditField::uMinEdit);
        S.DomMax.X = ReadNumber(EditField::uMaxEdit);
        if (!(S.DomMax.X > S.DomMin.X)) throw ReadFailure{M.URange};
        S.DomMin.Y = ReadNumber(EditField::vMinEdit);
        S.DomMax.Y = ReadNumber(EditField::vMaxEdit);
        if (!(S.DomMax.Y > S.DomMin.Y)) throw ReadFailure{M.VRange};
        if (!std::isfinite(S.DomMax.X - S.DomMin.X) || !std::isfinite(S.DomMax.Y - S.DomMin.Y))
            throw ReadFailure{ResStrings::NumberTooLarge};
        ReadClipFields(M.XRange, M.YRange);
    } catch (const ReadFailure& F) {
        Inform(F.Message);
        return 0;
    }
    SetBasicData(S);
    SetCoordinateChangesParam();
    if (Complex) AdjustSpotToParameters();
    S.DataValid = true;
    return 1;
}

void TorvaneScene::HandParametersToFormulas() {
    const double Values[2] = {S.ParamValue.X, S.ParamValue.Y};
    XFunction.SetParameters(Values);
    YFunction.SetParameters(Values);
}

// ---- The pipeline ----

void TorvaneScene::ReadAndDraw(bool FromDrawButton) {
    int Read = S.MapType == 0 ? ReadDataReal() : S.MapType == 1 ? ReadDataComplex() : 0;
    if (Read == 1) {
        S.SingLocus.LastIndex = -1;
        EraseRect(ParametersSurface, S.ParamRect);
        SpotShown = false;
        AdjustSpotToParameters();
        BindViewProcedures(S);
        FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                      S.PreserveRatio);
        SetClip(DomBitmap, DomBitmapClip, S.DomRect, S.DomView.ViewRect);
        ComputeDomainCurves(S);
        ComputeImageCurves(S);
        FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                     S.PreserveRatio);
        SetClip(ImgBitmap, ImgBitmapClip, S.ImgRect, ImageDrawingRect());
        if (S.ShowSingLocus) ComputeSingularLocus(S, SingTracer);
        DrawCurves(3);
        S.SceneReady = true;
        if (FromDrawButton) S.Modified = true;
    }
    DrawButtonIsDefault = false;
}

void TorvaneScene::ComputeAndDrawCurves() {
    S.SingLocus.LastIndex = -1;
    EraseRect(ParametersSurface, S.ParamRect);
    SpotShown = false;
    AdjustSpotToParameters();
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    ComputeDomainCurves(S);
    ComputeImageCurves(S);
    FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                 S.PreserveRatio);
    SetClip(DomBitmap, DomBitmapClip, S.DomRect, S.DomView.ViewRect);
    SetClip(ImgBitmap, ImgBitmapClip, S.ImgRect, ImageDrawingRect());
    if (S.ShowSingLocus) ComputeSingularLocus(S, SingTracer);
    // SetClip has just prepared both bitmaps.
    DrawDomainBitmap(false);
    DrawImageBitmap(false);
    S.SceneReady = true;
}

// Erase: the drawing rectangle is whitened first (it still holds the last picture).
void TorvaneScene::DrawDomainBitmap(bool Erase) {
    {
        QPainter P(&DomBitmap);
        P.setClipRect(ToQRect(DomBitmapClip));
        if (Erase) P.fillRect(ToQRect(S.DomView.ViewRect), WindowColour(DrawingColour));
        DrawDomainCurves(S, S.DomRect, P);
        if (S.ShowSingLocus) DrawSingularLocusDom(S, S.DomRect, P);
    }
    DomainSurface = DomBitmap;
}

void TorvaneScene::DrawImageBitmap(bool Erase) {
    {
        QPainter P(&ImgBitmap);
        P.setClipRect(ToQRect(ImgBitmapClip));
        if (Erase) P.fillRect(ToQRect(ImageDrawingRect()), WindowColour(DrawingColour));
        DrawImageCurves(S, S.ImgRect, P);
        if (S.ShowSingLocus) DrawSingularLocusImg(S, S.ImgRect, P);
    }
    ImageSurface = ImgBitmap;  // the copy wipes the cross
    CrossShown = false;
}

void TorvaneScene::DrawCurves(int Which) {
    if (Which & 1) DrawDomainBitmap(true);
    if (Which & 2) DrawImageBitmap(true);
    S.SceneReady = true;
}

PixelRect TorvaneScene::ImageDrawingRect() const {
    // A sphere view draws over the whole panel. The plane view's rectangle is kept while the
    // sphere is shown, so a scene that has shown only the sphere (a document opened with it)
    // has none to use.
    return S.StereoImage ? S.ImgRect : S.ImgView.ViewRect;
}

void TorvaneScene::SetClip(QImage& Bitmap, PixelRect& Clip, PixelRect PanelRect,
                           PixelRect DrawRect) {
    QPainter P(&Bitmap);
    P.fillRect(ToQRect(PanelRect), WindowColour(FormColour));
    P.fillRect(ToQRect(DrawRect), WindowColour(DrawingColour));
    Clip = DrawRect;
}

void TorvaneScene::EraseRect(QImage& Surface, PixelRect R) {
    QPainter P(&Surface);
    P.fillRect(ToQRect(R), WindowColour(DrawingColour));
}

// ---- Map kinds ----

void TorvaneScene::ChangeMapType(bool KeepValues) {
    CrossShown = false;
    DomSphereDragging = ImgSphereDragging = false;
    EraseRect(DomBitmap, S.DomView.ViewRect);
    EraseRect(DomainSurface, S.DomView.ViewRect);
    EraseRect(ImageSurface, S.ImgView.ViewRect);
    EraseRect(ImgBitmap, S.ImgView.ViewRect);
    EraseRect(ParametersSurface, S.ParamRect);
    if (!KeepValues) {
        S.PreserveRatio = S.MapType == 1;
        Menu(MenuItem::AdjusttoPanel1).Checked = !S.PreserveRatio;
        Menu(MenuItem::PreserveRatio1).Checked = S.PreserveRatio;
        S.ShowSingLocus = S.MapType == 0;
        Menu(MenuItem::Singularlocus1).Checked = S.ShowSingLocus;
    }
    S.DataValid = false;
    S.SceneReady = false;
    if (!KeepValues) {
        Text(EditField::pValue) = "0";
        Text(EditField::pMinEdit) = "-2";
        Text(EditField::pMaxEdit) = "2";
        Text(EditField::qValue) = "0";
        Text(EditField::qMinEdit) = "-2";
        Text(EditField::qMaxEdit) = "2";
    }
    Menu(MenuItem::Singularlocus1).Enabled = true;
    Menu(MenuItem::AdjusttoPanel1).Enabled = true;
    ParametersVisible = true;
    for (EditField F : {EditField::pValue, EditField::qValue, EditField::pMinEdit,
                        EditField::pMaxEdit, EditField::qMinEdit, EditField::qMaxEdit}) {
        Edits[static_cast<int>(F)].Visible = true;
        Edits[static_cast<int>(F)].Enabled = true;
    }
    for (SceneLabel L : {SceneLabel::pName, SceneLabel::qName, SceneLabel::pLabel, SceneLabel::qLabel})
        Label(L).Visible = true;
    Edits[static_cast<int>(EditField::F1Edit)].Enabled = true;
    ++FocusRequests;
    Edits[static_cast<int>(EditField::F2Edit)].Visible = S.MapType == 0;
    Edits[static_cast<int>(EditField::F2Edit)].Enabled = S.MapType == 0;
    Menu(MenuItem::RealFunctions1).Checked = S.MapType == 0;
    Menu(MenuItem::ComplexFunction1).Checked = S.MapType == 1;
    if (S.MapType == 1)
        SetUpComplexScene(KeepValues);
    else
        SetUpRealScene(KeepValues);
}

void TorvaneScene::SetUpRealScene(bool KeepValues) {
    if (!KeepValues) {
        Spot = {100, 100};
        Text(EditField::F1Edit) = "p u^2 - v^3";
        Text(EditField::F2Edit) = "q v^2 - u^3";
    }
    SpotShown = false;
    for (int I = 0; I < SceneLabelCount; ++I) {
        Labels[I].Caption = KindLabels[I].Real;
        Labels[I].Left = KindLabels[I].RealLeft;
    }
    Label(SceneLabel::yuvLabel).Visible = true;
}

void TorvaneScene::SetUpComplexScene(bool KeepValues) {
    if (!KeepValues) {
        Spot = {100, 100};
        Text(EditField::F1Edit) = "z(1-p) + p cos(z)";
    }
    SpotShown = false;
    for (int I = 0; I < SceneLabelCount; ++I) {
        Labels[I].Caption = KindLabels[I].Complex;
        Labels[I].Left = KindLabels[I].ComplexLeft;
    }
    Label(SceneLabel::yuvLabel).Visible = false;
}

uint8_t TorvaneScene::SceneFlags() const {
    return static_cast<uint8_t>((S.WholeImage ? 1 : 0) | (S.ShowSingLocus ? 2 : 0) |
                                (S.StereoImage ? 4 : 0) | (S.PreserveRatio ? 8 : 0) |
                                (S.StereoDomain ? 16 : 0));
}

void TorvaneScene::AdjustMenus(uint8_t Flags) {
    S.WholeImage = (Flags & 1) != 0;
    S.ShowSingLocus = (Flags & 2) != 0;
    S.StereoImage = (Flags & 4) != 0;
    S.PreserveRatio = (Flags & 8) != 0;
    S.StereoDomain = (Flags & 16) != 0;
    Menu(MenuItem::Singularlocus1).Checked = S.ShowSingLocus;
    Menu(MenuItem::AdjusttoPanel1).Checked = !S.PreserveRatio;
    Menu(MenuItem::PreserveRatio1).Checked = S.PreserveRatio;
    Menu(MenuItem::Planeimage1).Checked = !S.StereoImage;
    Menu(MenuItem::Stereographicimage1).Checked = S.StereoImage;
    Menu(MenuItem::Planedomain1).Checked = !S.StereoDomain;
    Menu(MenuItem::Stereographicdomain1).Checked = S.StereoDomain;
}

// ---- Parameters panel ----

void TorvaneScene::SetCoordinateChangesParam() { SetParameterScale(S); }

Point2 TorvaneScene::FromParamPanelToParameters(PixelPoint Pixel) const {
    return ParametersAtPixel(S, Pixel);
}

void TorvaneScene::AdjustSpotToParameters() { DrawLittleCircle(SpotOfParameters(S), true); }

// ---- Overlays ----

void TorvaneScene::DrawLittleCircle(PixelPoint P, bool Erase) {
    QPainter Canvas(&ParametersSurface);
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    Canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    Canvas.setPen(QPen(WindowColour(SpotColour), 1));
    if (Erase && SpotShown) {
        DrawOctagon(Canvas, Spot);
        SpotShown = false;
    }
    DrawOctagon(Canvas, P);
    Spot = P;
    SpotShown = true;
}

void TorvaneScene::DrawCrossArms() {
    QPainter Canvas(&ImageSurface);
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    Canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    Canvas.setPen(QPen(WindowColour(CrossAtBack ? RearCrossColour : CrossColour), 1));
    for (const auto& Arm : CrossEnds)
        Canvas.drawLine(QPoint(Arm[0].X, Arm[0].Y), QPoint(Arm[1].X, Arm[1].Y));
}

bool TorvaneScene::DrawCrossInImg(Point2& DomPt, Point2& ImgPt, int X, int Y) {
    if (CrossShown) {
        DrawCrossArms();
        CrossShown = false;
    }
    int Hemisphere = 2;
    if (!PickDomainPoint(S, DomPt, ImgPt, X, Y, Hemisphere)) return false;
    CrossAtBack = Hemisphere == 1;
    double Size = CrossSize * S.DomDiag;
    Point3 P, Tu, Tv;
    if (!ImagePoint3Derivs(S, DomPt, P, Tu, Tv)) return false;
    bool Rear = false;
    Point2 C = S.Procedures.ImgToPanel(S, P, Rear);
    if (!std::isfinite(C.X) || !std::isfinite(C.Y)) return false;
    int CX = RoundPixel(C.X), CY = RoundPixel(C.Y);
    if (!(CX > 0 && CX < 460 && CY > 0 && CY < 460)) return false;
    const Point3 Ends[4] = {{P.X + Size * Tu.X, P.Y + Size * Tu.Y, P.Z + Size * Tu.Z},
                            {P.X - Size * Tu.X, P.Y - Size * Tu.Y, P.Z - Size * Tu.Z},
                            {P.X + Size * Tv.X, P.Y + Size * Tv.Y, P.Z + Size * Tv.Z},
                            {P.X - Size * Tv.X, P.Y - Size * Tv.Y, P.Z - Size * Tv.Z}};
    PixelPoint Pixels[4];
    for (int I = 0; I < 4; ++I) {
        Point2 Q = S.Procedures.ImgToPanel(S, Ends[I], Rear);
        if (!std::isfinite(Q.X) || !std::isfinite(Q.Y)) return false;
        Pixels[I] = {RoundPixel(Q.X), RoundPixel(Q.Y)};
        CrossAtBack = Rear;
    }
    CrossEnds[0][0] = Pixels[0];
    CrossEnds[0][1] = Pixels[1];
    CrossEnds[1][0] = Pixels[2];
    CrossEnds[1][1] = Pixels[3];
    DrawCrossArms();
    CrossShown = true;
    return true;
}
