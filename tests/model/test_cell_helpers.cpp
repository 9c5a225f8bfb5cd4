// Flag and play-adjustment questions about one cell, the chord order of old
// files, and the score picture that the other tests build their pages from.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQMainScore.h"
#include "tests/support/TQScoreFixture.h"

TEST(CellFlags, EachTestReadsItsOwnOptionBitOnly) {
    struct Case {
        uint32_t option;
        bool tailStart, tailEnd, beamStart, beamEnd, crossStaff;
    };
    const Case cases[] = {
        {0x0, false, false, false, false, false},
        {0x2, true, false, false, false, false},
        {0x4, false, true, false, false, false},
        {0x6, true, true, false, false, false},
        {0x100, false, false, true, false, false},
        {0x200, false, false, false, true, false},
        {0x40000, false, false, false, false, true},
        {~0x40306u, false, false, false, false, false},
    };
    for (const Case& k : cases) {
        TCell cell;
        cell.option = k.option;
        EXPECT_EQ(IsCombineTailStart(cell), k.tailStart) << std::hex << k.option;
        EXPECT_EQ(IsCombineTailEnd(cell), k.tailEnd) << std::hex << k.option;
        EXPECT_EQ(IsBeamStartMark(cell), k.beamStart) << std::hex << k.option;
        EXPECT_EQ(IsBeamEndMark(cell), k.beamEnd) << std::hex << k.option;
        EXPECT_EQ(IsCrossStaff(cell), k.crossStaff) << std::hex << k.option;
    }
}

TEST(CellFlags, WholeNoteValues) {
    const std::pair<int, bool> cases[] = {{1, true}, {81, true}, {2, false}, {0, false}, {20, false}, {-1, false}};
    for (auto [code, whole] : cases) {
        EXPECT_EQ(IsWholeNoteValue(code), whole) << code;
        TCell cell;
        cell.Note = code;
        EXPECT_EQ(IsWholeNoteValue(cell), whole) << code;
    }
}

TEST(CellFlags, PlayAdjustmentsCountFromTheirThresholds) {
    struct Case {
        int value;
        bool volume, cresc, ritArp;
    };
    const Case cases[] = {
        {100, false, false, false}, {19, false, false, false}, {20, false, false, true},
        {49, false, false, true},   {50, true, true, true},    {99, true, true, true},
        {101, true, true, true},    {255, true, true, true},   {0, false, false, false},
    };
    for (const Case& k : cases) {
        TCell volume, cresc, ritArp;
        SetCellVolAdj(volume, k.value);
        SetCellCredAdj(cresc, k.value);
        SetCellRitArpAdj(ritArp, k.value);
        EXPECT_EQ(HasNotesVolAdj(volume), k.volume) << k.value;
        EXPECT_EQ(HasCrescRateAdj(cresc), k.cresc) << k.value;
        EXPECT_EQ(HasRitArpRateAdj(ritArp), k.ritArp) << k.value;
        // each test reads its own byte only
        EXPECT_FALSE(HasNotesVolAdj(cresc) || HasNotesVolAdj(ritArp)) << k.value;
        EXPECT_FALSE(HasCrescRateAdj(volume) || HasRitArpRateAdj(volume)) << k.value;
        EXPECT_EQ(GetNotesVolAdj(volume), k.value);
        EXPECT_EQ(GetCrescRate(cresc), k.value);
        EXPECT_EQ(GetRitArpRate(ritArp), k.value);
    }
}

TEST(OldChordOrder, ReversingKeepsEveryNoteAtItsPitchWithItsAttributes) {
    // Stored top-down: main note at -3 (Attr 1), then 2 and 3 steps below it.
    TCell cell = TScoreFixture::Cell("W:3@-3+2+3");
    cell.option = 0x1;
    cell.Attr = 0x1;
    cell.westChordArray[0].attr = 0x2;
    cell.westChordArray[0].option = 0x10;
    cell.westChordArray[1].attr = 0x3;
    cell.westChordArray[1].option = 0x20;
    ReverseWestChordOrder(cell);

    // Now the lowest note (2 below -3 + 2 + 3 = 2) is the main note, read upward.
    EXPECT_EQ(cell.yAdj, 2.0f);
    EXPECT_EQ(cell.Attr, 0x3u);
    EXPECT_EQ(cell.option, 0x1u);
    ASSERT_EQ(cell.westChordArray.size(), 2u);
    EXPECT_EQ(cell.westChordArray[0].interval, 3);
    EXPECT_EQ(cell.westChordArray[1].interval, 2);
    EXPECT_EQ(GetChordNotePos(cell, 0), -1);
    EXPECT_EQ(cell.westChordArray[0].attr, 0x2u);
    EXPECT_EQ(cell.westChordArray[0].option, 0x10u);
    EXPECT_EQ(GetChordNotePos(cell, 1), -3);
    EXPECT_EQ(cell.westChordArray[1].attr, 0x1u);
    EXPECT_EQ(cell.westChordArray[1].option, 0x20u);

    TCell single = TScoreFixture::Cell("W:3@-3");
    const TCell before = single;
    ReverseWestChordOrder(single);
    EXPECT_EQ(single, before);
}

