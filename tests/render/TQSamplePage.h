#pragma once
// A sample page of compound Jianpu cells, Gongche cells and curves: shrunk
// cells with underlines, slurs and tuplet numbers, grace notes before and
// after their notes, vertical chords, the Gongche characters and symbols, and
// slurs, ties and tuplets of Jianpu rows with a slur across a row break.
#include <utility>
#include <vector>

#include "tests/render/TQCompoundCells.h"
#include "tests/render/TQViewFixture.h"

constexpr int kSampleCols = 20;
constexpr int kSampleRows = 9;

inline void Compound(TCell& cell, uint32_t style, std::vector<TCompressNote> notes, int rate = 0) {
    cell.Note = notes.empty() ? 32 : notes.front().code;
    cell.Attr = style;
    cell.shrinkRate = rate;
    cell.CompressNotes = std::move(notes);
}

inline void BuildSamplePage(TViewFixture& fx) {
    const uint32_t slurOn = 0x40000000u, slurOff = 0x80000000u;
    // Row 1: shrunk cells (row 0 stays free for what stands above them).
    fx.Row(1, "| 1 ~ 2 ~ 3 ~ 5 ~ 6 |");
    Compound(fx.At(2, 1), 0xA0, {SmallNote('1', 1), SmallNote('2', 1), SmallNote('3', 1), SmallNote('4', 1)}, -30);
    fx.At(2, 1).markType = 56;
    fx.At(2, 1).iEnd = 2;
    Compound(fx.At(4, 1), 0xA0, {SmallNote('5', 2, 1, 0, slurOn), SmallNote('6', 2), SmallNote('7', 2, -1, 0x01, slurOff)}, -20);
    Compound(fx.At(6, 1), 0xA0, {SmallNote('3', 1, 0, 0x02), SmallNote(32, 1), SmallNote('2', 1, 0, 0, 0x20)}, -20);
    Compound(fx.At(8, 1), 0xA0, {SmallNote('6', 1, -1, 0, 0x8), SmallNote('1', 2, 1)}, 20);

    // Row 2: grace notes before (0xC0) and after (0xD0) their notes.
    fx.Row(2, "| ~ 5 ~ 3_ 2_ ~ 1 ~ ~ 5 ~ |");
    Compound(fx.At(1, 2), 0xC0, {SmallNote('6', 1)});
    Compound(fx.At(3, 2), 0xC0, {SmallNote('1', 2, 1), SmallNote('7', 2)});
    Compound(fx.At(6, 2), 0xC0, {SmallNote('2'), SmallNote('3'), SmallNote('2', 0, 0, 0x01)});
    fx.At(6, 2).markType = 1;
    fx.At(6, 2).iEnd = 7;
    Compound(fx.At(10, 2), 0xD0, {SmallNote('5', 1), SmallNote('6', 1, -1)});

    // Row 4: vertical chords (they reach up into row 3).
    fx.Row(4, "| 1 ~ 1 ~ 1 ~ 1 ~ 1 |");
    Compound(fx.At(2, 4), 0xB0, {SmallNote('1'), SmallNote('3'), SmallNote('5')}, 15);
    Compound(fx.At(4, 4), 0xB0, {SmallNote('5', 0, -1), SmallNote('1', 0, 1), SmallNote('3', 0, 0, 0x01)}, 15);
    fx.At(4, 4).UL = 1;
    Compound(fx.At(6, 4), 0xB0, {SmallNote('1'), SmallNote('4')}, 15);
    fx.At(6, 4).option = 0x8 | 0x20 | 0x4000000 | 0x10;
    Compound(fx.At(8, 4), 0xB0, {SmallNote('2'), SmallNote('5')}, 15);
    fx.At(8, 4).option = 0x10000000; // marked as grace: small

    // Row 5: Gongche characters, two columns each.
    const std::vector<std::pair<int, int>> pitches = {{'6', 0}, {'6', 1}, {'6', 2}, {'6', 3}, {'5', -1},
                                                      {'5', -2}, {'5', -3}, {'1', -1}, {'1', -3}, {'7', 2}};
    for (size_t i = 0; i < pitches.size(); ++i)
        fx.At(static_cast<int>(2 * i), 5) = GongcheCell(pitches[i].first, pitches[i].second, i == 0 ? 2 : 0);
    // Row 6: the auxiliary symbols 1..9.
    for (int s = 1; s <= 9; ++s)
        fx.At(2 * (s - 1), 6) = GongcheCell(s, 0);

    // Rows 7 and 8: curves; a slur from column 16 of row 7 across the row
    // break to column 2 of row 8.
    fx.Row(7, "| 1 2 3 4 | 5 5 | 3 5 6 | 1 2 3 | 4 5 6");
    fx.At(1, 7).markType = 1;  // slur 1 -> 4
    fx.At(1, 7).iEnd = 4;
    fx.At(6, 7).markType = 1;  // tie 5 - 5
    fx.At(6, 7).iEnd = 7;
    fx.At(9, 7).markType = 56; // triplet
    fx.At(9, 7).iEnd = 11;
    fx.At(13, 7).markType = 81; // three-point slur
    fx.At(13, 7).iEnd = 15;
    fx.At(17, 7).markType = 2; // first half at the row end
    fx.At(17, 7).iEnd = 19;
    fx.Row(8, "2 3 4 | 5 6 ~ 1' ~ ~ |");
    fx.At(0, 8).markType = 3; // second half on the next row
    fx.At(0, 8).iEnd = 2;
    fx.At(4, 8).markType = 1; // below the notes
    fx.At(4, 8).iEnd = 5;
    fx.At(4, 8).option = 0x80000;
    fx.At(7, 8).markType = 55; // with an arrow head
    fx.At(7, 8).iEnd = 9;
}

