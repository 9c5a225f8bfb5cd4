// Building blocks of the play list: tuplet factors, note slots, items, held notes,
// the time signature above the first staff.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

TPNote N(int octave, int pitch, int length = 640, int channel = 0) {
    return {static_cast<int8_t>(octave), static_cast<int8_t>(pitch), 100, length, static_cast<int8_t>(channel), 0, 0};
}

TPlayItem Item(std::initializer_list<TPNote> notes, int duration) {
    TPlayItem it;
    int i = 0;
    for (const TPNote& n : notes)
        it.Notes[i++] = n;
    it.Duration = duration;
    it.Volume = 127;
    it.Col = 1;
    return it;
}

TEST(PlayBlocksTest, TupletFactors) {
    const struct {
        int count;
        float factor;
    } cases[] = {{2, 1.25f}, {3, 2.0f / 3}, {4, 1.125f},        {5, 0.8f},   {6, 0.6667f}, {7, 4.0f / 7},
                 {8, 1.0f},  {9, 8.0f / 9}, {12, 0.6667f},    {16, 1.0f},  {17, 16.0f / 17}, {20, 0.8f},
                 {0, 1.0f},  {1, 1.0f},   {-3, 1.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(TupletFactor(c.count), c.factor, 1e-4) << c.count;
}

TEST(PlayBlocksTest, NoteSlots) {
    TPlayItem full;
    for (int i = 0; i < kPlayNoteSlots; ++i)
        full.Notes[i] = N(0, i % 12, 640, i / 12);
    const TPlayItem before = full;
    AppendNote(full, N(1, 1));
    EXPECT_EQ(full, before) << "a full item changes";

    TPlayItem nearly = full;
    nearly.Notes[31].Pitch = -1;
    AppendNote(nearly, N(3, 3));
    EXPECT_EQ(nearly.Notes[31], N(3, 3));
    EXPECT_EQ(NoteCount(nearly), 32);

    TPlayItem a = Item({N(0, 0), N(0, 4)}, 640);
    AppendNote(a, N(0, 7));
    EXPECT_EQ(NoteCount(a), 3);
    EXPECT_EQ(a.Notes[3].Pitch, -1);
    EXPECT_TRUE(ItemHasNote(a, N(0, 4, 1)));
    EXPECT_FALSE(ItemHasNote(a, N(0, 4, 640, 1))) << "another channel";
    EXPECT_EQ(FindNoteIndex(a, N(0, 7)), 2);

    SetNotesLength(a, Item({N(0, 4), N(2, 2)}, 0), 99);
    EXPECT_EQ(a.Notes[1].Length, 99);
    EXPECT_EQ(a.Notes[0].Length, 640);
    a.Notes[2].Channel = 3;
    a.Duration = 320;
    SetLengthsToStep(a, 3);
    EXPECT_EQ(a.Notes[2].Length, 320);
    EXPECT_EQ(a.Notes[0].Length, 640);
    SetLengthsToStep(a, -1);
    EXPECT_EQ(a.Notes[0].Length, 320);

    TPlayItem m = Item({N(0, 0)}, 640);
    MergeNotes(m, Item({N(1, 1), N(1, 2)}, 0));
    EXPECT_EQ(NoteCount(m), 3);
    EXPECT_EQ(m.Notes[2], N(1, 2));
    TPlayItem f = nearly; // all 32 used: no free slot among 0..30
    MergeNotes(f, Item({N(4, 4)}, 0));
    EXPECT_EQ(f, nearly);

    TPlayItem c = Item({N(0, 5, 700)}, 640);
    c.Notes[1] = N(0, 6, 3);
    c.Notes[2] = N(0, 7, 500);
    ClampStepToShortestNote(c);
    EXPECT_EQ(c.Duration, 500) << "lengths of 5 or less do not count";
}

TEST(PlayBlocksTest, MergingListsWithAStride) {
    std::vector<TPlayItem> dest(4, Item({N(0, 0)}, 640));
    const std::vector<TPlayItem> src = {Item({N(1, 1)}, 320), Item({N(1, 2)}, 320), Item({N(1, 3)}, 320)};
    MergeListStrided(dest, 1, src, 2);
    ASSERT_EQ(dest.size(), 5u);
    EXPECT_EQ(NoteCount(dest[0]), 1);
    EXPECT_EQ(dest[1].Notes[1], N(1, 1));
    EXPECT_EQ(NoteCount(dest[2]), 1);
    EXPECT_EQ(dest[3].Notes[1], N(1, 2));
    EXPECT_EQ(dest[4], src[2]) << "not merged: appended";

    std::vector<TPlayItem> list(3, Item({N(0, 0)}, 640));
    MergeNotesFrom(list, 1, Item({N(2, 2)}, 0));
    EXPECT_EQ(NoteCount(list[0]), 1);
    EXPECT_EQ(NoteCount(list[1]), 2);
    EXPECT_EQ(NoteCount(list[2]), 2);
}

TEST(PlayBlocksTest, AddingItems) {
    TScoreFixture fx(8, 4);
    fx.Score().CurPage = 0;
    TPlayState play;
    play.Echo = 1;
    int echoes = 0;
    play.OnEcho = [&](const TPlayItem&) { ++echoes; };
    TPlayItem quiet = Item({N(0, 0)}, 640);
    quiet.Volume = 60;
    play.AddPlayItem(quiet, true);
    TPlayItem noCell = quiet;
    noCell.Col = -1;
    play.AddPlayItem(noCell, true);
    play.AddPlayItem(quiet, false);
    ASSERT_EQ(play.PlayList.size(), 3u);
    EXPECT_EQ(play.PlayList[0].Volume, 127);
    EXPECT_EQ(play.PlayList[0].Hold, 1);
    EXPECT_EQ(play.PlayList[1].Volume, 60);
    EXPECT_EQ(play.PlayList[2].Volume, 60);
    EXPECT_EQ(echoes, 1);

    play.RowOverride = 3;
    fx.At(2, 1).Note = 0x141;
    play.AddRefreshItem(2, 1);
    play.AddRefreshItem(5, 1); // the last item is a refresh already
    ASSERT_EQ(play.PlayList.size(), 4u);
    const TPlayItem& r = play.PlayList.back();
    EXPECT_EQ(r.Kind, pkKeyboard);
    EXPECT_EQ(r.Col, 2);
    EXPECT_EQ(r.Row, 3) << "row override";
    EXPECT_EQ(r.Hold, 0x41);
    EXPECT_EQ(NoteCount(r), 0);
}

TEST(PlayBlocksTest, HeldNotesAreReleasedWhenTheirTimeComes) {
    TScoreFixture fx(8, 4);
    // A half note on staff 0 against eighths on staff 1, merged step by step.
    for (bool struckAgain : {false, true}) {
        SCOPED_TRACE(struckAgain);
        TPlayState play;
        std::vector<TPlayItem> steps = {Item({N(0, 0, 2560, 0), N(0, 4, 640, 1)}, 2560),
                                        Item({N(0, 5, 640, 1)}, 640), Item({N(0, 7, 640, 1)}, 640),
                                        Item({N(0, 9, 640, 1)}, 640)};
        if (struckAgain)
            steps[3].Notes[1] = N(0, 0, 640, 0);
        for (TPlayItem& s : steps) {
            play.ProcessHeldNotes(s);
            play.AddPlayItem(s, true);
        }
        EXPECT_EQ(play.PlayList[0].Duration, 640);
        EXPECT_EQ(play.PlayTime, 2560);
        EXPECT_TRUE(play.SoundingNotes.empty());
        if (struckAgain) {
            EXPECT_EQ(play.PlayList.size(), 4u);
            continue;
        }
        // the release comes after the step that reaches the half note's end
        ASSERT_EQ(play.PlayList.size(), 5u);
        const TPlayItem& rel = play.PlayList[3];
        EXPECT_EQ(rel.Kind, pkNotes);
        EXPECT_EQ(rel.Duration, -1);
        EXPECT_EQ(rel.Col, -1);
        EXPECT_EQ(rel.Row, -1);
        EXPECT_EQ(NoteCount(rel), 1);
        EXPECT_EQ(rel.Notes[0].Pitch, 0);
        EXPECT_EQ(rel.Notes[0].Length, -1);
    }
    // What is still held at the end is released in order.
    TPlayState play;
    TPlayItem s = Item({N(0, 0, 3000), N(0, 2, 2000), N(0, 4, 640)}, 3000);
    play.ProcessHeldNotes(s);
    play.FlushHeldNotes();
    ASSERT_EQ(play.PlayList.size(), 2u);
    EXPECT_EQ(play.PlayList[0].Notes[0].Pitch, 2);
    EXPECT_EQ(play.PlayList[1].Notes[0].Pitch, 0);
}

TEST(PlayBlocksTest, TimeSignatureAboveTheFirstStaff) {
    TScoreFixture fx(8, 6);
    TPlayState play;
    GroupRows.clear();
    TGroupData g;
    g.row = 3;
    GroupRows.push_back(g);
    play.FindTimeSignature();
    EXPECT_EQ(play.TimeSigNum * 10 + play.TimeSigDen, 44);
    fx.Row(5, "~ T:2/2"); // below the staff: not read
    fx.Row(1, "~ ~ T:3/8");
    fx.Row(0, "~ ~ ~ T:6/8");
    play.FindTimeSignature();
    EXPECT_EQ(play.TimeSigNum, 3);
    EXPECT_EQ(play.TimeSigDen, 8);
    GroupRows.clear();
}

} // namespace

namespace {

TEST(PlayBlocksTest, StavesAndStart) {
    TScoreFixture fx(10, 12);
    fx.Row(3, "&G W:3@0 W:3@0 W:3@0");
    fx.Row(4, "&F W:3@0 W:3@0 W:3@0");
    fx.Row(8, "1 2 3 4 5 6 |");
    TPlayState play;
    // the cursor below every staff: nothing to play
    fx.Score().SelRow0 = 10;
    EXPECT_FALSE(play.FindStartRow());
    // Western checked: the first Western staff at or below the cursor
    fx.Score().SelRow0 = 0;
    fx.Score().SelCol0 = 2;
    play.PlayWest = true;
    ASSERT_TRUE(play.FindStartRow());
    EXPECT_EQ(play.StartRow, 3);
    EXPECT_EQ(play.StartCol, 2);
    // Jianpu checked: the Jianpu row
    play.PlayWest = false;
    ASSERT_TRUE(play.FindStartRow());
    EXPECT_EQ(play.StartRow, 8);
    // "Current Staff" follows the cursor row's notation
    play.PlayRule = prCurrentStaff;
    fx.Score().SelRow0 = 4;
    ASSERT_TRUE(play.FindStartRow());
    EXPECT_TRUE(play.PlayWest);
    EXPECT_EQ(play.StartRow, 4);
    // a comment staff (clef playDur bit 32) is no candidate
    fx.At(0, 3).playDur = 32;
    fx.At(0, 4).playDur = 32;
    play.PlayRule = prAllStaffs;
    play.PlayWest = true;
    fx.Score().SelRow0 = 0;
    ASSERT_TRUE(play.FindStartRow());
    EXPECT_FALSE(play.PlayWest) << "the only candidate is Jianpu";
    EXPECT_EQ(play.StartRow, 8);

    // Highlight margins and heights from a group of two staves.
    TGroupData a, b;
    a.row = 3;
    b.row = 6;
    a.markEndRow = 6;
    GroupRows = {a, b};
    play.ComputeHighlightMargins();
    EXPECT_EQ(play.HighlightAbove, 2) << "no Jianpu row above";
    EXPECT_EQ(play.HighlightBelow, 0) << "(8 - 6 - 1) / 2";
    for (auto [rule, expected] : {std::pair{prAllStaffs, 3}, {prGroupStaff, 3}, {prCurrentStaff, 1}}) {
        play.PlayRule = rule;
        play.PlayList.clear();
        int height = 1;
        play.EmitHighlightHeight(height);
        EXPECT_EQ(height, expected);
        EXPECT_EQ(play.PlayList.size(), expected == 1 ? 0u : 1u);
    }
    play.PlayRule = prAllStaffs;
    play.MainHighlightOneRow = [] { return true; };
    int height = 3;
    play.EmitHighlightHeight(height);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(play.PlayList.back().Kind, pkHighlight);
    EXPECT_EQ(play.PlayList.back().Duration, 1);

    EXPECT_TRUE(play.ColumnHasNote(1));
    EXPECT_FALSE(play.ColumnHasNote(5));

    // Group starts and the first staff by rule.
    GroupRows[0].markCount = 1;
    GroupRows[1].markCount = 1;
    play.PlayRule = prGroupStaff;
    EXPECT_EQ(play.GroupStartRow(1), 3);
    play.PlayRule = prCurrentStaff;
    EXPECT_EQ(play.GroupStartRow(1), 6);

    // Octave flags of the staff's clef.
    GroupRows[1].displayBits = 0x80;
    std::vector<TPlayItem> list(2, Item({N(0, 0), N(1, 4)}, 640));
    list[1].Volume = 0;
    play.ShiftStaffOctave(list, 1);
    EXPECT_EQ(list[0].Notes[0].Octave, -1);
    EXPECT_EQ(list[0].Notes[1].Octave, 0);
    EXPECT_EQ(list[1].Notes[0].Octave, 0) << "a silent item stays";
    GroupRows.clear();
}

} // namespace

namespace {

TEST(PlayBlocksTest, SmallNotesOfOneCell) {
    TScoreFixture fx(10, 6);
    TPlayState play;
    play.StartRow = 1;
    TPlayItem before;
    before.Duration = 1280;
    before.Notes[0] = N(0, 0, 1280);
    play.PlayList = {before};
    play.ActiveTuplet[3].Left = 2;

    TCell jianpu = TScoreFixture::Cell("1");
    const int dot = static_cast<int8_t>(0xB7), dash = static_cast<int8_t>(0x96);
    jianpu.CompressNotes = {{'1', 1, 0, 0, 0, 0}, {dot, 0, 0, 0, 0, 0}, {'2', 1, 1, 0, 0, 0},
                            {dash, 1, 0, 0, 0, 0}, {'0', 1, 0, 0, 0, 0}, {'5', 2, 0, 0, 0, 0}};
    std::vector<TPlayItem> list;
    play.CompressedCellToItems(jianpu, 4, list, 3);
    // the dot before '2' lengthens the play list's last item by half (1920), the
    // dash before '5' by its whole length again
    EXPECT_EQ(play.PlayList.back().Duration, 3840);
    EXPECT_EQ(play.PlayList.back().Notes[0].Length, 3840);
    // limit 2, one more for the dot: '1', '2', the dash; then '0' and '5' wait
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Duration, 640);
    EXPECT_EQ(list[0].Notes[0].Channel, 3);
    EXPECT_EQ(list[0].Col, 4);
    EXPECT_EQ(list[0].Row, 1);
    EXPECT_EQ(list[1].Notes[0].Pitch, 2);
    EXPECT_EQ(list[1].Notes[0].Octave, 1);
    EXPECT_EQ(list[2].Notes[0].Pitch, 2) << "a dash holds the previous pitch";
    EXPECT_EQ(play.GraceDashes + play.GraceDots, 0);
    ASSERT_EQ(play.ShrinkRecs[3].Items.size(), 2u);
    EXPECT_EQ(play.ShrinkRecs[3].Col, 4);
    EXPECT_EQ(play.ShrinkRecs[3].Items[0].Notes[0].Volume, 0) << "'0' is a silent slot";
    EXPECT_EQ(play.ShrinkRecs[3].Items[1].Duration, 320);
    EXPECT_EQ(play.ActiveTuplet[3].Left, 0);

    TCell west = TScoreFixture::Cell("W:4@6");
    west.CompressNotes = {{4, 6, 0, 0, 0, 0}, {4, 4, 0, 0, 0, 0}, {32, 0, 0, 0, 0, 0}};
    play.CurClef = -1;
    list.clear();
    play.CompressedCellToItems(west, 2, list, 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Duration, 640);
    EXPECT_EQ(list[0].Notes[0].Pitch, 0);
    EXPECT_EQ(list[1].Notes[0].Pitch, 4);
    EXPECT_EQ(NoteCount(list[1]), 1);

    play.CompressedCellToItems(TScoreFixture::Cell("1"), 2, list, 0);
    EXPECT_EQ(list.size(), 2u) << "no small notes: nothing";
}

} // namespace
