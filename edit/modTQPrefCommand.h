#pragma once
// What the main window does after the preferences dialog closed with OK: the
// interface language, the cached symbol pictures after colour changes, the
// page grid of both layers after page-geometry or language changes, the
// modified flag and the display. Beside it, Specify Compression: a chosen
// compression rate for the selected cells, optionally kept as the default.
//
// The Qt side (the dialogs) lives in the window; these routines take what the
// dialogs returned and work on the current main view.
#include <functional>
#include <string>

#include "model/modTQCell.h"

class TMainScore;

// The page settings the preferences dialog may change.
struct TPageGeometry {
    int PaperType = 2;
    float PaperWidth = 8.5f;
    float PaperHeight = 11.0f;
    int PaperOri = 0;
    int CellWidth = 15;
    int LeftMargin = 60, RightMargin = 30, TopMargin = 50, BottomMargin = 40;
};
TPageGeometry TakePageGeometry(const TMainScore& score);
void PutPageGeometry(TMainScore& score, const TPageGeometry& geometry);

// What the preferences dialog reports after OK.
struct TPreferenceResult {
    int ChangeLevel = 0;         // 0 nothing, 1 colours, 2 a font, 3 page geometry or language
    bool ColoursChanged = false;
    bool LanguageChanged = false;
    bool UseChinese = false;     // the dialog's language box
};

// The window's parts of a preference change.
struct TPreferenceHooks {
    // mitUseChinese's caption.
    std::function<void(const std::string&)> SetUseChineseCaption;
    // The window relocalised by Tags, its caption and page status text
    // rewritten, and each visible tool window relocalised.
    std::function<void()> Relocalise;
};

// The English warning shown when Chinese is chosen but the system shows the
// Chinese strings as question marks.
extern const char* const kChineseSetupWarning;

// Cells of either layer that hold something and lie outside a grid of cols x rows.
int CountCellsOutsideGrid(int cols, int rows);

// Applies the dialog's result. before: the page settings before the dialog;
// oldCellWidthPx: the cell width in pixels before it. When the new grid would
// drop cells that hold something, the user is asked first (1056, with the
// count); No puts the old page settings back and leaves the grid, the undo
// history and the modified flag as they were. Returns false then.
bool ApplyPreferenceChanges(const TPreferenceResult& result, const TPageGeometry& before, int oldCellWidthPx,
                            const TPreferenceHooks& hooks = {});

// The compression dialog's spin value for a cell's stored rate.
int CompressionSpinValue(int rate);
// Specify Compression after OK: every selected cell gets rate (held to
// -35..65) behind one undo item, the score is modified; with setDefault, and
// unless the cursor cell is a grace note, the rate becomes the default of the
// cursor cell's kind (Western, vertical chord, other Jianpu).
void ApplySpecifiedCompression(const TCell& cursorCell, int rate, bool setDefault);
