// The main window: menus, the three drawing panels, the formula, bound and parameter fields,
// the read-outs and the status bar. It adapts the user's gestures to the scene, which holds
// the program's behaviour, and shows what the scene changed; it computes nothing itself.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <functional>
#include <vector>

#include "app/FManTorvane.h"
#include "scene/TorvaneScene.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QProgressBar;
class QPushButton;
class QTimer;
class PanelWidget;
class TAnimate;


class TTorvane : public QMainWindow {
    Q_OBJECT

public:
    // The client area below the menu bar; the status bar lies inside it.
    static constexpr int ClientWidth = 752;
    static constexpr int ClientHeight = 608;
    static constexpr int StatusBarHeight = 19;

    explicit TTorvane(QWidget* parent = nullptr);
    ~TTorvane() override;

    TorvaneScene& Scene() { return SceneModel; }
    QLineEdit* Edit(EditField F) const { return Edits[static_cast<int>(F)]; }
    QLabel* Label(SceneLabel L) const { return Labels[static_cast<int>(L)]; }
    PanelWidget* DomainPanel() const { return Domain; }
    PanelWidget* ImagePanel() const { return Image; }
    PanelWidget* ParametersPanel() const { return Parameters; }
    QPushButton* DrawItButton() const { return DrawButton; }
    QString StatusText() const;
    TManual* Manual() const { return ManualWindow; }

    // The dialogs, replaceable in tests. AskQuestion returns QMessageBox::Yes, No or Cancel;
    // ChooseFile runs a save dialog with the given title (Save) or an open dialog and returns
    // the chosen path, empty when cancelled; RunPrintDialog returns false when cancelled.
    std::function<QMessageBox::StandardButton(const QString&)> AskQuestion;
    std::function<void(const QString&)> ShowMessage;
    std::function<QString(bool Save, const QString& Title)> ChooseFile;
    std::function<bool(QPrinter&)> RunPrintDialog;
    // File > Export Animation's questions: where p and q go (their values written as
    // formulas), how many frames, how many a second; false when cancelled.
    struct AnimationRequest {
        QString PEnd, QEnd;
        int Frames = 60;
        int FramesPerSecond = 20;
    };
    std::function<bool(AnimationRequest&)> AskAnimation;

    // The menu and button commands (the menus and the button call these).
    void ReadAndDraw();
    void OnManual();
    void ExecuteQuit();
    void Open();
    void Save();
    void SaveAs();
    void OnPrint();
    // Writes both panels, or the panel the mouse last worked in, as a PNG, SVG or PDF file.
    void ExportPicture(bool LastPanelOnly);
    // Writes an animation of both panels while p and q move from their values to the ones
    // asked for: one animated WebP file, or numbered PNG pictures for a name with %d.
    void ExportAnimation();
    // Writes the animation of these parameter values, one frame each, after asking for the
    // file (.webp, or numbered PNG pictures for a name with %d).
    void WriteAnimationFrames(const std::vector<Point2>& Values, int FramesPerSecond);
    // The Parameters panel's "Animate" button: opens the Animate window (made at first use).
    void OpenAnimator();
    TAnimate* Animator() const { return AnimateWindow; }
    QPushButton* AnimateButton() const { return AnimateOpener; }
    // What the Animate window asks of the map, as commands (see TorvaneScene).
    std::string BeginAnimation(const ParameterPath& P);
    bool AnimateTo(double T);
    void EndAnimation(bool BackToStart);
    // Prints the page on a printer set up already (the print dialog's, or a PDF file).
    void PrintTo(QPrinter& Printer);
    // Saves a modified document under a name the user chooses; false when nothing was saved.
    bool WantToSave();
    // Opens a document; false (with the message shown) when it could not be read.
    bool ReadFromDisk(const QString& FileName);
    // File > Open Recent: opens one of the last documents; a file that is gone is taken off
    // the list with a message. ClearRecent empties the list.
    void OpenRecent(const QString& FileName);
    void ClearRecent();
    // File > Examples: opens and draws the named example as a new map.
    void OpenExample(const std::string& Name);
    // The window's start: the document named on the command line, or else the default map
    // drawn when the preference asks for it.
    void Start(const QString& Document);
    QMenu* RecentDocumentsMenu() const { return RecentMenu; }
    // The layout's enlargement (1 at the smallest size, in steps of a twentieth).
    double Enlargement() const { return LayoutScale; }
    // Waits until the drawing being computed is finished and shows it (tests and commands
    // that need the finished picture, such as printing and export).
    void FinishDrawing();
    // Esc: stops the drawing being computed; the last finished picture stays.
    void StopDrawing();
    // The progress shown in the status bar while a drawing takes long, or null when none.
    QProgressBar* DrawingProgress() const;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateMenus();
    // The View menu's marks live in the user's settings, from one session to the next.
    void LoadViewPreferences();
    void SaveViewPreferences();
    void CreateClientArea();
    QLabel* CreateLabel(const QPoint& TopLeft);
    QLineEdit* CreateEdit(EditField F, const QRect& Geometry);
    void WirePanels();
    // The controls at their places for the client area's size: the layout as drawn, scaled
    // by LayoutScale and centred; the panels drawn with as many device pixels as the screen
    // has for them. Placed is a rectangle of the layout as drawn, in the client area.
    void LayOut();
    QRect Placed(const QRect& R) const;
    QPoint Placed(const QPoint& P) const { return Placed(QRect(P, QSize(0, 0))).topLeft(); }

