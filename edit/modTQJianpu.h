#pragma once
// Jianpu editing operations: packing several Jianpu notes into one cell
// (vertical chords, shrunk groups, grace groups, one-note flat-font cells) and
// unpacking them, and the two accidental clean-ups the Western-to-Jianpu
// converter runs on every converted line.
//
// All of them work on the current page of the current score (frmMainTQ). The
// clean-ups read layer 0's line and, when the page has its layer-1 twin, line
// row - 1 of layer 1, which belongs to it.
//
// A Jianpu note is a cell whose Note is '1'..'7'; its accidental is the low
// nibble of Attr (1 sharp, 2 flat, 3 natural, 5 double flat, 6 double sharp)
// and its octave the signed dot count. A packed cell holds its notes in
// CompressNotes and is marked by the style nibble of Attr: 0xA0 shrunk group,
// 0xB0 vertical chord, 0xC0 / 0xD0 grace group.
#include <functional>
#include <string>

#include "model/modTQCell.h"

class TJianpuEditor {
public:
    // Double sharps and double flats of the line become the neighbouring degree
    // (with a sharp, flat or natural), with the whole bar following.
    void RespellDoubleAccidentals(int row) const;
    // Drops naturals that cancel nothing and accidentals repeated within a bar.
    void RemoveRedundantAccidentals(int row) const;

    // The selected cells of the cursor line become one vertical chord in the
    // first non-empty selected cell; false when nothing was made.
    bool MakeVerticalNotes() const;
    // The selected notes are squeezed into the first selected cell.
    bool ShrinkSelectedNotes() const;
    // style 0xC0 or 0xD0: the selected notes become a grace group in the cursor
    // cell; a packed cursor cell becomes a grace chord instead.
    bool MakeGraceGroup(uint32_t style) const;
    // The notes of the packed cursor cell are laid out one per cell again. Refused
    // (no change, no undo item) when the line has no free run of cells for them.
    bool ExpandPackedCell() const;
    // Adds a note a third above the top note of the cursor cell's chord.
    void AddThirdToChord() const;
    // Removes the last small note of a Jianpu cell; one note left becomes the
    // cell's own note again. The caller saves undo.
    void DropLastCompressNote(TCell& cell) const;
    // Each selected note becomes a one-note vertical cell, or back.
    bool ApplyFlatFont() const;
};

// The program-wide Jianpu editor.
extern TJianpuEditor JianpuEditor;

// Shows a cell hint (string id, text after it, cell column and row). The cursor
// part of the main window installs its hint window here; unset, nothing shows.
extern std::function<void(int id, const std::string& text, int col, int row)> ShowCellHintHook;
