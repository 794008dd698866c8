// The scene: everything the main window does, without a widget. It owns the scene state, the
// compiled formulas, the texts and states of every control, the menu check marks, the status
// text and five raster surfaces (the two panel bitmaps and the three panels as shown, with
// their inverting overlays). Its operations are the window's handlers; the Qt window copies
// texts in before a handler, calls it, and shows what changed.
#pragma once

#include <QImage>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <string>

#include "curves/FImplicitCurveLine.h"
#include "scene/DocumentFiles.h"
#include "scene/MapHistory.h"
#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "model/ParameterPath.h"
#include "model/SceneState.h"

// The edit fields, in the order of the window's tab chain (the read-outs last).
enum class EditField : int {
    F1Edit, F2Edit, uMinEdit, uMaxEdit, vMinEdit, vMaxEdit, pMinEdit, pMaxEdit, qMinEdit,
    qMaxEdit, qValue, pValue, xMinEdit, xMaxEdit, yMinEdit, yMaxEdit, uValueEdit, vValueEdit,
    xValueEdit, yValueEdit
};
inline constexpr int EditFieldCount = 20;

// The labels whose caption, position or visibility depends on the map kind.
enum class SceneLabel : int {
    xuvLabel, yuvLabel, uName, vName, uLabel, vLabel, xLabel, yLabel, pName, qName, pLabel,
    qLabel, xName, yName
};
inline constexpr int SceneLabelCount = 14;

// A parameter drag colours the Domain panel's portrait at half resolution while the last one
// at full resolution took longer than this (in milliseconds), and in full when it ends.
inline constexpr double CoarsePortraitAfter = 15;

enum class MenuItem : int {
    Singularlocus1, AdjusttoPanel1, PreserveRatio1, Planedomain1, Stereographicdomain1,
    Planeimage1, Stereographicimage1, RealFunctions1, ComplexFunction1, ShowCusps1,
    ShadePreimages1, ColouringNone1, ColouringPhase1, ColouringModulus1, ColouringEnhanced1
};
inline constexpr int MenuItemCount = 15;
// The View menu's colourings, in the order of Colouring (None first).
inline constexpr MenuItem ColouringItems[] = {MenuItem::ColouringNone1, MenuItem::ColouringPhase1,
                                              MenuItem::ColouringModulus1,
                                              MenuItem::ColouringEnhanced1};

struct EditState {
    std::string Text;
    bool Visible = true;
    bool Enabled = true;
};

struct LabelState {
    std::string Caption;
    int Left = 0;  // pixels from the window's left edge
    bool Visible = true;
};

struct MenuState {
    bool Checked = false;
    bool Enabled = true;
};

// What the toolkit reports with a mouse event: modifier keys and the buttons held.
struct ShiftState {
    bool Shift = false;
    bool Ctrl = false;
    bool Left = false;
    bool Right = false;
    bool Middle = false;
};

enum class MouseButton { Left, Right, Middle };

// Key codes of the arrow keys as the handlers receive them.
inline constexpr int KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40;

// Preferences tags.
inline constexpr int TagAdjustToPanels = 0, TagPreserveRatio = 1, TagPlaneImage = 2,
                     TagStereographicImage = 3, TagResetDomainSphere = 4, TagPlaneDomain = 5,
                     TagStereographicDomain = 6, TagResetImageSphere = 7;

class SceneComputer;
struct SceneJob;

class TorvaneScene {
public:
    // The window's creation: defaults, the real kind, nothing drawn.
    TorvaneScene();
    // Stops a computation that runs and waits for its thread.
    ~TorvaneScene();
    TorvaneScene(const TorvaneScene&) = delete;
    TorvaneScene& operator=(const TorvaneScene&) = delete;

    // ---- State ----
    SceneState S;
    TOCFunctDDDoubleSafe XFunction, YFunction;
    TOCComplexFunction WFunction;
    TImplicitCurveLine SingTracer;

    EditState Edits[EditFieldCount];
    LabelState Labels[SceneLabelCount];
    MenuState Menus[MenuItemCount];
    bool ParametersVisible = true;  // the Parameters panel
    std::string StatusText;
    std::string Caption = "Torvane";
    std::string FileName;          // of the document; empty when untitled
    bool DrawButtonIsDefault = true;
    int FocusRequests = 0;         // incremented when F1Edit should take the keyboard focus

