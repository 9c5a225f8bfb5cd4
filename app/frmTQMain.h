#pragma once
// The main window: the score part, the drawing part and the settings part of
// the program's main window, with its widgets.
//
// Everything that is not a widget lives in the parts (TMainView and
// TMainSettings); the window builds the menus, tool bars and panels, sets the
// parts' hooks and shows their state. edit/, convert/ and play/ reach the
// routines through frmMainTQ / MainView() / MainSettings().
#include <QMainWindow>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "edit/modTQEd.h"
#include "edit/modTQKeyboard.h"
#include "lang/modTQHistory.h"
#include "lang/modTQMainSettings.h"
#include "lang/modTQPref.h"
#include "platform/gui/TQBitmap.h"
#include "render/modTQMainView.h"

class QKeyEvent;

class QAction;
class QCheckBox;
class QTimer;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;
class QSplitter;
class QToolBar;
class QToolButton;
struct TKeyCommand;

// A paint box: shows a picture that the window draws into.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent = nullptr);
    std::function<void()> OnPaint;  // bring the picture up to date
    const QImage* Picture = nullptr; // shown at the top-left

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TfrmMainTQ : public QMainWindow, public TMainView, public TMainSettings {
    Q_OBJECT
public:
    explicit TfrmMainTQ(QWidget* parent = nullptr);
    ~TfrmMainTQ() override;

    // --- start-up and lifetime ---
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormResize();
    // The start-up work of the first paint: the music-font warning and the
    // reopening of the last file.
    void FormPaint();
    // False when the close is refused (unsaved changes kept).
    bool FormCloseQuery();
    // The tool windows' places (their client areas, as restored at start) and
    // visibility into the settings kept at exit.
    void KeepToolWindowPlaces();
    // The page area on the screen: the window less its menu, tool bars and status bar.
    QRect WorkArea() const;
    // Where a window opened from this one stands: over the page area, below the
    // menu and the tool bars.
    QPoint OverMainWindow(const QWidget* tool) const;
    // A tool window about to show stays where it is when that lies inside the
    // page area and clear of the other tool windows shown; else it goes to the
    // first such place from the area's top right corner.
    void PlaceToolWindow(QWidget* tool);
    // The book window, made now when it does not exist, placed over this window.
    void PlaceNewBookWindow();
    void FormClose();
    void FormDestroy();
    void mitFileClick();
    void mitWindowClick();
    void mitViewClick();

    // --- slice view and side image ---
    void mitSliceViewClick();
    // Sizes the slice view's pages to fit the view whole (only their width in
    // mode 3), from the top left corner, and draws them.
    void LayoutSliceView();
    void btnCloseSliceClick();
    bool LoadSideImage(const std::string& fileName, bool ask);
    void CloseSideImage();
    void mitApplyToBothLayerClick();
    void mitAboutClick();
    // The clef-and-staff dialog for CurKey and CurClef; true on OK, when both
    // took the choice (app/frmTQMainDialogs.cpp).
    bool ChooseClefStaff();
    // The exercise-sheet window (btnMath, Tag 710) and the cell property view
    // (mitCellProperty), made on first use.
    class TfrmMath* frmMath = nullptr;
    class TfrmCellProperty* frmCellProperty = nullptr;
    void btnMathClick();
    void mitCellPropertyClick();

    // Copies the state of the parts into the widgets.
    void ShowControls();
    // The colours and switches the preferences keep, to and from the drawing object.
    void ApplyViewPrefs();
    TViewPrefs CollectViewPrefs() const;
    TPrefParts PrefParts();

    bool LargeFonts = false;
    int FontHeightDifference = 0;
    float FontScale = 1.0f;
    int OSPlatform = 2;
    bool FirstActivate = true;
    std::unique_ptr<THistory> History;
    // The grid editing object of this window's score.
    TEd Ed;
    std::unique_ptr<TBitmap> SideImage;
    bool SideImagePanelSized = false;
    int SliceSavedWindowState = 0;
    int SliceSavedToolWindows = 0;
    int SliceGap = 0; // pixels between the two pages of mode 2
    std::string ProgramFolderPath;

    // --- widgets ---
    QMenuBar* mnuMain = nullptr;
    QMenu *mitFile = nullptr, *mitView = nullptr, *mitWindow = nullptr, *mitHelp = nullptr, *mitZoom = nullptr,
          *mitHintSize = nullptr;
    QAction *mitNew = nullptr, *mitOpen = nullptr, *mitSave = nullptr, *mitSaveAs = nullptr, *mitExit = nullptr;
    QAction *mitPreviousPage = nullptr, *mitNextPage = nullptr, *mitHome = nullptr, *mitSwitchLayer = nullptr,
            *MovetoNextLayer1 = nullptr, *mitSwitchLayerContent = nullptr, *mitApplyToBothLayer = nullptr,
            *mitZoomIn = nullptr, *mitZoomOut = nullptr, *mitFittoWidth = nullptr, *mitFilttoHeight = nullptr,
            *mitNormalView = nullptr, *mitFullView = nullptr, *mitSliceView = nullptr, *mitShowGrid = nullptr,
            *mitRefresh = nullptr, *mitClearHightlights = nullptr, *mitGongChiMode = nullptr,
            *mitShowOwnerCell = nullptr, *mitPopupHint = nullptr, *mitShowHintinJianpu = nullptr,
            *mitFixedKey = nullptr, *mitMiddleLineinRed = nullptr, *mitSmall = nullptr, *mitMed = nullptr,
            *mitLarge = nullptr;
    QAction *mitMusicPlayer = nullptr, *mitSpecialSymbols = nullptr, *mitDynamicMarks = nullptr,
            *mitWesternStyleNotes = nullptr, *mitGongChi = nullptr, *mitTextSymbols = nullptr;
    // The Western-note tool window, created on first use; shown or hidden by the Window menu.
    class TfrmWestNotes* frmWestNotes = nullptr;
    void btnWestenStyleNotesClick();
    void MakeWestNotesWindow(); // made hidden on first use
    // The symbol palettes (palettes/frmTQPalettes.h).
    QWidget *frmSpecial = nullptr, *frmDynMark = nullptr, *frmGongChi = nullptr, *frmTextSymbols = nullptr;
    QAction* mitAbout = nullptr;
    QAction* historySeparator = nullptr;
    std::vector<QAction*> historyItems;

    QToolBar *tbrlTop = nullptr, *tbrLeft = nullptr;
    QToolButton *btnNew = nullptr, *btnOpenFile = nullptr, *btnSaveFile = nullptr, *btnPreviousPage = nullptr,
                *btnNextPage = nullptr, *btnHome = nullptr, *btnLayer = nullptr, *btnZoomIn = nullptr,
                *btnZoomOut = nullptr;
    QToolButton *btnSingleBar = nullptr, *btnBarL = nullptr, *btnBarR = nullptr, *btnRepeatBarL = nullptr,
                *btnRepeatBarR = nullptr, *btnDoubleBar = nullptr;
    QComboBox* cbxPageNum = nullptr;
    QSlider* trkZoom = nullptr;
    QLabel* lblZoom = nullptr;
    QStatusBar* sbrMain = nullptr;
    QLabel *sbrPanel0 = nullptr, *sbrPanel1 = nullptr;
    QWidget* pnlMain = nullptr;
    QSplitter* splSideImage = nullptr;
    QSplitter* splKeyboard = nullptr; // the page over the piano panel
    QScrollArea* scrMain = nullptr;
    QWidget* scrContents = nullptr;
    TPaintBox* pbxMain = nullptr;
    TPaintBox* pbxRight = nullptr;
    QWidget* pnlSideImg = nullptr;
    QLabel* lblSideImgFileName = nullptr;
    QScrollArea* scrSideImg = nullptr;
    TPaintBox* pbxSideImg = nullptr;
    QWidget* panSliceViewButton = nullptr;
    QPushButton *btnPreSlice = nullptr, *btnCloseSlice = nullptr, *btnNextSlice = nullptr;
    QWidget* pnlBottom = nullptr;
    QWidget* pnlKeyboard = nullptr;
    QFileDialog* dlgOpen = nullptr;
    QFileDialog* dlgSave = nullptr;
    QFileDialog* dlgOpenPic = nullptr;
    // Makes the three file dialogs above for the language in force, each in
    // the folder its predecessor was in.
    void MakeFileDialogs();


    // --- text entry, text commands, language switch (app/frmTQMainText.cpp) ---
    QLineEdit* edtEnterText = nullptr;  // the text box over the cursor cell
    QToolButton* btnEnterText = nullptr; // check-style: text entry is on while it is down
    int TextBoxCharset = 0;             // charset of the box's font
    int TextBoxStyle = 0;               // style bits of the box's font (fsBold ...)
    bool SavedPasteEnabled = false;     // Paste's Enabled value while text entry is on
    void EndTextEntry();
    void ShowTextEntryBox(bool show);
    void PlaceTextEntryBox(bool takeCellText);
    void FitTextEntryBox();
    void CommitTextEntry();
    void btnEnterTextClick();
    // Key 13 commits, 27 hides without storing, others refit the box.
    void edtEnterTextKeyDown(int key, bool ctrl);
    void English1Click();
    void ChineseText1Click();
    void btnTextBoxClick();
    void mitTextRotateClick();
    // Gives every selected text and text-symbol cell the rotation (tenths of a
    // degree); false (and no undo step left) when none was there.
    bool RotateSelectedTexts(int angle);
    void mitAddTextClick();
    void btnTextFontClick();
    void mitUseChineseClick();
    // The shown tool windows, the play window and the book window take the
    // present language.
    void RelocaliseToolWindows();
    // Copy and Paste act on the text box while it is shown: true when they did.
    bool TextEntryCopy();
    bool TextEntryPaste();

    // --- signs, cell properties, colours (app/frmTQMainSigns.cpp) ---
    void btnSpeedClick();
    void PutTempoSign(int bpm, int noteCode, int col, int row);
    // OK of the tempo dialog: value and note code 1 half, 2 quarter, 4 eighth.
    void ApplyTempoSign(int bpm, int noteCode);
    void btnTimeSignatureClick();
    // OK of the time-signature dialog.
    void ApplyTimeSignature(int numerator, int denominator, bool useCSymbol);
    void btnKeySignClick();
    void mitKeySignClick();
    // OK of the key dialog: the key text and, for the fixed-key entry, the
    // original key's index.
    void ApplyKeySign(const std::string& keyText, bool fixedKey, int originalKey);
    void mitResetKeySigntureClick();
    void mitEditPropertyClick();
    // OK of the edit-image dialog: size ratio and offsets, for the one text
    // cell at the cursor or for the selection.
    void ApplyCellProperty(float ratio, float xOffset, float yOffset, bool singleCell);
    void btnColorClick();
    void mitChangeColorClick();
    // OK of the colour dialog: c is 0x00BBGGRR.
    void ApplyColor(int c);
    std::function<int()> OnAskColor; // -1 when cancelled; the window's dialog when unset

    // --- pictures and the side panel (app/frmTQMainImages.cpp) ---
    QAction* mitKeepOriginalAspectRatio = nullptr;
    QToolButton *btnSideImgZoomIn = nullptr, *btnSideImgZoomOut = nullptr, *btnNextSideImg = nullptr,
                *btnPrevSideImg = nullptr, *btnCloseSideImg = nullptr;
    bool SideSplitterMoved = false;
    class TfrmEditImage* frmEditImage = nullptr;
    // The picture dialog: the chosen file, "" when cancelled (tests replace it).
    std::function<std::string(const std::string& title, const std::string& proposed)> OnAskPictureFile;
    std::string AskPictureFile(int titleId, const std::string& proposed);
    void mitInsertImageClick();
    void InsertImage(const std::string& fileName);
    void mitInsertWholePieceClick();
    void InsertNumberedImages(const std::string& fileName);
    void mitKeepOriginalAspectRatioClick();
    void dlgOpenPicShow();
    void btnAddBackImgClick();
    void mitRemoveBackImgClick();
    void mitStopBackgroudImageClick();
    void mitLoadImageClick();
    void mitClearImageClick();
    void btnCloseSideImgClick();
    void pbxSideImgPaint();
    void pbxSideImgMouseDown(int y, bool leftButton);
    void btnSideImgZoomInClick();
    void btnSideImgZoomOutClick();
    void SideImageZoom(double factor);
    void btnNextSideImgClick();
    void btnPrevSideImgClick();
    void splSideImageMoved();

    // --- keyboard (app/frmTQMainKeys.cpp) ---
    QAction *mitEnableSpKey = nullptr, *mitEnableDynKey = nullptr;
    void FormKeyDown(int key, bool shift, bool alt, bool ctrl);
    void FormKeyPress(int ch);
    void FormKeyUp(int key, bool shift, bool alt, bool ctrl);
    void mitEnableSpKeyClick();
    void mitEnableDynKeyClick();
    // Builds the text box, its button, the side-panel buttons and the key preview.
    void BuildEntryControls();
    bool KeyPreview(QObject* watched, QEvent* event);
    // The menus of the menu bar that hold an item with these keys bring their
    // items up to date, as when they open, before the keys reach the item.
    void PrepareMenusForKeys(const QKeySequence& keys);
    // Runs a command of the key table.
    void RunKeyCommand(const TKeyCommand& k); // a value or accidental key on the note just typed
    void RunKeyCommandHere(const TKeyCommand& k); // at the selection as it is
    void RunEditKeyCommand(const TKeyCommand& k);
    // --- cell hints, the note-name panel and the page's popup menus (app/frmTQMainCursor.cpp) ---
    void BuildCursorParts();
    QLabel* HintWindow = nullptr;        // the framework hint beside a cell
    class QTimer* timHint1 = nullptr;    // 2000 ms: hides the hint
    class QTimer* timMoveWestNote = nullptr; // 1000 ms: the selection mark comes back
    QWidget* pnlHint = nullptr;          // the yellow note-name panel
    TPaintBox* pbxHint = nullptr;
    TBitmap HintPicture;
    QMenu* popMainPopup = nullptr;
    QMenu* popShrinkPopup = nullptr;
    QAction *mitPaste1 = nullptr, *mitHiDot = nullptr, *mitLowDot = nullptr, *mitUnderline = nullptr,
            *mitDelUnderline = nullptr, *mitCombineVert2 = nullptr, *mitShrinkReset = nullptr,
            *mitEnterShrink = nullptr, *mitHideClefSign1 = nullptr, *mitHideKeySignature1 = nullptr,
            *mitHideStartLine1 = nullptr, *mitHideEndLine1 = nullptr, *mitCommentStaff1 = nullptr,
            *mitExtenttoEndLine1 = nullptr, *mitCombineHori2 = nullptr, *mitShrinkInc = nullptr,
            *mitShrinkDec = nullptr;
    QAction *mitResetComp = nullptr, *mitIncreseComp = nullptr, *mitDecreseComp = nullptr,
            *mitSpecifyComp = nullptr;
    void ShowCellHintAt(float x, float y, const std::string& text);
    void HideCellHint();
    void timHint1Timer();
    void ShowNoteHintPanel(int col, int row);
    // Items of the page's menus shown, hidden, checked and named for the cursor cell.
    void popMainPopupPopup();
    void popShrinkPopupPopup();
    void mitHintSizeClick();
    void mitShowHintinJianpuClick();
    void mitPopupHintClick();
    void StepSideImage(int direction);
    void DrawSideImage(float scale);

    // The page as drawn; the paint boxes show these.
    TBitmap PagePicture;
    TBitmap RightPagePicture;
    QImage SidePicture;

    // --- on-screen piano (app/frmTQMainKeyboard.cpp) ---
    // Created by the first btnKeyboardClick; null until then.
    std::unique_ptr<TKeyboard> Keyboard;
    TPaintBox* pbxKeyboard = nullptr;
    TBitmap KeyboardPicture;
    QCheckBox *chkKbd2Staff = nullptr, *chkStaff2Kbd = nullptr, *cbxWholeStaff = nullptr;
    QSlider* trkVol = nullptr;
    QToolButton* CloseKeyboard = nullptr;
    void BuildKeyboardPanel();
    void btnKeyboardClick();
    void pbxKeyboardPaint();
    void pbxKeyboardMouseDown(int x, int y, Qt::KeyboardModifiers modifiers);
    void pbxKeyboardMouseUp(Qt::KeyboardModifiers modifiers);
    void pnlKeyboardResize();
    void chkStaff2KbdClick();
    // The piano's hooks and the player's piano and main-window hooks.
    void SetKeyboardHooks();

    // --- playing from the window (app/frmTQMainPlay.cpp) ---
    // The play window's side, filled by the play window when it is built: its
    // visibility, its playing flag, Play and Stop, the notation choice and the
    // speed setting.
    struct TPlayWindowHooks {
        std::function<bool()> Visible;
        std::function<void(bool)> SetVisible;
        std::function<bool()> Playing;
        std::function<void()> Play;
        std::function<void()> Stop;
        std::function<void(bool)> SetEnabled;
        std::function<void(bool west)> ChooseNotation;
        std::function<void()> ApplySpeed;
        std::function<bool()> AdvancedPageShown;
        std::function<void()> LoadCellAdj;
        std::function<void(int index, const std::string& text)> SelectSoundEffect; // index and the item's text
        std::function<int()> SoundEffectIndex;
        std::function<std::string(int index)> SoundEffectText;
    };
    TPlayWindowHooks PlayWindow;
    QAction *btnPlayMusic = nullptr, *btnPlayDirctly = nullptr;
    void StartPlayer(int startIndex, int highlightRows);
    // Before a play is built: when the cursor is still where a play that ran to
    // its end left it, the selection (and page) that play started from comes back.
    void ReturnToLastPlayStart();
    // While a play holds the window the page takes no keys: only the keys of
    // the play commands (which stop it) go on. True when the key is taken here.
    bool KeyWhilePlaying(QKeyEvent* e);
    // false: locks the menus and tool buttons for a play (calls nest); true: the
    // outermost unlock puts back the enabled state each one had, or was given
    // meanwhile through SetControlEnabled.
    void EnableMainControls(bool enable);
    // Enables a control now, or, while a play holds the controls, once it ends.
    void SetControlEnabled(QObject* control, bool enable);
    void SelectAndShowCell(int col, int row, int rows, bool redraw, int scrollFlags);
    bool ScrollIntoView(int flags);
    void btnPlayMusicClick();
    void btnPlayDirctlyClick();
    // Play directly while no play window is there: the play state builds the list
    // with its settings and the player runs it.
    void PlayWithoutWindow();
    // The MIDI output: the program's, bound now if the window was made without the program's start.
    bool EnsureMidi();
    void mitClearHightlightsClick();
    void mitToolClick();

    // --- mouse on the page (app/frmTQMainMouse.cpp) ---
    int MouseMode = 0; // 0 idle, 1 selecting, 2 moving the block, 3..5 resizing
    int PressX = 0, PressY = 0, DragX = -1, DragY = 0, PressCol = 0, PressRow = 0;
    bool DoubleClickPending = false;
    bool ClickSounding = false;
    bool SoundEffectPicked = false;
    int SavedSoundEffect = -1;
    QTimer* timDrag = nullptr;
    void pbxMainMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // A click on the right page of the two-page view.
    void pbxRightMouseDown();
    void pbxMainMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void pbxMainMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void pbxMainDblClick();
    void FormMouseWheel(int delta);
    void timDragTimer();
    // The window's side of the pointer members of the drawing part (scrolling,
    // leaving the full view).
    void SetPointerHooks();
    // A row of the book window's file list dragged onto the page: the data of
    // this type is the file's path (UTF-8); dropped, the file is opened.
    static constexpr const char* kBookRowMimeType = "application/x-tonquill-book-row";
    std::string BookRowFile(const class QMimeData* data) const;
    bool pbxMainDragOver(const class QMimeData* data) const;
    void pbxMainDragDrop(const class QMimeData* data);
    // The book window clears its own drag flag here.
    std::function<void()> OnBookDragEnd;
    // Mouse events of the paint boxes; true when taken.
    bool MouseEventFilter(QObject* watched, QEvent* event);
    // The note-name hint panel and the text-entry box (their commands set these).
    std::function<void()> OnHideNoteHint;
    std::function<void()> OnPlaceTextEntry;
    // The play state the click audition uses: the play window's, else one of the window's own.
    class TPlayState* AuditionState();

    // --- command table (app/frmTQMainCommands.cpp, rows in app/modTQCommandTable.cpp) ---
    void BuildCommands();
    QAction* CommandAction(const char* objectName) const;
    std::vector<QAction*> CommandActions;
    // Enables every table action whose handler can run now.
    // Faces of the note buttons of the left tool bar, drawn by the score's drawers.
    void DrawLeftBarFaces();
    void RefreshCommandStates();
    // What a handler still waits for ("text entry", "play window" ...); nullptr when it runs.
    const char* CommandPendingOwner(const std::string& handler) const;
    // The handlers by name; an action passes itself (its Tag, caption, check mark).
    std::unordered_map<std::string, std::function<void(QAction*)>> CommandHandlers();
    // The handlers of the text, sign, picture, dialog, beat-check, grand-staff,
    // key-change, bow, part, measure-number, preference, MIDI and play-window
    // commands (app/frmTQMainTools.cpp).
    void AddToolHandlers(std::unordered_map<std::string, std::function<void(QAction*)>>& h);
    // The play window, made hidden at start-up and linked to this window.
    void BuildPlayWindow();
    // Menu places of the switches the entry code owns.
    void PlaceEntrySwitches();
    class TfrmPlay* playWindow_ = nullptr;
    // Runs before a table handler with its name; false stops the handler.
    std::function<bool(const std::string& handler)> OnCommand;
    // The main window's cell operations behind the size, move, underline, grace and
    // compression commands; BuildCommands points them at the drawing part's members.
    struct TCellOps {
        std::function<void(float size)> ChangeFontSize;
        std::function<void()> ResetFontSize;
        std::function<void(int dx, int dy, bool modifier)> NudgeSelection;
        std::function<void(int count, bool add)> SetUnderlines;
        std::function<void(uint32_t style)> ToggleGrace;
        std::function<void(int value, bool relative)> ChangeShrinkRate;
    };
    TCellOps CellOps;
    // Opens a document with the desktop (default: QDesktopServices); false on failure.
    std::function<bool(const std::string& path)> OpenDocument;
    // The play window, for the window cascade.
    std::function<QWidget*()> PlayWindowWidget;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBars();
    void BuildPanels();
    void SetHooks();
    void SetWorkFolders(const std::string& music, const std::string& image);
    void ShowHistory();
    void PaintMainBox();
    void PaintRightBox();
    std::string AskOpenFileName(const std::string& proposed);
    std::string AskSaveFileName(const std::string& proposed);

    TViewPrefs viewPrefs_;
    bool pictureCurrent_ = false;
    bool painting_ = false;
    bool shownOnce_ = false;
    bool closing_ = false;
    Qt::KeyboardModifiers kbdModifiers_;
    bool keyboardPainted_ = false;
    bool soundWhole_ = false;
    int soundFirstRow_ = 0, soundLastRow_ = 0;
    std::unique_ptr<class TPlayState> ownPlayState_;
    int controlsLocked_ = 0;
    // The selections a play started from and ended on (page, c0, r0, c1, r1);
    // lastPlayEnd_ is empty unless the last play ran to its end.
    std::array<int, 5> lastPlayStart_{};
    std::optional<std::array<int, 5>> lastPlayEnd_;
    std::vector<std::pair<QPointer<QObject>, bool>> controlsAfterPlay_;
};

// The other forms of the start-up list that exist; each is null until built.
class TfrmMsgYNC;
extern TfrmMsgYNC* frmMsgYNC;

// Runs the program in an application that exists: fonts, language, message
// dialog, the main window and the start-up forms, then the message loop.
int RunTonquill();
// The same without the loop: builds and shows the main window (for tests).
TfrmMainTQ* StartTonquill();
