#pragma once
// The settings part of the main window: window and tool-window places, work
// folders, printing and image-copy options, the default compression rates, the
// check marks of the menu switches that persist, and the piano colours.
//
// The main window is made of the score part (TMainScore), the drawing part and
// this part; each member here starts with the value the window's create handler
// gives it, and the preferences (modTQPref) load over it and save from it. The
// names differ from those of the other two parts, so the window can inherit all
// three.
#include <string>

class TMainSettings {
public:
    // --- window placement; 0 in all four means maximised ---
    int WindowWidth = 0;
    int WindowHeight = 0;
    int WindowLeft = 0;
    int WindowTop = 0;
    // The window is in its normal state (neither maximised nor minimised); the
    // window sets it before the exit writer runs.
    bool WindowStateNormal = false;

    // --- tool windows: shown at the last exit, and their places ---
    bool WestDlgVisible = false;
    bool DynDlgVisible = true;
    bool SpecialDlgVisible = true;
    bool GongChiDlgVisible = false;
    bool TextSymDlgVisible = false;
    bool PlyDlgVisible = false;
    int WestDlgLeft = 400, WestDlgTop = 100;
    int DynDlgLeft = 400, DynDlgTop = 200;
    int SpecialDlgLeft = 400, SpecialDlgTop = 300;
    int PlyDlgLeft = 400, PlyDlgTop = 50;
    int GongChiDlgLeft = 400, GongChiDlgTop = 400;
    int TextSymDlgLeft = 400, TextSymDlgTop = 500;

    // --- the on-screen piano ---
    bool KeyboardVisible = false;
    int KeyboardHeight = 0;
    int KeyDownColor = 0xFF0000;      // pressed white key
    int BlackKeyDownColor = 0x000096; // pressed black key

    // --- work folders, each ending in a separator ---
    std::string MusicFolder;
    std::string ImageFolder;
    std::string CurFileFolder;

    // --- start-up ---
    int PrePN = -1;          // page to show when the last file is reopened
    int HistoryFileNo = 6;   // capacity of the recent-file lists
    bool LoadPreFile = true; // reopen the last file at start-up
    bool NoAskMusicFont = false;
    std::string ImgFileName; // picture of the side-image panel

    // --- printing, paper unit, images ---
    bool PrintByBmp = true;
    int PrinterIndex = -1; // index in the system's printer list; -1: the default printer
    std::string PrinterName; // the chosen printer's name, which outlives changes to the list
    int Unit = 0;          // paper sizes shown in 0 inches, 1 millimetres
    bool AllowChineseFileName = false;
    bool AutoImageSize = false;
    int CopyImageQuality = 10;

    // --- default compression rates of new cells ---
    int DefWestShrinkRate = 0;
    int DefJianpuShrinkRate = 15;
    int DefJianpuVertRate = 15;

    // --- check marks of the menu switches that persist ---
    bool ShowHintinJianpuChecked = false; // note-name hints in Jianpu style
    bool PopupHintChecked = true;         // pop-up cell hints
    bool ApplyToBothLayerChecked = true;  // edits apply to both layers
    bool MiddleLineinRedChecked = false;  // staff middle line in red

    // Music folder = folder + "Music/", image folder = folder + "Image/", the
    // current file folder = the music folder.
    void SetDefaultFolders(const std::string& folder);
};

// The settings part of the current main window (frmMainTQ); nullptr when there
// is no window or it has no settings part (a score holder).
TMainSettings* MainSettings();