    double CrossSize = 0.03;
    bool CrossShown = false, CrossAtBack = false;
    PixelPoint CrossEnds[2][2];  // in the Image bitmap's device pixels
    PixelPoint Spot{100, 100};
    bool SpotShown = false;
    bool DomSphereDragging = false, ImgSphereDragging = false;
    // A drag over the Parameters panel is under way, and a step of it was drawn with a coarse
    // portrait.
    bool ParametersDragging = false, CoarsePortraitDrawn = false;
    // The drag draws coarse portraits while the last full one took longer than this (in
    // milliseconds; tests choose always or never).
    double CoarsePortraitBudget = CoarsePortraitAfter;
    PixelPoint DomSphereLast, ImgSphereLast;

    // The panel bitmaps, and the three panels as the user sees them.
    QImage DomBitmap, ImgBitmap;
    QImage DomainSurface, ImageSurface, ParametersSurface;
    // The clip rectangle each bitmap's drawing stays inside (set by SetClip).
    PixelRect DomBitmapClip, ImgBitmapClip;
    // Off in a scene without a computing thread that only exports pictures, which are drawn
    // from the curves: the bitmaps and the surfaces then stay as they are.
    bool PaintsBitmaps = true;
    // In a scene without a computing thread, called while everything is computed, as soon as
    // the curves are (see SceneCanvas::CurvesComputed): a renderer paints its picture's curves
    // then, while the locus is still traced.
    std::function<void()> OnCurvesComputed;

    std::string& Text(EditField F) { return Edits[static_cast<int>(F)].Text; }
    const std::string& Text(EditField F) const { return Edits[static_cast<int>(F)].Text; }
    LabelState& Label(SceneLabel L) { return Labels[static_cast<int>(L)]; }
    MenuState& Menu(MenuItem M) { return Menus[static_cast<int>(M)]; }
    bool Checked(MenuItem M) const { return Menus[static_cast<int>(M)].Checked; }

    // ---- Draw It pipeline and scene set-up ----
    // The one road from the fields to the pixels: read the fields (1 on success, else 0 with
    // the message in the status text), compute the scene and draw both bitmaps (RunSceneWork).
    // FromDrawButton: the Draw It button asked (it then marks the document modified).
    void ReadAndDraw(bool FromDrawButton);
    int ReadDataReal();
    int ReadDataComplex();
    // The same road without reading: after a gesture changed the scene's values. Coalesce:
    // the change is a step of a drag (see Redo).
    void ComputeAndDrawCurves(bool Coalesce = false);
    // One frame of an animation of a drawn scene, computed at once (on every core, as Draw It
    // computes) from the formulas as compiled: the parameters moved to V as a drag moves them (their fields show
    // the values), the curves and the locus computed again for the picture export; the
    // window's bitmaps keep their last drawing. Returns the message Draw It would give for a
    // V outside the parameter ranges, or for a scene not drawn, with nothing changed; empty
    // when the frame is computed.
    std::string ComputeFrame(Point2 V);
    void ChangeMapType(bool KeepValues);
    void SetUpRealScene(bool KeepValues);
    void SetUpComplexScene(bool KeepValues);
    void AdjustMenus(uint8_t Flags);
    uint8_t SceneFlags() const;
    void Inform(const std::string& Text);

    // ---- Documents ----
    // The document of the scene as it stands: the formula texts of the fields, the values
    // of the last reading, the view flags and both sphere views.
    MapDocument CurrentDocument() const;
    // Writes the document; Modified becomes false on success and true on any failure (an
    // empty name gives NotAssigned). The previous file survives a failed write.
    FileOutcome WriteToDisk(const std::string& FileName);
    // Reads a document and, only when it is whole and sound, puts it on screen and draws it;
    // otherwise nothing of the scene changes.
    FileOutcome ReadFromDisk(const std::string& FileName);
    void ApplyDocument(const MapDocument& D, const std::string& FileName);
    // Opens and draws one of the examples as a new, untitled map captioned with the example's
    // title (Save asks for a name); an unknown name or an unreadable example changes nothing.
    DocumentError OpenExample(const std::string& Name);

