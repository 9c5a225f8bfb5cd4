#pragma once
// The legacy music fonts on Bravura.
//
// The drawers write 8-bit character codes of the music fonts "MusicalSymbols" and
// "Toccata" (and two codes of "Wingdings 3"). None of these fonts exists here: each
// (font, code) maps onto a SMuFL code point of Bravura (or, for Wingdings 3, a
// character of a text font), with a correction so that the glyph lands where the
// legacy glyph stood when drawn at the legacy text origin (the top-left of the
// character cell) at the size the drawer asked for.
//
// Let E be the requested font's em in pixels (point size x PixelsPerInch / 72, or
// the created font's character height). The canvas draws `codepoint` in `family`
// at a pixel size of E x scale (x widthScale horizontally), with its baseline
// origin at (x + dx x E, y + dy x E) for a legacy text origin (x, y), and advances
// by advance x E. A code with no equivalent is missing: FindLegacyGlyph returns
// nullptr and the drawer's own second form (vector shape or bitmap) runs.
//
// Two per-glyph extras, both neutral by default: stretch multiplies the glyph's
// width (on top of widthScale), and angle turns the glyph by that many tenths of
// a degree counter-clockwise about its baseline origin, on top of the angle the
// drawer asked for (which turns the whole character cell about the legacy origin).
//
// For a created font (TLogFont): a negative Height is E itself; a positive Height
// is the cell height, so E = Height / LegacyCellHeight(face); a Width w gives
// widthScale = w / (LegacyAverageCharWidth(face) x E).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TLegacyGlyph {
    char32_t codepoint = 0;
    const char* family = "Bravura"; // font family the code point is drawn in
    float dx = 0.0f;                // baseline origin from the legacy origin, in em
    float dy = 0.0f;
    float scale = 1.0f;             // glyph size / requested size
    float advance = 0.5f;           // advance width, in em of the requested size
    const char* role = "";          // what the drawers use it for
    float stretch = 1.0f;           // extra horizontal scale of the glyph
    int angle = 0;                  // extra rotation, tenths of a degree counter-clockwise
};

// One row of the glyph table.
struct TLegacyGlyphEntry {
    const char* face;
    uint8_t code;
    TLegacyGlyph glyph;
};

// True for "MusicalSymbols", "Toccata" and "Wingdings 3" (case-insensitive).
bool IsLegacyMusicFont(const std::string& face);

// The glyph for a code of a legacy music font; nullptr when it has no equivalent
// or the font is switched off.
const TLegacyGlyph* FindLegacyGlyph(const std::string& face, uint8_t code);

// Height of a legacy font's character cell, in em of the requested size.
float LegacyCellHeight(const std::string& face);

// Average character width of a legacy font, in em (what a created font's Width
// is measured against).
float LegacyAverageCharWidth(const std::string& face);

// Every mapped code, whether or not its font is loaded (reference sheets, tests).
const std::vector<TLegacyGlyphEntry>& LegacyGlyphTable();

// Codes the drawers write that have no equivalent (left to the second forms).
std::vector<uint8_t> MissingLegacyCodes(const std::string& face);

// Whether a legacy music font counts as installed: true once the music font has
// been loaded, unless switched off (tests switch it off to exercise the drawers'
// second forms).
// (Asked for every note: no copy of the name is made.)
bool MusicFontInstalled(std::string_view face);
void SetMusicFontInstalled(const std::string& face, bool installed);

// Registers Bravura (programFolder/fonts/bravura.otf) and the text-font
// substitutes with the font database; needs a QGuiApplication. Returns false when
// the music font could not be loaded. Calling it again does no harm.
bool LoadProgramFonts(const std::string& programFolder);

// The installed family that stands in for a Windows face name ("SimSun" ->
// "Noto Serif CJK SC", ...); the name itself when there is no substitute.
std::string SubstituteFontFamily(const std::string& face);

// Whether a font (a Windows face name) is available here: the legacy music fonts
// as MusicFontInstalled says, text fonts through their substitutes in the font
// database (names compared without case). False without a QGuiApplication.
bool FontInstalled(const std::string& face);
// Overrides the answer for a face (tests use it to see the drawers' second
// forms); ResetFontInstalled asks the font database again.
void SetFontInstalled(const std::string& face, bool installed);
void ResetFontInstalled(const std::string& face);
