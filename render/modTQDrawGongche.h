#pragma once
// Gongche cells (cellType 10): the traditional Chinese characters of a degree
// and octave, or one of the nine auxiliary symbols. DrawGongcheCell itself is
// declared with the other cell drawers in render/modTQDrawMsc.h.
//
// Characters are two-byte GBK codes drawn in the score's Chinese font. Octaves
// without a character of their own get a radical before the character (higher)
// or small marks after it (lower).
#include <cstdint>
#include <string>

#include "model/modTQCell.h"
#include "platform/gui/TQCanvas.h"

class TDrawEngine;

// The pitch character of a cell whose Note is '0'..'7', with its octave
// radical or marks and its beat mark; (x, y) already moved by DrawGongcheCell.
void DrawGongchePitch(TDrawEngine* d, float x, float y, const TCell& cell);
// The auxiliary symbols 1..9; other codes draw nothing.
void DrawGongcheSymbol(TDrawEngine* d, float x, float y, const TCell& cell);
// One GBK character (lead, trail byte) in the Chinese font, bold.
void DrawGongcheChar(TDrawEngine* d, TCanvas* canvas, float x, float y, uint8_t lead, uint8_t trail,
                     const TCell& cell, float factor);
// The radical of a higher octave (octave 2: 彳, else 亻) in the narrow font.
void DrawGongcheHighRadical(TDrawEngine* d, TCanvas* canvas, float x, float y, const TCell& cell, int octave);
// A character in the narrow font, beside its radical.
void DrawGongcheHighChar(TDrawEngine* d, TCanvas* canvas, float x, float y, uint8_t lead, uint8_t trail,
                         const TCell& cell);
// The marks of n lower octaves after a character; nothing when n < 1.
void DrawGongcheLowMarks(TDrawEngine* d, float x, float y, const TCell& cell, int n);
// n commas in bold "Book Antiqua"; nothing when n < 1.
void DrawGongcheCommaMarks(TDrawEngine* d, TCanvas* canvas, float x, float y, const TCell& cell, int n);
// The round beat mark of Attr 2..5 beside the pitch character at (x, y) (the
// point DrawGongcheChar is given): a dot in the font colour as large as the dot
// of beat mark 1 (a quarter of the character's em), right of (2), left of (3), below
// (4) or above (5) the character's em square with a gap of 0.15 em, centred on
// the square along the other direction.
void DrawGongcheBeatDot(TDrawEngine* d, TCanvas* canvas, float x, float y, const TCell& cell, int mark);

