// The note-name panel's text of a cell.
#include "convert/modTQJianpuNoteText.h"

#include "convert/modTQConvertW2J.h"
#include "edit/modTQEditContext.h"
#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "notation/modTQNoteHint.h"

namespace {

std::string AccidentalLetters(uint32_t attr) {
    static const char* const kLetters[] = {"", "k", "l", "n", "p", "op", "m", "q", "r", "s"};
    const uint32_t a = attr & 0xFu;
    return a <= 9 ? kLetters[a] : "";
}

std::string NoteText(int code, uint32_t attr) {
    if (!IsJianpuDigit(code))
        return "";
    return AccidentalLetters(attr) + static_cast<char>(code);
}

} // namespace

std::string JianpuNoteText(int col, int row) {
    if (!frmMainTQ)
        return "";
    ReadClefKeyBefore(col, row);
    std::string text;
    const int layers = frmMainTQ->HasJianpuPage() ? 2 : 1;
    for (int layer = 0; layer < layers; ++layer) {
        TCell cell;
        if (!GetCell(cell, col, row, layer) || !IsWestNoteCell(cell, 1) || !cell.CompressNotes.empty())
            continue;
        if (!W2JConverter.ConvertW2JCell(cell, col, row))
            continue;
        std::string notes;
        const int count = GetCompressNoteCount(cell);
        if (count == 0) {
            notes = NoteText(cell.Note, cell.Attr);
        } else {
            for (int i = count - 1; i >= 0; --i) {
                const TCompressNote& n = cell.CompressNotes[static_cast<size_t>(i)];
                notes += NoteText(n.code, n.attr);
                if (i > 0)
                    notes += "t";
            }
        }
        if (notes.empty())
            continue;
        if (layer == 1)
            text += "u";
        text += notes;
    }
    return text;
}

std::string GetNoteHintText(int col, int row, int mode) {
    if (EditSettings().ShowHintinJianpuChecked)
        return JianpuNoteText(col, row);
    return GetWestNoteNames(col, row, mode == 1);
}
