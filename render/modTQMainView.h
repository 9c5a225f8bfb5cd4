#pragma once
// The drawing part of the main window: output canvas and kind, colour
// switches, view modes, highlights, footer values and the drawing engine.
//
// The main window derives from it; a hidden holder of another score is one
// more object of this kind. Drawers reach the current one through MainView().
#include <functional>
#include <string>
#include <vector>

#include "model/modTQMainScore.h"
#include "platform/gui/TQCanvas.h"
#include "render/modTQDrawEngine.h"

class TMainView : public TMainScore {
public:
    TMainView();
    ~TMainView() override;

    // The canvas every drawer paints on when none is passed.
    TCanvas* OutCanvas = nullptr;
    // 0 screen, 1 printer, 2 off-screen page, 3 copied image of the page.
    int OutputKind = 0;
    bool OutputInColor = false;     // colour on printer and off-screen output
    bool ColorCopyImage = false;    // colour in copied page images
    bool ColorBlackkeyNote = false; // black-key note heads in the sharp and flat colours
    int SliceView = 0;
    bool ShowGrid = true;
    bool GongChiMode = false;       // cursor steps of two columns
    bool SlurMode = false;          // no slurs over the small notes of shrunk cells
    std::vector<TMeasure> Highlights;
    int FooterFontSize = 8;
    int PageNumberBase = 0;         // added to the page number of a print or export run
    int CurClef = -1;               // clef of the row being drawn
    int CurKey = 0;                 // key code of that clef (ReadClefKeyBefore)

    // The paint box: its canvas and size in pixels. CalcPageGrid sizes it to the
    // page through OnPageResized; a window that replaces that hook sets the size.
    TCanvas* PaintBoxCanvas = nullptr;
    int PaintBoxWidth = 0;
    int PaintBoxHeight = 0;
    // The window's own font (slice-view label, screen text correction).
    std::string MainFontName = "Arial";
    int MainFontCharset = 1;
    int MainFontHeight = -11;
    // Sets ScreenTextShift and ScreenTextScale from MainFontHeight; the window
    // calls it when it is first shown.
    void SetScreenTextCorrection() const;

    // Controls the drawers read; the window keeps them up to date.
    bool mitShowOwnerCellChecked = false;   // menu "Show Owner Cell"
    bool CrescendoMode = false;             // menu "Hide" > "Crescendo": no hairpins
    bool mitFixedKeyChecked = false;        // menu "Fixed-doh"
    bool mitMiddleLineinRedChecked = false; // menu "Color staff"
    int btnLayerImageIndex = 60;            // 60 while layer 0 is shown, 61 for layer 1
    bool timMoveWestNoteEnabled = false;    // a Western note is being moved
    bool chkIncludeFileNameChecked = false; // print dialog: file name on printed pages
    bool PlayerPlaying = false;             // the play window is playing
    bool pnlHintVisible = false;            // the note-name panel is shown
    int pnlHintWidth = 0;                   // and its width in pixels

    // A whole-page draw through the work bitmap failed at this zoom (rounded);
    // from then on pages at this zoom or above are drawn directly.
    int RedrawFailZoom = -1000;

    TDrawEngine DrawEngine;

    // ---- the main window's view routines (render/modTQMainPages.cpp) ----
    // They keep the state of the window's controls in Controls and call
    // OnControlsChanged; the window copies that state into its widgets. A score
    // holder without a window leaves the hooks unset.
    struct TControls {
        bool btnPreviousPageEnabled = false;
        std::vector<std::string> PageComboItems; // "1" .. page count
        int PageComboIndex = 0;                  // selected item, -1 none
        std::string PageComboText = "1";
        std::string StatusPage;                  // first panel of the status bar
        std::string StatusFile;                  // second panel
        std::string Caption;                     // window caption
        bool CaptionUsesChineseFont = false;     // the form font is the score's Chinese font
        bool BarButtonsEnabled = true;           // bar-line buttons (off on layer 1)
        int trkZoomPosition = 100;
        std::string lblZoomText = "100%";
        int ScrollX = 0, ScrollY = 0;            // wanted scroll position of the page; -1 keeps it
        bool ScrollRequested = false;            // the window scrolls there once
        bool btnSaveFileEnabled = false;
        // Sizes the window reports for fitting the page.
        int ClientWidth = 800, ClientHeight = 600; // the form's client area
        int ScrollBoxHeight = 500;                  // height of the page's scroll box
        int SliceButtonPanelHeight = 0;             // height of the slice-view button panel
    };
    TControls Controls;
    std::function<void()> OnControlsChanged;
    // The page was drawn into the paint box's canvas; the window shows it.
    std::function<void()> OnPageDrawn;
    std::function<void()> OnBeep;
    // Ends text entry in progress (the text-entry commands set it).
    std::function<void()> OnEndTextEntry;
    // A saved or opened file is shown: the window puts it on its recent-file list.
    std::function<void(const std::string&)> OnFileShown;
    // A score was opened: the play window takes its default options.
    std::function<void()> OnScoreOpened;
    // The stored page settings are read again (File New).
    std::function<void()> OnLoadPagePreferences;
    // File dialogs: the chosen name, "" when cancelled. The save dialog has
    // already asked whether an existing file may be replaced.
    std::function<std::string(const std::string& proposed)> OnAskOpenFileName;
    std::function<std::string(const std::string& proposed)> OnAskSaveFileName;
    // A book file was dropped: the book window loads and shows it.
    std::function<void(const std::string&)> OnOpenBook;

