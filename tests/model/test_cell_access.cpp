// Reading cells through the current score, the reset state, and the packed parts
// of a cell (attribute nibbles, flag words, play bytes, small notes, chords).
#include <gtest/gtest.h>

#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQScoreFixture.h"

namespace {

// The empty cell, written out field by field.
TCell EmptyCell() {
    TCell c;
    c.Note = 32;
    c.FontColor = 32;
    c.upNote = 32;
    c.cellType = 0;
    c.markType = c.markHAdj = c.markWAdj = c.MarkY = c.EndYAdj = 0;
    c.UL = 0;
    c.option = 0;
    c.Attr = 0;
    c.playDur = c.dot = c.shrinkRate = 0;
    c.color = -1;
    c.AdvPlay = {100, 100, 100, 0};
    c.fontSizeR = 1.0f;
    c.iEnd = c.jEnd = -1;
    c.Text.clear();
    c.FontName.clear();
    c.FontStyle = c.FontCharset = 0;
    c.xAdj = c.yAdj = c.stemAdj = 0.0f;
    c.auxByte = 0;
    c.CompressNotes.clear();
    c.westChordArray.clear();
    c.breakPoint = c.scratch = 0;
    return c;
}

// A cell with every field away from its reset value.
TCell BusyCell() {
    TCell c;
    c.Note = 5;
    c.FontColor = 7;
    c.upNote = 9;
    c.cellType = 8;
    c.markType = 30;
    c.markHAdj = 1;
    c.markWAdj = 2;
    c.MarkY = 3;
    c.EndYAdj = 4;
    c.UL = 2;
    c.option = 0xFFFF;
    c.Attr = 0xA1;
    c.playDur = 12;
    c.dot = -1;
    c.shrinkRate = 15;
    c.color = 0x123456;
    c.AdvPlay = {1, 2, 3, 4};
    c.fontSizeR = 0.6f;
    c.iEnd = 3;
    c.jEnd = 4;
    c.Text = "abc";
    c.FontName = "Arial";
    c.FontStyle = 3;
    c.FontCharset = 134;
    c.xAdj = 1.5f;
    c.yAdj = -2.0f;
    c.stemAdj = 0.5f;
    c.auxByte = 9;
    c.CompressNotes = {{'1', 1, 0, 0, 0, 0}};
    c.westChordArray = {{2, 0, 0, 0}};
    c.breakPoint = 2;
    c.scratch = 2018;
    return c;
}

TCell Marked(int note) {
    TCell c = EmptyCell();
    c.Note = note;
    return c;
}

} // namespace

TEST(CellReset, NewPagesHoldOnlyEmptyCellsInEveryGridColumnAndTheSpareRow) {
    TScoreFixture fx(6, 4, 2, 1);
    const TCell empty = EmptyCell();
    for (int layer = 0; layer < 2; ++layer) {
        const TLayer& pages = fx.Score().PageSets[layer];
        for (const TPage& page : pages) {
            ASSERT_EQ(page.size(), 5u);
            for (const TCellRow& row : page) {
                ASSERT_EQ(row.size(), 7u);
                for (int c = 0; c < 6; ++c)
                    EXPECT_EQ(row[c], empty);
            }
        }
    }
}

TEST(CellReset, ResetClearsEveryFieldAndKeepsOnlyTheSmallNotesWhenAsked) {
    TCell cell = BusyCell();
    ResetCell(cell, false);
    EXPECT_EQ(cell, EmptyCell());

    cell = BusyCell();
    ResetCell(cell, true);
    TCell expected = EmptyCell();
    expected.CompressNotes = BusyCell().CompressNotes;
    EXPECT_EQ(cell, expected); // the chord list goes even so
}

