// Western chords, grace notes, compressed notes, Auto Underline and note names.
#include <gtest/gtest.h>

#include <vector>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestBeaming.h"
#include "edit/modTQWestChord.h"
#include "edit/modTQWestEntry.h"
#include "edit/modTQWestNames.h"
#include "notation/modTQNoteHint.h"
#include "model/modTQCellAccess.h"
#include "model/modTQUndo.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// Staff positions of a chord cell, the main note first, then upward.
std::vector<int> Positions(const TCell& c) {
    std::vector<int> out{static_cast<int>(c.yAdj)};
    for (const TWestChord& item : c.westChordArray)
        out.push_back(out.back() - item.interval);
    return out;
}

std::vector<int> Intervals(const TCell& c) {
    std::vector<int> out;
    for (const TWestChord& item : c.westChordArray)
        out.push_back(item.interval);
    return out;
}

TEST(WestChord, MakeAndSplit) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ W:3@6{attr=1} W:3@4 W:3@2{attr=2}");
    fx.Select(2, 1, 4, 1);
    ASSERT_TRUE(MakeWestChord());
    const TCell& chord = fx.At(2, 1);
    EXPECT_FLOAT_EQ(chord.yAdj, 6.0f);
    EXPECT_EQ(chord.Attr, 1u);
    EXPECT_EQ(Intervals(chord), (std::vector<int>{2, 2}));
    EXPECT_EQ(chord.westChordArray[1].attr, 2u);
    EXPECT_EQ(fx.At(3, 1).Note, 32);
    EXPECT_EQ(fx.At(4, 1).Note, 32);
    EXPECT_EQ(fx.win.SelCol1, 2);

    SplitWestChord();
    for (int c = 2; c <= 4; ++c) {
        EXPECT_EQ(fx.At(c, 1).Note, 3) << c;
        EXPECT_TRUE(fx.At(c, 1).westChordArray.empty()) << c;
    }
    EXPECT_FLOAT_EQ(fx.At(2, 1).yAdj, 6.0f);
    EXPECT_FLOAT_EQ(fx.At(3, 1).yAdj, 4.0f);
    EXPECT_FLOAT_EQ(fx.At(4, 1).yAdj, 2.0f);
    EXPECT_EQ(fx.At(4, 1).Attr, 2u);
    EXPECT_EQ(fx.win.SelCol0, 2);
    EXPECT_EQ(fx.win.SelCol1, 4);
}

TEST(WestChord, SameLineFirstColumnsAndNoRoom) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ W:3@4 W:3@4");
    fx.Select(2, 1, 3, 1);
    ASSERT_TRUE(MakeWestChord());
    EXPECT_EQ(Intervals(fx.At(2, 1)), (std::vector<int>{2}));

    fx.Row(2, "&G W:3@6 W:3@4");
    const TCell a = fx.At(1, 2), b = fx.At(2, 2);
    fx.Select(1, 2, 2, 2);
    EXPECT_FALSE(MakeWestChord());
    EXPECT_EQ(fx.At(1, 2), a);
    EXPECT_EQ(fx.At(2, 2), b);

    // a chord hemmed in by notes is not split over them
    fx.Row(3, "W:3@0 W:3@0 W:3@6+2+2 W:3@0");
    const TCell chord = fx.At(2, 3);
    fx.Select(2, 3, 2, 3);
    SplitWestChord();
    EXPECT_EQ(fx.At(2, 3), chord);
    EXPECT_EQ(fx.At(1, 3).Note, 3);
    EXPECT_EQ(fx.At(3, 3).Note, 3);
}

TEST(WestChord, DeleteEachNote) {
    struct TCase {
        int index;
        std::vector<int> positions; // empty: the cell was reset
        uint32_t topAttr;
    };
    const TCase cases[] = {
        {0, {}, 0}, {1, {4, 2}, 0x22}, {2, {6, 2}, 0x22}, {3, {6, 4}, 0x11}, {9, {6, 4}, 0x11},
    };
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.index);
        TEditFixture fx(12, 4);
        fx.Row(1, "&G ~ W:3@6+2+2");
        TCell& cell = fx.At(2, 1);
        cell.westChordArray[0].attr = 0x11;
        cell.westChordArray[1].attr = 0x22;
        ChordNoteIndex = t.index;
        DeleteWestChordNote(cell);
        ChordNoteIndex = 0;
        if (t.positions.empty()) {
            EXPECT_EQ(cell.Note, 32);
            continue;
        }
        EXPECT_EQ(Positions(cell), t.positions);
        EXPECT_EQ(cell.westChordArray.back().attr, t.topAttr);
    }
}