    // Window state the routines share.
    bool FirstPaint = true;           // the start-up work of the first paint is still to do
    int ReopenPage = -1;              // page shown by an open while FirstPaint is set (PrePN)
    bool UpdatingPageControls = false;
    bool UpdatingZoomTrack = false;
    bool ForceSaveAs = false;         // Save acts as Save As
    int DefaultNoteKind = 0;          // 0 quarter, 1 eighth, 2 sixteenth
    int TextMode = 2;                 // language of typed text: 2 English, 1 Chinese
    float SliceSavedZoom = 1.0f;

    // --- selection ---
    // Narrows the selected columns to the first and last that hold, in one of
    // the selected rows, a cell with a code or small notes; unchanged when
    // there is none.
    void TrimSelection();
    // Moves the cursor one cell on (two in Gongche mode), to column 0 of the next
    // row past the row's end; nothing on the last row. The selection collapses
    // to the cursor; nothing is redrawn. (edit/modTQCursorKeys.cpp)
    void AdvanceCursor();
    // Which note of the cell the held modifiers address: -1 when the cell has no
    // small or chord notes, 0 all notes, n >= 1 the n-th note (for small notes
    // mapped to its item). Sets ChordNoteIndex. (edit/modTQCursorKeys.cpp)
    int GetKeyTargetNote(const TCell& cell) const;

    // --- redraw ---
    void RedrawCells(int col0, int row0, int col1, int row1);
    void RedrawSelection();
    // The paint box asks for its page: an invalid current page becomes 0 first.
    void pbxMainPaint();
    // The window caption: "Tonquill Version 5.2 - " + FileName, or the Chinese form.
    void UpdateCaption();

    // --- pages ---
    void GoToPage(int page);
    void ShowPage(int page, bool redraw);
    void RefreshPageCombo();
    void PageCaption();
    void btnNextPageClick();
    void btnPreviousPageClick();
    void btnHomeClick();
    // The page box's text; a text that is not a page number is ignored.
    void cbxPageNumChange(const std::string& text);
    void cbxPageNumDropDown();

    // --- layers ---
    void btnLayerClick();
    // Moves the selection's cells to the other layer; layer-structure cells of
    // layer 0 stay. One Undo takes both layers back.
    void MovetoNextLayer1Click();
    // Swaps the two layers' cells in the selection (not layer-structure cells).
    void mitSwitchLayerContentClick();

    // --- zoom and views ---
    void btnZoomInClick();
    void btnZoomOutClick();
    void ZoomClick(int percent);
    void trkZoomChange(int position);
    void trkZoomKeyDown();
    void mitFittoWidthClick();
    void mitFilttoHeightClick();
    void ApplyZoom();
    void mitNormalViewClick();
    void mitFullViewClick();
    void btnNextSliceClick();
    void btnPreSliceClick();
    void mitShowGridClick();
    void mitRefreshClick();

    // --- score files (render/modTQMainFiles.cpp) ---
    // Opens the file unless the user keeps unsaved changes (string 1022).
    void OpenFromPath(std::string fileName);
    // Reads the file into this score; false (everything as it was) on failure.
    bool OpenScoreFile(const std::string& fileName, bool quiet);
    // Reads the file into target with the binary or text reader.
    bool OpenScore(const std::string& fileName, TMainScore* target, bool quiet);
    bool SaveScore(const std::string& fileName, bool flag);
    // False when the user keeps unsaved changes.
    bool NewScore();
    void mitNewClick();
    void mitOpenClick();
    void mitSaveClick();
    void mitSaveAsClick();
    // Files dropped on the window: only a single file is taken; ".mbk" goes to
    // the book window, anything else is opened as a score.
    void HandleDroppedFiles(const std::vector<std::string>& files);
    // Unsaved changes may be dropped: true when not modified or the user says
    // Yes to the question (1022 when opening, 1023 when closing).
    bool MayDropChanges(int questionId);

