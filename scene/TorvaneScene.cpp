// The scene's set-up with its defaults, the switch between the two map kinds with their labels
// and menus, and the Parameters panel model.
#include "scene/TorvaneScene.h"

#include <algorithm>
#include <cmath>

#include "scene/PanelRendering.h"
#include "scene/SceneComputer.h"
#include "scene/SceneWork.h"
#include "view/PanelProjection.h"
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
    Menu(MenuItem::ShowCusps1).Checked = S.ShowCusps;
    Menu(MenuItem::ShadePreimages1).Checked = S.ShadePreimages;
    Menu(MenuItem::ColouringNone1).Checked = true;
    Menu(MenuItem::AdjusttoPanel1).Checked = true;
    // Neither domain view is marked until one is chosen (or a document sets it).
    Menu(MenuItem::Planeimage1).Checked = true;
    S.MapType = 0;
    ChangeMapType(false);
    // The first drawing is a step from the fields as they start.
    Recorded = Snapshot();
}

void TorvaneScene::Inform(const std::string& Text) { StatusText = Text; }

void TorvaneScene::SetPanelScale(double Scale, double Ratio) {
    if (!(Ratio >= 1 && Ratio <= MaxPanelScale)) Ratio = 1;
    if (!(Scale >= Ratio)) Scale = Ratio;  // also NaN
    Scale = std::min(Scale, MaxPanelScale);
    if (Scale == S.PanelScale && Ratio == S.ScreenRatio) return;
    // The overlays go before the pictures are stretched: they are drawn again at the new scale.
    if (CrossShown) DrawCrossArms();
    CrossShown = false;
    const bool Spotted = SpotShown;
    SpotShown = false;  // its panel is made anew
    S.PanelScale = Scale;
    S.ScreenRatio = Ratio;
    auto Stretch = [](QImage& Picture, int Size) {
        // Shown only until the drawing at the new scale replaces it: the quick way will do.
        Picture = Picture.scaled(Size, Size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                      .convertToFormat(QImage::Format_RGB32);
    };
    Stretch(DomainSurface, ScreenSize(S, S.DomRect.Right));
    Stretch(ImageSurface, ScreenSize(S, S.ImgRect.Right));
    ParametersSurface = WhiteSurface(ScreenSize(S, S.ParamRect.Right), ScreenSize(S, S.ParamRect.Bottom));
    if (Spotted) DrawLittleCircle(Spot, false);
    if (S.SceneReady || Computing()) {
        // The bitmaps are made anew at the new scale by the drawing. A first drawing still
        // computed at the old scale is stopped and made again whole at the new one.
        Redo(WorkPrepareDomain | WorkDrawDomain | WorkDrawImage, false);
    } else {
        DomBitmap = DomainSurface.copy();
        ImgBitmap = ImageSurface.copy();
        DomBitmapClip = ScreenRect(S, S.DomRect);
        ImgBitmapClip = ScreenRect(S, S.ImgRect);
    }
}

// ---- Map kinds ----

void TorvaneScene::ChangeMapType(bool KeepValues) {
    DropAnimation();
    CancelComputing();
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

