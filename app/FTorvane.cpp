// The main window's life and its wiring to the scene: creating it with its dialogs, the key
// preview, the commands, and the copying of texts and states between the controls and the
// scene around every handler.
#include "app/FTorvane.h"
#include "app/UserSettings.h"

#include <QFileDialog>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include "app/AnimateDialog.h"
#include "app/AppFonts.h"
#include "app/FManTorvane.h"
#include "app/PanelWidget.h"

namespace {

bool IsBoundOrParameterField(EditField F) {
    return F >= EditField::uMinEdit && F <= EditField::pValue;
}

bool IsClipField(EditField F) { return F >= EditField::xMinEdit && F <= EditField::yMaxEdit; }

int ArrowCode(int QtKey) {
    switch (QtKey) {
        case Qt::Key_Left: return KeyLeft;
        case Qt::Key_Up: return KeyUp;
        case Qt::Key_Right: return KeyRight;
        case Qt::Key_Down: return KeyDown;
        default: return 0;
    }
}

QString Q(const std::string& S) { return QString::fromStdString(S); }

}  // namespace

TTorvane::TTorvane(QWidget* Parent) : QMainWindow(Parent) {
    // The two classic faces without a fontconfig alias.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    setFont(NamedFont(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), 13, true));

    AskQuestion = [this](const QString& Text) {
        return QMessageBox::question(this, windowTitle(), Text,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                     QMessageBox::Yes);
    };

    ShowMessage = [this](const QString& Text) {
        QMessageBox::warning(this, windowTitle(), Text, QMessageBox::Ok);
    };
    ChooseFile = [this](bool Saving, const QString& Title) {
        QFileDialog Dialog(this, Title);
        Dialog.setDefaultSuffix(QStringLiteral("tvn"));
        if (Saving && Title.startsWith(QStringLiteral("Export"))) {
            Dialog.setAcceptMode(QFileDialog::AcceptSave);
            Dialog.setDefaultSuffix(QStringLiteral("png"));
            Dialog.setNameFilters({QStringLiteral("PNG picture (*.png)"),
                                   QStringLiteral("SVG drawing (*.svg)"),
                                   QStringLiteral("PDF page (*.pdf)")});
        } else if (Saving) {
            Dialog.setAcceptMode(QFileDialog::AcceptSave);
            Dialog.setNameFilter(QStringLiteral("Torvane  (*.tvn)"));
        } else {
            Dialog.setAcceptMode(QFileDialog::AcceptOpen);
            Dialog.setFileMode(QFileDialog::ExistingFile);
            Dialog.setNameFilter(QStringLiteral("Torvane (*.tvn)"));
        }
        if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return QString();
        return Dialog.selectedFiles().first();
    };
    RunPrintDialog = [this](QPrinter& Printer) {
        QPrintDialog Dialog(&Printer, this);
        return Dialog.exec() == QDialog::Accepted;
    };

    CreateMenus();
    CreateClientArea();
    WirePanels();

    // One simple text: a label rather than the bar's message, since menus clear a bar
    // message when hovered.
    InfoBar = new QLabel(statusBar());
    InfoBar->setObjectName(QStringLiteral("InfoBar"));
    statusBar()->addWidget(InfoBar, 1);
    statusBar()->setFixedHeight(StatusBarHeight);
    Progress = new QProgressBar(statusBar());
    Progress->setObjectName(QStringLiteral("DrawingProgress"));
    Progress->setRange(0, 100);
    Progress->setFormat(QStringLiteral("Drawing %p%   Esc stops"));
    Progress->setFixedSize(200, 15);
    statusBar()->addPermanentWidget(Progress);
    Progress->hide();
    ProgressTimer = new QTimer(this);
    ProgressTimer->setInterval(50);
    connect(ProgressTimer, &QTimer::timeout, this, &TTorvane::FollowComputing);
    auto* Escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(Escape, &QShortcut::activated, this, &TTorvane::StopDrawing);
    // Draw It from any field: Return alone is the default button's key, with Ctrl it works
    // wherever the focus is (the keypad's Enter as well).
    for (QKeySequence Keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* Draw = new QShortcut(Keys, this);
        connect(Draw, &QShortcut::activated, this, &TTorvane::ReadAndDraw);
    }

    // The redraws are computed on the scene's own thread; each result comes back through the
    // event loop, so the window never waits for one.
    SceneModel.ComputeInBackground([this] {
        QMetaObject::invokeMethod(this, &TTorvane::TakeComputedDrawing, Qt::QueuedConnection);
    });

    // The layout is drawn for a client area of 752 x 608 below the menu bar: the window's
    // smallest and first size, grown by whatever height the menu bar takes with the current
    // style and font. The size it had when it was last closed comes back.
    const QSize Smallest(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    setMinimumSize(Smallest);
    resize(Smallest);
    const QByteArray Kept = UserSettings().value(QStringLiteral("Window/Geometry")).toByteArray();
    if (!Kept.isEmpty()) restoreGeometry(Kept);

    LoadViewPreferences();
    SyncOut();
    Edit(EditField::F1Edit)->setFocus();
}

TTorvane::~TTorvane() {
    if (ManualWindow) delete ManualWindow.data();
}

namespace {

// The colourings as the settings file names them, in the order of Colouring.
const QLatin1StringView ColouringKeys[] = {QLatin1StringView("none"), QLatin1StringView("phase"),
                                           QLatin1StringView("modulus"),
                                           QLatin1StringView("enhanced")};

}  // namespace

void TTorvane::LoadViewPreferences() {
    QSettings Settings = UserSettings();
    // A name this version does not know (written by hand, or by a later one) means none.
    const QString Key = Settings.value(QStringLiteral("View/Colouring")).toString();
    Colouring Portrait = Colouring::None;
    for (int I = 0; I < static_cast<int>(std::size(ColouringKeys)); ++I)
        if (Key == ColouringKeys[I]) Portrait = static_cast<Colouring>(I);
    SceneModel.SetViewPreferences(
        Settings.value(QStringLiteral("View/ShowCusps"), true).toBool(),
        Settings.value(QStringLiteral("View/ShadePreimages"), false).toBool(), Portrait);
}

void TTorvane::SaveViewPreferences() {
    QSettings Settings = UserSettings();
    Settings.setValue(QStringLiteral("View/ShowCusps"), SceneModel.S.ShowCusps);
    Settings.setValue(QStringLiteral("View/ShadePreimages"), SceneModel.S.ShadePreimages);
    Settings.setValue(QStringLiteral("View/Colouring"),
                      QString(ColouringKeys[static_cast<int>(SceneModel.S.PortraitColouring)]));
}

QString TTorvane::StatusText() const { return InfoBar->text(); }

// ---- Drawings computed on the scene's thread ----

void TTorvane::TakeComputedDrawing() {
    bool Taken = false;
    Run([&] { Taken = SceneModel.TakeFinishedWork(); });
    // The next computation, if one started, is timed from now.
    if (Taken) ComputingFor.invalidate();
    FollowComputing();
}

void TTorvane::FollowComputing() {
    if (!SceneModel.Computing()) {
        ProgressTimer->stop();
        Progress->hide();
        ComputingFor.invalidate();
        return;
    }
    if (!ComputingFor.isValid()) {
        ComputingFor.start();
        ProgressTimer->start();
    }
    // A quick computation shows nothing; one that takes a while says how far it has come.
    if (ComputingFor.elapsed() >= 200) {
        Progress->setValue(static_cast<int>(100 * SceneModel.ComputingFraction()));
        Progress->show();
    }
}

void TTorvane::FinishDrawing() {
    Run([this] { SceneModel.FinishComputing(); });
}

void TTorvane::StopDrawing() {
    Run([this] { SceneModel.StopComputing(); });
}

QProgressBar* TTorvane::DrawingProgress() const { return Progress->isHidden() ? nullptr : Progress; }


// ---- Keys ----

void TTorvane::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    // Another screen may have another device pixel ratio.
    if (QWindow* Handle = windowHandle(); Handle && !FollowsScreen) {
        FollowsScreen = true;
        connect(Handle, &QWindow::screenChanged, this, [this] { LayOut(); });
    }
    LayOut();
}