    // ---- Undo and redo ----
    // The steps of the map (QUndoStack's clean state: the document as opened or saved).
    QUndoStack History;
    // Records the map as it stands as one step when it differs from the map recorded last:
    // the window calls it after every command but typing, so a typed text goes with the next
    // change. Nothing is recorded while a drag or a gesture is under way (it is one step,
    // recorded as it ends) or while the fields do not hold a map that was read. Modified
    // then follows the clean state.
    void RecordStep();
    // The same during a gesture as well: before the close question, so that what was typed
    // counts.
    void RecordPending() {
        if (!Computing()) RecordNow(true);
    }
    // Undo records what is pending first, so that it takes back the last change, typed or not.
    void UndoStep();
    void RedoStep();
    bool CanUndo() const;
    bool CanRedo() const { return History.canRedo(); }
    // The map as it stands was opened or saved: the clean state, not modified.
    void MarkClean();
    MapSnapshot Snapshot() const;
    // Puts a snapshot's map back exactly (the values as they were, the fields as typed) and
    // draws it; a snapshot from before the first drawing restores fields and menus only.
    void RestoreMap(const MapSnapshot& M);
    // A drag or gesture over a panel is under way.
    bool GestureInProgress() const;

    // ---- Animation of the parameters ----
    // Playing a path: BeginAnimation checks it against the parameter ranges of a drawn scene
    // and returns why it cannot be played, or empty. While it plays, each AnimateTo moves the
    // parameters to the path's point at fraction T as a step of a drag of the spot does (drawn
    // in the background, the newest step first; coarse portraits allowed), and nothing is
    // recorded. EndAnimation ends it where it is, or back at the path's start, drawn in full;
    // the map as it then stands is one step. Any other change of the map (Draw It, a document,
    // undo, the map kind, typing a bound, a click on the panel) ends it first, and AnimateTo
    // then answers false.
    std::string BeginAnimation(const ParameterPath& P);
    bool AnimateTo(double T);
    void EndAnimation(bool BackToStart);
    bool Animating() const { return AnimationPlaying; }
    // Counts the changes of the map that end a path (every one listed above, playing or
    // not): a path paused or finished before a newer count belongs to another map.
    unsigned PathChanges() const { return ChangesEndingPaths; }

    // ---- Parameters panel ----
    void SetCoordinateChangesParam();
    void AdjustSpotToParameters();
    Point2 FromParamPanelToParameters(PixelPoint Pixel) const;

    // ---- Computing off the window's thread ----
    // From now on the redraws are computed and drawn on a thread of their own while the old
    // picture stays on show; Ready is called on that thread whenever a result waits, and the
    // owner then calls TakeFinishedWork on its own thread. Without this, every handler
    // computes and draws before it returns.
    void ComputeInBackground(std::function<void()> Ready);
    // Takes a finished computation back: shows it (only its pictures while newer requests
    // wait, whose computation then starts). False when none had finished.
    bool TakeFinishedWork();
    // Waits until nothing computes and every request has been shown.
    void FinishComputing();
    // Stops the computation and forgets the requests that wait; the old picture stays and
    // the status bar says so once the computation has ended.
    void StopComputing();
    bool Computing() const;
    // The fraction done of the running computation (image lines and locus cells).
    double ComputingFraction() const;

    // ---- Drawing ----
    // The screen shows the panels with Scale device pixels to a pixel of the panels' layout
    // (the window's enlargement times the screen's device pixel ratio Ratio; at most
    // MaxPanelScale): the bitmaps and surfaces get that many pixels, the pictures on show are
    // stretched to them until the drawings at the new scale replace them. The mouse, the
    // views, the sampling and every exported picture keep the layout's pixels.
    static constexpr double MaxPanelScale = 8;
    void SetPanelScale(double Scale, double Ratio);
    // Erases the old cross and draws the one for Domain pixel (X, Y); true when one is shown,
    // with the domain point and its image.
    bool DrawCrossInImg(Point2& DomPt, Point2& ImgPt, int X, int Y);
    void DrawLittleCircle(PixelPoint P, bool Erase);

