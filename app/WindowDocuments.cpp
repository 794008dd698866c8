// The main window's files: opening and saving documents with their messages, the question
// before closing, exporting pictures and printing the page.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSpinBox>

#include <algorithm>
#include <cmath>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPrinter>

#include "app/AnimateDialog.h"
#include "app/FTorvane.h"
#include "app/PanelWidget.h"
#include "app/RecentDocuments.h"
#include "app/UserSettings.h"
#include "common/ResStrings.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "scene/PictureExport.h"
#include "scene/RenderFrames.h"
#include "scene/WebPAnimation.h"
#include "scene/PrintDrawings.h"

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

}  // namespace

// ---- Documents ----

void TTorvane::ShowOutcome(const FileOutcome& R) {
    if (R.Ok()) return;
    ShowMessage(R.SystemText.empty() ? QString::fromLatin1(DocumentMessage(R.Code))
                                     : Q(R.SystemText));
}

void TTorvane::WriteToDisk(const std::string& FileName) {
    const FileOutcome R = SceneModel.WriteToDisk(FileName);
    ShowOutcome(R);
    if (R.Ok()) RememberDocument(Q(FileName));
}

bool TTorvane::ReadFromDisk(const QString& FileName) {
    FileOutcome R;
    Run([&] { R = SceneModel.ReadFromDisk(FileName.toStdString()); });
    if (R.Ok()) {
        RememberDocument(FileName);
        return true;
    }
    ShowOutcome(R);
    // The scene is as it was, and it stays usable.
    Run([this] { SceneModel.Inform(DocumentMessage(DocumentError::ReadError)); });
    return false;
}

void TTorvane::Open() {
    QString Chosen = ChooseFile(false, QStringLiteral("Open"));
    if (!Chosen.isEmpty()) ReadFromDisk(Chosen);
}

// ---- Recent documents ----

void TTorvane::RememberDocument(const QString& FileName) {
    SaveRecentDocuments(WithRecentDocument(LoadRecentDocuments(), FileName));
    RebuildRecentMenu();
}

void TTorvane::RebuildRecentMenu() {
    if (!RecentMenu) return;
    RecentMenu->clear();
    const QStringList Recent = LoadRecentDocuments();
    for (int I = 0; I < Recent.size(); ++I) {
        QAction* A = RecentMenu->addAction(RecentDocumentText(Recent[I], I));
        A->setStatusTip(Recent[I]);
        A->setData(Recent[I]);
        connect(A, &QAction::triggered, this, [this, Path = Recent[I]] { OpenRecent(Path); });
    }
    RecentMenu->addSeparator();
    connect(RecentMenu->addAction(QStringLiteral("Clear Menu")), &QAction::triggered, this,
            &TTorvane::ClearRecent);
    RecentMenu->actions().back()->setEnabled(!Recent.isEmpty());
}

void TTorvane::OpenRecent(const QString& FileName) {
    if (!QFileInfo::exists(FileName)) {
        QStringList Recent = LoadRecentDocuments();
        Recent.removeAll(FileName);
        SaveRecentDocuments(Recent);
        RebuildRecentMenu();
        ShowMessage(QStringLiteral("The file %1 no longer exists; it has been taken off the list.")
                        .arg(FileName));
        return;
    }
    ReadFromDisk(FileName);
}

void TTorvane::OpenExample(const std::string& Name) {
    DocumentError E = DocumentError::None;
    Run([&] { E = SceneModel.OpenExample(Name); });
    if (E != DocumentError::None) ShowMessage(QString::fromLatin1(DocumentMessage(E)));
}

void TTorvane::Start(const QString& Document) {
    if (!Document.isEmpty())
        ReadFromDisk(Document);
    else if (DrawsAtStart())
        ReadAndDraw();
}

void TTorvane::ClearRecent() {
    SaveRecentDocuments({});
    RebuildRecentMenu();
}

void TTorvane::Save() {
    if (!SceneModel.S.SceneReady || !SceneModel.S.Modified) return;
    if (SceneModel.FileName.empty()) {
        SaveAs();
        return;
    }
    SceneModel.FileName = WithDocumentExtension(SceneModel.FileName);
    Run([this] { WriteToDisk(SceneModel.FileName); });
}