bool TTorvane::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == ClientArea) {
        if (Event->type() == QEvent::Resize) LayOut();
        return QMainWindow::eventFilter(Watched, Event);
    }
    if (Event->type() == QEvent::KeyPress) {
        // Key preview: the arrows size the cross whatever control has the focus, and the key
        // still goes on to that control.
        int Code = ArrowCode(static_cast<QKeyEvent*>(Event)->key());
        if (Code != 0) Run([&] { SceneModel.OnKeyDownInForm(Code); }, false);
    } else if (Event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(Watched)) {
        // The map's Undo and Redo, not the field's own: a field's text is a part of the map,
        // and its typing one step of it.
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->matches(QKeySequence::Undo) || Key->matches(QKeySequence::Redo) ||
            QKeySequence(Key->keyCombination()) == QKeySequence(Qt::CTRL | Qt::Key_Y))
            return true;
    } else if (Event->type() == QEvent::KeyRelease) {
        for (int I = 0; I < EditFieldCount; ++I) {
            if (Watched != Edits[I]) continue;
            auto F = static_cast<EditField>(I);
            // The field being typed in keeps the text as typed: rewriting it in the fixed
            // format under the cursor would mangle the next keys ("1" becoming "1.00" before
            // ".25" is typed). The value is the same either way.
            Typing = Edits[I];
            if (IsBoundOrParameterField(F))
                Run([&] { SceneModel.OnKeyUp(F); }, false);
            else if (IsClipField(F))
                Run([&] { SceneModel.OnKeyUpImageBounds(F); }, false);
            Typing = nullptr;
        }
    }
    return QMainWindow::eventFilter(Watched, Event);
}

