// Durations and ticks, accidentals written as symbols, Jianpu key texts, key
// signatures and the clef searches of a row.
#include <gtest/gtest.h>

#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQScoreFixture.h"

TEST(Durations, RestCodesLevelsAndTicks) {
    EXPECT_EQ(ValueToRestCode(1), 20);
    EXPECT_EQ(ValueToRestCode(8), 27);
    EXPECT_EQ(RestCodeToValue(21), 2);

    struct Case {
        const char* token;
        int level, ticks;
    };
    const Case cases[] = {
        {"W:3@0", 0, 32},   {"W:4@0", 1, 16},  {"W:2@0", -1, 64}, {"W:1@0", -2, 128},
        {"W:8@0", 5, 1},    {"W:22", 0, 32},   {"W:27", 5, 1},    {"W:21", -1, 64},
        {"W:20", -2, 128},  {"W:19", -4, 512}, {"W:87", 84, 0},   {"5", 0, 32},
        {"5_", 1, 16},      {"5___", 3, 4},    {"0_", 1, 16},
        {"~{mark=87,hadj=1}", -4, 512}, {"~{mark=87,hadj=2,ul=1}", -8, 8192},
    };
    for (const Case& k : cases) {
        const TCell cell = TScoreFixture::Cell(k.token);
        const bool west = cell.cellType == ctWestern;
        EXPECT_EQ(GetCellDurLevel(west, cell), k.level) << k.token;
        EXPECT_EQ(GetCellTicks(cell), k.ticks) << k.token;
    }
}

TEST(Durations, NoteValueOfWesternCells) {
    TScoreFixture fx(12, 2);
    fx.Row(0, "W:3@0 W:22 W:27 W:19 W:20 W:21 W:5@0. W:4@0.. W:87");
    const int values[] = {3, 3, 8, 1, 1, 2, 5, 4, 87};
    const int dotted[] = {0, 0, 0, 0, 0, 0, 1, 2, 0};
    for (int c = 0; c < 9; ++c) {
        int dots = -1;
        EXPECT_EQ(GetCellNoteValue(true, c, 0, dots), values[c]) << c;
        EXPECT_EQ(dots, dotted[c]) << c;
    }
}

TEST(Durations, NoteValueOfJianpuNotesCountsDashesAndDotsUpToTheNextNoteOrBar) {
    struct Case {
        const char* row;
        int value, dots;
    };
    const Case cases[] = {
        {"5 1", 3, 0},
        {"5 - 1", 2, 0},
        {"5 - - . 1", 2, 2},       // two dashes and a dot cell: half with two dots
        {"5 - - - 1", 1, 0},
        {"5 - - - - - -", 1, 0},   // to the end of the row
        {"5 0 - 1", 2, 0},         // a rest does not stop the walk
        {"5 - | - - 1", 2, 0},     // a bar line does
        {"5 ~ . ~", 3, 1},
        {"5. -", 2, 1},            // the dotted flag counts too
        {"5_ - - -", 4, 0},        // an underline decides alone
        {"5__.. -", 5, 2},
    };
    for (const Case& k : cases) {
        TScoreFixture fx(7, 2);
        fx.Row(0, k.row);
        int dots = -1;
        EXPECT_EQ(GetCellNoteValue(false, 0, 0, dots), k.value) << k.row;
        EXPECT_EQ(dots, k.dots) << k.row;
    }
    TScoreFixture fx(4, 2);
    int dots = -1;
    EXPECT_EQ(GetCellNoteValue(false, -1, 0, dots), 0);
    EXPECT_EQ(dots, 0);
    EXPECT_EQ(GetCellNoteValue(true, 0, 2, dots), 0);
}

TEST(Accidentals, SymbolsSlotsAndNeighbours) {
    const std::pair<int, int> symbols[] = {{14, 1}, {15, -1}, {121, 2}, {120, -2}, {41, 0}, {148, kNoAlteration}};
    for (auto [code, alteration] : symbols)
        EXPECT_EQ(SymbolToAlteration(code), alteration) << code;

    struct Case {
        const char* token;
        int alteration, slot;
    };
    const Case cases[] = {
        {"S:14/15/41", 0, 2},       // upNote first
        {"S:14/15", -1, 1},         // then FontColor
        {"S:121", 2, 0},
        {"S:88/32/32", kNoAlteration, -1},
        {"W:14", 1, 0},             // a Western cell counts too
        {"~{note=14}", kNoAlteration, -1}, // a Jianpu cell does not
        {"\"x\"{note=14}", kNoAlteration, -1},
    };
    for (const Case& k : cases) {
        int slot = 99;
        EXPECT_EQ(GetCellAccidSymbol(TScoreFixture::Cell(k.token), slot), k.alteration) << k.token;
        EXPECT_EQ(slot, k.slot) << k.token;
    }

    TScoreFixture fx(5, 3);
    fx.Row(0, "~ S:15 ~ ~ S:41");
    fx.Row(1, "S:14 5 ~ 5 ~");
    int col = -1, row = -1, slot = -1;
    EXPECT_EQ(FindNearAccid(1, 1, col, row, slot), 1); // left first
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(FindNearAccid(3, 2, col, row, slot), kNoAlteration); // above is a note
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(GetNearAccid(2, 1), -1);           // upper-left
    EXPECT_EQ(GetNearAccid(4, 1), 0);            // above (natural)
    EXPECT_EQ(GetNearAccid(0, 0), kNoAlteration); // nothing left of or above (0, 0)
    EXPECT_EQ(GetNearAccid(1, 0), kNoAlteration);
    EXPECT_EQ(GetNearAccid(9, 9), kNoAlteration); // outside the grid
}