// Asks for a name under the given title and writes the document there; true when it reached
// the disk.
bool TTorvane::SaveUnderNewName(const QString& Title) {
    QString Chosen = ChooseFile(true, Title);
    if (Chosen.isEmpty()) return false;
    Run([&] {
        SceneModel.FileName = WithDocumentExtension(Chosen.toStdString());
        WriteToDisk(SceneModel.FileName);
        SceneModel.Caption = DocumentCaption(SceneModel.FileName);
    });
    return !SceneModel.S.Modified;
}

void TTorvane::SaveAs() {
    if (SceneModel.S.SceneReady) SaveUnderNewName(QStringLiteral("Save As"));
}

bool TTorvane::WantToSave() {
    // Only a document that reached the disk counts as saved: after a failed write the window
    // must not close and lose the changes.
    return SceneModel.S.SceneReady && SceneModel.S.Modified &&
           SaveUnderNewName(QStringLiteral("Save changes?"));
}

// ---- Pictures ----

void TTorvane::ExportPicture(bool LastPanelOnly) {
    // The picture of what the fields say, not of the drawing before it.
    FinishDrawing();
    if (!SceneModel.S.SceneReady) return;
    QString Chosen = ChooseFile(true, LastPanelOnly ? QStringLiteral("Export Panel Picture")
                                                    : QStringLiteral("Export Picture"));
    if (Chosen.isEmpty()) return;
    PicturePanels Which = !LastPanelOnly      ? PicturePanels::Both
                          : LastPanelIsImage ? PicturePanels::Image
                                             : PicturePanels::Domain;
    // Pixels for a paper at twice the screen's size; drawings scale without loss.
    PictureFormat Format = PictureFormat::Png;
    PictureFormatOf(Chosen.toStdString(), Format);
    int Size = Format == PictureFormat::Png ? 920 : 460;
    std::string Failure = ::ExportPicture(SceneModel, Chosen.toStdString(), Which, Size);
    if (!Failure.empty()) ShowMessage(Q(Failure));
    Domain->update();
    Image->update();
}

namespace {

bool RunAnimationDialog(QWidget* Parent, TTorvane::AnimationRequest& R, bool Complex) {
    QDialog Dialog(Parent);
    Dialog.setWindowTitle(QStringLiteral("Export Animation"));
    auto* Form = new QFormLayout(&Dialog);
    auto* PEnd = new QLineEdit(R.PEnd, &Dialog);
    auto* QEnd = new QLineEdit(R.QEnd, &Dialog);
    auto* Frames = new QSpinBox(&Dialog);
    Frames->setRange(1, MaxFrames);
    Frames->setValue(R.Frames);
    auto* Fps = new QSpinBox(&Dialog);
    Fps->setRange(MinFramesPerSecond, MaxFramesPerSecond);
    Fps->setValue(R.FramesPerSecond);
    Form->addRow(Complex ? QStringLiteral("Re p goes to") : QStringLiteral("p goes to"), PEnd);
    Form->addRow(Complex ? QStringLiteral("Im p goes to") : QStringLiteral("q goes to"), QEnd);
    Form->addRow(QStringLiteral("Frames"), Frames);
    Form->addRow(QStringLiteral("Frames a second"), Fps);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dialog);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    Form->addRow(Buttons);
    if (Dialog.exec() != QDialog::Accepted) return false;
    R.PEnd = PEnd->text();
    R.QEnd = QEnd->text();
    R.Frames = Frames->value();
    R.FramesPerSecond = Fps->value();
    return true;
}

}  // namespace

void TTorvane::ExportAnimation() {
    FinishDrawing();
    if (!SceneModel.S.SceneReady) return;
    AnimationRequest R;
    R.PEnd = Edit(EditField::pValue)->text();
    R.QEnd = Edit(EditField::qValue)->text();
    const bool Complex = SceneModel.S.MapType == 1;
    if (!(AskAnimation ? AskAnimation(R) : RunAnimationDialog(this, R, Complex))) return;
    if (R.Frames < 1 || R.Frames > MaxFrames || R.FramesPerSecond < MinFramesPerSecond ||
        R.FramesPerSecond > MaxFramesPerSecond)
        return;
    // The path from the values as they are to the ones asked for.
    FramePath Path;
    Path.MovesP = Path.MovesQ = true;
    Path.P[0] = SceneModel.S.ParamValue.X;
    Path.Q[0] = SceneModel.S.ParamValue.Y;
    try {
        EvaluateConstantFormula(R.PEnd.trimmed().toStdString(), Path.P[1]);
        EvaluateConstantFormula(R.QEnd.trimmed().toStdString(), Path.Q[1]);
    } catch (const FormulaError& E) {
        ShowMessage(QString::fromUtf8(E.what()));
        return;
    }
    if (!std::isfinite(Path.P[1]) || !std::isfinite(Path.Q[1])) {
        ShowMessage(QString::fromLatin1(ResStrings::NumberTooLarge));
        return;
    }
    WriteAnimationFrames(FrameParameters(Path, SceneModel.S.ParamValue, R.Frames), R.FramesPerSecond);
}