// ---- Commands ----

void TTorvane::ReadAndDraw() {
    Run([this] { SceneModel.ReadAndDraw(true); });
}

void TTorvane::OnManual() {
    if (ManualWindow && ManualWindow->isVisible()) return;
    if (ManualWindow) delete ManualWindow.data();
    ManualWindow = new TManual(this);
    ManualWindow->show();
}

void TTorvane::ExecuteQuit() { close(); }

// ---- Animation ----

void TTorvane::OpenAnimator() {
    if (!AnimateWindow) AnimateWindow = new TAnimate(this);
    AnimateWindow->FollowMap();
    AnimateWindow->show();
    AnimateWindow->raise();
    AnimateWindow->activateWindow();
}

std::string TTorvane::BeginAnimation(const ParameterPath& P) {
    std::string Why;
    Run([&] { Why = SceneModel.BeginAnimation(P); });
    return Why;
}

bool TTorvane::AnimateTo(double T) {
    bool Moved = false;
    Run([&] { Moved = SceneModel.AnimateTo(T); });
    return Moved;
}

void TTorvane::EndAnimation(bool BackToStart) {
    Run([&] { SceneModel.EndAnimation(BackToStart); });
}

// ---- Between the window and the scene ----

void TTorvane::SyncIn() {
    for (int I = 0; I < EditFieldCount; ++I) SceneModel.Edits[I].Text = Edits[I]->text().toStdString();
}

void TTorvane::SyncOut() {
    for (int I = 0; I < EditFieldCount; ++I) {
        const EditState& State = SceneModel.Edits[I];
        QLineEdit* E = Edits[I];
        QString Text = Q(State.Text);
        if (E->text() != Text && E != Typing) {
            E->setText(Text);
            // A field the user is not typing in shows the start of its text.
            if (!E->hasFocus()) E->setCursorPosition(0);
        }
        E->setVisible(State.Visible);
        E->setEnabled(State.Enabled);
    }
    for (int I = 0; I < SceneLabelCount; ++I) {
        const LabelState& State = SceneModel.Labels[I];
        QLabel* L = Labels[I];
        if (L->text() != Q(State.Caption)) {
            L->setText(Q(State.Caption));
            L->adjustSize();
        }
        L->move(Placed(QPoint(State.Left, LabelTops[I])));
        L->setVisible(State.Visible);
    }
    Parameters->setVisible(SceneModel.ParametersVisible);
    AnimateOpener->setVisible(SceneModel.ParametersVisible);
    if (UndoAction) UndoAction->setEnabled(SceneModel.CanUndo());
    if (RedoAction) RedoAction->setEnabled(SceneModel.CanRedo());
    for (int I = 0; I < MenuItemCount; ++I) {
        QAction* A = MenuActions[I];
        if (!A) continue;
        QSignalBlocker Quiet(A);
        if (A->isCheckable()) A->setChecked(SceneModel.Menus[I].Checked);
        A->setEnabled(SceneModel.Menus[I].Enabled);
    }
    InfoBar->setText(Q(SceneModel.StatusText));
    setWindowTitle(Q(SceneModel.Caption));
    DrawButton->setDefault(SceneModel.DrawButtonIsDefault);
    if (SceneModel.FocusRequests != FocusRequestsSeen) {
        FocusRequestsSeen = SceneModel.FocusRequests;
        Edit(EditField::F1Edit)->setFocus();
    }
    Domain->update();
    Image->update();
    Parameters->update();
}
