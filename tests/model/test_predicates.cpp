// Cell predicates: the code sets, the cell tests and the address forms.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/modTQPredicates.h"
#include "tests/support/TQScoreFixture.h"

namespace {

struct CodeSetCase {
    const char* name;
    std::function<bool(int)> test;
    std::vector<int> members;
    std::vector<int> others;
};

TEST(CodeSets, MembersAndNeighbours) {
    const std::vector<CodeSetCase> cases = {
        {"JianpuDigit", IsJianpuDigit, {'0', '1', '7'}, {'8', '/', -73, 32}},
        {"JianpuNoteDigit", IsJianpuNoteDigit, {'1', '4', '7'}, {'0', '8'}},
        {"JianpuNoteChar", IsJianpuNoteChar, {'0', '7', -73, 'x', 'X', '*'}, {-106, '8', ' ', '-'}},
        {"JianpuInputChar", IsJianpuInputChar, {'3', ' ', '.', ',', '\'', '_', -73}, {'-', '|', '9'}},
        {"BarLineChar", IsBarLineChar, {'|', 'i', 'I', ':', ';', 'l'}, {'L', '!', '1'}},
        {"BarLineCode", IsBarLineCode, {58, 60, 63, 173, 177}, {57, 64, 172, 174, 176, 178}},
        {"BarLineMarkType", IsBarLineMarkType, {29, 30, 71, 93, 54191118}, {28, 72, 73, 0}},
        {"MarkType71Or73Or25", IsMarkType71Or73Or25, {71, 73, 25}, {72, 26, 0}},
        {"WestNoteCode", IsWestNoteCode, {1, 9}, {0, 10, 19}},
        {"WestRestCode", IsWestRestCode, {19, 23, 27, 87}, {18, 28, 86, 88}},
        {"WestValueCode", IsWestValueCode, {1, 9, 19, 87}, {0, 10, 28}},
        {"FlaggedWestNoteCode", IsFlaggedWestNoteCode, {4, 9}, {3, 10}},
        {"AccidentalSymbolCode", IsAccidentalSymbolCode, {14, 15, 41, 119, 120, 121, 147, 148, 149},
         {13, 16, 40, 42, 118, 122, 146, 150}},
        {"OrnamentCode", IsOrnamentCode, {4, 88, 107, 108, 141, 142, 143}, {5, 87, 106, 109, 140, 144}},
        {"PercussionSyllableCode", IsPercussionSyllableCode, {10000, 10029}, {9999, 10030}},
        {"KeyIndex0To5Or13Or14", IsKeyIndex0To5Or13Or14, {0, 5, 13, 14}, {-1, 6, 12, 15}},
        // -7 counts as a clef like the other header clefs; -8 does not.
        {"ClefCode", IsClefCode, {-1, -4, -6, -7, -15}, {0, -8, -14, -16}},
    };
    for (const auto& c : cases) {
        for (int code : c.members)
            EXPECT_TRUE(c.test(code)) << c.name << " " << code;
        for (int code : c.others)
            EXPECT_FALSE(c.test(code)) << c.name << " " << code;
    }
}

TEST(CodeSets, LineCharactersAndValueCodes) {
    for (int ch : {'0', '7', '|', ' ', '.', '*', '(', ')', '-'}) {
        EXPECT_TRUE(IsJianpuLineChar(ch, true)) << ch;
        EXPECT_TRUE(IsJianpuLineChar(ch, false)) << ch;
    }
    EXPECT_FALSE(IsJianpuLineChar('x', true));
    EXPECT_TRUE(IsJianpuLineChar('X', false));
    EXPECT_FALSE(IsJianpuLineChar('8', false));

    EXPECT_TRUE(IsValueCode(20, true));
    EXPECT_FALSE(IsValueCode('3', true));
    EXPECT_TRUE(IsValueCode('0', false));
    EXPECT_FALSE(IsValueCode(3, false));
}

TEST(AttrTests, NoAttributeMatchesNothing) {
    EXPECT_FALSE(IsLowNibbleSet(kNoAttr));
    EXPECT_FALSE(IsHighNibbleSet(kNoAttr));
    EXPECT_FALSE(IsLowByteSet(kNoAttr));
    EXPECT_FALSE(IsVerticalAttr(kNoAttr));
    EXPECT_FALSE(AttrHasNibble(kNoAttr, 0));
    EXPECT_FALSE(AttrHasNibble(kNoAttr, 15));

    EXPECT_TRUE(AttrHasNibble(0x120, 0));
    EXPECT_TRUE(AttrHasNibble(0xB3, 3));
    EXPECT_TRUE(AttrHasNibble(0xB3, 0xB0));
    EXPECT_FALSE(AttrHasNibble(0xB3, 0xA0));
    EXPECT_FALSE(AttrHasNibble(0xF1, 241));
    EXPECT_TRUE(IsVerticalAttr(0x1B5));
    EXPECT_TRUE(IsLowByteSet(0x10));
    EXPECT_FALSE(IsLowByteSet(0x100));
}

// Each row: a cell picture and the expected answers of the main cell tests.
struct CellCase {
    const char* token;
    bool sound, noteCell, note, rest, noteOrRest, barLine, empty;
};

TEST(CellTests, WhatCountsAsNoteRestBarOrEmpty) {
    const std::vector<CellCase> cases = {
        //  token              sound  noteC  note   rest   n/r    bar    empty
        {"3", true, true, true, false, true, false, false},
        {"0", true, false, false, true, true, false, false},
        {".", true, false, false, false, true, false, false},         // dot: sounding, no note
        {"-", false, false, false, false, false, false, false},       // dash
        {"x", true, false, false, false, true, false, false},
        {"N:42{type=8}", false, true, true, false, false, false, false}, // '*' whatever its kind
        {"~{attr=0xC0,type=8}", true, true, true, false, true, false, true}, // grace style, blank codes
        {"~{attr=0xA0}", true, true, true, false, true, false, true},        // shrunk cell, no small notes yet
        {"W:3@2", false, false, true, false, true, false, false},
        {"W:87", false, false, false, true, true, false, false},
        {"W:28", false, false, false, false, false, false, false},
        {"W:10", false, false, false, false, false, false, false},
        {"W:0", false, false, false, false, false, false, false},
        {"|", false, false, false, false, false, true, false},
        {"~{mark=30}", false, false, false, false, false, true, false},
        {"~{mark=72}", false, false, false, false, false, false, false},
        {"~", false, false, false, false, false, false, true},
        {"~{fc=5}", false, false, false, false, false, false, false},          // Jianpu: FontColor counts
        {"~{type=8,fc=5,up=7}", false, false, false, false, false, false, true}, // not for other kinds
        {"~{ul=1}", false, false, false, false, false, false, false},
        {"\"\"", false, false, false, false, false, false, true},             // text cell without text
        {"~{attr=-1}", false, false, false, false, false, false, true},
    };
    for (const auto& c : cases) {
        TCell cell = TScoreFixture::Cell(c.token);
        SCOPED_TRACE(c.token);
        EXPECT_EQ(IsJianpuSound(cell), c.sound);
        EXPECT_EQ(IsJianpuNoteCell(cell), c.noteCell);
        EXPECT_EQ(IsNoteCell(cell), c.note);
        EXPECT_EQ(IsRestCell(cell), c.rest);
        EXPECT_EQ(IsNoteOrRestCell(cell), c.noteOrRest);
        EXPECT_EQ(IsBarLineCell(cell), c.barLine);
        EXPECT_EQ(IsEmptyCell(cell), c.empty);
    }
}

TEST(CellTests, WesternCells) {
    TCell group = TScoreFixture::Cell("W:22");
    group.CompressNotes.push_back(TCompressNote{3, 2, 0, 0, 0, 0});
    EXPECT_TRUE(IsWestNoteCell(group, 1)) << "a cell with small notes is a note whatever its code";

    TCell whole0 = TScoreFixture::Cell("W:0");
    EXPECT_FALSE(IsWestNoteCell(whole0, 1));
    EXPECT_TRUE(IsWestNoteCell(whole0, 0));
    whole0.Attr = 0xC0;
    EXPECT_TRUE(IsGraceNoteCell(whole0));
    whole0.Attr = kNoAttr;
    whole0.option = 0x10000000;
    EXPECT_FALSE(IsGraceNoteCell(whole0)) << "Attr -1 rules the grace test out";

    TCell small = TScoreFixture::Cell("W:4@1{size=0.6}");
    EXPECT_TRUE(IsSmallWestNoteCell(small));
    small.fontSizeR = 0.7f;
    EXPECT_FALSE(IsSmallWestNoteCell(small));

    EXPECT_TRUE(IsWestShortRestCell(TScoreFixture::Cell("W:22")));
    EXPECT_FALSE(IsWestShortRestCell(TScoreFixture::Cell("W:21")));
    EXPECT_TRUE(HasWestChordNotes(TScoreFixture::Cell("W:3@4+2+2")));
}

TEST(CellTests, ClefCodesIncludingMinusSeven) {
    for (const char* token : {"&G", "&F", "&C", "&T", "&D", "&X", "&7", "&N"})
        EXPECT_TRUE(IsClefCell(TScoreFixture::Cell(token))) << token;
    EXPECT_FALSE(IsClefCell(TScoreFixture::Cell("W:-8")));
    EXPECT_FALSE(IsClefCell(TScoreFixture::Cell("N:-1"))) << "a Jianpu cell holds no clef";
}

TEST(CellTests, RowEndBarLineAndMarks) {
    TCell rowEnd = TScoreFixture::Cell("|");
    ASSERT_EQ(rowEnd.Note, 63);
    EXPECT_TRUE(IsBarLineCell(rowEnd));
    EXPECT_FALSE(IsBarLineCellNotRowEnd(rowEnd));
    EXPECT_TRUE(IsBarLineCellNotRowEnd(TScoreFixture::Cell("||")));

    for (int mark : {28, 72, 73}) {
        TCell c = TScoreFixture::Cell("~{mark=" + std::to_string(mark) + "}");
        EXPECT_TRUE(IsBarMarkCell(c)) << mark;
        EXPECT_FALSE(IsBarLineCell(c)) << mark;
    }
    for (int mark : {29, 30, 71, 93, 54191118}) {
        TCell c = TScoreFixture::Cell("~{mark=" + std::to_string(mark) + "}");
        EXPECT_TRUE(IsBarMarkCell(c)) << mark;
        EXPECT_TRUE(IsBarLineCell(c)) << mark;
    }
    EXPECT_TRUE(IsSlurMarkCell(TScoreFixture::Cell("~{mark=81}")));
    EXPECT_TRUE(IsTupletMarkCell(TScoreFixture::Cell("~{mark=86}")));
    EXPECT_TRUE(IsSlurOrTupletMarkCell(TScoreFixture::Cell("~{mark=56}")));
    EXPECT_FALSE(IsSlurOrTupletMarkCell(TScoreFixture::Cell("~{mark=4}")));
}

TEST(CellTests, StylesDotsAndUpperNotes) {
    EXPECT_TRUE(IsShrinkCell(TScoreFixture::Cell("3{attr=0xA2}")));
    EXPECT_FALSE(IsShrinkCell(TScoreFixture::Cell("3{attr=-1}")));
    EXPECT_TRUE(IsGraceCell(TScoreFixture::Cell("3{attr=0xD0}")));
    EXPECT_TRUE(IsSmallNoteCell(TScoreFixture::Cell("3{opt=0x10000000}")));
    EXPECT_FALSE(IsSmallNoteCell(TScoreFixture::Cell("3{opt=0x10000000,attr=-1}")));

    TCell vertical = TScoreFixture::Cell("~{attr=0xB0}");
    EXPECT_FALSE(IsDotCell(vertical)) << "a vertical cell with no small notes is no dot";
    vertical.CompressNotes.push_back(TCompressNote{-73, 0, 0, 0, 0, 0});
    EXPECT_TRUE(IsDotCell(vertical));
    EXPECT_TRUE(IsDotCell(TScoreFixture::Cell(".")));

    EXPECT_TRUE(IsDotted(TScoreFixture::Cell("3.")));
    EXPECT_TRUE(IsDotted(TScoreFixture::Cell("3..")));
    EXPECT_TRUE(HasUpNote(TScoreFixture::Cell("3{up=5}")));
    EXPECT_FALSE(HasUpNote(TScoreFixture::Cell("3{up=5,shrink=1}")));
    EXPECT_TRUE(HasUpNoteKind1(TScoreFixture::Cell("3{up=5,shrink=1}")));
    EXPECT_TRUE(IsJianpuXNote(TScoreFixture::Cell("X")));
    EXPECT_TRUE(IsJianpuDigitFrom(TScoreFixture::Cell("7"), '1'));
    EXPECT_FALSE(IsJianpuDigitFrom(TScoreFixture::Cell("0"), '1'));
    EXPECT_TRUE(IsBlankNoteCell(TScoreFixture::Cell("~{mark=5,ul=2}")));
}

TEST(CellTests, SymbolsOrnamentsAndTexts) {
    EXPECT_TRUE(HasSymbolCode(TScoreFixture::Cell("S:1/14/88"), 88));
    EXPECT_FALSE(HasSymbolCode(TScoreFixture::Cell("W:3{fc=88}"), 88));
    EXPECT_TRUE(IsTrillTextCell(TScoreFixture::Cell("~{type=11,note=15}")));
    EXPECT_TRUE(IsPercussionSyllableCell(TScoreFixture::Cell("S:10005")));

    EXPECT_TRUE(IsOrnamentCell(TScoreFixture::Cell("0"), -1)) << "a Jianpu rest is class 0";
    EXPECT_FALSE(IsOrnamentCell(TScoreFixture::Cell("~"), -1));
    EXPECT_TRUE(IsOrnamentCell(TScoreFixture::Cell("S:1/2/88"), 3)) << "ornament in upNote";
    EXPECT_FALSE(IsOrnamentCell(TScoreFixture::Cell("S:1/2/88"), 2));

    struct TextCase {
        const char* token;
        bool timeSig, keyText, structure;
    };
    const std::vector<TextCase> texts = {
        {"\"C\"", true, false, false},       {"\"c\"", false, false, false},
        {"\"C \"", false, false, false},     {"\"1=\"", false, true, true},
        {"\"1=bE\"", false, true, true},     {"\"1 = G\"", false, true, true},
        {"\" 1=C\"", false, false, false},   {"\"2=C\"", false, false, false},
        {"\"Allegro\"", false, false, false}, {"T:3/4", true, false, true},
    };
    for (const auto& t : texts) {
        TCell c = TScoreFixture::Cell(t.token);
        EXPECT_EQ(IsTimeSignatureCell(c), t.timeSig) << t.token;
        EXPECT_EQ(IsJianpuKeyTextCell(c), t.keyText) << t.token;
        EXPECT_EQ(IsLayerStructureCell(c), t.structure) << t.token;
    }
    EXPECT_TRUE(IsLayerStructureCell(TScoreFixture::Cell("&G")));
    EXPECT_TRUE(IsLayerStructureCell(TScoreFixture::Cell("~{type=4}")));
    EXPECT_TRUE(IsLayerStructureCell(TScoreFixture::Cell("N:124"))) << "typed '|' in a Jianpu cell";
    EXPECT_FALSE(IsLayerStructureCell(TScoreFixture::Cell("3")));

    EXPECT_TRUE(IsColorableCell(TScoreFixture::Cell("-")));
    EXPECT_TRUE(IsColorableCell(TScoreFixture::Cell("~{ul=1}")));
    EXPECT_TRUE(IsColorableCell(TScoreFixture::Cell("\"ab\"")));
    EXPECT_FALSE(IsColorableCell(TScoreFixture::Cell("\"\"")));
    EXPECT_TRUE(IsColorableCell(TScoreFixture::Cell("~{type=11}")));
    EXPECT_FALSE(IsColorableCell(TScoreFixture::Cell("W:3")));
}

TEST(CellTests, SameNotesForTiesAndSlurs) {
    auto same = [](const char* a, const char* b, bool dur) {
        return IsSameNotes(TScoreFixture::Cell(a), TScoreFixture::Cell(b), dur);
    };
    EXPECT_TRUE(same("W:3@2", "W:4@2", false));
    EXPECT_FALSE(same("W:3@2", "W:4@2", true));
    EXPECT_FALSE(same("W:3@2", "W:3@3", false));
    EXPECT_TRUE(same("W:3@4+2+2", "W:3@4+2+2", true));
    EXPECT_FALSE(same("W:3@4+2+2", "W:3@4+2+3", false));
    EXPECT_FALSE(same("W:3@4+2", "W:3@4", false));
    EXPECT_TRUE(same("5_", "5", false));
    EXPECT_FALSE(same("5_", "5", true));
    EXPECT_FALSE(same("5", "6", false));
    EXPECT_FALSE(same("5", "W:3@2", false)) << "different notations never match";
}

// ---- Address forms ----

TEST(AddressForms, OffGridAddressesGiveFalse) {
    TScoreFixture fx(6, 3);
    fx.Row(0, "3 W:3@2 | . ~{mark=81} &G");
    const std::vector<std::pair<int, int>> bad = {{-1, 0}, {0, -1}, {6, 0}, {0, 3}, {7, 4}, {-5, -5}, {1000, 1000}};
    for (auto [c, r] : bad) {
        SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
        EXPECT_FALSE(IsValidCellPos(c, r));
        EXPECT_FALSE(IsJianpuSoundAt(c, r, -1, -1));
        EXPECT_FALSE(IsJianpuNoteAt(c, r));
        EXPECT_FALSE(IsWestNoteAt(c, r, 1));
        EXPECT_FALSE(IsWestNoteOrRestAt(c, r, 1));
        EXPECT_FALSE(IsWestRestAt(c, r));
        EXPECT_FALSE(IsNoteOrRestAt(c, r));
        EXPECT_FALSE(IsEmptyCellAt(c, r));
        EXPECT_FALSE(IsShrinkCellAt(c, r));
        EXPECT_FALSE(HasUpNoteKind1At(c, r));
        EXPECT_FALSE(IsBarLineAt(c, r, -1));
        EXPECT_FALSE(IsSlurMarkAt(c, r, -1));
        EXPECT_FALSE(IsWestAccidentalAt(c, r));
        EXPECT_FALSE(IsClefChangeAt(c, r));
        EXPECT_FALSE(IsBackgroundImageCell(c, r, -1, -1));
        EXPECT_FALSE(IsSameNotesAt(c, r, 0, 0, false));
        EXPECT_FALSE(IsDottedAt(c, r));
        EXPECT_FALSE(IsDottedJianpuNoteAt(c, r));
        EXPECT_FALSE(IsInCombineTailGroup(c, r));
    }
    // Pages and layers that do not exist.
    EXPECT_FALSE(IsJianpuSoundAt(0, 0, 1, 0));
    EXPECT_FALSE(IsJianpuSoundAt(0, 0, 0, 1)) << "layer 1 holds no pages";
    EXPECT_FALSE(IsJianpuSoundAt(0, 0, -2, 0));
    EXPECT_FALSE(IsJianpuSoundAt(0, 0, 0, 2));
    EXPECT_FALSE(IsBarLineAt(2, 0, 5));
    EXPECT_FALSE(IsSlurMarkAt(4, 0, 1));
    fx.Score().CurPage = 9;
    EXPECT_FALSE(IsJianpuNoteAt(0, 0)) << "current page that does not exist";
    EXPECT_FALSE(IsNoteOrRestAt(0, 0));

    // And the same addresses on the grid answer.
    fx.Score().CurPage = 0;
    EXPECT_TRUE(IsJianpuSoundAt(0, 0, -1, -1));
    EXPECT_TRUE(IsJianpuNoteAt(0, 0));
    EXPECT_TRUE(IsWestNoteAt(1, 0, 1));
    EXPECT_TRUE(IsBarLineAt(2, 0, -1));
    EXPECT_TRUE(IsSlurMarkAt(4, 0, -1));
}

TEST(AddressForms, NoCurrentScore) {
    TMainScore* saved = frmMainTQ;
    frmMainTQ = nullptr;
    EXPECT_FALSE(IsValidCellPos(0, 0));
    EXPECT_FALSE(IsJianpuNoteAt(0, 0));
    EXPECT_FALSE(IsDottedAt(0, 0));
    EXPECT_EQ(CellAtAddress(0, 0), nullptr);
    frmMainTQ = saved;
}

TEST(AddressForms, LayersAndPagesAreThoseAsked) {
    TScoreFixture fx(6, 3, 2, 1);
    fx.Row(0, "| 3", 1, 0);
    fx.Row(0, "~ ~ ~{mark=2}", 0, 1);
    EXPECT_FALSE(IsBarLineAt(0, 0, -1));
    EXPECT_TRUE(IsBarLineAt(0, 0, 1));
    EXPECT_TRUE(IsJianpuSoundAt(1, 0, 1, 0));
    EXPECT_FALSE(IsJianpuSoundAt(1, 0, 0, 0));
    EXPECT_TRUE(IsSlurMarkAt(2, 0, 1));
    CurLayer = 1;
    EXPECT_TRUE(IsSlurMarkAt(2, 0, -1));
    CurLayer = 0;
    EXPECT_FALSE(IsSlurMarkAt(2, 0, -1));
}

TEST(AddressForms, BackgroundImageOnlyTopLeftOfLayerZero) {
    TScoreFixture fx(4, 3, 1, 1);
    fx.Row(0, "~{type=7,note=200119} ~{type=7,note=200119}");
    fx.Row(0, "~{type=7,note=200119}", 0, 1);
    EXPECT_TRUE(IsBackgroundImageCell(0, 0, -1, -1));
    EXPECT_TRUE(IsBackgroundImageCell(0, 0, 0, 0));
    EXPECT_FALSE(IsBackgroundImageCell(1, 0, 0, 0));
    EXPECT_FALSE(IsBackgroundImageCell(0, 0, 1, 0));
    fx.At(0, 0).iEnd = 2;
    EXPECT_FALSE(IsBackgroundImageCell(0, 0, 0, 0));
}

TEST(AddressForms, ClefChangeAndWesternAccidental) {
    TScoreFixture fx(8, 2);
    fx.Row(0, "&G W:3@2 ~ &F{iEnd=4} &F{iEnd=0} S:14 ~ ~");
    fx.Row(1, "3 4 S:14");
    EXPECT_FALSE(IsClefChangeAt(0, 0)) << "the row header is no change";
    EXPECT_TRUE(IsClefChangeAt(4, 0));
    EXPECT_FALSE(IsClefChangeAt(3, 0)) << "iEnd names another column";
    EXPECT_TRUE(IsWestAccidentalAt(5, 0));
    EXPECT_FALSE(IsWestAccidentalAt(2, 1)) << "not a Western row";
}

TEST(ShortScans, DottedNotes) {
    TScoreFixture fx(8, 6);
    fx.Page({
        "3 ~ ~ . 4",      // dot after two empty cells
        "3 - . 4",        // a dash comes first
        "3 ~ ~ ~ ~ ~ ~ .", // dot in the last column
        "W:3@1 .",        // Western dots live in the option word
        "W:3@1. 4",
        "3 S:14 | .",
    });
    EXPECT_TRUE(IsDottedAt(0, 0));
    EXPECT_FALSE(IsDottedAt(0, 1));
    EXPECT_TRUE(IsDottedAt(0, 2));
    EXPECT_FALSE(IsDottedAt(0, 3));
    EXPECT_TRUE(IsDottedAt(0, 4));

    EXPECT_TRUE(IsDottedJianpuNoteAt(0, 0));
    EXPECT_TRUE(IsDottedJianpuNoteAt(0, 1)) << "dashes and symbols are passed over";
    EXPECT_FALSE(IsDottedJianpuNoteAt(0, 5)) << "a bar line ends the search";
    EXPECT_FALSE(IsDottedJianpuNoteAt(0, 3)) << "not a Jianpu sounding cell";
    EXPECT_FALSE(IsDottedJianpuNoteAt(1, 0)) << "an empty cell";
}

TEST(ShortScans, CombineTailGroups) {
    TScoreFixture fx(8, 3);
    fx.Page({
        "W:4@1{opt=2} W:4@2 W:4@3{opt=4} W:4@1",
        "W:4@1{opt=2} W:4@2{opt=4} W:4@1 W:4@1",
        "~ ~ ~ ~ ~ W:4{opt=2} ~ W:4",
    });
    struct Case {
        int col, row;
        bool in;
        int start;
    };
    const std::vector<Case> cases = {
        {0, 0, true, 0}, {1, 0, true, 0}, {2, 0, true, -1}, // the end cell: true, no start
        {3, 0, false, -1},
        {2, 1, false, -1}, {3, 1, false, -1}, // an end flag stands between
        {7, 2, true, 5},                      // the last column of the grid is inside as well
        {4, 2, false, -1},
    };
    for (const auto& c : cases) {
        int start = 99;
        EXPECT_EQ(FindCombineTailStart(c.col, c.row, start), c.in) << c.col << "," << c.row;
        EXPECT_EQ(start, c.start) << c.col << "," << c.row;
        EXPECT_EQ(IsInCombineTailGroup(c.col, c.row), c.in);
    }
}

TEST(ShortScans, SameNotesAtAddresses) {
    TScoreFixture fx(6, 2);
    fx.Row(0, "W:3@2 W:4@2 W:3@3");
    EXPECT_TRUE(IsSameNotesAt(0, 0, 1, 0, false));
    EXPECT_FALSE(IsSameNotesAt(0, 0, 1, 0, true));
    EXPECT_FALSE(IsSameNotesAt(0, 0, 2, 0, false));
}

} // namespace
