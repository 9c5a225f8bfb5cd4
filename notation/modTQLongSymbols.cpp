// The spanning-mark dispatcher: the common checks of a mark's start cell and
// the drawer of each kind. DrawLongSymbol is declared in
// notation/modTQNotationApi.h.
#include "model/modTQPredicates.h"
#include "notation/modTQJianpuSlur.h"
#include "notation/modTQMarkArrows.h"
#include "notation/modTQMarkBraces.h"
#include "notation/modTQMarkLines.h"
#include "notation/modTQMarkOctave.h"
#include "notation/modTQMarkWaves.h"
#include "notation/modTQNotationApi.h"
#include "notation/modTQSymbolDrawers.h"
#include "notation/modTQDrawWest.h"
#include "notation/modTQWestSlur.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

void DrawLongSymbol(TDrawEngine* d, float x, float y, TCell& cell, int col, int row) {
    const int kind = cell.markType;
    if (kind == 0)
        return;
    const bool graceChord = !cell.westChordArray.empty() && (cell.option & 0x10000000u) != 0;
    if (IsGraceCell(cell) && !graceChord)
        return;
    SetPenColor(d->CurColor);
    if (static_cast<uint32_t>(kind) > 99u)
        return;
    // Slurs and curves end in the row: no end column in the page, no curve.
    const bool curve = kind == 1 || kind == 2 || kind == 3 || kind == 55 || kind == 56 || kind == 81 || kind == 94;
    if (curve && (cell.iEnd < 0 || cell.iEnd > MainView()->Cols))
        return;
    switch (kind) {
    case 1: {
        const TCell* end = MarkCellAt(cell.iEnd, row);
        if (IsWestNoteCell(cell, 1) || (end && IsWestNoteCell(*end, 1)))
            DrawWestSlurMark(d, x, col, row, cell, true);
        else
            DrawConnectSlur(d, x, y, col, row, 1, 0);
        break;
    }
    case 2:
        DrawConnectSlur(d, x, y, col, row, 1, 1);
        break;
    case 3:
        DrawConnectSlur(d, x, y, col, row, 1, -1);
        break;
    case 4:
    case 5:
    case 6:
        DrawBracketMark(d, x, y, cell, kind - 4, col, row, 0);
        break;
    case 7:
    case 8:
        DrawHairpinMark(d, x, y, cell, kind - 7);
        break;
    case 9:
    case 10:
        DrawOpenHairpinMark(d, x, y, cell, kind - 9);
        break;
    case 20:
        DrawSlantArrowMark(d, x, y, cell, 2, false);
        break;
    case 21:
        DrawSlantArrowMark(d, x, y, cell, 1, false);
        break;
    case 22:
    case 23:
        DrawCurvedArrowMark(d, x, y, cell, kind == 22 ? 1 : 0, 0.0f);
        break;
    case 24:
        DrawHookArrowMark(d, x, y, cell);
        break;
    case 43:
    case 46:
        DrawVerticalArrowMark(d, x, y, cell, kind == 46);
        break;
    case 59: {
        const float n = static_cast<float>(cell.iEnd - col + 1);
        DrawCurvedArrowMark(d, x, y, cell, 0, -0.3f * n);
        DrawCurvedArrowMark(d, x, y, cell, 1, 0.3f * n);
        break;
    }
    case 60:
        DrawDownTailImageMark(d, x, y, cell, col, row);
        break;
    case 74:
    case 75:
    case 76:
    case 77:
        DrawOctaveLineMark(d, x, col, row, cell, kind - 74, false);
        break;
    case 82:
    case 83:
    case 84:
    case 85:
        DrawOctaveLineMark(d, x, col, row, cell, kind - 82, true);
        break;
    case 78:
    case 79:
    case 80:
        DrawVoltaMark(d, x, col, row, cell);
        break;
    case 87:
        DrawMultiRestMark(d, x, y, cell, col, row);
        break;
    case 63:
        DrawStraightLineMark(d, x, y, col, cell, 2);
        break;
    case 88:
        DrawRingBracketMark(d, x, y, cell, col);
        break;
    case 25:
        if (MusicFontInstalled("Toccata"))
            DrawArpeggioGlyphMark(d, x, y, row, cell, false);
        else
            DrawWavyLineMark(d, x, y, cell, 25, false);
        break;
    case 26:
    case 27:
    case 31:
        DrawWavyLineMark(d, x, y, cell, kind, false);
        break;
    case 47:
        DrawWavyLineMark(d, x, y, cell, 25, true);
        break;
    case 38:
        DrawTrillLineMark(d, x, y, col, cell, 0);
        break;
    case 44:
        DrawTrillLineMark(d, x, y, col, cell, -1);
        break;
    case 45:
        DrawTrillLineMark(d, x, y, col, cell, 1);
        break;
    case 97:
        DrawTrillLineMark(d, x, y, col, cell, 2);
        break;
    case 98:
        DrawTrillLineMark(d, x, y, col, cell, -2);
        break;
    case 65:
        if (MusicFontInstalled("Toccata"))
            DrawTrillWaveGlyphs(d, x, y, col, cell, false);
        else
            DrawTrillLineMark(d, x, y, col, cell, 0);
        break;
    case 66:
        DrawArpeggioGlyphMark(d, x, y, row, cell, true);
        break;
    case 67:
        if (MusicFontInstalled("Toccata"))
            DrawTrillWaveGlyphs(d, x, y, col, cell, true);
        break;
    case 68:
        if (MusicFontInstalled("Toccata"))
            DrawArpeggioGlyphMark(d, x, y, row, cell, true);
        break;
    case 69:
    case 70:
        if (MusicFontInstalled("Toccata"))
            DrawGlissGlyphMark(d, x, y, cell, kind == 70);
        break;
    case 28:
    case 42:
        // a brace ends at or below its own row
        if (cell.jEnd >= row)
            DrawCurlyBraceMark(d, x, y, cell, false, kind == 42);
        break;
    case 29:
    case 72:
        DrawStartBracketMark(d, x, y, col, row, cell, kind == 29);
        break;
    case 30:
        DrawSystemBracketMark(d, x, y, col, row, cell);
        break;
    case 71:
    case 73:
        if (cell.jEnd >= row && cell.jEnd <= MainView()->Rows)
            DrawStaffBraceMark(d, x, y, col, row, cell, kind == 71);
        break;
    case 95:
        DrawSquareBracketMark(d, x, y, col, row, cell);
        break;
    case 39:
    case 40:
    case 41:
        DrawRoundBracketMark(d, x, y, cell, kind - 39, col, row);
        break;
    case 48:
        DrawSlashStrokesMark(d, x, y, cell, 2);
        break;
    case 49:
        DrawSlantArrowMark(d, x, y, cell, 2, true);
        break;
    case 50:
        DrawSlantArrowMark(d, x, y, cell, 1, true);
        break;
    case 51:
        DrawHorizontalLineMark(d, x, y, cell, 1);
        break;
    case 52:
        DrawHorizontalLineMark(d, x, y, cell, 0);
        break;
    case 53:
    case 54:
        DrawBoxMark(d, x, y, cell, kind == 54);
        break;
    case 55:
    case 94:
        DrawConnectSlur(d, x, y, col, row, 1, 0);
        break;
    case 56:
        if (IsWestNoteCell(cell, 1))
            DrawWestSlurMark(d, x, col, row, cell, true);
        else
            DrawConnectSlur(d, x, y, col, row, 1, 0);
        break;
    case 57:
        DrawLeftLenticularBracket(d, x, y, col, row);
        break;
    case 58:
        DrawRightLenticularBracket(d, x, y, col, row);
        break;
    case 61:
        DrawSlashStrokesMark(d, x, y, cell, 3);
        break;
    case 62:
        DrawSlashStrokesMark(d, x, y, cell, 1);
        break;
    case 64:
        DrawVerticalLineMark(d, x, y, cell, true);
        break;
    case 81:
        if (IsWestNoteCell(cell, 1))
            DrawWestSlurMark(d, x, col, row, cell, false);
        else
            DrawConnectSlur(d, x, y, col, row, 0, 0);
        break;
    case 86:
        if (IsWestNoteCell(cell, 1))
            DrawWestTupletMark(d, x, col, row, false);
        else
            DrawBracketMark(d, x, y, cell, 0, col, row, 2);
        break;
    case 89:
        DrawHorizontalLineMark(d, x, y, cell, 2);
        break;
    case 90:
        DrawSlantArrowMark(d, x, y, cell, 3, false);
        break;
    case 91:
        DrawHalfArrowMark(d, x, y, cell, 1);
        break;
    case 92:
        DrawHalfArrowMark(d, x, y, cell, 0);
        break;
    case 93:
        DrawBarBracketMark(d, col, row, x, y, cell);
        break;
    case 96:
        DrawHookedLineMark(d, x, y, col, row, cell);
        break;
    case 99:
        DrawHorizontalLineMark(d, x, y, cell, 3);
        break;
    default:
        // 11 to 19 and 32 to 37 (the palette's chord buttons): no mark.
        break;
    }
}
