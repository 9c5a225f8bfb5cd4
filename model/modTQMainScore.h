#pragma once
// The score part of the main window: the two layers of pages, the grid size,
// header values, page geometry, selection, file name and modified flag.
//
// The main window (app/) is made of this part, the drawing part (render/) and its
// widgets. Everything below the window reaches the current score through the one
// global pointer frmMainTQ and the global CurLayer; a hidden holder of a second
// score is another object of this kind that frmMainTQ does not point at.
#include <functional>
#include <string>
#include <vector>

#include "model/modTQCell.h"

// A highlighted cell range {first column, last column, row, page, layer}.
struct TMeasure {
    int col0 = 0;
    int col1 = 0;
    int row = 0;
    int page = 0;
    int layer = 0;
    bool operator==(const TMeasure&) const = default;
};

class TMainScore {
public:
    TMainScore();
    virtual ~TMainScore();
    TMainScore(const TMainScore&) = delete;
    TMainScore& operator=(const TMainScore&) = delete;

    // --- the score ---
    TPageSets PageSets;
    int Cols = 0;
    int Rows = 0;
    int CurPage = 0;
    int PageCount = 1;

    // selection; (SelCol0, SelRow0) is the cursor cell
    int SelCol0 = 0, SelRow0 = 0, SelCol1 = 0, SelRow1 = 0;

    // fonts of the score (names are bytes in the code page of their charset)
    std::string NoteFontName = "Arial";
    int NoteFontCharset = 0;
    int NoteFontStyle = 0;
    std::string ChineseFontName = "SimSun";
    int ChineseFontCharset = 134;
    int ChineseFontStyle = 0;
    std::string EnglishFontName = "Times New Roman";
    int EnglishFontCharset = 0;
    int EnglishFontStyle = 0;

    // page geometry, in page units (1000 across an 8.5-inch width)
    int CellWidth = 15;
    int CellHeight = 30;
    int LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
    int PaperType = 0;
    float PaperWidth = 8.5f;
    float PaperHeight = 11.0f;
    int PaperOri = 0;
    int PageWidthUnits = 1000;
    int PageHeightUnits = 1294;
    int DrawUnit = 15;       // half the cell height
    double Zoom = 1.0;       // screen pixels per page unit
    float PrintZoom = 1.0f;  // scale used instead of Zoom while printing
    bool Printing = false;   // the printer is printing
    // The drawing engine's size factor (0.7 inside a reduced-size staff run); it
    // scales the y unit that every drawer sees.
    float DrawSizeFactor = 1.0f;

    // values kept with the score
    int PageNumberStart = 1;
    int HintMode = 0;
    float HintSize = 1.0f;
    int TextSymSize = 8;

    // files and folders
    std::string FileName;
    std::string PrintTitle;
    std::string ProgramFolder;    // with a trailing separator
    std::string SavedImageFolder; // where embedded images are written out
    bool SaveBinary = true;

    // modified flag; the window enables its save button from the hook
    bool Modified = false;
    std::function<void(bool)> OnModifiedChanged;
    void SetModified(bool modified);
};

// The current score: the main window's score part.
extern TMainScore* frmMainTQ;
// The current layer, 0 or 1; -1 in a cell address means this layer.
extern int CurLayer;
