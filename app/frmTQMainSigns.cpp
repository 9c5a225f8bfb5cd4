// Signs written over the score (tempo, time signature, Jianpu key text,
// key-signature reset), the numeric cell-property edit and cell colours.
#include "app/frmTQMain.h"

#include <QColorDialog>

#include <algorithm>
#include <cmath>

#include "app/frmTQEditImage.h"
#include "palettes/frmTQKeySign.h"
#include "palettes/frmTQRotateText.h"
#include "palettes/frmTQSpeedSign.h"
#include "palettes/frmTQTimeSignature.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"

#include <QLineEdit>

namespace {

struct TSel {
    int c0, r0, c1, r1;
};
TSel Selection(const TMainScore& s) {
    return {std::max(0, std::min(s.SelCol0, s.SelCol1)), std::max(0, std::min(s.SelRow0, s.SelRow1)),
            std::min(s.Cols - 1, std::max(s.SelCol0, s.SelCol1)), std::min(s.Rows - 1, std::max(s.SelRow0, s.SelRow1))};
}

// A cell of the current page of a layer; null outside the grid.
TCell* LayerCell(TMainScore& s, int layer, int col, int row) {
    auto& pages = s.PageSets[static_cast<std::size_t>(layer)];
    if (s.CurPage < 0 || s.CurPage >= static_cast<int>(pages.size()) || col < 0 || row < 0 || col >= s.Cols ||
        row >= s.Rows)
        return nullptr;
    return &pages[static_cast<std::size_t>(s.CurPage)][static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

} // namespace

// ---------------------------------------------------------------- tempo

void TfrmMainTQ::PutTempoSign(int bpm, int noteCode, int col, int row) {
    TCell* cell = LayerCell(*this, 0, col, row);
    if (!cell)
        return;
    ResetCell(*cell);
    if (bpm < 10 || bpm > 500)
        return;
    cell->cellType = ctTempo;
    cell->Note = noteCode;
    cell->FontColor = bpm;
    cell->color = static_cast<int32_t>(DrawEngine.CurColor);
}

void TfrmMainTQ::btnSpeedClick() {
    EndTextEntry();
    TTempoSignAnswer answer;
    TCell cell;
    GetCursorCell(cell);
    if (cell.cellType == ctTempo) {
        answer.bpm = cell.FontColor;
        answer.noteCode = cell.Note == 1 || cell.Note == 4 ? cell.Note : 2;
    }
    if (AskTempoSign(this, answer))
        ApplyTempoSign(answer.bpm, answer.noteCode);
}

void TfrmMainTQ::ApplyTempoSign(int bpm, int noteCode) {
    CurLayer = 0;
    Undo.SaveUndo();
    PutTempoSign(bpm, noteCode, SelCol0, SelRow0);
    SetModified(true);
    btnLayerImageIndex = 60;
    ShowControls();
    RedrawSelection();
}

// ---------------------------------------------------------------- time signature

void TfrmMainTQ::btnTimeSignatureClick() {
    EndTextEntry();
    if (CurLayer == 1)
        btnLayerClick();
    CurLayer = 0;
    TTimeSignatureAnswer answer;
    TCell cell;
    GetCursorCell(cell);
    if (cell.cellType == ctTimeSig) {
        answer.numerator = cell.upNote;
        answer.denominator = cell.Note;
    }
    if (answer.numerator < 0 || answer.numerator > 128)
        answer.numerator = 4;
    if (answer.denominator < 0 || answer.denominator > 128)
        answer.denominator = 4;
    if (AskTimeSignature(this, answer))
        ApplyTimeSignature(answer.numerator, answer.denominator, answer.useCSymbol);
    btnLayerImageIndex = 60;
    ShowControls();
}

void TfrmMainTQ::ApplyTimeSignature(int numerator, int denominator, bool useCSymbol) {
    CurLayer = 0;
    std::vector<int> rows;
    if (GetRowGroup(SelRow0, -1) >= 0)
        for (const TGroupData& g : GroupRows)
            rows.push_back(g.row);
    if (std::find(rows.begin(), rows.end(), SelRow0) == rows.end())
        rows.push_back(SelRow0);
    std::sort(rows.begin(), rows.end());
    Undo.SaveBlock(SelCol0, rows.front(), std::max(SelCol0, SelCol1), rows.back());
    const bool west = GetRowClef(SelRow0) != 0;
    for (int row : rows) {
        TCell* cell = LayerCell(*this, CurLayer, SelCol0, row);
        if (!cell)
            continue;
        cell->cellType = ctTimeSig;
        cell->upNote = numerator;
        cell->Note = denominator;
        if (west) {
            // bit 1: digits in place of the C symbol
            if (useCSymbol)
                cell->option &= ~1u;
            else
                cell->option |= 1u;
        }
        SetModified(true);
    }
    RedrawSelection();
    btnLayerImageIndex = 60;
    ShowControls();
}

// ---------------------------------------------------------------- key text and key reset

void TfrmMainTQ::btnKeySignClick() {
    EndTextEntry();
    TKeySignAnswer answer;
    if (AskKeySign(this, answer))
        ApplyKeySign(answer.keyText, answer.fixedKey, answer.originalKey);
}

void TfrmMainTQ::mitKeySignClick() { btnKeySignClick(); }

void TfrmMainTQ::ApplyKeySign(const std::string& keyText, bool fixedKey, int originalKey) {
    CurLayer = 0;
    Undo.SaveUndo();
    TCell* cell = LayerCell(*this, 0, SelCol0, SelRow0);
    if (!cell)
        return;
    ResetCell(*cell);
    cell->cellType = ctText;
    cell->Text = keyText;
    cell->FontName = NoteFontName;
    cell->FontCharset = NoteFontCharset;
    cell->FontStyle = 1;
    cell->fontSizeR = 1.4f;
    if (fixedKey) {
        cell->fontSizeR = 1.0f;
        cell->Note = originalKey;
        cell->Attr = 0x90;
    }
    SetModified(true);
    btnLayerImageIndex = 60;
    ShowControls();
    RedrawCells(SelCol0, SelRow0, Cols - 1, std::min(Rows - 1, SelRow1 + 2));
}

void TfrmMainTQ::mitResetKeySigntureClick() {
    const TSel sel = Selection(*this);
    const int saved = CurLayer;
    CurLayer = 0;
    bool changed = false;
    for (int row = sel.r0; row <= sel.r1; ++row) {
        if (GetRowClef(row) == 0)
            continue;
        TCell* cell = LayerCell(*this, 0, SelCol0, row);
        if (!cell || cell->Note < 0)
            continue;
        if (!changed)
            Undo.SaveUndo();
        changed = true;
        ResetCell(*cell);
        cell->cellType = ctWestern;
        cell->Note = -15;
    }
    CurLayer = saved;
    if (changed) {
        RedrawSelection();
        SetModified(true);
    }
    update();
}

// ---------------------------------------------------------------- cell property

void TfrmMainTQ::mitEditPropertyClick() {
    EndTextEntry();
    const bool single = !FindTextCellInSelection().empty();
    TCell cell;
    GetCursorCell(cell);
    frmEditImage->LoadCell(cell);
    if (frmEditImage->exec() != QDialog::Accepted)
        return;
    const float ratio = std::fabs(frmEditImage->edtScale->text().toFloat());
    ApplyCellProperty(ratio, frmEditImage->edtXOffset->text().toFloat(), frmEditImage->edtYOffset->text().toFloat(),
                      single);
}

void TfrmMainTQ::ApplyCellProperty(float ratio, float xOffset, float yOffset, bool singleCell) {
    Undo.SaveUndo();
    SetModified(true);
    if (singleCell) {
        if (TCell* cell = LayerCell(*this, CurLayer, SelCol0, SelRow0)) {
            cell->fontSizeR = ratio;
            cell->xAdj = xOffset;
            cell->yAdj = yOffset;
        }
    } else {
        // the size of the cells other than notes, rests and dashes, held to
        // 0.3 .. 20; the offsets of every cell that shows something
        const TSel sel = Selection(*this);
        for (int r = sel.r0; r <= sel.r1; ++r)
            for (int c = sel.c0; c <= sel.c1; ++c) {
                TCell* cell = LayerCell(*this, CurLayer, c, r);
                if (!cell || IsEmptyCell(*cell))
                    continue;
                if (!IsNoteOrRestCell(*cell) && cell->Note != -106)
                    cell->fontSizeR = std::clamp(ratio, 0.3f, 20.0f);
                cell->xAdj = xOffset;
                cell->yAdj = yOffset;
            }
    }
    RedrawPage();
}

// ---------------------------------------------------------------- colour

void TfrmMainTQ::ApplyColor(int c) {
    Undo.SaveUndo();
    const int main = static_cast<int>(DrawEngine.MainLayerColor);
    const TSel sel = Selection(*this);
    for (int r = sel.r0; r <= sel.r1; ++r)
        for (int col = sel.c0; col <= sel.c1; ++col) {
            TCell* cell = LayerCell(*this, CurLayer, col, r);
            if (!cell)
                continue;
            if (IsColorableCell(*cell)) {
                cell->FontColor = c;
                if (c != main)
                    cell->upNote |= 2;
                else
                    cell->upNote &= ~2;
            } else {
                cell->color = c != main ? c : -1;
            }
        }
    SetModified(true);
    RedrawPage();
}

void TfrmMainTQ::btnColorClick() {
    EndTextEntry();
    int c = -1;
    if (OnAskColor) {
        c = OnAskColor();
    } else {
        const QColor q = QColorDialog::getColor(Qt::black, this);
        if (q.isValid())
            c = q.red() | (q.green() << 8) | (q.blue() << 16);
    }
    if (c >= 0)
        ApplyColor(c);
}

void TfrmMainTQ::mitChangeColorClick() { btnColorClick(); }
