// Reading the fields: the formulas compiled, every bound and parameter evaluated and checked
// in the order of the fields, the first failure reported with its message.
#include <cmath>

#include "common/ResStrings.h"
#include "scene/TorvaneScene.h"
#include "view/ViewDrags.h"

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