TEST(WestChord, MoveOneNoteKeepsTheOthers) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ W:3@6+2+2");
    ChordNoteIndex = 0;
    MoveWestChordNote(2, 1, 1.0f);
    EXPECT_EQ(Positions(fx.At(2, 1)), (std::vector<int>{7, 4, 2}));
    ChordNoteIndex = 3;
    MoveWestChordNote(2, 1, -1.0f);
    EXPECT_EQ(Positions(fx.At(2, 1)), (std::vector<int>{7, 4, 1}));
    ChordNoteIndex = 2;
    MoveWestChordNote(2, 1, 1.0f);
    EXPECT_EQ(Positions(fx.At(2, 1)), (std::vector<int>{7, 5, 1}));
    // the main note does not move up into its neighbour
    fx.Row(2, "&G ~ W:3@6+1");
    ChordNoteIndex = 0;
    MoveWestChordNote(2, 2, -1.0f);
    EXPECT_EQ(Positions(fx.At(2, 2)), (std::vector<int>{6, 5}));
}

TEST(WestChord, GraceTwiceRestoresSizeAndStem) {
    struct TCase {
        const char* chord;
        bool flipped;
    };
    for (const TCase& t : {TCase{"W:3@6+2+2", true}, TCase{"W:3@-2+2+2{opt=0x1}", false}}) {
        SCOPED_TRACE(t.chord);
        TEditFixture fx(12, 4);
        fx.Row(1, std::string("&G ~ ") + t.chord);
        fx.Select(2, 1, 2, 1);
        ASSERT_TRUE(ToggleWestGrace());
        EXPECT_FLOAT_EQ(fx.At(2, 1).fontSizeR, 0.6f);
        EXPECT_EQ(fx.At(2, 1).option & 0x10000000u, 0x10000000u);
        ASSERT_TRUE(ToggleWestGrace());
        EXPECT_FLOAT_EQ(fx.At(2, 1).fontSizeR, 1.0f);
        EXPECT_EQ(fx.At(2, 1).option & 0x10000000u, 0u);
        EXPECT_EQ(fx.At(2, 1).Attr & 0xF0u, 0u);
        EXPECT_EQ(IsStemFlipped(fx.At(2, 1)), t.flipped);
    }
}

TEST(WestChord, ShrinkAndExpand) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ W:4@0{opt=0x2} W:4@1 W:3@2{opt=0x4} W:4@3");
    fx.Select(2, 1, 5, 1);
    ASSERT_TRUE(ShrinkWestNotes(50));
    const TCell& cell = fx.At(2, 1);
    ASSERT_EQ(cell.CompressNotes.size(), 3u); // stops at the group's end
    EXPECT_EQ(cell.Attr & 0xF0u, 0xA0u);
    EXPECT_EQ(cell.shrinkRate, 50);
    EXPECT_EQ(cell.option & 0x4u, 0x4u);
    EXPECT_EQ(cell.CompressNotes[2].option & 0x4u, 0u); // a quarter loses the end bit
    EXPECT_EQ(fx.At(3, 1).Note, 32);
    EXPECT_EQ(fx.At(4, 1).Note, 32);
    EXPECT_EQ(fx.At(5, 1).Note, 4);

    fx.Select(2, 1, 2, 1);
    ExpandWestNotes();
    EXPECT_EQ(fx.At(2, 1).Note, 4);
    EXPECT_EQ(fx.At(4, 1).Note, 3);
    for (int c = 2; c <= 4; ++c) {
        EXPECT_FLOAT_EQ(fx.At(c, 1).yAdj, float(c - 2)) << c;
        EXPECT_TRUE(fx.At(c, 1).CompressNotes.empty()) << c;
    }
    EXPECT_EQ(fx.win.SelCol1, 4);

    // one column is no shrink; no free run is no expansion
    fx.Select(2, 1, 2, 1);
    EXPECT_FALSE(ShrinkWestNotes(50));
    fx.Row(2, "W:3@0 W:3@0 W:4@0 W:3@0");
    fx.At(2, 2).CompressNotes = {TCompressNote{4, 0, 0, 0, 0, 0}, TCompressNote{4, 1, 0, 0, 0, 0}};
    fx.At(2, 2).Attr = 0xA0;
    const TCell shrunk = fx.At(2, 2);
    fx.Select(2, 2, 2, 2);
    ExpandWestNotes();
    EXPECT_EQ(fx.At(2, 2), shrunk);
    EXPECT_EQ(fx.At(1, 2).Note, 3);
}

TEST(WestChord, StemLengthBounds) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G W:3@0 W:1@0");
    fx.Select(1, 1, 2, 1);
    for (int i = 0; i < 130; ++i)
        AdjustStemLength(1.0f);
    EXPECT_FLOAT_EQ(fx.At(1, 1).stemAdj, 125.0f);
    EXPECT_FLOAT_EQ(fx.At(2, 1).stemAdj, 0.0f); // a whole note has no stem
    for (int i = 0; i < 260; ++i)
        AdjustStemLength(-1.0f);
    EXPECT_FLOAT_EQ(fx.At(1, 1).stemAdj, -123.0f);
}