TEST(CellReset, ResetCellAtWorksOnTheCurrentPageAndLayerOnlyInsideTheGrid) {
    TScoreFixture fx(4, 3, 2, 2);
    fx.Score().CurPage = 1;
    CurLayer = 1;
    fx.At(2, 1, 1, 1) = BusyCell();
    fx.At(2, 1, 0, 0) = BusyCell();
    EXPECT_TRUE(ResetCellAt(2, 1, true));
    EXPECT_TRUE(fx.At(2, 1, 1, 1).westChordArray.empty());
    EXPECT_EQ(fx.At(2, 1, 1, 1).CompressNotes.size(), 1u);
    EXPECT_EQ(fx.At(2, 1, 0, 0), BusyCell()); // other page and layer untouched

    fx.At(3, 2, 1, 1) = BusyCell();
    for (auto [c, r] : std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {4, 0}, {0, 3}}) {
        EXPECT_FALSE(ResetCellAt(c, r, false)) << c << "," << r;
    }
    EXPECT_EQ(fx.At(3, 2, 1, 1), BusyCell());
}

TEST(CellAccess, GetCellResolvesCurrentPageAndLayerAndClampsBeyondTheGrid) {
    TScoreFixture fx(5, 4, 2, 2);
    // Every cell of the grid gets its own mark: layer * 1000 + page * 100 + row * 10 + col.
    for (int l = 0; l < 2; ++l)
        for (int p = 0; p < 2; ++p)
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 5; ++c)
                    fx.At(c, r, p, l) = Marked(l * 1000 + p * 100 + r * 10 + c);
    fx.Score().CurPage = 1;
    CurLayer = 1;

    struct Case {
        int col, row, layer, page, note;
    };
    const Case cases[] = {
        {2, 3, 0, 0, 32},           // plain read
        {2, 3, -1, -1, 1132},       // current layer 1, current page 1
        {2, 3, 0, -1, 132},
        {2, 3, -1, 0, 1032},
        {5, 1, -1, -1, 1134},       // column = Cols: the last grid cell
        {1, 4, 0, 0, 34},           // row = Rows
        {99, 99, 0, 1, 134},
    };
    for (const Case& k : cases) {
        TCell cell;
        EXPECT_TRUE(GetCell(cell, k.col, k.row, k.layer, k.page));
        EXPECT_EQ(cell.Note, k.note) << k.col << "," << k.row << " layer " << k.layer << " page " << k.page;
    }
}