    // Before a handler: the scene gets the texts the user typed. After it: the window shows
    // what the scene changed.
    void SyncIn();
    void SyncOut();
    void WriteToDisk(const std::string& FileName);
    // A document read or written: first on the Open Recent list.
    void RememberDocument(const QString& FileName);
    void RebuildRecentMenu();
    bool SaveUnderNewName(const QString& Title);
    void ShowOutcome(const FileOutcome& R);
    // A computation handed a result back: show it, and follow the next one.
    void TakeComputedDrawing();
    void FollowComputing();
    // Every command but typing ends by recording a step of the map (when it changed); typing
    // goes with the next command, so a number typed key by key is one step.
    template <class Handler>
    void Run(Handler H, bool Record = true) {
        SyncIn();
        H();
        if (Record) SceneModel.RecordStep();
        SyncOut();
        FollowComputing();
    }

    TorvaneScene SceneModel;
    int FocusRequestsSeen = 0;

    QWidget* ClientArea = nullptr;
    PanelWidget* Domain = nullptr;
    PanelWidget* Image = nullptr;
    PanelWidget* Parameters = nullptr;
    QLineEdit* Edits[EditFieldCount] = {};
    QLabel* Labels[SceneLabelCount] = {};
    int LabelTops[SceneLabelCount] = {};
    QLabel* InfinityBoxes[2] = {};
    double LayoutScale = 1, LayoutRatio = 1;
    QPoint LayoutOrigin;
    bool FollowsScreen = false;
    QLabel* InfoBar = nullptr;
    QPushButton* DrawButton = nullptr;
    QPushButton* AnimateOpener = nullptr;
    TAnimate* AnimateWindow = nullptr;
    QPointer<TManual> ManualWindow;
    QLineEdit* Typing = nullptr;  // the field whose key release is being handled
    bool LastPanelIsImage = false;  // the panel the mouse last worked in

    QAction* MenuActions[MenuItemCount] = {};
    QAction* QuitAction = nullptr;
    QMenu* RecentMenu = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    QAction* DrawAtStartAction = nullptr;

    // Shown after a computation has run for a moment: how far it has come, and that Esc stops.
    QProgressBar* Progress = nullptr;
    QTimer* ProgressTimer = nullptr;
    QElapsedTimer ComputingFor;
};