    // Index in Highlights of the first record of the current page that marks
    // the whole row; -1 when none.
    int FindRowHighlight(int row) const;
    // Draws a range (whole false) or the whole page; see DrawPage.
    void DrawPageRange(int col0, int row0, int col1, int row1, bool whole);
    // The whole current page; on screen the window is then told to show it.
    void RedrawPage();
    // Prepares drawing onto the printer whose canvas is given: printer output,
    // page numbers from 0, no grid, and a zoom that maps the page width in page
    // units onto the printer's page width. The caller restores Zoom, ShowGrid,
    // OutputKind and OutCanvas afterwards.
    void SetPrinterOutput(TCanvas* printerCanvas);

    // --- copied image of the selection ---
    bool CopyingImage = false; // a copy of the selection as a picture is being drawn
    // Width in pixels of the picture Copy puts on the system clipboard, from the
    // selection's size, the cell size and the copy options (quality, automatic
    // size); at least 50.
    int CopyImageWidth(int quality, bool autoSize) const;
    // Puts a picture of the selected block on the system clipboard; tries five
    // sizes, each 0.8 of the one before, and reports 3131 when none can be made.
    void CopySelectionAsImage(int quality, bool autoSize);
    // Draws both layers of the selected block, with half a cell of margin around
    // it, into the bitmap made `width` pixels wide; kind is the output kind (3 a
    // copied image, 2 an exported page). False when the bitmap cannot be had.
    bool RenderSelectionToBitmap(TBitmap& bitmap, int width, int kind);
    // Appends {max(col0, 0), min(col1, Cols - 1), row, page (-1: the current
    // page), CurLayer} to Highlights.
    void AddHighlight(int col0, int col1, int row, int page = -1);

    // ---- pointer, cursor and selection (edit/modTQCursor.cpp) ----
    // Pixel positions are those of the paint box: cell (c, r) covers x from
    // L + c*V to L + (c + 1)*V and y from T + r*U to T + (r + 1)*U.
    void PointToCell(int& col, int& row, int x, int y) const;
    bool IsOutsideHorizontally(int x, int y) const;
    bool IsOutsideVertically(int x, int y) const;
    // 3 bottom-right corner, 4 right edge, 5 bottom edge, 2 top or left edge, 0 none.
    int SelectionHandleAt(int x, int y) const;
    // Rubber bands drawn in XOR on the output canvas: drawing one twice erases it.
    void DrawDragLine(int x, int y);
    void DrawDragFrame(int x, int y);
    // The cursor cell where the mouse went down; WidenToNoteRun returns to it.
    int MouseDownCol = 0, MouseDownRow = 0;
    void SelectRunAt(int x, int y);
    // first and last are columns of the cursor row.
    void WidenToNoteRun(int& first, int& last);
    // A redraw range grown for the small notes of cell: up for a vertical
    // chord, right for other packed cells.
    void ExtendRangeForNotes(float& top, int left, int& right, const TCell& cell) const;
    void MoveCursor(int dx, int dy);
    void ResizeSelection(int dx, int dy);
    void SelectTargetNote(int n);
    // The current vertical scroll position and its range, as the window reports them.
    int ScrollPosY = 0;
    int ScrollRangeY = 0;
    void ScrollByWheel(int delta);
    void ToggleScrollEnd();
    void LeaveFullView();
    // The status bar's second panel.
    void SetStatusText(const std::string& text);
    // Window parts behind the cursor members; unset, nothing shows.
    std::function<bool(int flags)> OnScrollIntoView;               // true when it scrolled
    std::function<void(float x, float y, const std::string&)> OnShowCellHint;
    std::function<void()> OnHideCellHint;
    std::function<void(int col, int row)> OnShowNoteHintPanel;
    std::function<void()> OnLeaveFullView;                          // tool bars, menu, panels back
    std::function<void(int position)> OnScrollByWheel; // scroll the page there
    std::function<void(int key)> OnEnterGongcheChar;             // a degree typed in Gongche mode
    std::function<void(bool run)> OnMoveWestNoteTimer;             // start or stop timMoveWestNote
    // Shows a framework hint at cell units (x, y).
    void ShowCellHint(float x, float y, const std::string& text);

    // ---- typed keys and key-driven cell edits (edit/modTQTypeKey.cpp) ----
    void ApplyKeyToNotes(TCell& cell, int key, bool cycle, int value);
    void TypeNoteKey(int key, bool saveUndo);
    // key '\'' up, ',' down.
    void ChangeOctave(int key, bool cycle);
    void AddOctaveNote();
    void SetUnderlines(int value, bool add, bool cycle);
    void NudgeSelection(float dx, float dy, bool fine);
    void timMoveWestNoteTimer();
    // Note-name hints of the selection (property 115 / 116), and of every Western
    // staff row of the score (add: the menu item of Tag 627).
    void mitAddHintforSelectClick();
    void mitRemoveHintforSelectClick();
    void mitAddHintforAllClick(int senderTag);

