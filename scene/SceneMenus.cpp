// Menu handlers of the scene: the view preferences with their three radio groups, the map
// kind, the singular locus switch and the sphere resets.
#include "curves/ImageBounds.h"
#include "scene/SceneWork.h"
#include "scene/TorvaneScene.h"
#include "view/SceneViews.h"

void TorvaneScene::OnPreferences(int Tag) {
    // The clicked radio item checks itself and unchecks the other item of its group.
    auto Choose = [this](MenuItem On, MenuItem Off) {
        Menu(On).Checked = true;
        Menu(Off).Checked = false;
    };
    switch (Tag) {
        case TagAdjustToPanels:
        case TagPreserveRatio:
            if (Tag == TagAdjustToPanels)
                Choose(MenuItem::AdjusttoPanel1, MenuItem::PreserveRatio1);
            else
                Choose(MenuItem::PreserveRatio1, MenuItem::AdjusttoPanel1);
            if (Checked(MenuItem::PreserveRatio1) != S.PreserveRatio && S.SceneReady) {
                S.PreserveRatio = !S.PreserveRatio;
                FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin,
                              S.DomMax, S.PreserveRatio);
                FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin,
                             S.ImgMax, S.PreserveRatio);
                ComputeAndDrawCurves();
                S.Modified = true;
            }
            break;
        case TagPlaneImage:
        case TagStereographicImage:
            if (Tag == TagPlaneImage)
                Choose(MenuItem::Planeimage1, MenuItem::Stereographicimage1);
            else
                Choose(MenuItem::Stereographicimage1, MenuItem::Planeimage1);
            if (Checked(MenuItem::Stereographicimage1) != S.StereoImage) {
                S.StereoImage = !S.StereoImage;
                if (S.DataValid) BindViewProcedures(S);
                if (S.StereoImage) S.ImgView.ViewRect = S.ImgRect;
                S.WholeImage = !VerifyImageBoundsEntries(
                    S, Text(EditField::xMinEdit), Text(EditField::xMaxEdit),
                    Text(EditField::yMinEdit), Text(EditField::yMaxEdit));
                if (S.SceneReady) {
                    // The clip rectangle just read needs its derived fields.
                    if (!S.WholeImage) SetBasicData(S);
                    FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin,
                                 S.ImgMax, S.PreserveRatio);
                    ComputeAndDrawCurves();
                }
                S.Modified = true;
            }
            break;
        case TagPlaneDomain:
        case TagStereographicDomain:
            if (Tag == TagPlaneDomain)
                Choose(MenuItem::Planedomain1, MenuItem::Stereographicdomain1);
            else
                Choose(MenuItem::Stereographicdomain1, MenuItem::Planedomain1);
            if (Checked(MenuItem::Stereographicdomain1) != S.StereoDomain) {
                S.StereoDomain = !S.StereoDomain;
                if (S.DataValid) {
                    BindViewProcedures(S);
                    if (S.StereoDomain) S.DomView.ViewRect = S.DomRect;
                    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin,
                                  S.DomMax, S.PreserveRatio);
                    Redo(WorkDomainCurves |
                             (S.ShowSingLocus ? WorkLocusDomainPositions : 0) |
                             WorkPrepareDomain | WorkDrawDomain,
                         false);
                }
                S.Modified = true;
            }
            break;
        default:
            break;
    }
}

void TorvaneScene::OnFunctionType(int Type) {
    if (Type != 0 && Type != 1) return;
    Menu(MenuItem::RealFunctions1).Checked = S.MapType == 0;
    Menu(MenuItem::ComplexFunction1).Checked = S.MapType == 1;
    if (Type == S.MapType) return;
    S.MapType = Type;
    ChangeMapType(false);
}

void TorvaneScene::OnGeometryMenu() {
    bool Now = !Checked(MenuItem::Singularlocus1);
    Menu(MenuItem::Singularlocus1).Checked = Now;
    bool Changed = Now != S.ShowSingLocus;
    S.ShowSingLocus = Now;
    if (Changed && S.SceneReady) {
        S.Modified = true;
        Redo(WorkLocus | WorkDrawDomain | WorkDrawImage, false);
    }
}

void TorvaneScene::OnShowCusps() {
    S.ShowCusps = !S.ShowCusps;
    Menu(MenuItem::ShowCusps1).Checked = S.ShowCusps;
    // Only a real map's locus has cusps; the marks come and go with its points.
    if (S.SceneReady && S.ShowSingLocus && S.MapType == 0)
        Redo(WorkLocus | WorkDrawDomain | WorkDrawImage, false);
}

void TorvaneScene::OnShadePreimages() {
    S.ShadePreimages = !S.ShadePreimages;
    Menu(MenuItem::ShadePreimages1).Checked = S.ShadePreimages;
    // The samples come (or go) with the shading; the curves stay as they are.
    if (S.SceneReady) Redo(WorkPreimageSamples | WorkDrawImage, false);
}

void TorvaneScene::OnColouring(Colouring C) {
    const int Index = static_cast<int>(C);
    if (Index < 0 || Index >= static_cast<int>(std::size(ColouringItems))) return;
    for (int I = 0; I < static_cast<int>(std::size(ColouringItems)); ++I)
        Menu(ColouringItems[I]).Checked = I == Index;
    if (C == S.PortraitColouring) return;
    S.PortraitColouring = C;
    S.PortraitMilliseconds = 0;
    // The curves stay; both panels are drawn again, the lines with their pens for it.
    if (S.SceneReady) Redo(WorkDrawDomain | WorkDrawImage, false);
}

void TorvaneScene::SetViewPreferences(bool ShowCusps, bool ShadePreimages, Colouring Portrait) {
    S.ShowCusps = ShowCusps;
    Menu(MenuItem::ShowCusps1).Checked = ShowCusps;
    S.ShadePreimages = ShadePreimages;
    Menu(MenuItem::ShadePreimages1).Checked = ShadePreimages;
    const int Index = static_cast<int>(Portrait);
    S.PortraitColouring =
        Index >= 0 && Index < static_cast<int>(std::size(ColouringItems)) ? Portrait : Colouring::None;
    for (int I = 0; I < static_cast<int>(std::size(ColouringItems)); ++I)
        Menu(ColouringItems[I]).Checked = I == static_cast<int>(S.PortraitColouring);
}

void TorvaneScene::OnResetSphere(int Tag) {
    if (!S.SceneReady) return;
    if (Tag == TagResetImageSphere) {
        ResetSphere(S.ImgSphere, 2);
        Redo(WorkImageCurves | (S.ShowSingLocus ? WorkLocusImagePositions : 0) | WorkDrawImage,
             false);
    } else if (Tag == TagResetDomainSphere) {
        ResetSphere(S.DomSphere, 1);
        Redo(WorkDomainCurves | (S.ShowSingLocus ? WorkLocusDomainPositions : 0) |
                 WorkDrawDomain,
             false);
    }
}
