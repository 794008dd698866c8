// The main window's controls at the pixel positions its layout is drawn for: the menus with
// their check marks, radio groups and shortcuts, the panels, fields, labels and button, and the
// panels' mouse events handed to the scene.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFont>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <cmath>

#include "app/AppFonts.h"
#include "app/FTorvane.h"
#include "app/PanelWidget.h"
#include "app/UserSettings.h"
#include "scene/Examples.h"

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

QFont LabelFont(double Scale = 1) {
    return NamedFont(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                     static_cast<int>(std::lround(13 * Scale)), true);
}

QFont EditFont(double Scale = 1) {
    return NamedFont(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                     static_cast<int>(std::lround(12 * Scale)), false);
}

const QRect DomainPlace(2, 10, 280, 280), ImagePlace(286, 10, 460, 460),
    ParametersPlace(80, 338, 200, 200), DrawButtonPlace(212, 548, 70, 26),
    AnimatePlace(4, 340, 72, 22);
const int InfinityBoxLefts[2] = {136, 510};

// The layout grows in steps of a twentieth, at which every panel's side is a whole number
// of pixels and the three keep their proportions exactly.
constexpr int ScaleSteps = 20;

}  // namespace

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

    // The platform's standard keys where there is one; none of them is a key the panels use.
    auto Command = [](QMenu* Menu, const char* Text, QKeySequence Keys) {
        QAction* A = Menu->addAction(QString::fromLatin1(Text));
        A->setShortcut(Keys);
        return A;
    };
    // A standard key the platform's scheme leaves out (Save As and Quit in some) gets the
    // common one.
    auto StandardKey = [](QKeySequence::StandardKey Key, QKeySequence Otherwise) {
        const QList<QKeySequence> Keys = QKeySequence::keyBindings(Key);
        return Keys.isEmpty() ? Otherwise : Keys.front();
    };
    QMenu* File = menuBar()->addMenu(QStringLiteral("File"));
    connect(Command(File, "Manual...", QKeySequence::HelpContents), &QAction::triggered, this,
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
    connect(Command(File, "Open...", QKeySequence::Open), &QAction::triggered, this, &TTorvane::Open);
    RecentMenu = File->addMenu(QStringLiteral("Open Recent"));
    RebuildRecentMenu();
    QMenu* ExampleMenu = File->addMenu(QStringLiteral("Examples"));
    ExampleMenu->setToolTipsVisible(true);
    for (const ExampleMap& E : Examples()) {
        QAction* A = ExampleMenu->addAction(QString::fromStdString(E.Title));
        A->setToolTip(QString::fromStdString(E.Description));
        A->setStatusTip(QString::fromStdString(E.Description));
        A->setData(QString::fromStdString(E.Name));
        connect(A, &QAction::triggered, this, [this, Name = E.Name] { OpenExample(Name); });
    }
    connect(Command(File, "Save", QKeySequence::Save), &QAction::triggered, this, &TTorvane::Save);
    connect(Command(File, "Save As...", StandardKey(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S))), &QAction::triggered, this,
            &TTorvane::SaveAs);
    connect(Command(File, "Print...", QKeySequence::Print), &QAction::triggered, this,
            &TTorvane::OnPrint);
    connect(Command(File, "Export Picture...", QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, [this] { ExportPicture(false); });
    connect(Command(File, "Export Panel Picture...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)),
            &QAction::triggered, this, [this] { ExportPicture(true); });
    connect(File->addAction(QStringLiteral("Export Animation...")), &QAction::triggered, this,
            &TTorvane::ExportAnimation);
    File->addSeparator();
    connect(Command(File, "Exit", StandardKey(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q))), &QAction::triggered, this,
            &TTorvane::ExecuteQuit);

    QuitAction = new QAction(QStringLiteral("Quit"), this);
    QuitAction->setObjectName(QStringLiteral("Quit"));
    addAction(QuitAction);
    connect(QuitAction, &QAction::triggered, this, &TTorvane::ExecuteQuit);

    QMenu* EditMenu = menuBar()->addMenu(QStringLiteral("Edit"));
    UndoAction = EditMenu->addAction(QStringLiteral("&Undo"));
    const QList<QKeySequence> UndoKeys = QKeySequence::keyBindings(QKeySequence::Undo);
    UndoAction->setShortcuts(UndoKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)} : UndoKeys);
    connect(UndoAction, &QAction::triggered, this, [this] { Run([this] { SceneModel.UndoStep(); }, false); });
    RedoAction = EditMenu->addAction(QStringLiteral("&Redo"));
    // The desktop's Redo key and Ctrl+Y, which other systems use.
    QList<QKeySequence> RedoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (QKeySequence K : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!RedoKeys.contains(K)) RedoKeys.push_back(K);
    RedoAction->setShortcuts(RedoKeys);
    connect(RedoAction, &QAction::triggered, this, [this] { Run([this] { SceneModel.RedoStep(); }, false); });
    EditMenu->addSeparator();
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
    DrawAtStartAction = Preferences->addAction(QStringLiteral("Draw the map when a document opens or at start"));
    DrawAtStartAction->setCheckable(true);
    DrawAtStartAction->setChecked(DrawsAtStart());
    connect(DrawAtStartAction, &QAction::toggled, this, [](bool On) { SetDrawsAtStart(On); });

    // Last on the bar, so that the older menus keep their places.
    QMenu* View = menuBar()->addMenu(QStringLiteral("View"));
    connect(Item(View, "Show Cusps", MenuItem::ShowCusps1, nullptr), &QAction::triggered, this,
            [this] {
                Run([this] { SceneModel.OnShowCusps(); });
                SaveViewPreferences();
            });
    connect(Item(View, "Shade by Number of Preimages", MenuItem::ShadePreimages1, nullptr),
            &QAction::triggered, this, [this] {
                Run([this] { SceneModel.OnShadePreimages(); });
                SaveViewPreferences();
            });
    QMenu* Colourings = View->addMenu(QStringLiteral("Colouring"));
    QActionGroup* ColouringGroup = Group();
    const char* ColouringNames[] = {"None", "Phase", "Phase and Modulus", "Enhanced"};
    for (int I = 0; I < static_cast<int>(std::size(ColouringItems)); ++I)
        connect(Item(Colourings, ColouringNames[I], ColouringItems[I], ColouringGroup),
                &QAction::triggered, this, [this, I] {
                    Run([this, I] { SceneModel.OnColouring(static_cast<Colouring>(I)); });
                    SaveViewPreferences();
                });
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

    Domain = new PanelWidget("Domain", DomainPlace, &SceneModel.DomainSurface, ClientArea);
    Image = new PanelWidget("Image", ImagePlace, &SceneModel.ImageSurface, ClientArea);
    Parameters = new PanelWidget("Parameters", ParametersPlace, &SceneModel.ParametersSurface,
                                 ClientArea);
    const char* BoxNames[2] = {"InfinityDomBox", "InfinityImgBox"};
    for (int I = 0; I < 2; ++I) {
        auto* Box = InfinityBoxes[I] = new QLabel(ClientArea);
        Box->setObjectName(QString::fromLatin1(BoxNames[I]));
        Box->setGeometry(InfinityBoxLefts[I], 0, 10, 10);
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
    DrawButton->setGeometry(DrawButtonPlace);
    DrawButton->setFont(LabelFont());
    QPalette ButtonPalette = DrawButton->palette();
    ButtonPalette.setColor(QPalette::ButtonText, DrawButtonTextColour);
    DrawButton->setPalette(ButtonPalette);
    DrawButton->installEventFilter(this);
    connect(DrawButton, &QPushButton::clicked, this, &TTorvane::ReadAndDraw);

    // Beside the Parameters panel, whose point it moves.
    AnimateOpener = new QPushButton(QStringLiteral("Animate"), ClientArea);
    AnimateOpener->setObjectName(QStringLiteral("AnimateButton"));
    AnimateOpener->setGeometry(AnimatePlace);
    AnimateOpener->setFont(EditFont());
    AnimateOpener->setAutoDefault(false);
    AnimateOpener->setFocusPolicy(Qt::NoFocus);
    AnimateOpener->setToolTip(QStringLiteral("Move the parameters along a path, and export it"));
    connect(AnimateOpener, &QPushButton::clicked, this, &TTorvane::OpenAnimator);

    // Tab order: the fields in their order, the read-outs, then the button.
    for (int I = 0; I + 1 < EditFieldCount; ++I) setTabOrder(Edits[I], Edits[I + 1]);
    setTabOrder(Edits[EditFieldCount - 1], DrawButton);
    // Its size decides the layout's.
    ClientArea->installEventFilter(this);
}

