#pragma once
// Shared helpers of the model: rounding and small geometry for the drawers, the
// token readers of text files (text scores, books), small binary readers of the
// score file, folder clean-up, page units to pixels, colours, font-style bytes,
// comma lists typed by the user, and placing tool windows.
//
// Text files may come from Windows: every text reader here treats CR LF as LF.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/gui/TQCanvas.h" // TPoint, TColor, font style bits (plain C++ header)

// A point in float pixels.
struct TFPoint {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const TFPoint&) const = default;
};

// ---- Numbers and geometry (truncation is toward zero) ----

// floor(x + 0.5): halves round up, also for negatives (-2.5 gives -2); held in
// the int range, NaN gives 0. Inline: the drawers round every coordinate.
inline int RoundToInt(double x) {
    const double v = std::floor(x + 0.5);
    if (!(v == v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}
int RoundToNearest(double x);
bool FloatEqual(double a, double b, double tolerance);
double FloatAbs(double x);
int SignOf(double x); // 1 when x >= 0, else -1
bool SamePoint(const TPoint& a, const TPoint& b);
bool StrEqual(const char* a, const char* b);
double Distance(double x1, double y1, double x2, double y2);
double PointDistance(const TFPoint& p, const TFPoint& q);
double PointAngle(const TFPoint& p, const TFPoint& q); // atan2; 0 for equal points
double LineAngle(double x1, double y1, double x2, double y2);
// Integer interpolation at x; the mean of the two y values when the x values are equal.
int InterpolateInt(const TPoint& p0, const TPoint& p1, int x);
double InterpolateFloat(double x0, double y0, double x1, double y1, double x);
// Intersection of two lines given by a point and a slope; equal slopes leave out unchanged.
void LineIntersection(const TFPoint& p0, float s0, const TFPoint& p1, float s1, TPoint& out);
void PointOnLine(const TFPoint& p0, float slope, float x, TPoint& out);
// p lies on the positive side of a -> b.
bool CrossProductPositive(const TPoint& p, const TPoint& a, const TPoint& b);
bool CrossProductPositiveXY(int x0, int y0, int x1, int y1, int x2, int y2);
// a + b; 0 instead when wrap is set and the sum is 4 or more.
int AddWithWrap(int a, int b, bool wrap);

// ---- Grid spans to pixels (current score's cell size in pixels) ----

int RowSpanToPixels(int a, int b); // (a + b) x cell height
int ColSpanToPixels(int a, int b); // (a + b) x cell width
int RowsToPixels(int a);
int ColsToPixels(int a);

// ---- Colours (COLORREF 0x00BBGGRR) ----

int ByteToInt(uint8_t b);
void SplitRGB(TColor colour, int& r, int& g, int& b);
// Each of r, g, b becomes c + (255 - c) * 2 / 3.
TColor LightenColor(TColor colour);

// ---- Font styles: bold 1, italic 2, underline 4, strike-out 8 ----

int ByteToFontStyles(uint8_t b); // the fsBold.. bits of TQCanvas.h
uint8_t FontStylesToByte(int styles);
// "" 0, "CN" 1, "EN" 2, "NT" 3, anything else 4.
int GetFontKind(const std::string& code);

// ---- Text-file readers (C stdio; CR LF reads as LF) ----

// Reads one line up to a line feed or the end of the file; stores at most
// maxLength bytes of it (0 = unlimited) into buffer when one is given; the line
// feed is not stored. A byte 0xFF counts as the end of the file; the rest of an
// over-long line is dropped. False only when the file ends before the line's
// first byte.
bool ReadTextLine(FILE* f, std::string* buffer, std::size_t maxLength = 0);
// Reads one word (see the .cpp for the rules); returns the byte that ended it as
// a signed char, 0 when the file ended inside it, -1 when the file ended before
// it (word empty) or there is no stream.
int ReadWord(FILE* f, std::string& word, std::size_t maxLength);
// ReadWord with 99 bytes, then the word's leading decimal digits (0 for none).
int ReadInt(FILE* f, int* status = nullptr);
// ReadWord with 99 bytes, then its leading decimal number ('.' decimals).
double ReadFloat(FILE* f);

// ---- Binary readers of the score file ----

// 0..255, or -1 at the end of the file.
int ReadByte(FILE* f);
// Little-endian int32; 0 and *ok = false when the file ends first.
int32_t ReadInt32(FILE* f, bool* ok = nullptr);
// A float32, or deflt unless -1000000 <= value <= 1000000 (NaN gives deflt too).
float ReadFloatChecked(FILE* f, float deflt, bool* ok = nullptr);

// ---- Folders ----

// The path with a separator appended unless it ends with '/' or '\'.
std::string AddTrailingBackslash(const std::string& path);
// Deletes every entry of folder matching pattern ("*" or "*.*": all); sub-folders
// whole. Failures of single deletions are ignored.
void DeleteFolderFiles(const std::string& folder, const std::string& pattern);
// DeleteFolderFiles, then the folder itself.
void DeleteFolder(const std::string& folder, const std::string& pattern);

// ---- Comma lists typed by the user ----
//
// The separator is ',' unless the text holds the full-width comma of the Chinese
// code page (bytes A3 AC); then only that two-byte comma separates. Double-byte
// characters are stepped over whole, so their trail bytes never count.

// Appends the decimal value of each piece; false at a piece whose value is 0.
bool ParseIntList(const std::string& text, std::vector<int>& values);
// Appends each piece, trimmed; the last piece only when it is not empty.
bool SplitToStrings(const std::string& text, std::vector<std::string>& pieces);

// ---- Tool windows and the keyboard ----

// Keeps a window of that size inside the screen with a 22-pixel margin: past the
// right edge it moves to screenWidth - width - 22, else a left below 22 becomes 22;
// the same for top and height.
void KeepOnScreen(int& left, int& top, int width, int height, int screenWidth, int screenHeight);
// Note entry by letters reads key codes, so the keyboard layout never needs to
// change: these do nothing, as when the US layout is already active.
void ActivateUSKeyboard();
void LeaveUSKeyboard();