    // ---- selection members of the menu commands (edit/modTQSelect.cpp) ----
    void HalveRowValues(int row, bool westRow);
    bool IsHeldByDash(int col, int row, int& dashCol) const;
    void ToggleGrace(int side);
    void ChangeFontSize(float step);
    // Every eligible selected cell gets the size factor 1.0.
    void ResetFontSize();
    void ChangeShrinkRate(int value, bool relative);
    std::string FindTextCellInSelection();
    std::string FindImageCellInSelection();
    static int NextChordOctave(int previousDegree, int previousOctave, int degree);
    // The file that follows (direction 1) or precedes (-1) fileName in its folder
    // among the files of its extension, in directory order; next past the last
    // is the first, previous before the first is fileName itself.
    static std::string StepSideImageFile(const std::string& fileName, int direction);
    // Page background of cell (0, 0), layer 0.
    std::string CurrentBackgroundFile() const;
    void SetBackgroundImage(const std::string& fileName, bool keepAspectRatio);
    void StopBackgroundImage();
    void RemoveBackgroundImage();

    // ---- automatic underlines and note shifting (edit/modTQAutoLine.cpp) ----
    int FindBeatKind(int row) const;
    void AutoUnderlineJianpuRow(TCellRow& cells, int row, bool selectedOnly, int& beatKind);
    void AutoUnderlineSmallNotes(TCell& cell);
    static int FindDotPair(const TCellRow& cells, int from, int to);
    void SwapGroupUnderlines(TCellRow& cells, int col0, int col1);
    void ShiftNotes(int steps);
    void ShiftRowNotes(TCellRow& cells, int steps, int col0, int col1);
    void ShiftCell(TCell& cell, int steps);
    void ShiftSmallNotes(TCell& cell, int steps);
    static int StepDegree(int note, int steps, uint32_t* attr, int* octave);
    void Selected1();
    void mitCurrentPage();
    void mitAutoLineAll();
    void mitIncreaseUnderline();
    void btnSwapUnderline();
    void mit8vaHigherClick() { ShiftNotes(7); }
    void mit8vaLowerClick() { ShiftNotes(-7); }
    void mit1vaHigherClick() { ShiftNotes(1); }
    void mit1vaLowerClick() { ShiftNotes(-1); }
    void mitUnderlineClick() { SetUnderlines(1, true, false); }
    void mitDelUnderlineClick() { SetUnderlines(-1, true, true); }
    void mitHiDotClick() { ChangeOctave('\'', false); }
    void mitLowDotClick() { ChangeOctave(',', false); }
    void btnShrinkClick();
};

// Draws through another canvas for as long as it lives: OutCanvas is put back
// when the scope ends, also by an error. With no canvas given it only keeps
// OutCanvas, for code that changes it on its way.
class TOutCanvasGuard {
public:
    explicit TOutCanvasGuard(TMainView* view, TCanvas* canvas = nullptr) : view_(view), saved_(view->OutCanvas) {
        if (canvas)
            view->OutCanvas = canvas;
    }
    ~TOutCanvasGuard() { view_->OutCanvas = saved_; }
    TOutCanvasGuard(const TOutCanvasGuard&) = delete;
    TOutCanvasGuard& operator=(const TOutCanvasGuard&) = delete;
    TCanvas* saved() const { return saved_; }

private:
    TMainView* view_;
    TCanvas* saved_;
};

// A score of a book: its file and title (the book window keeps a list of them).
struct TMusic {
    std::string FileName;
    std::string Title;    // bytes in the code page of TitleCharset
    int TitleCharset = 0;
    bool KeepTitle = false; // the stored title is kept on refresh
    bool Selected = false;  // checked for "Selected Musics" printing
    bool Exists = false;    // the file could be opened at the last refresh
    int PageCount = 0;      // pages of the score at the last refresh
};
// The title of the score held by main: the first title-like text cell of
// page 0, else the file name without folder and extension.
void GetMusicTitle(const TMainScore& main, TMusic& entry);

// The version shown in captions: 5.2 with four decimals, trailing zeros cut
// after the first decimal ("5.2").
std::string ProgramVersionText();

namespace mainview_detail {
// The view MainView() found last; a view forgets itself when it goes, so a
// match of addresses always means that very view.
extern TMainView* gLastView;
TMainView* FindMainView();
} // namespace mainview_detail

// The current main window as its drawing part. Drawing with no main window, or
// with one that has no drawing part, is a programming error: it throws
// std::logic_error. Inline: every drawer asks for it many times per cell.
inline TMainView* MainView() {
    TMainView* view = mainview_detail::gLastView;
    if (view && static_cast<TMainScore*>(view) == frmMainTQ)
        return view;
    return mainview_detail::FindMainView();
}