QRect TTorvane::Placed(const QRect& R) const {
    auto At = [this](int Pixels) { return static_cast<int>(std::lround(Pixels * LayoutScale)); };
    const int Left = At(R.left()), Top = At(R.top());
    return QRect(LayoutOrigin.x() + Left, LayoutOrigin.y() + Top,
                 At(R.left() + R.width()) - Left, At(R.top() + R.height()) - Top);
}

void TTorvane::LayOut() {
    // The layout as drawn fills the client area above the status bar at the smallest size;
    // a larger area scales all of it, centred, by the largest step that fits.
    const QSize Area = ClientArea->size();
    const double Fit = std::min(Area.width() / double(ClientWidth),
                                Area.height() / double(ClientHeight - StatusBarHeight));
    const double Scale = std::max(1.0, std::floor(Fit * ScaleSteps + 1e-9) / ScaleSteps);
    const double Ratio = std::max(1.0, devicePixelRatioF());
    const QPoint Origin(std::max(0, (Area.width() - static_cast<int>(std::lround(ClientWidth * Scale))) / 2),
                        std::max(0, (Area.height() - static_cast<int>(std::lround((ClientHeight - StatusBarHeight) * Scale))) / 2));
    if (Scale == LayoutScale && Origin == LayoutOrigin && Ratio == LayoutRatio) return;
    LayoutScale = Scale;
    LayoutOrigin = Origin;
    LayoutRatio = Ratio;
    Domain->setGeometry(Placed(DomainPlace));
    Image->setGeometry(Placed(ImagePlace));
    Parameters->setGeometry(Placed(ParametersPlace));
    for (PanelWidget* P : {Domain, Image, Parameters}) P->LayoutScale = Scale;
    for (int I = 0; I < 2; ++I) InfinityBoxes[I]->setGeometry(Placed(QRect(InfinityBoxLefts[I], 0, 10, 10)));
    for (int I = 0; I < EditFieldCount; ++I) {
        Edits[I]->setFont(EditFont(Scale));
        Edits[I]->setGeometry(Placed(EditPlaces[I].Geometry));
    }
    for (QLabel* L : Labels) {
        L->setFont(LabelFont(Scale));
        L->adjustSize();
    }
    DrawButton->setFont(LabelFont(Scale));
    DrawButton->setGeometry(Placed(DrawButtonPlace));
    AnimateOpener->setFont(EditFont(Scale));
    AnimateOpener->setGeometry(Placed(AnimatePlace));
    Run([&] { SceneModel.SetPanelScale(Scale * Ratio, Ratio); }, false);
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
    Parameters->OnMouseUp = [this](MouseButton B, ShiftState S, int X, int Y) {
        Run([&] { SceneModel.OnMouseUpInParameters(B, S, X, Y); });
    };
}
