// The passes worked in while the play list is built: ornaments, arpeggios,
// pedal, three against two, syncopation.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

TPlayItem Chord(std::initializer_list<std::pair<int, int>> notes, int duration) {
    TPlayItem item;
    int k = 0;
    for (auto [octave, pitch] : notes) {
        item.Notes[k].Octave = static_cast<int8_t>(octave);
        item.Notes[k].Pitch = static_cast<int8_t>(pitch);
        item.Notes[k].Length = duration;
        item.Notes[k].Volume = 100;
        ++k;
    }
    item.Notes[k].Pitch = -1;
    item.Duration = duration;
    item.Volume = 127;
    return item;
}

std::vector<int> Durations(const std::vector<TPlayItem>& list) {
    std::vector<int> r;
    for (const TPlayItem& i : list)
        r.push_back(i.Duration);
    return r;
}

class PlayPassTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GroupRows.clear();
        frmPlay = &play_;
        play_.PlayRule = prAllStaffs;
        play_.PlayWest = true;
    }
    void TearDown() override {
        GroupRows.clear();
        frmPlay = nullptr;
    }
    TPlayState play_;
};

TEST_F(PlayPassTest, OrnamentFigures) {
    TScoreFixture fx(8, 4);
    struct Case {
        int kind;
        int duration;
        std::vector<int> expected;
        std::vector<int> pitches;
    } cases[] = {
        {4, 1280, {160, 160, 960}, {2, 4, 2}},      // upper mordent over D
        {3, 1280, {160, 160, 960}, {2, 0, 2}},      // lower mordent
        {6, 1280, {160, 160, 160, 160, 640}, {2, 4, 2, 4, 2}},
        {8, 400, {100, 100, 100, 100}, {4, 2, 0, 2}}, // turn: upper, main, lower, main
        {8, 1280, {150, 150, 150, 830}, {4, 2, 0, 2}},
        {7, 1280, {150, 150, 150, 830}, {0, 2, 4, 2}},
    };
    for (const Case& c : cases) {
        std::vector<TPlayItem> list{Chord({{0, 2}}, c.duration)};
        TTrillRec rec;
        rec.Kind = c.kind;
        rec.Staff = -1;
        ASSERT_TRUE(play_.ExpandOrnament(rec, list)) << c.kind;
        EXPECT_EQ(Durations(list), c.expected) << c.kind << " on " << c.duration;
        std::vector<int> pitches;
        for (const TPlayItem& i : list)
            pitches.push_back(i.Notes[0].Pitch);
        EXPECT_EQ(pitches, c.pitches) << c.kind;
    }
    // Shorter than 20 units (a quarter of it below 5): no figure, the item as it was.
    for (int kind : {4, 3, 6, 8, 7}) {
        for (int duration : {19, 12}) {
            std::vector<TPlayItem> tiny{Chord({{0, 2}}, duration)};
            const TPlayItem before = tiny[0];
            TTrillRec rec;
            rec.Kind = kind;
            rec.Staff = -1;
            EXPECT_FALSE(play_.ExpandOrnament(rec, tiny)) << kind << " on " << duration;
            ASSERT_EQ(tiny.size(), 1u) << kind << " on " << duration;
            EXPECT_EQ(tiny[0], before) << kind << " on " << duration;
        }
    }
}

TEST_F(PlayPassTest, TrillFillsTheNote) {
    TScoreFixture fx(8, 4);
    std::vector<TPlayItem> list{Chord({{0, 0}}, 1280)};
    TTrillRec rec;
    rec.Kind = 1;
    rec.Staff = -1;
    rec.Item = list.back();
    rec.Item.Col = 1;
    rec.Item.Row = 1;
    ASSERT_TRUE(play_.ExpandTrill(rec, list));
    EXPECT_EQ(Durations(list), (std::vector<int>(8, 160))) << "32nds filling the quarter exactly";
    std::vector<int> pitches;
    for (const TPlayItem& i : list)
        pitches.push_back(i.Notes[0].Pitch);
    EXPECT_EQ(pitches, (std::vector<int>{0, 2, 0, 2, 0, 2, 0, 2}));
    EXPECT_EQ(NoteCount(list[0]), 1) << "the main note opens the figure alone";
    EXPECT_EQ(rec.Kind, 0);
    EXPECT_TRUE(play_.PendingNotes.empty());
}