TEST(AutoUnderlineRow, BeamPatterns) {
    struct TCase {
        const char* row;
        std::vector<int> values;
        std::vector<uint32_t> groupBits; // option & 0x6 of each note
    };
    const TCase cases[] = {
        {"&G W:4@0 W:4@0 W:4@0 W:4@0", {5, 5, 5, 5}, {0x2, 0, 0, 0x4}},
        {"&G W:4@0. W:4@0", {4, 5}, {0x2, 0x4}},
        {"&G W:3@0.. W:3@0", {4, 6}, {0x2, 0x4}},
        {"&G W:3@0 W:3@0 W:3@0", {4, 5, 5}, {0x2, 0, 0x4}},
        {"&G W:3@0 W:3@0. W:3@0 W:3@0", {5, 5, 6, 5}, {0x2, 0, 0, 0x4}},
        {"&G W:3@0", {3}, {0}},
        {"&G W:4@0 W:2@0 W:4@0", {4, 2, 4}, {0, 0, 0}},
    };
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.row);
        TEditFixture fx(12, 4);
        fx.Row(1, t.row);
        AutoUnderlineRow(fx.win.PageSets[0][0][1], 1, false);
        for (size_t i = 0; i < t.values.size(); ++i) {
            EXPECT_EQ(fx.At(int(i) + 1, 1).Note, t.values[i]) << i;
            EXPECT_EQ(fx.At(int(i) + 1, 1).option & 0x6u, t.groupBits[i]) << i;
        }
    }
    TEditFixture fx(12, 4);
    fx.Row(1, "&G W:3@4 W:2@3");
    AutoUnderlineRow(fx.win.PageSets[0][0][1], 1, false);
    EXPECT_TRUE(IsStemFlipped(fx.At(1, 1))); // a lone note only gets its stem
    EXPECT_EQ(fx.At(1, 1).Note, 3);
    EXPECT_TRUE(IsStemFlipped(fx.At(2, 1))); // a half note below the middle
}

TEST(GetWestNoteNames, ChordSmallNotesAndTwin) {
    TEditFixture fx(12, 4, 1, 1);
    fx.Row(1, "&G W:3@6+2+2 W:3@0");
    fx.At(2, 1).CompressNotes = {TCompressNote{4, 0, 0, 0, 0, 0}, TCompressNote{4, 6, 0, 0, 0, 0}};
    fx.Row(1, "~ W:3@3", 0, 1);
    EXPECT_EQ(GetWestNoteNames(1, 1, false), "GtEtCuF");
    EXPECT_EQ(GetWestNoteNames(2, 1, false), "B C");
    fx.Row(2, "&G/1 W:3@3");
    EXPECT_EQ(GetWestNoteNames(1, 2, false), "kF");
}

TEST(WestRows, ReadClefKeyAndExtendStaffLines) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&F/3{iEnd=5} W:3@0 W:3@0");
    ReadClefKeyBefore(2, 1);
    EXPECT_EQ(fx.win.CurClef, -2);
    EXPECT_EQ(fx.win.CurKey, 3);
    ExtendStaffLinesToEnd();
    EXPECT_EQ(fx.At(0, 1).iEnd, 11);
    fx.Select(1, 1, 1, 1);
    EXPECT_TRUE(IsSingleWestCellSelected());
    EXPECT_TRUE(IsSingleWestNoteSelected());
    fx.Select(1, 1, 2, 1);
    EXPECT_FALSE(IsSingleWestCellSelected());
}

} // namespace

namespace {

TEST(WestChord, ConnectStemsAcrossAGrandStaff) {
    TEditFixture fx(12, 5);
    fx.Row(1, "&G W:4@4{opt=0x1}");
    fx.Row(3, "&F W:4@-4{opt=0x1}");
    fx.Select(1, 0, 1, 4);
    ConnectGFTails();
    EXPECT_EQ(fx.At(1, 3).option & 0x80u, 0x80u);
    EXPECT_EQ(fx.At(1, 1).option & 0x100000u, 0x100000u);
    EXPECT_EQ(fx.At(1, 3).dot, -2);
    ConnectGFTails();
    EXPECT_EQ(fx.At(1, 3).option & 0x80u, 0u);
    EXPECT_EQ(fx.At(1, 1).option & 0x100000u, 0u);
    EXPECT_EQ(fx.At(1, 3).dot, 0);
    // stems pointing different ways are not joined
    fx.At(1, 1).option = 0;
    ConnectGFTails();
    EXPECT_EQ(fx.At(1, 3).option & 0x80u, 0u);
}

} // namespace