TEST(ScorePicture, TokensMakeTheCellsTheyDescribe) {
    TScoreFixture fx(12, 4, 1, 1);
    fx.Row(0, "&G/2 W:4@-1. W:3@2+2 W:22 |: :| || |] - . \"1 = G\" ~{mark=30,jEnd=2}");
    fx.Row(1, "#1' b2,,__ n3.. x * 0 N:-73 S:14/15 T:3/4 ?", 0, 1);

    const TCell& clef = fx.At(0, 0);
    EXPECT_EQ(clef.cellType, ctWestern);
    EXPECT_EQ(clef.Note, -1);
    EXPECT_EQ(clef.Attr, 2u);
    EXPECT_EQ(fx.At(1, 0).Note, 4);
    EXPECT_EQ(fx.At(1, 0).yAdj, -1.0f);
    EXPECT_EQ(fx.At(1, 0).option, 0x8u);
    EXPECT_EQ(fx.At(2, 0).westChordArray.size(), 1u); // a two-note chord
    EXPECT_EQ(fx.At(3, 0).Note, 22);
    const int bars[] = {58, 59, 62, 61};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fx.At(4 + i, 0).Note, bars[i]);
    EXPECT_EQ(fx.At(8, 0).Note, -106);
    EXPECT_EQ(fx.At(9, 0).Note, -73);
    EXPECT_EQ(fx.At(10, 0).cellType, ctText);
    EXPECT_EQ(fx.At(10, 0).Text, "1 = G");
    EXPECT_EQ(fx.At(11, 0).markType, 30);
    EXPECT_EQ(fx.At(11, 0).jEnd, 2);
    EXPECT_EQ(fx.At(11, 0).Note, 32);

    EXPECT_EQ(fx.At(0, 1, 0, 1).Attr, 1u);
    EXPECT_EQ(fx.At(0, 1, 0, 1).dot, 1);
    EXPECT_EQ(fx.At(1, 1, 0, 1).Attr, 2u);
    EXPECT_EQ(fx.At(1, 1, 0, 1).dot, -2);
    EXPECT_EQ(fx.At(1, 1, 0, 1).UL, 2);
    EXPECT_EQ(fx.At(2, 1, 0, 1).option, 0x40u);
    EXPECT_EQ(fx.At(3, 1, 0, 1).Note, 'x');
    EXPECT_EQ(fx.At(6, 1, 0, 1).Note, -73);
    EXPECT_EQ(fx.At(7, 1, 0, 1).cellType, ctSymbol);
    EXPECT_EQ(fx.At(7, 1, 0, 1).FontColor, 15);
    EXPECT_EQ(fx.At(7, 1, 0, 1).upNote, 32);
    EXPECT_EQ(fx.At(8, 1, 0, 1).upNote, 3);
    EXPECT_EQ(fx.At(8, 1, 0, 1).Note, 4);
    EXPECT_EQ(fx.At(9, 1, 0, 1).Note, 63);
    EXPECT_EQ(fx.At(0, 1, 0, 0).Note, 32); // layer 0 untouched
}

TEST(ScorePicture, MistakesFailLoudlyAndTheFixtureRestoresTheCurrentScore) {
    TMainScore* before = frmMainTQ;
    {
        TScoreFixture fx(3, 2);
        EXPECT_EQ(frmMainTQ, &fx.Score());
        EXPECT_THROW(fx.Row(0, "1 2 3 4"), std::invalid_argument);
        const char* bad[] = {"9", "W:", "W:x", "&Q", "\"open", "1{ul}", "1{what=2}", "S:1/2/3/4", "T:3", "1?"};
        for (const char* token : bad)
            EXPECT_THROW(TScoreFixture::Cell(token), std::invalid_argument) << token;
        EXPECT_THROW(fx.At(3, 3), std::out_of_range);
        CurLayer = 1;
    }
    EXPECT_EQ(frmMainTQ, before);
    EXPECT_EQ(CurLayer, 0);
}
