// Builds the main window at the pixel positions its layout is drawn for, wires every control,
// panel, key and menu to the scene, and shows the scene's state after each handler.
#include "app/FTorvane.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QFileDialog>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

#include "app/AppFonts.h"
#include "app/FManTorvane.h"
#include "app/PanelWidget.h"
#include "scene/PictureExport.h"
#include "scene/PrintDrawings.h"

namespace {

const QColor FormColour(0xFF, 0xE8, 0xB0);
const QColor DrawButtonTextColour(0x00, 0x00, 0x80);

struct EditPlace {
    const char* Name;
    QRect Geometry;
};

// In the order of EditField, which is also the tab order.
const EditPlace EditPlaces[EditFieldCount] = {
    {"F1Edit", {336, 529, 410, 20}},   {"F2Edit", {336, 552, 410, 20}},
    {"uMinEdit", {151, 294, 40, 16}},  {"uMaxEdit", {242, 294, 38, 16}},
    {"vMinEdit", {151, 314, 40, 16}},  {"vMaxEdit", {242, 314, 38, 16}},
    {"pMinEdit", {82, 542, 38, 16}},   {"pMaxEdit", {162, 542, 38, 16}},
    {"qMinEdit", {82, 562, 38, 16}},   {"qMaxEdit", {162, 562, 38, 16}},
    {"qValue", {37, 446, 40, 16}},     {"pValue", {37, 422, 40, 16}},
    {"xMinEdit", {547, 474, 40, 16}},  {"xMaxEdit", {642, 474, 40, 16}},
    {"yMinEdit", {547, 494, 40, 16}},  {"yMaxEdit", {642, 494, 40, 16}},
    {"uValueEdit", {39, 294, 40, 16}}, {"vValueEdit", {39, 314, 40, 16}},
    {"xValueEdit", {375, 474, 40, 16}}, {"yValueEdit", {375, 494, 40, 16}},
};

// Label names and tops, in the order of SceneLabel; their left edges and captions come from
// the scene, since they change with the map kind.
const char* const LabelNames[SceneLabelCount] = {"xuvLabel", "yuvLabel", "uName",  "vName",
                                                 "uLabel",   "vLabel",   "xLabel", "yLabel",
                                                 "pName",    "qName",    "pLabel", "qLabel",
                                                 "xName",    "yName"};
const int LabelTopEdges[SceneLabelCount] = {530, 553, 293, 313, 293, 313, 473,
                                            493, 421, 445, 541, 561, 473, 493};

QFont LabelFont() {
    return NamedFont(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 13, true);
}

QFont EditFont() {
    return NamedFont(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), 12,
                     false);
}

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

    // One simple text; a fixed window has nothing to resize, so the grip would only mislead.
    // A label rather than the bar's message: menus clear a bar message when hovered.
    statusBar()->setSizeGripEnabled(false);
    InfoBar = new QLabel(statusBar());
    InfoBar->setObjectName(QStringLiteral("InfoBar"));
    statusBar()->addWidget(InfoBar, 1);
    statusBar()->setFixedHeight(19);

    // The layout is drawn for a client area of 752 x 608 below the menu bar; the window grows
    // by whatever height the menu bar takes with the current style and font.
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());

    SyncOut();
    Edit(EditField::F1Edit)->setFocus();
}

TTorvane::~TTorvane() {
    if (ManualWindow) delete ManualWindow.data();
}

QString TTorvane::StatusText() const { return InfoBar->text(); }

// ---- Building ----