TEST(CellAccess, AddressesThatDoNotExistGiveTheEmptyCellAndFalse) {
    TScoreFixture fx(5, 4, 2, 1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            fx.At(c, r, 0, 0) = BusyCell();
    struct Case {
        int col, row, layer, page;
    };
    const Case cases[] = {
        {-1, 0, 0, 0}, {0, -1, 0, 0}, {-5, -5, -1, -1}, // negative column or row
        {0, 0, 2, 0},  {0, 0, -2, 0},                   // no such layer
        {0, 0, 0, 2},  {0, 0, 0, -2},                   // no such page
        {0, 0, 1, 1},                                   // layer 1 holds one page only
    };
    for (const Case& k : cases) {
        TCell cell = BusyCell();
        EXPECT_FALSE(GetCell(cell, k.col, k.row, k.layer, k.page))
            << k.col << "," << k.row << " layer " << k.layer << " page " << k.page;
        EXPECT_EQ(cell, EmptyCell());
    }
    // A current page or layer that does not exist is no address either.
    fx.Score().CurPage = 7;
    TCell cell;
    EXPECT_FALSE(GetCell(cell, 0, 0, 0, -1));
    fx.Score().CurPage = 0;
    CurLayer = 1;
    fx.Score().PageSets[1].clear();
    EXPECT_FALSE(GetCell(cell, 0, 0, -1, 0));
}

TEST(CellAccess, NoCurrentScoreOrAnEmptyGridReadsNothing) {
    TScoreFixture fx(0, 0, 1);
    TCell cell = BusyCell();
    EXPECT_FALSE(GetCell(cell, 0, 0, 0, 0)); // clamping to (-1, -1) must not read
    EXPECT_EQ(cell, EmptyCell());
    TMainScore* saved = frmMainTQ;
    frmMainTQ = nullptr;
    cell = BusyCell();
    EXPECT_FALSE(GetCell(cell, 0, 0));
    EXPECT_FALSE(GetCursorCell(cell));
    EXPECT_FALSE(ResetCellAt(0, 0));
    EXPECT_EQ(cell, EmptyCell());
    frmMainTQ = saved;
}

TEST(CellAccess, TheCopyIsDeepAndTheCursorCellIsTheSelectionAnchor) {
    TScoreFixture fx(5, 4);
    fx.At(3, 2) = BusyCell();
    fx.Score().SelCol0 = 3;
    fx.Score().SelRow0 = 2;
    fx.Score().SelCol1 = 4;
    fx.Score().SelRow1 = 3;
    TCell cell;
    ASSERT_TRUE(GetCursorCell(cell));
    EXPECT_EQ(cell, BusyCell());
    cell.Text = "changed";
    cell.CompressNotes.clear();
    cell.westChordArray[0].interval = 7;
    EXPECT_EQ(fx.At(3, 2), BusyCell());
}

TEST(AttrWord, NibbleOperations) {
    struct SetCase {
        uint32_t attr, value, expected;
    };
    const SetCase sets[] = {
        {0xA3, 0x2, 0xA2},     {0xA3, 0xB0, 0xB3},      {0x1234, 0x500, 0x1534},
        {0x1234, 0x7000, 0x7234}, {0, 0, 0},            {0xFF, 0x0, 0xF0},
    };
    for (const SetCase& k : sets) {
        uint32_t attr = k.attr;
        EXPECT_EQ(SetAttrNibble(attr, k.value), k.expected) << std::hex << k.attr << " " << k.value;
        EXPECT_EQ(attr, k.expected);
    }
    struct ClearCase {
        uint32_t attr, value, expected;
    };
    const ClearCase clears[] = {{0xA3, 0x1, 0xA0}, {0xA3, 0x80, 0x03}, {0x1A3, 0x100, 0x1A3}};
    for (const ClearCase& k : clears) {
        uint32_t attr = k.attr;
        ClearAttrNibble(attr, k.value);
        EXPECT_EQ(attr, k.expected) << std::hex << k.attr << " " << k.value;
    }
    struct ToggleCase {
        uint32_t attr, value, expected;
    };
    const ToggleCase toggles[] = {
        {0xA2, 0x2, 0xA0},  // held: cleared
        {0xA1, 0x2, 0xA2},  // another accidental: replaced
        {0xA1, 0xA0, 0x01}, // held style cleared
        {0x01, 0x80, 0x81}, // style set
    };
    for (const ToggleCase& k : toggles) {
        uint32_t attr = k.attr;
        ToggleAttrNibble(attr, k.value);
        EXPECT_EQ(attr, k.expected) << std::hex << k.attr << " " << k.value;
    }
}

TEST(AttrWord, AccidentalKinds) {
    struct Case {
        uint32_t attr;
        bool altering, noKind;
    };
    const Case cases[] = {
        {0, false, true},     {1, true, false},  {2, true, false},   {3, false, false}, // natural
        {9, true, false},     {10, false, true}, {15, false, true},  {0xA5, true, false},
        {0xFFFFFFFFu, false, true},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(IsAlteringAccid(k.attr), k.altering) << std::hex << k.attr;
        EXPECT_EQ(HasNoAccidKind(k.attr), k.noKind) << std::hex << k.attr;
    }
    EXPECT_TRUE(AttrLowNibbleIs(0xA3, 3));
    EXPECT_FALSE(AttrLowNibbleIs(0xA3, 0xA));
    EXPECT_FALSE(AttrLowNibbleIs(0xFFFFFFFFu, 15));

    const std::pair<int, int> symbols[] = {{14, 1}, {15, 2},  {41, 3},  {148, 4}, {120, 5},
                                           {121, 6}, {147, 7}, {119, 8}, {149, 9}, {16, 0}, {0, 0}};
    for (auto [symbol, kind] : symbols)
        EXPECT_EQ(SymbolToAccidKind(symbol), kind) << symbol;
}

TEST(AttrWord, SetNoteAttrAddressesMainChordAndSmallNotes) {
    TCell plain;
    plain.Attr = 0x01;
    SetNoteAttr(plain, 3, 0x80);
    EXPECT_EQ(plain.Attr, 0x81u);

    TCell chord;
    chord.cellType = ctWestern;
    chord.Note = 3;
    chord.westChordArray = {{2, 0x00, 0, 0}, {2, 0x80, 0, 0}};
    SetNoteAttr(chord, 0, 0x80); // every note
    EXPECT_EQ(chord.Attr, 0x80u);
    EXPECT_EQ(chord.westChordArray[0].attr, 0x80u);
    EXPECT_EQ(chord.westChordArray[1].attr, 0x00u);
    SetNoteAttr(chord, 1, 0x80); // main note only
    EXPECT_EQ(chord.Attr, 0x00u);
    SetNoteAttr(chord, 3, 0x80); // chord item 1
    EXPECT_EQ(chord.westChordArray[1].attr, 0x80u);
    const TCell before = chord;
    SetNoteAttr(chord, 4, 0x80); // no chord item 2
    EXPECT_EQ(chord, before);

    TCell small;
    small.CompressNotes = {{'1', 0, 0, 0, 0, 0}, {32, 0, 0, 0, 0, 0}, {'3', 0, 0, 0x80, 0, 0}};
    SetNoteAttr(small, 0, 0x80);
    EXPECT_EQ(small.CompressNotes[0].attr, 0x80u);
    EXPECT_EQ(small.CompressNotes[1].attr, 0x00u); // blank skipped
    EXPECT_EQ(small.CompressNotes[2].attr, 0x00u);
    SetNoteAttr(small, 2, 0x80); // the blank item again
    EXPECT_EQ(small.CompressNotes[1].attr, 0x00u);
    SetNoteAttr(small, 3, 0x80);
    EXPECT_EQ(small.CompressNotes[2].attr, 0x80u);
    EXPECT_EQ(small.Attr, 0u);
}

TEST(FlagWords, SetAndToggle) {
    EXPECT_EQ(SetFlagBits(0x10, 0x3, 1), 0x13u);
    EXPECT_EQ(SetFlagBits(0x13, 0x3, 0), 0x10u);
    EXPECT_EQ(SetFlagBits(0x13, 0x3, 2), 0x10u); // anything but 1 clears
    EXPECT_EQ(ToggleFlagBits(0x10, 0x3, 0), 0x13u);
    EXPECT_EQ(ToggleFlagBits(0x13, 0x1, 0x10), 0x02u);
}

TEST(FlagWords, CyclesComeBackToTheirStart) {
    // dots: none -> 0x8 -> 0x40 -> none, other bits kept
    EXPECT_EQ(CycleDotFlags(0x1), 0x9u);
    EXPECT_EQ(CycleDotFlags(0x9), 0x41u);
    EXPECT_EQ(CycleDotFlags(0x41), 0x1u);
    EXPECT_EQ(CycleDotFlags(0x48), 0x08u); // 0x40 goes whatever else is set
    EXPECT_EQ(CycleDotFlags(CycleDotFlags(CycleDotFlags(0x2))), 0x2u);

    // two-bit mark: 0 -> 3 -> 2 -> 1 -> 0
    const uint32_t marks[] = {0x0, 0xC00, 0x800, 0x400, 0x0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(CycleTwoBitMark(marks[i] | 0x1), marks[i + 1] | 0x1) << i;

    constexpr uint32_t A = 0x800000, B = 0x1000000;
    const uint32_t down[] = {0, A, B, A | B, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(StepSignPosition(down[i] | 0x8, -1), down[i + 1] | 0x8) << i;
        EXPECT_EQ(StepSignPosition(down[i + 1] | 0x8, 1), down[i] | 0x8) << i;
    }
    EXPECT_EQ(StepSignPosition(A | 0x8, 0), A | 0x8);
    EXPECT_EQ(StepSignPosition(A, 2), A);
}

TEST(FlagWords, MoveSignToOtherSideStepsTheAddressedNote) {
    constexpr uint32_t A = 0x800000;
    // Western note without lists: nothing.
    TCell west;
    west.cellType = ctWestern;
    west.Note = 3;
    west.Attr = 1;
    MoveSignToOtherSide(west, 1);
    EXPECT_EQ(west.option, 0u);

    // Index 0 never does anything.
    TCell jianpu;
    jianpu.Note = '5';
    jianpu.Attr = 1;
    MoveSignToOtherSide(jianpu, 0);
    EXPECT_EQ(jianpu.option, 0u);
    // A Jianpu note with an accidental and no small note there: the cell's sign.
    MoveSignToOtherSide(jianpu, 1);
    EXPECT_EQ(jianpu.option, A);
    jianpu.Attr = 0;
    MoveSignToOtherSide(jianpu, 1);
    EXPECT_EQ(jianpu.option, A); // no accidental: unchanged

    // Western chord: item ClampChordIndex(k) when it has an accidental.
    TCell chord = west;
    chord.westChordArray = {{2, 0x2, 0, 0}, {2, 0x0, 0, 0}};
    MoveSignToOtherSide(chord, 2); // k = 1 -> chord item 0
    EXPECT_EQ(chord.westChordArray[0].option, A);
    MoveSignToOtherSide(chord, 3); // k = 2 -> item 1, no accidental -> the cell (Attr 1)
    EXPECT_EQ(chord.westChordArray[1].option, 0u);
    EXPECT_EQ(chord.option, A);

    // Western small notes: item k whatever its accidental; else the cell when it has one.
    TCell group = west;
    group.CompressNotes = {{3, 2, 0, 0, 0, 0}, {3, 4, 0, 0, 0, 0}};
    MoveSignToOtherSide(group, 2);
    EXPECT_EQ(group.CompressNotes[1].option, A);
    MoveSignToOtherSide(group, 5);
    EXPECT_EQ(group.option, A);

    // Jianpu small note with an accidental.
    TCell shrunk;
    shrunk.Note = '1';
    shrunk.Attr = 0xA0;
    shrunk.CompressNotes = {{'1', 0, 0, 0x1, 0, 0}, {'2', 0, 0, 0x0, 0, 0}};
    MoveSignToOtherSide(shrunk, 1);
    EXPECT_EQ(shrunk.CompressNotes[0].option, A);
    MoveSignToOtherSide(shrunk, 2); // item without accidental, cell without one
    EXPECT_EQ(shrunk.CompressNotes[1].option, 0u);
    EXPECT_EQ(shrunk.option, 0u);
}

TEST(FlagWords, OrnamentClass) {
    struct Case {
        const char* token;
        int expected;
    };
    const Case cases[] = {
        {"5", 0},          {"0", 0},         {"W:3@0", 0},   {"~", -1}, {"W:22", -1},
        {"S:88", 2},       {"S:32/4", 4},    {"S:32/32/141", 3},
        {"~{type=11,note=15}", 1}, {"~{type=11,note=14}", -1}, {"S:14", -1},
    };
    for (const Case& k : cases)
        EXPECT_EQ(GetOrnamentClass(TScoreFixture::Cell(k.token)), k.expected) << k.token;
}

TEST(PlayBytes, EachSetterWritesItsByteOnly) {
    TCell cell;
    SetCellCredAdj(cell, 250);
    SetCellVolAdj(cell, 60);
    SetCellRitArpAdj(cell, 20);
    EXPECT_EQ(cell.AdvPlay, (std::array<uint8_t, 4>{250, 60, 20, 0}));
    SetCellVolAdj(cell, 100);
    EXPECT_EQ(cell.AdvPlay, (std::array<uint8_t, 4>{250, 100, 20, 0}));
    SetCellCredAdj(cell, 300); // held at the byte's ends, never wrapped
    SetCellRitArpAdj(cell, -4);
    EXPECT_EQ(cell.AdvPlay, (std::array<uint8_t, 4>{255, 100, 0, 0}));
}

TEST(SmallNotes, CopyBetweenCellAndItem) {
    const TCompressNote item{'6', 2, -1, 0x21, 0x8, 77};
    TCell cell = BusyCell();
    CompressNoteToCell(item, cell);
    EXPECT_EQ(cell.Note, '6');
    EXPECT_EQ(cell.option, 0x8u);
    EXPECT_EQ(cell.Attr, 0x21u);
    EXPECT_EQ(cell.dot, -1);
    EXPECT_EQ(cell.cellType, ctJianpu);
    EXPECT_EQ(cell.UL, 2); // untouched

    TCell jianpu;
    jianpu.Note = '1';
    jianpu.CompressNotes = {{'1', 0, 0, 0, 0, 0}, item};
    TCell out;
    MakeCompressNoteCell(jianpu, 1, out);
    EXPECT_EQ(out.Note, '6');
    EXPECT_EQ(out.UL, 2);
    EXPECT_EQ(out.dot, -1);
    EXPECT_EQ(out.CompressNotes, jianpu.CompressNotes); // the list stays in the copy
    MakeCompressNoteCell(jianpu, 2, out);                // no such item: a plain copy
    EXPECT_EQ(out, jianpu);

    TCell west = TScoreFixture::Cell("W:3@1");
    west.CompressNotes = {{4, -3, 0, 0x2, 0x1, 0}};
    MakeCompressNoteCell(west, 0, out);
    EXPECT_EQ(out.Note, 4);
    EXPECT_EQ(out.yAdj, -3.0f);
    EXPECT_EQ(out.UL, 0);

    TCompressNote back;
    west.yAdj = -2.7f;
    CellToCompressNote(west, back);
    EXPECT_EQ(back.value, -2); // truncated toward zero
    EXPECT_EQ(back.code, 3);
    jianpu.UL = 3;
    CellToCompressNote(jianpu, back);
    EXPECT_EQ(back.value, 3);
}

TEST(SmallNotes, FindCompressNoteIndexCountsNotesOnly) {
    TCell jianpu;
    // items: dot, 1, blank, 2, 0 (rest counts as a note character), 3
    jianpu.CompressNotes = {{-73, 0, 0, 0, 0, 0}, {'1', 0, 0, 0, 0, 0}, {32, 0, 0, 0, 0, 0},
                            {'2', 0, 0, 0, 0, 0}, {'0', 0, 0, 0, 0, 0}, {'3', 0, 0, 0, 0, 0}};
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {-3, -3}, {2, 4}, {3, 5}, {4, 6}, {5, 1}};
    for (auto [n, index] : cases)
        EXPECT_EQ(FindCompressNoteIndex(n, jianpu), index) << n;

    TCell west = TScoreFixture::Cell("W:3");
    west.CompressNotes = {{22, 0, 0, 0, 0, 0}, {4, 0, 0, 0, 0, 0}, {9, 0, 0, 0, 0, 0}};
    EXPECT_EQ(FindCompressNoteIndex(2, west), 3);
    EXPECT_EQ(FindCompressNoteIndex(3, west), 1);
}

TEST(Chords, PositionsFromTheMainNoteAndTheIntervals) {
    // main note at 4, item 0 two steps above (2), item 1 three above that (-1)
    const TCell chord = TScoreFixture::Cell("W:3@4+2+3");
    EXPECT_EQ(SumChordOffsets(chord, 0), 2);
    EXPECT_EQ(SumChordOffsets(chord, 1), 5);
    EXPECT_EQ(SumChordOffsets(chord, -1), 5);
    EXPECT_EQ(SumChordOffsets(chord, -2), 0);
    EXPECT_EQ(SumChordOffsets(TScoreFixture::Cell("W:3@4"), -1), 0);

    EXPECT_EQ(GetChordNotePos(chord, -1), 4);
    EXPECT_EQ(GetChordNotePos(chord, 0), 2);
    EXPECT_EQ(GetChordNotePos(chord, 1), -1);

    EXPECT_EQ(GetChordNotePosFromEnd(chord, 2), 4);
    EXPECT_EQ(GetChordNotePosFromEnd(chord, 1), 2);
    EXPECT_EQ(GetChordNotePosFromEnd(chord, 0), -1);

    std::vector<int> out{9, 9, 9, 9};
    GetChordPositions(chord, out);
    EXPECT_EQ(out, (std::vector<int>{-1, 1, 4}));
    GetChordPositions(TScoreFixture::Cell("W:3@-2.5"), out);
    EXPECT_EQ(out, (std::vector<int>{-2}));

    const TCell fractional = TScoreFixture::Cell("W:3@4.5+5");
    EXPECT_EQ(GetChordNotePos(fractional, -1), 4);
    EXPECT_EQ(GetChordNotePos(fractional, 0), 0); // trunc(-0.5)
}

TEST(Chords, IndexClampAndExtraction) {
    TCell chord = TScoreFixture::Cell("W:3@4+2+3");
    chord.Attr = 0x1;
    chord.westChordArray[0].attr = 0x2;
    chord.westChordArray[1].attr = 0x3;
    const std::pair<int, int> clamps[] = {{0, -1}, {1, 0}, {2, 1}, {3, 1}, {-1, 1}, {-7, 1}};
    for (auto [i, expected] : clamps)
        EXPECT_EQ(ClampChordIndex(chord, i), expected) << i;
    EXPECT_EQ(ClampChordIndex(TScoreFixture::Cell("W:3"), 1), -2);

    TCell out;
    EXPECT_EQ(ExtractChordNote(chord, 0, out), 1);
    EXPECT_TRUE(out.westChordArray.empty());
    EXPECT_EQ(out.yAdj, -1.0f);
    EXPECT_EQ(out.Attr, 0x3u);
    EXPECT_EQ(ExtractChordNote(chord, 2, out), -1);
    EXPECT_EQ(out.yAdj, 4.0f);
    EXPECT_EQ(out.Attr, 0x1u);

    int position = 4;
    chord.westChordArray[0].option = 0x8;
    MakeWestChordNoteCell(chord, 0, out, position);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(out.yAdj, 2.0f);
    EXPECT_EQ(out.Attr, 0x2u);
    EXPECT_EQ(out.option, 0x8u);
    MakeWestChordNoteCell(chord, 1, out, position);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(out.Attr, 0x3u);
    // Items that do not exist: a plain copy, and the walk stays where it was.
    for (int index : {2, -1}) {
        TCell copy;
        MakeWestChordNoteCell(chord, index, copy, position);
        EXPECT_EQ(copy, chord) << index;
        EXPECT_EQ(position, -1) << index;
    }

    TWestChord item;
    out.yAdj = -3.9f;
    CellToWestChordItem(out, item);
    EXPECT_EQ(item.interval, -3);
    EXPECT_EQ(item.attr, 0x3u);
}

TEST(Chords, CentreIsTheMeanStaffPosition) {
    EXPECT_EQ(GetChordCentre(TScoreFixture::Cell("W:3@5.7")), 5);
    EXPECT_EQ(GetChordCentre(TScoreFixture::Cell("W:3@4+2+3")), 1);  // (4 + 2 - 1) / 3
    EXPECT_EQ(GetChordCentre(TScoreFixture::Cell("W:3@-4+4")), -6); // (-4 - 8) / 2
    TCell group = TScoreFixture::Cell("W:3@0");
    group.CompressNotes = {{4, 2, 0, 0, 0, 0}, {22, 90, 0, 0, 0, 0}, {5, 7, 0, 0, 0, 0}};
    EXPECT_EQ(GetChordCentre(group), 4); // the rest's position does not count
}