TEST(Keys, NamesAndJianpuKeyTexts) {
    const char* names[] = {"C", "G", "D", "A", "E", "B", "F", "Bb", "Eb", "Ab", "Db", "Gb", "Cb", "F#", "C#"};
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(GetKeyName(k), names[k]);
    EXPECT_EQ(GetKeyName(15), "");
    EXPECT_EQ(GetKeyName(-1), "");

    TScoreFixture fx(8, 2);
    struct Case {
        const char* text;
        int pitch;
    };
    const Case cases[] = {
        {"1=C", 0},   {"1=bE", 3},  {"1=F#", 6},  {"1 = G", 7},  {"1=Eb", 3},  {"1=#C", 1},
        {"1=B", 11},  {"1=bC", 11}, {"1=#E", 5},  {"1=bB", 10},  {"1= A", 9},  {"1 =D", 2},
        {"1=", -100},  // too short
        {"1=c", -100}, // not a key letter
        {"2=C", -100}, {"1-C", -100}, {"1=abcdef", -100},
        {"1= C Fixed Key", 0}, {"C Fixed Key", 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(GetJianpuKeyFromText(k.text, 0, 1), k.pitch) << k.text;
}

TEST(Keys, JianpuKeyTextTakesItsAccidentalFromTheCellsBesideOrAboveIt) {
    TScoreFixture fx(8, 3);
    fx.Row(0, "~ ~ ~ ~ S:15");
    fx.Row(1, "\"1=F\" ~ S:14 ~ ~ ~ \"1=B\"");
    EXPECT_EQ(GetJianpuKeyFromText("1=F", 0, 1), 6);    // the sharp two columns on: F#
    EXPECT_EQ(GetJianpuKeyFromText("1=A", 1, 1), 10);   // the sharp one column on: A#
    EXPECT_EQ(GetJianpuKeyFromText("1 = B", 0, 1), 10); // the farthest column first: the flat above column 4
    EXPECT_EQ(GetJianpuKeyFromText("1=E", 3, 1), 3);    // the flat above the next column
    EXPECT_EQ(GetJianpuKeyFromText("1=B", 6, 1), 11);   // columns past the grid are not read
    EXPECT_EQ(GetJianpuKeyFromText("1=B", 0, 0), 11);   // row 0 has no row above
    EXPECT_EQ(GetJianpuKeyFromText("1=#B", 0, 1), 0);   // the text's own sign wins
    fx.Row(0, "~ ~ S:121 ~ ~");
    fx.Row(1, "~ ~ ~ ~ ~ ~ ~ ~");
    EXPECT_EQ(GetJianpuKeyFromText("1=D", 0, 1), 2); // a double sharp counts as natural
    EXPECT_EQ(GetJianpuKeyFromText("1=D", -1, 1), 2);
}

TEST(Keys, KeySignatureTable) {
    // letters A..G; 1 sharp, 2 flat
    struct Case {
        int key;
        const char* table;
    };
    const Case cases[] = {
        {0, "0000000"},  {1, "0000010"}, {2, "0010010"},  {3, "0010011"},  {4, "0011011"},
        {5, "1011011"},  {13, "1011111"}, {14, "1111111"}, {6, "0200000"},  {7, "0200200"},
        {8, "2200200"},  {9, "2202200"},  {10, "2202202"}, {11, "2222202"}, {12, "2222222"},
        {15, "0000000"},
    };
    for (const Case& k : cases) {
        TCell clef = TScoreFixture::Cell("&G");
        clef.Attr = static_cast<uint32_t>(k.key);
        KeyAccidentals[3] = 5;
        SetKeyAccidTable(clef);
        std::string got;
        for (int8_t v : KeyAccidentals)
            got += static_cast<char>('0' + v);
        EXPECT_EQ(got, k.table) << "key " << k.key;
    }
    TCell noKey = TScoreFixture::Cell("&N/13");
    SetKeyAccidTable(noKey);
    for (int8_t v : KeyAccidentals)
        EXPECT_EQ(v, 0);
    TCell minusOne = TScoreFixture::Cell("&G");
    minusOne.Attr = 0xFFFFFFFFu;
    SetKeyAccidTable(minusOne);
    for (int8_t v : KeyAccidentals)
        EXPECT_EQ(v, 0);

    BarAccidentals[8][6] = 1;
    BarAccidentals[0][0] = 2;
    ClearBarAccidTable();
    for (auto& octave : BarAccidentals)
        for (int8_t v : octave)
            EXPECT_EQ(v, 0);
    SetKeyAccidTable(TScoreFixture::Cell("&G/14"));
    ClearKeyAccidTable();
    for (int8_t v : KeyAccidentals)
        EXPECT_EQ(v, 0);
}

TEST(Clefs, BasePositions) {
    const std::pair<int, int> cases[] = {{-1, 6}, {-2, -6}, {-3, 0}, {-5, -2}, {-4, 0}, {-7, 0}, {3, 0}};
    for (auto [clef, pos] : cases)
        EXPECT_EQ(GetClefCPos(clef), pos) << clef;
}

TEST(Clefs, SearchesAlongARow) {
    TScoreFixture fx(10, 3, 1, 1);
    fx.Row(0, "&G W:3@0 W:3@0 &F{y=1.5} W:3@0 ~ &7{y=-1} W:3@0 &N W:3@0");
    fx.Row(1, "5 5 5");
    fx.Row(0, "&C", 0, 1); // layer 1 has its own clef at column 0

    EXPECT_EQ(FindClefCol(0, 0), 0);
    EXPECT_EQ(FindClefCol(0, 1), 3);
    EXPECT_EQ(FindClefCol(0, 4, 5), -1);
    EXPECT_EQ(FindClefCol(0, 4), 6); // -7 is a clef
    EXPECT_EQ(FindClefCol(0, 7), 8); // -15 too
    EXPECT_EQ(FindClefCol(1, 0), -1);
    EXPECT_EQ(FindClefCol(0, -4, 0), 0);
    EXPECT_EQ(FindClefCol(0, 9, 99), -1);
    EXPECT_EQ(FindClefCol(-1, 0), -1);
    EXPECT_EQ(FindClefCol(3, 0), -1); // the spare row is no row

    EXPECT_EQ(FindClefColBack(0), 8);
    EXPECT_EQ(FindClefColBack(0, 5), 3);
    EXPECT_EQ(FindClefColBack(0, 5, 4), -1);
    EXPECT_EQ(FindClefColBack(0, 2), 0);
    EXPECT_EQ(FindClefColBack(0, 50), 8);

    EXPECT_EQ(GetClefPosAt(2, 0), 0);
    EXPECT_EQ(GetClefPosAt(4, 0), 3);
    EXPECT_EQ(GetClefPosAt(7, 0), -2);
    EXPECT_EQ(GetClefPosAt(2, 1), 0);
    EXPECT_EQ(GetClefPosAt(-1, 0), 0);

    // FindClefLeft reads layer 0 whatever the current layer.
    CurLayer = 1;
    int col = 5;
    EXPECT_EQ(FindClefLeft(col, 0), -2);
    EXPECT_EQ(col, 3);
    col = 2;
    EXPECT_EQ(FindClefLeft(col, 0), -1);
    EXPECT_EQ(col, 0);
    col = 3;
    EXPECT_EQ(FindClefLeft(col, 0), -2); // the column itself counts
    col = 2;
    EXPECT_EQ(FindClefLeft(col, 1), 0);
    EXPECT_EQ(col, -1);
    // The other searches read the current layer.
    EXPECT_EQ(FindClefCol(0, 1), -1);
    EXPECT_EQ(FindClefColBack(0), 0);
    CurLayer = 0;

    const TCellRow& cells = fx.Score().PageSets[0][0][0];
    col = 99;
    EXPECT_EQ(GetFirstClefInRow(cells, col, 0), -1);
    EXPECT_EQ(col, 0);
    TCellRow shifted(cells.begin() + 1, cells.end());
    EXPECT_EQ(GetFirstClefInRow(shifted, col, 2), 0);  // columns 0..1 only
    EXPECT_EQ(col, -1);
    EXPECT_EQ(GetFirstClefInRow(shifted, col, 3), -2);
    EXPECT_EQ(col, 2);
    EXPECT_EQ(GetLastClefInRow(cells, col, 0), -15);
    EXPECT_EQ(col, 8);
    EXPECT_EQ(GetLastClefInRow(cells, col, 7), -7);
    EXPECT_EQ(col, 6);
    EXPECT_EQ(GetLastClefInRow(TCellRow(), col, 0), 0);
    EXPECT_EQ(col, -1);
    // The spare column is never taken for the first clef.
    TCellRow spare(4);
    spare[3] = TScoreFixture::Cell("&G");
    EXPECT_EQ(GetFirstClefInRow(spare, col, 0), 0);
    EXPECT_EQ(GetLastClefInRow(spare, col, 0), -1);

    EXPECT_EQ(FindClefColInRow(cells, 0), 0);
    EXPECT_EQ(FindClefColInRow(cells, -2), 3);
    EXPECT_EQ(FindClefColInRow(cells, -15), 8);
    EXPECT_EQ(FindClefColInRow(cells, -5), -1);
    EXPECT_EQ(FindClefColInRow(TCellRow(cells.begin(), cells.begin() + 9), -1), -1); // shorter than Cols
}
