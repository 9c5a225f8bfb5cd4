#pragma once
// The drawing object: the resources every drawer of the score shares.
//
// It holds the work bitmap in which a screen page is composed, the instrument
// images, the colours of the two layers and the current drawing colour, the
// cache of symbol images, and the text and glyph primitives. The one drawing
// engine (TDrawEngine, derived from it) lives in the main window and every
// drawer receives it first. Geometry comes from the current main window
// (MainView()): the x unit is the column width in pixels, the y unit the row
// height in pixels times the size factor of a reduced-size staff run.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

class TBitmap;

// Beam geometry of one drawn note (four floats).
struct TFPoint4 {
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
};

// A font size reckoned from the page's pixels (a column width, say) as points
// for the current canvas: unchanged on screen and in pictures, and brought to
// the print scale while a print job draws on the printer.
float PagePixelPoints(float size);

// Screen text correction, set when the main window is first shown.
extern int ScreenTextShift;
extern float ScreenTextScale;

// Symbol images, by index into the symbol table.
enum TSymbolIndex {
    siIJ = 0, siGClef, siFClef, siCClef, siNatural, siFlat, si4_4Signature, siPaddleDown, siPaddleUp,
    siSFlat, siStartBrack, siDnTail, siUpTail, siGongChiLowDot, siBrace2, siGita, si3QFlat, siFlatBack,
    siDSharp, siSWave, siLWave, siSWave1, siLWave1, siU, siRest4th, siRest8th, siRest16th, siRest32th,
    siRest64th, siRest128th
};
constexpr int kSymbolCount = 30;
constexpr int kNoteBitmapCount = 3; // "noteS", "noteH", "noteF"
constexpr int kColourSlots = 7;

class TDrawBaseObj {
public:
    TDrawBaseObj();
    ~TDrawBaseObj();
    TDrawBaseObj(const TDrawBaseObj&) = delete;
    TDrawBaseObj& operator=(const TDrawBaseObj&) = delete;

    std::unique_ptr<TBitmap> WorkBitmap;                        // page composition on screen
    std::array<std::unique_ptr<TBitmap>, 9> InstrumentBitmaps; // transparent on white
    TColor HighlightFillColor = 0xC4FFFF;
    TColor OtherLayerHighlightColor = 0x8080FF;
    TColor EditLayerHighlightColor = 0x000080;
    TColor RedColor = 0x0000FF;
    TColor SelectionColor = 0x00FFFF;
    std::vector<TFPoint4> BeamPoints;
    // State shared with the notation drawers; the cell loop clears the last
    // word at the start of every row.
    std::array<int32_t, 6> DrawScratch{};
    int32_t Spare = 0;
    TColor CurColor = 0;
    TColor MainLayerColor = 0x000000;
    TColor BkColor = 0xFFFFFF;
    TColor BackLayerColor = 0x400080;
    TColor HidenLayerColor = 0xA4A4A4;
    TColor GridColor = 0xE1E1E1;
    TColor SharpColor = 0x0000FF;
    TColor FlatColor = 0x00C400;
    bool ShowChangedRed = false;

    // The size factor of a reduced-size staff run (1.0 or 0.7). It is kept in
    // the main window's score part, where the y unit reads it.
    float GetSizeFactor() const;
    void SetSizeFactor(float factor);

    // --- page coordinates ---
    int GetBaseYUnit() const;      // y unit without the size factor: row positions
    int GetLeftMarginPx() const;   // x of column 0
    int GetTopMarginPx() const;    // y of row 0
    int GetPageWidthPx() const;    // paint box size
    int GetPageHeightPx() const;
    int GetOutputKind() const;     // 0 screen, 1 printer, 2 off-screen page, 3 copied image
    int GetCurrentClef() const;

