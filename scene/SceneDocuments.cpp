// The scene's side of documents: what a document holds of the scene, and a read document put
// on screen (fields, flags, spheres, the kind) and drawn.
#include "common/ConstTypesAndGlobals.h"
#include "scene/TorvaneScene.h"
#include "scene/Examples.h"

namespace {

std::string DocumentText(double X) { return FloatToShortText(6, X); }

}  // namespace

MapDocument TorvaneScene::CurrentDocument() const {
    MapDocument D;
    D.MapType = S.MapType;
    D.Flags = SceneFlags();
    D.Formula1 = Utf8ToLatin1(Text(EditField::F1Edit));
    D.Formula2 = Utf8ToLatin1(Text(EditField::F2Edit));
    D.ParamMin = S.ParamMin;
    D.ParamMax = S.ParamMax;
    D.P = S.ParamValue.X;
    D.Q = S.ParamValue.Y;
    D.DomMin = S.DomMin;
    D.DomMax = S.DomMax;
    D.ImgMin = S.ImgMin;
    D.ImgMax = S.ImgMax;
    D.ImgSphereCentre = S.ImgSphere.Centre;
    for (int I = 0; I < 3; ++I)
        for (int J = 0; J < 3; ++J) D.ImgSphereRotation[I][J] = S.ImgSphere.Rotation[I][J];
    D.ImgSphereRadius = S.ImgSphere.Radius;
    D.DomSphere = S.DomSphere;
    D.ImgSphere = S.ImgSphere;
    return D;
}

FileOutcome TorvaneScene::WriteToDisk(const std::string& FileName) {
    FileOutcome R;
    if (FileName.empty()) {
        R.Code = DocumentError::NotAssigned;
        S.Modified = true;
        return R;
    }
    R = SaveDocumentFile(FileName, CurrentDocument());
    S.Modified = !R.Ok();
    if (R.Ok()) MarkClean();
    return R;
}

FileOutcome TorvaneScene::ReadFromDisk(const std::string& FileName) {
    MapDocument D = CurrentDocument();
    FileOutcome R = LoadDocumentFile(FileName, D);
    if (R.Ok()) {
        ApplyDocument(D, FileName);
        MarkClean();
    }
    return R;
}

DocumentError TorvaneScene::OpenExample(const std::string& Name) {
    MapDocument D = CurrentDocument();
    const DocumentError E = ReadExample(Name, D);
    if (E != DocumentError::None) return E;
    ApplyDocument(D, "");
    Caption = FindExample(Name)->Title;
    MarkClean();
    return E;
}

void TorvaneScene::TakeDocumentValues(const MapDocument& D) {
    S.ParamMin = D.ParamMin;
    S.ParamMax = D.ParamMax;
    S.ParamValue = {D.P, D.Q};
    S.DomMin = D.DomMin;
    S.DomMax = D.DomMax;
    S.ImgMin = D.ImgMin;
    S.ImgMax = D.ImgMax;
}

void TorvaneScene::ApplyDocument(const MapDocument& D, const std::string& Name) {
    DropAnimation();
    CancelComputing();
    S.MapType = D.MapType == 0 ? 0 : 1;
    Text(EditField::F1Edit) = D.MapType == 2 ? FractionalLinearFormula : Latin1ToUtf8(D.Formula1);
    Text(EditField::F2Edit) = Latin1ToUtf8(D.Formula2);
    TakeDocumentValues(D);
    if (D.Version >= 1) {
        S.DomSphere = D.DomSphere;
        S.ImgSphere = D.ImgSphere;
    } else {
        // An old document holds only the image sphere's centre, turn and radius.
        S.ImgSphere.Centre = D.ImgSphereCentre;
        for (int I = 0; I < 3; ++I)
            for (int J = 0; J < 3; ++J) S.ImgSphere.Rotation[I][J] = D.ImgSphereRotation[I][J];
        S.ImgSphere.Radius = D.ImgSphereRadius;
        S.ImgSphere.RadiusSqr = D.ImgSphereRadius * D.ImgSphereRadius;
    }
    AdjustMenus(static_cast<uint8_t>(D.Flags & 0x1F));
    Text(EditField::uMinEdit) = DocumentText(S.DomMin.X);
    Text(EditField::uMaxEdit) = DocumentText(S.DomMax.X);
    Text(EditField::vMinEdit) = DocumentText(S.DomMin.Y);
    Text(EditField::vMaxEdit) = DocumentText(S.DomMax.Y);
    Text(EditField::pValue) = DocumentText(S.ParamValue.X);
    Text(EditField::qValue) = DocumentText(S.ParamValue.Y);
    Text(EditField::pMinEdit) = DocumentText(S.ParamMin.X);
    Text(EditField::pMaxEdit) = DocumentText(S.ParamMax.X);
    Text(EditField::qMinEdit) = DocumentText(S.ParamMin.Y);
    Text(EditField::qMaxEdit) = DocumentText(S.ParamMax.Y);
    const EditField Clip[4] = {EditField::xMinEdit, EditField::xMaxEdit, EditField::yMinEdit,
                               EditField::yMaxEdit};
    const double ClipValues[4] = {S.ImgMin.X, S.ImgMax.X, S.ImgMin.Y, S.ImgMax.Y};
    for (int I = 0; I < 4; ++I) Text(Clip[I]) = S.WholeImage ? "" : DocumentText(ClipValues[I]);
    S.SceneReady = false;
    ChangeMapType(true);
    ReadAndDraw(false);
    S.Modified = false;
    FileName = Name;
    Caption = DocumentCaption(Name);
}