TEST_F(PlayPassTest, NeighbourNotesByTheKeysScale) {
    play_.CurKeyCode = 0;
    struct Case {
        bool upper;
        int pitch;
        uint32_t attr;
        int keyCode;
        int expPitch;
        int expOctave;
    } cases[] = {
        {true, 4, 0, 0, 5, 0},   // E -> F in C
        {true, 11, 0, 0, 0, 1},  // B -> C above
        {false, 0, 0, 0, 11, -1}, // C -> B below
        {true, 2, 2, 0, 3, 0},   // a flat on the sign over D: E flat
        {true, 4, 1, 0, 6, 0},   // a sharp widens the half step E-F
        {true, 6, 0, 1, 7, 0},   // F sharp in G: half step to G
        {false, 7, 0, 1, 6, 0},  // G in G: down to F sharp
        {true, 3, 0, 20, 4, 0},  // unknown key: half steps
    };
    for (const Case& c : cases) {
        play_.CurKeyCode = c.keyCode;
        TPNote note;
        note.Pitch = static_cast<int8_t>(c.pitch);
        TPNote out;
        if (c.upper)
            play_.UpperAuxNote(true, out, note, c.attr);
        else
            play_.LowerAuxNote(true, out, note, c.attr);
        EXPECT_EQ(out.Pitch, c.expPitch) << c.pitch << " key " << c.keyCode;
        EXPECT_EQ(out.Octave, c.expOctave) << c.pitch;
    }
}