void TTorvane::WriteAnimationFrames(const std::vector<Point2>& Values, int FramesPerSecond) {
    FinishDrawing();
    if (!SceneModel.S.SceneReady || Values.empty()) return;
    QString Chosen = ChooseFile(true, QStringLiteral("Export Animation"));
    if (Chosen.isEmpty()) return;
    QString Probe;
    const bool Frames = FrameName(Chosen, 0, Probe) && Chosen.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    if (!Frames && !Chosen.endsWith(QStringLiteral(".webp"), Qt::CaseInsensitive)) Chosen += QStringLiteral(".webp");
    // Drawn on a scene of its own, so that the window's map stays as it is.
    TorvaneScene Frame;
    Frame.PaintsBitmaps = false;
    Frame.RestoreMap(SceneModel.Snapshot());
    if (!Frame.S.SceneReady) {
        ShowMessage(Q(Frame.StatusText));
        return;
    }
    const int Count = static_cast<int>(Values.size());
    QProgressDialog Progress(QStringLiteral("Exporting the animation..."), QStringLiteral("Stop"), 0, Count, this);
    Progress.setWindowModality(Qt::WindowModal);
    Progress.setMinimumDuration(300);
    const FrameProgress Report = [&Progress](int Done, int) {
        Progress.setValue(Done);
        QCoreApplication::processEvents();
        return !Progress.wasCanceled();
    };
    bool BadMap = false;
    const std::string Failure =
        Frames ? WriteFrames(Frame, Values, Chosen, PicturePanels::Both, 460, BadMap, Report)
               : WriteAnimation(Frame, Values, Chosen.toStdString(), PicturePanels::Both, 460,
                                std::clamp(FramesPerSecond, MinFramesPerSecond, MaxFramesPerSecond), BadMap,
                                Report);
    Progress.reset();
    if (!Failure.empty() && Failure != StoppedAnimation) ShowMessage(Q(Failure));
}

// ---- Printing ----

void TTorvane::OnPrint() {
    FinishDrawing();
    if (!SceneModel.S.SceneReady) return;
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setPageOrientation(QPageLayout::Landscape);
    if (RunPrintDialog(Printer) && Printer.copyCount() >= 1) PrintTo(Printer);
    Domain->update();
    Image->update();
}

void TTorvane::PrintTo(QPrinter& Printer) {
    Printer.setPageOrientation(QPageLayout::Landscape);
    QPainter P;
    if (!P.begin(&Printer)) {
        ShowMessage(QStringLiteral("The printer could not be started."));
        return;
    }
    PageGeometry G = PageSetup(P.device()->width(), P.device()->height());
    PrintPage(SceneModel, P, G);
    P.end();
}

void TTorvane::closeEvent(QCloseEvent* Event) {
    // A path playing stops where it is first: the question's answer is about the map as it
    // stands, not one that moves on beneath the question, and a window that goes draws no
    // further frames.
    if (AnimateWindow) AnimateWindow->Pause();
    // What was typed since the last step counts as a change too.
    SceneModel.RecordPending();
    bool CanClose = true;
    if (SceneModel.S.Modified) {
        QString Question = QStringLiteral("Save changes made to ") + windowTitle() +
                           QStringLiteral(" before exiting?");
        switch (AskQuestion(Question)) {
            case QMessageBox::Yes: CanClose = WantToSave(); break;
            case QMessageBox::No: break;
            default: CanClose = false; break;
        }
    }
    if (CanClose) {
        // Nothing is to be finished for a window that goes: its computation stops at once.
        SceneModel.StopComputing();
        UserSettings().setValue(QStringLiteral("Window/Geometry"), saveGeometry());
        Event->accept();
    }
    else
        Event->ignore();
}
