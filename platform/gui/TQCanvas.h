#pragma once
// The drawing surface every drawer paints on.
//
// It keeps the rules of the Windows canvas the drawers were written for:
//  - colours are COLORREF values 0x00BBGGRR;
//  - text is placed by the top-left corner of its character cell;
//  - Rectangle, FillRect and Ellipse exclude the right and bottom edge;
//  - LineTo does not draw its end pixel;
//  - Arc runs counter-clockwise from the start ray to the end ray;
//  - font sizes are points at the canvas's PixelsPerInch;
//  - pmXor combines the pen colour with the pixels under it.
//
// Text: TextOut and TextExtent take UTF-8, except while the font is one of the
// legacy music fonts ("MusicalSymbols", "Toccata", "Wingdings 3"): then every
// byte of the string is a character code of that font, drawn through the music
// glyph map.
//
// Implementations: TQtCanvas (QPainter on a QImage, a widget or a printer) and
// TRecordingCanvas (keeps every call with the state it was made in).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using TColor = int32_t; // 0x00BBGGRR; clNone / default colours are the caller's business

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;

inline int GetRValue(TColor c) { return c & 0xFF; }
inline int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
inline TColor RGBColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

struct TPoint {
    int x = 0, y = 0;
    bool operator==(const TPoint&) const = default;
};
struct TSize {
    int cx = 0, cy = 0;
    bool operator==(const TSize&) const = default;
};
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

enum TPenStyle { psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5 };
enum TPenMode { pmCopy = 0, pmXor = 1, pmNotXor = 2, pmNot = 3 };
enum TBrushStyle { bsSolid = 0, bsClear = 1 };

// Font style bits, as the score stores them.
enum : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
    bool operator==(const TPen&) const = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    bool operator==(const TBrush&) const = default;
};

struct TFont {
    std::string Name = "Arial"; // UTF-8 face name ("SimSun", "MusicalSymbols" ...)
    int Size = 10;              // points
    TColor Color = clBlack;
    int Style = 0;              // fsBold | fsItalic | fsUnderline | fsStrikeOut
    int Charset = 1;            // 0 ANSI, 1 default, 2 symbol, 134 GB2312
    bool operator==(const TFont&) const = default;
};

// A font made for one drawing call, the stand-in for CreateFontA.
// Height < 0: character height in pixels; > 0: cell height; 0: default.
// Width: average character width in pixels (0: natural); the glyphs are stretched.
// Escapement: angle of the baseline in tenths of a degree, counter-clockwise.
struct TLogFont {
    int Height = 0;
    int Width = 0;
    int Escapement = 0;
    int Orientation = 0;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = 1;
    std::string FaceName;
    bool operator==(const TLogFont&) const = default;
};

class TBitmap;

class TCanvas {
public:
    virtual ~TCanvas() = default;

    // Current drawing state; every call uses the state as it is at that moment.
    TPen Pen;
    TBrush Brush;
    TFont Font;

    // Resolution for point sizes (96 on screen, the printer's own when printing).
    virtual int PixelsPerInch() const { return 96; }
    // Size of the surface in pixels (for a printer, the printable page).
    virtual TSize Size() const = 0;

    // Selects a created font in place of Font until SelectLogFont(nullptr).
    // Returns the previously selected created font (empty when there was none).
    virtual std::shared_ptr<TLogFont> SelectLogFont(std::shared_ptr<TLogFont> font) = 0;
    virtual std::shared_ptr<TLogFont> SelectedLogFont() const = 0;

    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual TPoint PenPos() const = 0;
    virtual void Polyline(const std::vector<TPoint>& points) = 0;
    virtual void Polygon(const std::vector<TPoint>& points) = 0;
    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
    virtual void FillRect(const TRect& rect) = 0;
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual TSize TextExtent(const std::string& text) = 0;
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    virtual void Draw(int x, int y, const TBitmap& bitmap) = 0;
    virtual void StretchDraw(const TRect& rect, const TBitmap& bitmap) = 0;
    virtual TColor GetPixel(int x, int y) = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;

    // What the calls that follow draw: the cell at (col, row) and, inside a
    // cell of several small notes, its note part (1 on); (-1, -1) when no cell.
    // Devices that only paint ignore it; a recording device keeps it.
    virtual void SetOwner(int /*col*/, int /*row*/, int /*part*/ = 0) {}
};