TEST_F(PlayPassTest, Arpeggios) {
    TScoreFixture fx(8, 4);
    struct Case {
        std::initializer_list<std::pair<int, int>> notes;
        int duration;
        int kind;
        std::vector<int> durations;
        std::vector<int> lengths;
        std::vector<int> pitches;
    } cases[] = {
        // every note held to the chord's end
        {{{0, 0}, {0, 4}, {0, 7}}, 1280, 10, {200, 200, 880}, {1280, 1080, 880}, {0, 4, 7}},
        {{{0, 7}, {0, 4}, {0, 0}}, 1280, 10, {200, 200, 880}, {1280, 1080, 880}, {0, 4, 7}},
        {{{0, 0}, {0, 4}, {0, 7}}, 1280, 11, {200, 200, 880}, {1280, 1080, 880}, {7, 4, 0}},
        {{{0, 0}, {0, 4}}, 320, 10, {160, 160}, {320, 160}, {0, 4}},
    };
    for (const Case& c : cases) {
        TTrillRec rec;
        rec.Kind = c.kind;
        rec.Item = Chord(c.notes, c.duration);
        play_.PlayList = {rec.Item};
        std::vector<TPlayItem> out;
        play_.ExpandArpeggio(0, rec, out);
        EXPECT_EQ(Durations(out), c.durations);
        std::vector<int> lengths, pitches;
        for (const TPlayItem& i : out) {
            lengths.push_back(i.Notes[0].Length);
            pitches.push_back(i.Notes[0].Pitch);
            EXPECT_EQ(NoteCount(i), 1);
        }
        EXPECT_EQ(lengths, c.lengths);
        EXPECT_EQ(pitches, c.pitches);
    }
    // A single note plays as written.
    TTrillRec one;
    one.Kind = 10;
    one.Item = Chord({{0, 0}}, 1280);
    std::vector<TPlayItem> out;
    play_.ExpandArpeggio(0, one, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(one.Kind, 0);
}

TEST_F(PlayPassTest, ArpeggioMarkInAScore) {
    TScoreFixture fx(10, 6);
    fx.Row(1, "&G W:3@2+2+2{mark=25} W:3@0 |");
    fx.Score().SelRow0 = 1;
    fx.Score().SelCol0 = 1;
    ASSERT_TRUE(play_.BuildPlayList(false));
    std::vector<int> starts;
    for (const TPlayItem& i : play_.PlayList)
        if (i.Kind == pkNotes && i.Col == 1 && i.Duration > 0)
            starts.push_back(i.Duration);
    EXPECT_EQ(starts, (std::vector<int>{200, 200, 880}));
}

TEST_F(PlayPassTest, Pedal) {
    TScoreFixture fx(10, 6);
    fx.Row(1, "&G W:3@0 W:3@1 W:3@2 W:3@3 |");
    fx.Row(2, "~ S:86 ~ ~ S:87");
    auto pedalItems = [&] {
        int n = 0;
        for (const TPlayItem& i : play_.PlayList)
            n += i.Kind == pkNotes && i.Col >= 0 && i.Duration == 0 && i.Volume == 0 && i.Notes[0].Pitch != -1;
        return n;
    };
    fx.Score().SelRow0 = 1;
    play_.IgnorePad = true;
    ASSERT_TRUE(play_.BuildPlayList(false));
    EXPECT_EQ(pedalItems(), 0);
    for (const TPlayItem& i : play_.PlayList)
        if (i.Kind == pkNotes) {
            EXPECT_EQ(i.Hold, 0);
        }
    play_.IgnorePad = false;
    ASSERT_TRUE(play_.BuildPlayList(false));
    EXPECT_EQ(pedalItems(), 1) << "the pedal up carries the notes held";
    int held = 0;
    for (const TPlayItem& i : play_.PlayList)
        held += i.Kind == pkNotes && i.Col >= 1 && i.Col <= 3 && i.Hold == 1;
    EXPECT_EQ(held, 3);
    // More than 32 notes at one change: two items.
    play_.PlayList.clear();
    play_.PedalNotes.assign(33, TPNote{0, 1, 100, 640, 0, 0, 0});
    play_.FlushPedalNotes(4);
    ASSERT_EQ(play_.PlayList.size(), 2u);
    EXPECT_EQ(NoteCount(play_.PlayList[0]), 32);
    EXPECT_EQ(NoteCount(play_.PlayList[1]), 1);
    EXPECT_TRUE(play_.PedalNotes.empty());
}

TEST_F(PlayPassTest, ThreeAgainstTwo) {
    TScoreFixture fx(10, 6);
    fx.Row(1, "&G{mark=54191118,jEnd=3} W:4@0{mark=56,iEnd=3} W:4@1 W:4@2 |");
    fx.Row(3, "&F W:4@0 ~ W:4@2 |");
    fx.Score().SelRow0 = 1;
    ASSERT_TRUE(play_.BuildPlayList(false));
    std::vector<std::pair<int, int>> order; // (column, channel) of each sounding note item
    for (const TPlayItem& i : play_.PlayList)
        if (i.Kind == pkNotes && i.Col >= 1 && i.Duration > 0 && i.Notes[0].Pitch != -1)
            order.push_back({i.Col, i.Notes[0].Channel});
    // The pair's second note comes between the triplet's second and third.
    const std::vector<std::pair<int, int>> expected{{1, 0}, {2, 0}, {3, 1}, {3, 0}};
    EXPECT_EQ(order, expected);
    // One staff alone: left in lockstep.
    TScoreFixture one(10, 6);
    one.Row(1, "&G W:4@0{mark=56,iEnd=3} W:4@1 W:4@2 |");
    one.Score().SelRow0 = 1;
    ASSERT_TRUE(play_.BuildPlayList(false));
    EXPECT_LT(play_.Triplet.StartCol, 0);
}

TEST_F(PlayPassTest, Syncopation) {
    // Jianpu staves: no bar counter evens the steps out again.
    auto build = [&](const char* lower) {
        TScoreFixture fx(24, 6);
        fx.Row(1, "\"1=C\"{mark=54191118,jEnd=3} ~ 1_ ~ 2 ~ 3_ ~ | 1 2 3 4 | 1 2 3 4 |");
        fx.Row(3, lower);
        fx.Score().SelRow0 = 1;
        play_.PlayWest = false;
        EXPECT_TRUE(play_.BuildPlayList(false));
        int d = -1;
        for (const TPlayItem& i : play_.PlayList)
            if (i.Kind == pkNotes && i.Col == 4 && i.Duration > 0)
                d = i.Duration;
        return d;
    };
    EXPECT_EQ(build("~ ~ 5_ ~ 6_ ~ 7 ~ | 1 2 3 4 | 1 2 3 4 |"), 1280) << "the step before the last doubles";
    EXPECT_EQ(build("~ ~ 5_ 5_ 6_ ~ 7 ~ | 1 2 3 4 | 1 2 3 4 |"), 640) << "another rhythm below: unchanged";
    EXPECT_EQ(build("~ ~ 5_ ~ 6 ~ 7_ ~ | 1 2 3 4 | 1 2 3 4 |"), 1280) << "the same figure: the quarter step stays";
}

TEST_F(PlayPassTest, CellBuilderDispatch) {
    TScoreFixture fx(12, 6);
    fx.Row(1, "\"1=C\" 1 5 - | ~ ~ ~");
    TGroupData g;
    g.row = 1;
    GroupRows = {g};
    play_.PlayWest = false;
    // A compressed cell of four small notes: two at its column, the third merged
    // into the next note's item, the fourth an item of its own; a dash releases nothing.
    TCell& shrunk = fx.At(1, 1);
    shrunk.Attr = 0xA0;
    shrunk.CompressNotes = {{'1', 2, 0, 0, 0, 0}, {'2', 2, 0, 0, 0, 0}, {'3', 2, 0, 0, 0, 0}, {'4', 2, 0, 0, 0, 0}};
    std::vector<TPlayItem> col1, col2, col3;
    play_.BuildStaffCellItems(1, 1, col1, 0, false);
    ASSERT_EQ(col1.size(), 3u);
    EXPECT_EQ(col1[0].Notes[0].Pitch, 0);
    EXPECT_EQ(col1[1].Notes[0].Pitch, 2);
    EXPECT_EQ(NoteCount(col1[2]), 0) << "the cell's own item holds no note";
    ASSERT_EQ(play_.ShrinkRecs[0].Items.size(), 2u);
    play_.BuildStaffCellItems(2, 1, col2, 0, false);
    ASSERT_EQ(col2.size(), 2u);
    EXPECT_EQ(NoteCount(col2[0]), 2);
    EXPECT_EQ(col2[0].Notes[0].Pitch, 7) << "the column's own note first";
    EXPECT_EQ(col2[0].Notes[1].Pitch, 4) << "then the third small note";
    EXPECT_EQ(col2[1].Notes[0].Pitch, 5);
    EXPECT_EQ(play_.ShrinkRecs[0].Col, -1);
    play_.ShrinkRecs[0].Items = {col1[0]};
    play_.ShrinkRecs[0].Col = 2;
    EXPECT_TRUE(play_.BuildStaffCellItems(3, 1, col3, 0, false));
    EXPECT_TRUE(col3.empty()) << "a dash builds nothing and releases nothing";

    // Other cells: a bar line forgets the bar's accidentals, a sharp symbol is
    // remembered, a Western whole-bar rest and a blank build nothing, a time
    // signature adds its item.
    play_.PlayList.clear();
    play_.MeasureAccidentals[0] = {{1, 3, -1}};
    std::vector<TPlayItem> out;
    EXPECT_FALSE(play_.BuildStaffCellItems(4, 1, out, 0, false));
    EXPECT_TRUE(play_.MeasureAccidentals[0].empty());
    fx.At(5, 1) = TScoreFixture::Cell("S:14{y=2}");
    play_.CurClef = -1;
    play_.BuildStaffCellItems(5, 1, out, 0, false);
    ASSERT_EQ(play_.MeasureAccidentals[0].size(), 1u);
    EXPECT_EQ(play_.MeasureAccidentals[0][0], (TMeasureAlterater{1, 2, -1}));
    fx.At(6, 1) = TScoreFixture::Cell("W:20");
    EXPECT_FALSE(play_.BuildStaffCellItems(6, 1, out, 0, false));
    fx.At(6, 1) = TScoreFixture::Cell("T:6/8");
    EXPECT_FALSE(play_.BuildStaffCellItems(6, 1, out, 0, false));
    ASSERT_EQ(play_.PlayList.size(), 1u);
    EXPECT_EQ(play_.PlayList[0].Kind, pkTimeSig);
    EXPECT_EQ(play_.PlayList[0].Volume, 6);
    EXPECT_EQ(play_.PlayList[0].Duration, 8);
    EXPECT_TRUE(out.empty());

    // The split column of the group-wide tuplet scan: the scan's level on the
    // first walk, the other notes on the second.
    fx.At(7, 1) = TScoreFixture::Cell("3_");
    fx.At(8, 1) = TScoreFixture::Cell("3");
    play_.TupletScanSplit = 7;
    play_.TupletScanLevel = 0;
    play_.TupletScanEnd = 9;
    struct Split {
        int state;
        int column;
        int split;
        bool built;
    } splits[] = {{2, 7, 7, false}, {3, 7, 7, true}, {2, 8, 8, true}, {3, 8, 8, false}, {0, 7, 7, true}};
    for (const Split& sp : splits) {
        play_.TupletScanState = static_cast<int16_t>(sp.state);
        play_.TupletScanSplit = static_cast<int16_t>(sp.split);
        std::vector<TPlayItem> items;
        EXPECT_EQ(play_.BuildStaffCellItems(sp.column, 1, items, 0, false), sp.built) << sp.state << "@" << sp.column;
    }
    play_.TupletScanState = 0;
}

TEST_F(PlayPassTest, JianpuTripletRuns) {
    struct Case {
        const char* row;
        bool taken;
    } cases[] = {
        {"~ ~ 1_ 2_ 3_ ~ 5", true},
        {"~ ~ 1_ 2_ 3_ 4_ 5_ 6_ ~ 5", true},
        {"~ ~ 1_ 2_ 3_ 4_ ~ 5", false},
        {"~ ~ 1_ 2_ 3_ 4_ 5_ ~ 5", false},
        {"~ ~ 1_ 2 3_ ~ 5", false},
    };
    for (const Case& c : cases) {
        TScoreFixture fx(12, 4);
        fx.Row(1, c.row);
        TGroupData g;
        g.row = 1;
        GroupRows = {g};
        play_.ActiveTuplet[0] = TTupletRec();
        play_.PendingTuplet[0] = {1, 3, TupletFactor(3), 1};
        play_.TryActivateTuplet(2, 1, 0);
        EXPECT_EQ(play_.ActiveTuplet[0].Left > 0, c.taken) << c.row;
    }
}

} // namespace