void TTorvane::CreateMenus() {
    auto Item = [this](QMenu* Menu, const char* Text, MenuItem M, QActionGroup* Group) {
        QAction* A = Menu->addAction(QString::fromLatin1(Text));
        A->setCheckable(true);
        if (Group) Group->addAction(A);
        MenuActions[static_cast<int>(M)] = A;
        return A;
    };
    auto Group = [this] {
        auto* G = new QActionGroup(this);
        // The scene decides the marks; a group may show none (no domain view chosen yet).
        G->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        return G;
    };

    QMenu* File = menuBar()->addMenu(QStringLiteral("File"));
    connect(File->addAction(QStringLiteral("Manual...")), &QAction::triggered, this,
            &TTorvane::OnManual);
    File->addSeparator();
    QAction* Real = File->addAction(QStringLiteral("Real Functions"));
    QAction* Complex = File->addAction(QStringLiteral("Complex Function"));
    MenuActions[static_cast<int>(MenuItem::RealFunctions1)] = Real;
    MenuActions[static_cast<int>(MenuItem::ComplexFunction1)] = Complex;
    connect(Real, &QAction::triggered, this, [this] { Run([this] { SceneModel.OnFunctionType(0); }); });
    connect(Complex, &QAction::triggered, this,
            [this] { Run([this] { SceneModel.OnFunctionType(1); }); });
    File->addSeparator();
    connect(File->addAction(QStringLiteral("Open...")), &QAction::triggered, this, &TTorvane::Open);
    connect(File->addAction(QStringLiteral("Save")), &QAction::triggered, this, &TTorvane::Save);
    connect(File->addAction(QStringLiteral("Save As...")), &QAction::triggered, this,
            &TTorvane::SaveAs);
    connect(File->addAction(QStringLiteral("Print...")), &QAction::triggered, this,
            &TTorvane::OnPrint);
    connect(File->addAction(QStringLiteral("Export Picture...")), &QAction::triggered, this,
            [this] { ExportPicture(false); });
    connect(File->addAction(QStringLiteral("Export Panel Picture...")), &QAction::triggered, this,
            [this] { ExportPicture(true); });
    File->addSeparator();
    connect(File->addAction(QStringLiteral("Exit")), &QAction::triggered, this,
            &TTorvane::ExecuteQuit);

    QuitAction = new QAction(QStringLiteral("Quit"), this);
    QuitAction->setObjectName(QStringLiteral("Quit"));
    addAction(QuitAction);
    connect(QuitAction, &QAction::triggered, this, &TTorvane::ExecuteQuit);

    QMenu* EditMenu = menuBar()->addMenu(QStringLiteral("Edit"));
    auto Standard = [EditMenu, this](const char* Text, QKeySequence Keys,
                                     void (*Do)(QLineEdit*)) {
        QAction* A = EditMenu->addAction(QString::fromLatin1(Text));
        A->setShortcut(Keys);
        connect(A, &QAction::triggered, this, [Do] {
            if (auto* E = qobject_cast<QLineEdit*>(QApplication::focusWidget())) Do(E);
        });
    };
    Standard("Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X), [](QLineEdit* E) { E->cut(); });
    Standard("&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), [](QLineEdit* E) { E->copy(); });
    Standard("&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), [](QLineEdit* E) { E->paste(); });

    QMenu* Geometry = menuBar()->addMenu(QStringLiteral("Geometry"));
    connect(Item(Geometry, "Singular locus", MenuItem::Singularlocus1, nullptr), &QAction::triggered,
            this, [this] { Run([this] { SceneModel.OnGeometryMenu(); }); });

    QMenu* Preferences = menuBar()->addMenu(QStringLiteral("Preferences"));
    auto Preference = [this](QAction* A, int Tag) {
        A->setData(Tag);
        connect(A, &QAction::triggered, this, [this, Tag] { Run([this, Tag] { SceneModel.OnPreferences(Tag); }); });
    };
    auto Reset = [this, Preferences](int Tag) {
        QAction* A = Preferences->addAction(QStringLiteral("Reset sphere"));
        A->setData(Tag);
        connect(A, &QAction::triggered, this, [this, Tag] { Run([this, Tag] { SceneModel.OnResetSphere(Tag); }); });
        return A;
    };
    QActionGroup* Fit = Group();
    Preference(Item(Preferences, "Adjust to Panels", MenuItem::AdjusttoPanel1, Fit), TagAdjustToPanels);
    Preference(Item(Preferences, "Preserve Ratio", MenuItem::PreserveRatio1, Fit), TagPreserveRatio);
    Preferences->addSeparator();
    QActionGroup* DomainView = Group();
    Preference(Item(Preferences, "Plane domain", MenuItem::Planedomain1, DomainView), TagPlaneDomain);
    Preference(Item(Preferences, "Stereographic domain", MenuItem::Stereographicdomain1, DomainView),
               TagStereographicDomain);
    Reset(TagResetDomainSphere);
    Preferences->addSeparator();
    QActionGroup* ImageView = Group();
    Preference(Item(Preferences, "Plane image", MenuItem::Planeimage1, ImageView), TagPlaneImage);
    Preference(Item(Preferences, "Stereographic image", MenuItem::Stereographicimage1, ImageView),
               TagStereographicImage);
    Reset(TagResetImageSphere)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    Preferences->addSeparator();
}

void TTorvane::CreateClientArea() {
    // Children sit at absolute positions: the layout is a fixed drawing, not a flowing form.
    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setAutoFillBackground(true);
    QPalette Palette = ClientArea->palette();
    Palette.setColor(QPalette::Window, FormColour);
    ClientArea->setPalette(Palette);
    setCentralWidget(ClientArea);

    Domain = new PanelWidget("Domain", QRect(2, 10, 280, 280), &SceneModel.DomainSurface, ClientArea);
    Image = new PanelWidget("Image", QRect(286, 10, 460, 460), &SceneModel.ImageSurface, ClientArea);
    Parameters = new PanelWidget("Parameters", QRect(80, 338, 200, 200),
                                 &SceneModel.ParametersSurface, ClientArea);
    for (auto [Name, Left] : {std::pair{"InfinityDomBox", 136}, std::pair{"InfinityImgBox", 510}}) {
        auto* Box = new QLabel(ClientArea);
        Box->setObjectName(QString::fromLatin1(Name));
        Box->setGeometry(Left, 0, 10, 10);
        Box->setAutoFillBackground(true);
        Box->setPalette(Palette);
    }

    for (int I = 0; I < SceneLabelCount; ++I) {
        Labels[I] = CreateLabel(QPoint(0, LabelTopEdges[I]));
        Labels[I]->setObjectName(QString::fromLatin1(LabelNames[I]));
        LabelTops[I] = LabelTopEdges[I];
    }
    for (int I = 0; I < EditFieldCount; ++I)
        Edits[I] = CreateEdit(static_cast<EditField>(I), EditPlaces[I].Geometry);
    for (EditField F : {EditField::uValueEdit, EditField::vValueEdit, EditField::xValueEdit,
                        EditField::yValueEdit})
        Edit(F)->setReadOnly(true);

    DrawButton = new QPushButton(QStringLiteral("Draw It"), ClientArea);
    DrawButton->setObjectName(QStringLiteral("DrawButton"));
    DrawButton->setGeometry(212, 548, 70, 26);
    DrawButton->setFont(LabelFont());
    QPalette ButtonPalette = DrawButton->palette();
    ButtonPalette.setColor(QPalette::ButtonText, DrawButtonTextColour);
    DrawButton->setPalette(ButtonPalette);
    DrawButton->installEventFilter(this);
    connect(DrawButton, &QPushButton::clicked, this, &TTorvane::ReadAndDraw);

    // Tab order: the fields in their order, the read-outs, then the button.
    for (int I = 0; I + 1 < EditFieldCount; ++I) setTabOrder(Edits[I], Edits[I + 1]);
    setTabOrder(Edits[EditFieldCount - 1], DrawButton);
}

QLabel* TTorvane::CreateLabel(const QPoint& TopLeft) {
    auto* L = new QLabel(ClientArea);
    L->setFont(LabelFont());
    L->move(TopLeft);
    return L;
}

QLineEdit* TTorvane::CreateEdit(EditField F, const QRect& Geometry) {
    auto* E = new QLineEdit(ClientArea);
    E->setObjectName(QString::fromLatin1(EditPlaces[static_cast<int>(F)].Name));
    E->setFont(EditFont());
    E->setFrame(false);
    E->setGeometry(Geometry);
    // The text must start at the left edge of the field, not after a style-dependent margin.
    E->setTextMargins(0, 0, 0, 0);
    E->installEventFilter(this);
    // Until the first Draw It, Enter in a field presses the default button.
    connect(E, &QLineEdit::returnPressed, this, [this] {
        if (SceneModel.DrawButtonIsDefault) ReadAndDraw();
    });
    return E;
}

void TTorvane::WirePanels() {
    Domain->OnMouseDown = [this](MouseButton B, ShiftState S, int X, int Y) {
        LastPanelIsImage = false;
        Run([&] { SceneModel.OnMouseDownInDomain(B, S, X, Y); });
    };
    Domain->OnMouseMove = [this](ShiftState S, int X, int Y) {
        LastPanelIsImage = false;
        Run([&] { SceneModel.OnMouseMoveInDomain(S, X, Y); });
    };
    Domain->OnMouseUp = [this](MouseButton B, ShiftState S, int X, int Y) {
        Run([&] { SceneModel.OnMouseUpInDomain(B, S, X, Y); });
    };
    Image->OnMouseDown = [this](MouseButton B, ShiftState S, int X, int Y) {
        LastPanelIsImage = true;
        Run([&] { SceneModel.OnMouseDownInImage(B, S, X, Y); });
    };
    Image->OnMouseMove = [this](ShiftState S, int X, int Y) {
        LastPanelIsImage = true;
        Run([&] { SceneModel.OnMouseMoveInImage(S, X, Y); });
    };
    Image->OnMouseUp = [this](MouseButton B, ShiftState S, int X, int Y) {
        Run([&] { SceneModel.OnMouseUpInImage(B, S, X, Y); });
    };
    Parameters->OnMouseDown = [this](MouseButton B, ShiftState S, int X, int Y) {
        Run([&] { SceneModel.OnMouseDownInParameters(B, S, X, Y); });
    };
    Parameters->OnMouseMove = [this](ShiftState S, int X, int Y) {
        Run([&] { SceneModel.OnMouseMoveInParameters(S, X, Y); });
    };
}

// ---- Keys ----

bool TTorvane::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyPress) {
        // Key preview: the arrows size the cross whatever control has the focus, and the key
        // still goes on to that control.
        int Code = ArrowCode(static_cast<QKeyEvent*>(Event)->key());
        if (Code != 0) Run([&] { SceneModel.OnKeyDownInForm(Code); });
    } else if (Event->type() == QEvent::KeyRelease) {
        for (int I = 0; I < EditFieldCount; ++I) {
            if (Watched != Edits[I]) continue;
            auto F = static_cast<EditField>(I);
            // The field being typed in keeps the text as typed: rewriting it in the fixed
            // format under the cursor would mangle the next keys ("1" becoming "1.00" before
            // ".25" is typed). The value is the same either way.
            Typing = Edits[I];
            if (IsBoundOrParameterField(F))
                Run([&] { SceneModel.OnKeyUp(F); });
            else if (IsClipField(F))
                Run([&] { SceneModel.OnKeyUpImageBounds(F); });
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

// ---- Documents ----

void TTorvane::ShowOutcome(const FileOutcome& R) {
    if (R.Ok()) return;
    ShowMessage(R.SystemText.empty() ? QString::fromLatin1(DocumentMessage(R.Code))
                                     : Q(R.SystemText));
}

void TTorvane::WriteToDisk(const std::string& FileName) {
    ShowOutcome(SceneModel.WriteToDisk(FileName));
}

bool TTorvane::ReadFromDisk(const QString& FileName) {
    FileOutcome R;
    Run([&] { R = SceneModel.ReadFromDisk(FileName.toStdString()); });
    if (R.Ok()) return true;
    ShowOutcome(R);
    // The scene is as it was, and it stays usable.
    Run([this] { SceneModel.Inform(DocumentMessage(DocumentError::ReadError)); });
    return false;
}

void TTorvane::Open() {
    QString Chosen = ChooseFile(false, QStringLiteral("Open"));
    if (!Chosen.isEmpty()) ReadFromDisk(Chosen);
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

// ---- Printing ----

void TTorvane::OnPrint() {
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
    if (CanClose)
        Event->accept();
    else
        Event->ignore();
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
        L->move(State.Left, LabelTops[I]);
        L->setVisible(State.Visible);
    }
    Parameters->setVisible(SceneModel.ParametersVisible);
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