    // ---- Mouse and keyboard ----
    void OnMouseDownInDomain(MouseButton Button, ShiftState Held, int X, int Y);
    void OnMouseMoveInDomain(ShiftState Held, int X, int Y);
    void OnMouseUpInDomain(MouseButton Button, ShiftState Held, int X, int Y);
    void OnMouseDownInImage(MouseButton Button, ShiftState Held, int X, int Y);
    void OnMouseMoveInImage(ShiftState Held, int X, int Y);
    void OnMouseUpInImage(MouseButton Button, ShiftState Held, int X, int Y);
    void OnMouseDownInParameters(MouseButton Button, ShiftState Held, int X, int Y);
    void OnMouseMoveInParameters(ShiftState Held, int X, int Y);
    // The end of a drag: a Domain panel drawn coarse meanwhile is drawn at full resolution.
    void OnMouseUpInParameters(MouseButton Button, ShiftState Held, int X, int Y);
    void OnKeyDownInForm(int Key);
    void OnKeyUp(EditField Field);
    void OnKeyUpImageBounds(EditField Field);

    // ---- Menus ----
    void OnPreferences(int Tag);
    // Type 0: "Real Functions", 1: "Complex Function".
    void OnFunctionType(int Type);
    void OnGeometryMenu();
    // The View menu's "Show Cusps", "Shade by Number of Preimages" and Colouring, the
    // window's saved preferences, set at start with SetViewPreferences.
    void OnShowCusps();
    void OnShadePreimages();
    // The View menu's Colouring.
    void OnColouring(Colouring C);
    void SetViewPreferences(bool ShowCusps, bool ShadePreimages = false,
                            Colouring Portrait = Colouring::None);
    void OnResetSphere(int Tag);

private:
    struct ReadFailure {
        std::string Message;
    };
    int ReadData(bool Complex);
    void CompileFormulas(bool Complex);
    double ReadNumber(EditField F) const;
    bool ReadClipFields(const char* XMessage, const char* YMessage);
    void HandParametersToFormulas();
    void ShowParameterValues();
    void EraseRect(QImage& Surface, PixelRect R);
    // The one way a change reaches the panels: the work (SceneWork flags) done now, or
    // handed to the computing thread. A coalescing request (a step of a drag) lets a running
    // computation finish and show before the newest state is computed; any other stops it.
    void Redo(unsigned Work, bool Coalesce);
    void StartWaitingWork();
    void HandBack(std::unique_ptr<SceneJob> Job);
    void ShowDrawn(int Panels);
    // Stops and forgets every computation before the scene's values are replaced.
    void CancelComputing();
    void DrawCrossArms();
    // The status names the singular point under the Domain panel's pixel (X, Y), if any,
    // and forgets a name it gave once the mouse has left that point.
    void NamePointAt(int X, int Y);
    std::string PointNamed;  // the status text NamePointAt gave, while it shows
    void DomainGesture(int X, int Y, bool Translate);
    void ImageGesture(int X, int Y, bool Translate);
    void WriteDomainFields();
    void WriteImageFields();
    bool ParameterKeyUp(EditField Field, double V);

    void RecordNow(bool Forced);
    // A change of the map ends the animation. A coarse portrait of its last step is drawn
    // again in full, so a change that draws nothing (a key that moves no value) leaves no
    // coarse picture behind.
    void DropAnimation();
    void StopPlaying();
    void MoveParametersTo(Point2 V, bool Coalesce);
    // New parameter values, shown and made the formulas' own; the caller draws.
    void TakeParameters(Point2 V);
    ParameterPath Playing;
    std::string PlayedFrom[2];  // the parameter fields' texts as the path's first play began
    bool PlayedFromKept = false;
    bool AnimationPlaying = false;
    unsigned ChangesEndingPaths = 0;
    // The document's bounds, ranges and parameter values into the scene, as they stand.
    void TakeDocumentValues(const MapDocument& D);
    MapSnapshot Recorded;   // the map as the last step left it
    bool CleanWhenDone = false;  // opened or saved while its drawing is computed
    bool ParametersHeld = false;  // a button is down over the Parameters panel
    friend class MapStep;

    std::unique_ptr<SceneComputer> Computer;  // null: everything is done at once
    bool WorkOut = false;       // a job is on the computing thread
    unsigned WaitingWork = 0;   // requested and not yet handed over
    bool StoppedByUser = false;
    bool DropOut = false;       // the job out was cancelled: its return is only awaited
};

// The toolkit's fixed-point text of X: rounded to Precision significant digits, Digits after
// the point ("-1.00" for -1 with 4 and 2); scientific beyond Precision integer digits.
std::string FixedText(double X, int Precision, int Digits);