    // --- pictures and symbol images ---
    // Reads a JPEG or BMP file; false when it is missing or does not load.
    static bool LoadPictureFile(TBitmap& graphic, const std::string& path);
    // Symbol image by name from the program's images; with a non-zero colour,
    // recoloured. False when there is no such image.
    bool LoadSymbolBitmap(const std::string& name, TBitmap& bitmap, TColor color);
    // Every pixel whose red, green and blue are each below 100 becomes color.
    static void RecolourBitmap(TBitmap& bitmap, TColor color);
    // Cached symbol image in the slot of the current colour; nullptr when missing.
    TBitmap* GetSymbolBitmap(int index);
    // Symbol index stretched to width w at (x, y); h 0 keeps the aspect ratio.
    bool DrawSymbolBitmap(float x, float y, float w, int index, float h = 0.0f);
    // Note image 0..2; index -1 draws nothing; w 0 follows from h.
    bool DrawNoteBitmap(float x, float y, float w, int index, float h = 0.0f);
    bool DrawImageFile(float x, float y, float w, const std::string& path, float h = 0.0f);
    bool DrawImageFileEx(float x, float y, float w, const std::string& path, float h, TRect* outRect,
                         bool measureOnly);
    // Frees every cached symbol and note image (after a colour change).
    static void FreeSymbolBitmaps();

    // --- text and glyphs ---
    // Core text drawer; width factor > 0 or a non-zero angle uses a created font.
    void DrawGlyphText(const std::string& fontName, float x, float y, const std::string& text,
                       const TCell& cell, float factor, int style = 0, float widthFactor = 0.0f,
                       int angle = 0, TCanvas* canvas = nullptr);
    void DrawCharGlyph(const std::string& fontName, float x, float y, int code, const TCell& cell,
                       float factor, int style = 0, float widthFactor = 0.0f, int angle = 0,
                       TCanvas* canvas = nullptr);
    void DrawCharGlyph2(const std::string& fontName, float x, float y, int code, const TCell& cell,
                        float factor, int style = 0, float widthFactor = 0.0f, int angle = 0,
                        TCanvas* canvas = nullptr);
    // Extent of the glyph DrawCharGlyph draws (no width factor, no angle), measured in
    // the size it would be drawn at; the canvas's font is the note font afterwards.
    TSize CharGlyphExtent(const std::string& fontName, int code, const TCell& cell, float factor,
                          TCanvas* canvas = nullptr);
    void DrawGlyphString(const std::string& fontName, float x, float y, const std::string& text,
                         const TCell& cell, float factor, int style = 0, float widthFactor = 0.0f,
                         int angle = 0, TCanvas* canvas = nullptr);
    // The text arguments below are UTF-8; score texts are decoded by the caller.
    void DrawTimesText(float x, float y, const std::string& text, const TCell& cell, float factor,
                       TCanvas* canvas = nullptr);
    void DrawArialText(float x, float y, const std::string& text, const TCell& cell, float factor,
                       TCanvas* canvas = nullptr);
    void DrawTextInTextFont(float x, float y, const std::string& text, const TCell& cell, float factor,
                            TCanvas* canvas = nullptr);
    void DrawChineseChar(float x, float y, const std::string& text, const TCell& cell,
                         TCanvas* canvas = nullptr);
    void DrawCellFontText(float x, float y, const std::string& text, const TCell& cell, float factor,
                          int style, TCanvas* canvas = nullptr);
    // Percussion syllables 10000..10021; other ids draw nothing.
    void DrawPercussionSyllable(float x, float y, int id, const TCell& cell, TCanvas* canvas = nullptr);
    void DrawSyllableChar(float x, float y, const std::string& text, const TCell& cell,
                          TCanvas* canvas = nullptr);
    // Moves to, or draws to, the point dx further along a line of the slope.
    void StepAlongLine(float x, float y, float slope, float dx, bool draw);

protected:
    void RestoreNoteFont(TCanvas* canvas);
};

// The syllable of a percussion id (UTF-8), or "" for other ids.
const char* PercussionSyllableText(int id);
