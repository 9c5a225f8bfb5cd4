#pragma once
// The drawers of the special symbols: fermatas, hooks, wedges, tremolo strokes,
// Chinese numerals, cap and cup brackets, stacked arcs, brackets with arcs,
// the framed groups over four columns, crosses, coda, segno, measure repeat,
// corner figures, caesura, turn, arrows, down-bow, bars and ticks, text labels
// and the full-width brackets.
//
// (x, y) is the top-left corner of the symbol's cell as the symbol dispatcher
// hands it over (moved by its placement where it has one); W is the column
// width and H the row height in pixels, s the cell's size factor fontSizeR.
// Lines use the pen the dispatcher set; a drawer that changes the pen width,
// brush style or font puts it back. A drawer with a music-font glyph draws the
// glyph when the glyph map has it and its font is installed, else its drawn
// second form; nothing is reported.
#include <string>

#include "model/modTQCell.h"

class TDrawEngine;

// --- glyph or drawn form ---
void DrawFermata(TDrawEngine* d, float x, float y, TCell cell, bool inverted);
void DrawWedgeUp(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawWedgeDown(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawTremoloStrokes(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawCrossX(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawPlusSign(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawCoda(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawSegno(TDrawEngine* d, float x, float y, const TCell& cell);
// Slanted bar and two dots, reaching 1.2 columns to the right.
void DrawMeasureRepeat(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawCaesura(TDrawEngine* d, float x, float y, const TCell& cell);
// The turn; symbolId 141 adds the vertical stroke. Both draw the cell's accidental.
void DrawTurn(TDrawEngine* d, float x, float y, const TCell& cell, int symbolId);
void DrawDoubleHook(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawHollowDiamond(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawWaveSign(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawVerticalArrow(TDrawEngine* d, float x, float y, const TCell& cell, bool up);
void DrawDownBow(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawHorizontalArrow(TDrawEngine* d, float x, float y, const TCell& cell, bool left);
void DrawDiagonalArrow(TDrawEngine* d, float x, float y, const TCell& cell, bool rising);
// Common time, or cut time with a bar (glyph) or a gap (symbol image) through it.
void DrawCommonTimeSymbol(TDrawEngine* d, float x, float y, const TCell& cell, bool cut);
// The repeat sign with its two dots at normal size, whatever the cell's size;
// bar adds a bar line.
void DrawRepeatSlashDots(TDrawEngine* d, float x, float y, TCell cell, bool bar);

// --- drawn from lines ---
void DrawRisingSlash(TDrawEngine* d, float x, float y);
void DrawFallingSlash(TDrawEngine* d, float x, float y);
void DrawHookRight(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawHookLeft(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawCapBracket(TDrawEngine* d, float x, float y, bool noRightLeg);
// slashCount 1: one slash inside; 2: a cross.
void DrawCupBracket(TDrawEngine* d, float x, float y, int slashCount, bool noRightLeg);
// count arcs 0.13 H apart; direction +1 arches, -1 bowls.
void DrawStackedArcs(TDrawEngine* d, float x, float y, int count, int direction);
void DrawBracketWithArc(TDrawEngine* d, float x, float y, int arcDirection, bool closedTop, bool noRightLeg);
void DrawVeeOverBar(TDrawEngine* d, float x, float y);
// The framed groups: a frame over four columns with one figure in each.
void DrawFramedGroupA(TDrawEngine* d, float x, float y, bool noRightLeg);
void DrawFramedGroupB(TDrawEngine* d, float x, float y, bool noRightLeg);
void DrawFramedGroupC(TDrawEngine* d, float x, float y);
void DrawSlantedStrokes(TDrawEngine* d, float x, float y);
void DrawThreeBarsStem(TDrawEngine* d, float x, float y);
void DrawThreeBarsRightStem(TDrawEngine* d, float x, float y);
void DrawBrokenX(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawThreeSpokes(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawCircledX(TDrawEngine* d, float x, float y);
void DrawFilledSquare(TDrawEngine* d, float x, float y, const TCell& cell);
void DrawZStroke(TDrawEngine* d, float x, float y);
void DrawHatchedBox(TDrawEngine* d, float x, float y);
void DrawBracketedBar(TDrawEngine* d, float x, float y);
void DrawNestedCorners(TDrawEngine* d, float x, float y, bool topRight, bool arc);
void DrawInterlockedCorners(TDrawEngine* d, float x, float y);
void DrawCupWithBar(TDrawEngine* d, float x, float y, bool arc);
void DrawTickMark(TDrawEngine* d, float x, float y);
void DrawDownArrowBar(TDrawEngine* d, float x, float y);
// Ids 97 (one bar), 98 (two) and 99 (three).
void DrawVerticalTicks(TDrawEngine* d, float x, float y, const TCell& cell, int symbolId);

// --- texts and images ---
// "一", "二" or "三".
void DrawChineseNumeral(TDrawEngine* d, float x, float y, int count, const TCell& cell);
// A short text in "Times New Roman" at (x + 0.3 W, y + 0.5 H), clear brush.
void DrawTimesLabel(TDrawEngine* d, float x, float y, const TCell& cell, const std::string& text, float factor);
// The "ij" symbol image, or "廾" when the image cannot be drawn.
void DrawBitmapIjSymbol(TDrawEngine* d, float x, float y, const TCell& cell);
// "【" and "】" in the text font, placed by the size factor of the cell at
// (col, row) of the current page and layer.
void DrawLeftLenticularBracket(TDrawEngine* d, float x, float y, int col, int row);
void DrawRightLenticularBracket(TDrawEngine* d, float x, float y, int col, int row);
// The same with the size factor given (the symbol list draws at a reduced size).
void DrawLenticularBracketSized(TDrawEngine* d, float x, float y, float sizeFactor, bool right);
