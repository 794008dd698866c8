// Undo and redo of the map: snapshots compared after each command, steps on the undo stack,
// and a snapshot put back exactly.
#include <charconv>

#include "scene/MapHistory.h"
#include "scene/TorvaneScene.h"

namespace {

// The shortest text that reads back as X exactly, without an exponent (which the formula
// language would take for a letter).
std::string ExactText(double X) {
    char Buffer[400];
    const auto [End, Error] = std::to_chars(Buffer, Buffer + sizeof Buffer, X, std::chars_format::fixed);
    return Error == std::errc() ? std::string(Buffer, End) : std::string("0");
}

}  // namespace

bool MapSnapshot::SameMap(const MapSnapshot& Other) const {
    if (Document != Other.Document || MapType != Other.MapType || Drawn != Other.Drawn) return false;
    for (int I = 0; I < SnapshotFieldCount; ++I)
        if (Texts[I] != Other.Texts[I]) return false;
    return true;
}

MapStep::MapStep(TorvaneScene& Scene, MapSnapshot Before, MapSnapshot After)
    : Scene(Scene), Before(std::move(Before)), After(std::move(After)) {}

void MapStep::undo() {
    Scene.RestoreMap(Before);
    Scene.Recorded = Before;
    Done = false;
}

void MapStep::redo() {
    // Pushed when the change has been made already.
    if (Done) return;
    Scene.RestoreMap(After);
    Scene.Recorded = After;
    Done = true;
}

MapSnapshot TorvaneScene::Snapshot() const {
    MapSnapshot M;
    M.Document = WriteDocument(CurrentDocument());
    for (int I = 0; I < SnapshotFieldCount; ++I) M.Texts[I] = Edits[I].Text;
    M.MapType = S.MapType;
    M.Drawn = S.DataValid;
    M.FileName = FileName;
    M.Caption = Caption;
    return M;
}

bool TorvaneScene::GestureInProgress() const {
    return S.DomShifting || S.DomZooming || S.ImgShifting || S.ImgZooming || DomSphereDragging ||
           ImgSphereDragging || ParametersHeld || AnimationPlaying;
}

void TorvaneScene::RecordNow(bool Forced) {
    if (!Forced && GestureInProgress()) return;
    // A computation still writes the image's rectangle: the step is recorded when it is
    // taken back (or, when asked for now, once it is done).
    if (Computing()) {
        if (!Forced) return;
        FinishComputing();
    }
    // A read that failed leaves the scene without a map: the fields are recorded with the
    // next map they make.
    if (!S.DataValid) return;
    MapSnapshot Now = Snapshot();
    if (Now.SameMap(Recorded)) {
        // A new name (Save As) is no change of the map, but goes with it from now on.
        Recorded.FileName = Now.FileName;
        Recorded.Caption = Now.Caption;
    } else {
        MapSnapshot Before = Recorded;
        Recorded = Now;
        History.push(new MapStep(*this, std::move(Before), std::move(Now)));
    }
    if (CleanWhenDone) {
        History.setClean();
        CleanWhenDone = false;
    }
    S.Modified = !History.isClean();
}

void TorvaneScene::RecordStep() { RecordNow(false); }

bool TorvaneScene::CanUndo() const {
    return History.canUndo() || (S.DataValid && !Snapshot().SameMap(Recorded));
}

void TorvaneScene::UndoStep() {
    RecordNow(true);
    if (!History.canUndo()) return;
    History.undo();
    S.Modified = !History.isClean();
}

void TorvaneScene::RedoStep() {
    if (!History.canRedo()) return;
    History.redo();
    S.Modified = !History.isClean();
}

void TorvaneScene::MarkClean() {
    // A document still being drawn is clean once its drawing is recorded; the window does
    // not wait for it.
    if (Computing()) {
        CleanWhenDone = true;
        S.Modified = false;
        return;
    }
    RecordNow(true);
    History.setClean();
    S.Modified = false;
}

void TorvaneScene::RestoreMap(const MapSnapshot& M) {
    DropAnimation();
    MapDocument D;
    if (ReadDocument(M.Document, D) != DocumentError::None) return;  // only snapshots we wrote
    CancelComputing();
    DomSphereDragging = ImgSphereDragging = ParametersHeld = ParametersDragging = false;
    S.DomShifting = S.DomZooming = S.ImgShifting = S.ImgZooming = false;
    S.MapType = M.MapType;
    S.DomSphere = D.DomSphere;
    S.ImgSphere = D.ImgSphere;
    AdjustMenus(static_cast<uint8_t>(D.Flags & 0x1F));
    TakeDocumentValues(D);
    ChangeMapType(true);
    for (int I = 0; I < SnapshotFieldCount; ++I) Edits[I].Text = M.Texts[I];
    FileName = M.FileName;
    Caption = M.Caption;
    if (!M.Drawn) return;
    // The fields show the values rounded (a parameter to four places): the map is read from
    // their exact texts, and the fields then show what they showed.
    const std::pair<EditField, double> Values[] = {
        {EditField::pMinEdit, D.ParamMin.X}, {EditField::pMaxEdit, D.ParamMax.X},
        {EditField::qMinEdit, D.ParamMin.Y}, {EditField::qMaxEdit, D.ParamMax.Y},
        {EditField::pValue, D.P},            {EditField::qValue, D.Q},
        {EditField::uMinEdit, D.DomMin.X},   {EditField::uMaxEdit, D.DomMax.X},
        {EditField::vMinEdit, D.DomMin.Y},   {EditField::vMaxEdit, D.DomMax.Y}};
    for (const auto& [Field, Value] : Values) Text(Field) = ExactText(Value);
    if (!S.WholeImage) {
        Text(EditField::xMinEdit) = ExactText(D.ImgMin.X);
        Text(EditField::xMaxEdit) = ExactText(D.ImgMax.X);
        Text(EditField::yMinEdit) = ExactText(D.ImgMin.Y);
        Text(EditField::yMaxEdit) = ExactText(D.ImgMax.Y);
    }
    ReadAndDraw(false);
    for (int I = 0; I < SnapshotFieldCount; ++I) Edits[I].Text = M.Texts[I];
}
