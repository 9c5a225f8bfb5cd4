#pragma once
// Shrunk Jianpu cells: several small notes in one cell, side by side in a
// narrowed font, each with its own underlines, octave dots, accidental,
// augmentation dots and marks; slurs and a tuplet number over them.
#include <memory>
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

class TDrawEngine;

void DrawShrinkCell(TDrawEngine* d, int col, int row, float x, float y);
// Underlines and octave dots of one small note at (x, y) in a slot w wide; the
// underlines run on extra pixels under the note's augmentation dots.
void DrawShrinkNoteLines(TDrawEngine* d, float x, float y, const TCell& cell, const TCompressNote& note, float w,
                         float extra = 0.0f);
// The slurs between the small notes that start (option 0x40000000) and end
// (0x80000000) one; positions are the x of each note. True when a slur end was met.
bool DrawShrinkSlurs(TDrawEngine* d, float x, float y, const TCell& cell, const std::vector<float>& positions);
// One slur over the small notes of the cell at (x, y), from x1 to the note at x2:
// over notes first..last (last < 0: to the end), clear of their octave dots and
// signs.
void DrawShrinkSlur(TDrawEngine* d, float x, float y, const TCell& cell, float x1, float x2, int first = 0,
                    int last = -1);

// Where the accidental of a small note, grace note or chord note goes: at
// (x + X (a + b d), y + Y (c + e d)) with factor f, d = size - 1; y is the
// caller's first reference height, or its second one when alt is set.
struct TAccidPlace {
    float a = 0.0f, b = 0.0f, c = 0.0f, e = 0.0f, f = 1.0f;
    bool alt = false;
};
// The sign of accidental kind 1..9 (other kinds draw nothing): the music-font
// drawer at place font when withFont, else its second form at place fallback;
// moved left where it would reach the digit whose text starts at digitLeft,
// and made smaller where it would then reach left of roomLeft (the ink of what
// stands before it).
void DrawSmallNoteAccidental(TDrawEngine* d, int kind, bool withFont, const TAccidPlace& font,
                             const TAccidPlace& fallback, float x, float y, float yAlt, const TCell& cell,
                             float digitLeft, float roomLeft = -1.0e9f);

// The created font of small notes and chord digits: the score's note font (or,
// with cellFace, the cell's own font when it names one other than "NT" and the
// note font), in the note font's style or the cell's own when bit 0 of upNote
// is set: weight 900 when bold, else 200; italic; charset 0.
std::shared_ptr<TLogFont> SmallNoteFont(const TCell& cell, int height, int width, bool cellFace);
// What the view's canvas draws next belongs to small note part (1..) of the
// cell at (col, row), or with part 0 to the whole cell.
void OwnSmallNote(int col, int row, int part);
// A note code as one character of text (codes from 0x80 in the Western code page).
std::string SmallNoteText(int code);
