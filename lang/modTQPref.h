#pragma once
// The preferences file TQ.ini in the user folder.
//
// Sections: Pref (page, fonts, folders, window and tool-window places, colours,
// switches), Print (print dialog), Layout (palette layout files), Bow
// (bow-direction dialog). Every routine opens the file afresh. A missing file or
// key gives the default; so does a value that is not a number, or one outside
// the range of what it sets (paper size, cell size, margins, zoom, history
// size ...). A file that exists but cannot be read (longer than the reader
// takes, not readable) also gives the defaults and is never rewritten; that,
// and a write that fails, is told to the user once in a run (4401, 4402).
//
// Some key names are spelt as they always were in this file and must stay so:
// "TextSymDlglLeft", "HidenLayerColor", "defWestShinkRate".
#include <string>

#include "lang/modTQMainSettings.h"
#include "model/modTQMainScore.h"

// Colours and switches of the drawing part that the preferences keep. The
// window copies them into its drawing object after loading, and back before
// the exit writer runs. Colours are Windows COLORREF values (0x00BBGGRR).
struct TViewPrefs {
    int MainLayerColor = 0x000000;
    int BkColor = 0xFFFFFF;
    int BackLayerColor = 0x400080;
    int HidenLayerColor = 0xA4A4A4;
    int GridColor = 0xCDCDCD; // grey 255 - d of the stored darkness d
    int SharpColor = 0x0000FF;
    int FlatColor = 0x00C400;
    bool ShowChangedRed = false;
    bool ColorBlackkeyNote = false;
    bool ColorCopyImage = false;
    int FooterFontSize = 8;
    bool FixedKeyChecked = false; // menu "Fixed-doh"
};

// The parts of the main window that the preferences fill and save.
struct TPrefParts {
    TMainScore& Score;
    TMainSettings& Settings;
    TViewPrefs& View;
    bool& UseChinese; // the language object's choice of string table
    // The window's own font charset: default of the note font's charset.
    int WindowFontCharset = 1;
    // Printers installed; a stored printer index is applied only when it lies
    // in 0 .. PrinterCount - 1.
    int PrinterCount = 0;
};

// What the preferences dialog holds when it closes with OK.
struct TPrefDialogValues {
    int PaperType = 2;
    double PaperWidth = 8.5;   // the numbers of the size edits, in the unit shown (Unit)
    double PaperHeight = 11.0;
    int PaperOri = 0;
    int Unit = 0; // 0 inches, 1 millimetres
    int CellSize = 15;
    int LeftMargin = 60, RightMargin = 30, TopMargin = 50, BottomMargin = 40;
    int PrintAdj = 90;
    std::string DefFileDir; // folder edits, as typed
    std::string DefImgDir;
    int HistoryFileNo = 6;
    bool LoadPreFile = true;
    bool UseChinese = true;
    int FooterFontSize = 8;
    bool AllowChineseFileName = false;
    bool PrintByBmp = true;
    bool AutoImageSize = false;
    bool ColorCopyImage = false;
    int CopyImageQuality = 10;
    int GridTrackPosition = 50; // grid darkness d
    int BkColor = 0xFFFFFF, BackLayerColor = 0x400080, HidenLayerColor = 0xA4A4A4;
    int KeyDownColor = 0xFF0000, MainLayerColor = 0x000000, SharpColor = 0x0000FF,
        FlatColor = 0x00C400;
    // The paper sizes are already in inches whatever Unit says (the dialog
    // passes the size it applied, so the file holds exactly that size).
    bool SizeInInches = false;
};

// The file: user folder + "TQ.ini".
std::string PrefFileName();
// A problem with the file is told again, as in a new run.
void ForgetPreferencesProblemTold();

// The grey of a stored grid darkness d: (255 - d) in each of red, green, blue.
int GridColorFromDarkness(int d);

// Fonts, paper, cell size, margins, window bounds, the current page and
// printer, and the display switches (keys fontStyleNote .. mitMiddleLineinRed).
// Also used by File New, so a new score starts from the stored page settings.
void LoadPagePreferences(TPrefParts& parts);
// Everything: LoadPagePreferences, then PrintAdj .. defWestShinkRate.
void LoadPreferences(TPrefParts& parts);
// Writes the dialog's values (section Pref) and hands its two folders to the
// window as its music and image folders. Fonts come from the score part, which
// the dialog has already updated. False when the file could not be written.
bool SavePreferences(const TPrefDialogValues& values, TPrefParts& parts);
// The keys the main window writes when it closes. The window first brings the
// live values into its parts: tool-window places, piano height and
// visibility, the current printer, the window bounds and WindowStateNormal.
bool WritePreferencesAtExit(const TPrefParts& parts);

// --- sections read and written by their own dialogs ---

struct TPrintPrefs {
    int PrintPage = 0;
    bool PrintInColor = false;
    bool IncludePageN = true;
    bool IncludeTitle = true;
    bool IncludeFileName = true;
};
TPrintPrefs LoadPrintPrefs();
bool SavePrintPrefs(const TPrintPrefs& prefs);

// The layout file chosen for a palette (key: the palette's name); "" when none.
std::string LoadPaletteLayout(const std::string& paletteKey);
bool SavePaletteLayout(const std::string& paletteKey, const std::string& layoutFile);

bool LoadBowStyleSym();
bool SaveBowStyleSym(bool symbolStyle);

struct TImageExportPrefs {
    int SaveImageWidth = 3000;
    bool Jpeg = true;
    bool Pdf = false;
    bool Bmp = false;
    bool BlackWhite = true;
    bool Color = false;
};
TImageExportPrefs LoadImageExportPrefs();
bool SaveImageExportPrefs(const TImageExportPrefs& prefs);
