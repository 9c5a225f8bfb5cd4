// Building the play list from whole scores: merge, bar rhythm, list items, dump.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// Brace joining a staff row to the row given.
std::string Brace(int toRow) { return "&G{mark=54191118,jEnd=" + std::to_string(toRow) + "}"; }

class PlayBuildTest : public ::testing::Test {
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
    // Sounding note items (kind 0 with a cell) in order.
    std::vector<TPlayItem> Notes() const {
        std::vector<TPlayItem> r;
        for (const TPlayItem& i : play_.PlayList)
            if (i.Kind == pkNotes && i.Col >= 0 && i.Volume > 0 && i.Notes[0].Pitch != -1)
                r.push_back(i);
        return r;
    }
    std::vector<int> Durations() const {
        std::vector<int> r;
        for (const TPlayItem& i : Notes())
            r.push_back(i.Duration);
        return r;
    }
    int CountKind(int kind) const {
        int n = 0;
        for (const TPlayItem& i : play_.PlayList)
            n += i.Kind == kind;
        return n;
    }
    static void Cursor(TScoreFixture& fx, int col, int row) {
        fx.Score().SelCol0 = fx.Score().SelCol1 = col;
        fx.Score().SelRow0 = fx.Score().SelRow1 = row;
    }
    TPlayState play_;
};

TEST_F(PlayBuildTest, StaffMerge) {
    TScoreFixture fx(12, 8);
    fx.Row(1, Brace(3) + " W:3@0 ~ W:3@1 W:22 |");
    fx.Row(3, "&F W:4@0 W:4@1 W:3@2 W:3@3 |");
    Cursor(fx, 3, 3);
    ASSERT_TRUE(play_.BuildPlayList(false));
    const auto notes = Notes();
    ASSERT_GE(notes.size(), 4u);
    EXPECT_EQ(NoteCount(notes[0]), 2) << "both starting notes share the first step";
    EXPECT_EQ(notes[0].Duration, 640);
    EXPECT_EQ(notes[0].Notes[1].Channel, 1);
    EXPECT_EQ(notes[1].Col, 2) << "the second eighth is a step of its own";
    EXPECT_EQ(NoteCount(notes[1]), 1);
    EXPECT_EQ(notes[3].Col, 4);
    EXPECT_EQ(notes[3].Kind, pkNotes) << "a rest over a note keeps the note's kind";
    // The start index is the first item of the cursor's column, whichever staff made it.
    ASSERT_GE(play_.StartIndex, 0);
    EXPECT_EQ(play_.PlayList[static_cast<size_t>(play_.StartIndex)].Col, 3);
    EXPECT_EQ(play_.PlayList[static_cast<size_t>(play_.StartIndex)].Kind, pkNotes);
}

TEST_F(PlayBuildTest, CurrentStaffSoundsOneStaffButEveryStaffsSettings) {
    TScoreFixture fx(12, 8);
    fx.Row(1, Brace(3) + " W:3@0 W:3@1 |");
    fx.Row(3, "&F T:3/4{type=9,note=4,up=3} W:3@0 W:3@1 |");
    fx.At(1, 3) = TScoreFixture::Cell("T:3/4");
    fx.At(2, 3) = TScoreFixture::Cell("~{type=12,note=146,up=40}");
    play_.PlayRule = prCurrentStaff;
    Cursor(fx, 2, 1);
    ASSERT_TRUE(play_.BuildPlayList(false));
    for (const TPlayItem& i : Notes())
        for (int k = 0; k < NoteCount(i); ++k)
            EXPECT_EQ(i.Notes[k].Channel, 0);
    EXPECT_EQ(CountKind(pkTimeSig), 1);
    EXPECT_EQ(play_.TimeSigNum, 3);
    bool channel1 = false;
    for (const TPlayItem& i : play_.PlayList)
        channel1 |= i.Kind == pkInstrument && i.Duration == 40 && i.Notes[0].Channel == 1;
    EXPECT_TRUE(channel1);
}

TEST_F(PlayBuildTest, BarRhythmAcrossStaves) {
    {
        // Half note against four eighths: every onset gets an eighth.
        TScoreFixture fx(12, 8);
        fx.Row(1, Brace(3) + " W:2@0 W:4@1{type=8,note=32} ~ ~ |");
        fx.At(2, 1) = TScoreFixture::Cell("~");
        fx.Row(3, "&F W:4@0 W:4@1 W:4@2 W:4@3 |");
        fx.At(5, 1) = TScoreFixture::Cell("W:2@0");
        fx.At(5, 3) = TScoreFixture::Cell("W:2@0");
        fx.At(6, 1) = TScoreFixture::Cell("|");
        fx.At(6, 3) = TScoreFixture::Cell("|");
        Cursor(fx, 1, 1);
        ASSERT_TRUE(play_.BuildPlayList(false));
        const auto d = Durations();
        ASSERT_GE(d.size(), 4u);
        EXPECT_EQ(std::vector<int>(d.begin(), d.begin() + 4), (std::vector<int>{640, 640, 640, 640}));
    }
    struct Case {
        int count;
        int bits;
        std::vector<int> expected;
    } cases[] = {{3, 128, {85, 85, 86}}, {5, 64, {51, 51, 51, 51, 52}}, {6, 64, {53, 53, 53, 53, 53, 55}}};
    TBitCount counter(play_);
    for (const Case& c : cases) {
        TBitCount::TTupletScratch t{c.count, c.count - 1, 0};
        std::vector<int> got;
        const char* token = c.bits == 128 ? "W:4" : "W:5";
        for (int col = 0; col < c.count; ++col)
            got.push_back(counter.CellBits(TScoreFixture::Cell(token), col, t));
        EXPECT_EQ(got, c.expected) << c.count;
    }
    // Bars of different lengths (1024 and 768) leave no steps.
    TScoreFixture fx(12, 8);
    fx.Row(1, Brace(3) + " W:3@0 W:3@0 W:3@0 W:3@0 |");
    fx.Row(3, "&F W:3@0 W:3@0 W:3@0 ~ |");
    GroupRows.clear();
    ASSERT_GE(GetRowGroup(1, 0), 0);
    ASSERT_EQ(GroupRows.size(), 2u);
    counter.BarLength = 1024;
    counter.Count(1);
    EXPECT_TRUE(counter.Steps.empty());
    fx.At(4, 3) = TScoreFixture::Cell("W:4@0");
    fx.At(5, 3) = TScoreFixture::Cell("W:4@0");
    counter.Count(1);
    EXPECT_EQ(counter.Steps.size(), 5u);
    // A denominator that is no power of two keeps the signature in force.
    EXPECT_EQ(TBitCount::BarLengthOf(4, 0, 1024), 1024);
    EXPECT_EQ(TBitCount::BarLengthOf(4, 3, 768), 768);
    EXPECT_EQ(TBitCount::BarLengthOf(6, 8, 1024), 768);
}

TEST_F(PlayBuildTest, ListItems) {
    {
        // An empty score: nothing to play, the dump holds the end line only.
        TScoreFixture fx(12, 8);
        tqtest::TempDir dir;
        const std::string file = (dir / "dump.txt").string();
        EXPECT_TRUE(play_.PlayListDump(file));
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        EXPECT_EQ(ss.str(), "p=-1 i=-1 j=-1\n");
    }
    TScoreFixture fx(16, 8);
    // A sound-effect cell two rows above the group, one on the second staff's row;
    // 129 ("ignore") adds nothing, 128 is passed on.
    fx.Row(0, "~ ~ ~{type=12,note=146,up=19}");
    fx.Row(2, Brace(4) + " T:3/4 W:3@0 T:3/4 W:3@0 W:3@0 | T:2/4 W:3@0 T:4/0 W:3@0 |");
    fx.Row(4, "&F ~ W:3@0 ~{type=12,note=146,up=33} W:3@0 W:3@0 | ~{type=12,note=146,up=129} W:3@0 "
              "~{type=12,note=146,up=128} W:3@0 |");
    play_.SoundEffect = 5;
    Cursor(fx, 2, 2);
    ASSERT_TRUE(play_.BuildPlayList(false));
    ASSERT_FALSE(play_.PlayList.empty());
    EXPECT_EQ(play_.PlayList[0].Kind, pkInstrument);
    EXPECT_EQ(play_.PlayList[0].Duration, 5);
    EXPECT_EQ(play_.PlayList[0].Notes[0].Channel, -1);
    std::vector<std::pair<int, int>> sigs, instruments;
    for (const TPlayItem& i : play_.PlayList) {
        if (i.Kind == pkTimeSig)
            sigs.push_back({i.Volume, i.Duration});
        if (i.Kind == pkInstrument)
            instruments.push_back({i.Duration, i.Notes[0].Channel});
    }
    EXPECT_EQ(sigs, (std::vector<std::pair<int, int>>{{3, 4}, {2, 4}})) << "equal signatures give one item; 4/0 none";
    // The cell two rows above is read by the header scan and again by the column walk.
    EXPECT_EQ(instruments, (std::vector<std::pair<int, int>>{{5, -1}, {19, -1}, {19, -1}, {33, 1}, {128, 1}}))
        << "129 (ignore) adds none";
    EXPECT_EQ(play_.TimeSigNum, 2);
}

TEST_F(PlayBuildTest, BarRestRestsTheBarsOfTheSignature) {
    TScoreFixture fx(20, 8);
    fx.Row(0, "T:3/4");
    fx.Row(1, "\"1=C\" 1 2 3 | ~{mark=87,hadj=3} | 1 2 3 4 5 6 |");
    play_.PlayWest = false;
    Cursor(fx, 1, 1);
    ASSERT_TRUE(play_.BuildPlayList(false));
    int rest = -1;
    for (const TPlayItem& i : play_.PlayList)
        if (i.Kind == pkRest && i.Col == 5)
            rest = i.Duration;
    EXPECT_EQ(rest, 9 * 1280);
}

TEST_F(PlayBuildTest, JianpuCursorWithWesternChosenBuildsJianpu) {
    TScoreFixture fx(16, 8);
    fx.Row(1, "\"1=C\" 1 2 3 4 | 5 6 7 1' | 1 2 3 4 |");
    play_.PlayRule = prCurrentStaff;
    Cursor(fx, 2, 1);
    ASSERT_TRUE(play_.BuildPlayList(false));
    EXPECT_FALSE(play_.PlayWest);
    const auto notes = Notes();
    ASSERT_GE(notes.size(), 4u);
    EXPECT_EQ(notes[0].Notes[0].Pitch, 0);
    EXPECT_EQ(notes[1].Notes[0].Pitch, 2);
}

TEST_F(PlayBuildTest, TiedNoteSoundsOnce) {
    TScoreFixture fx(12, 6);
    fx.Row(1, "&G W:3@0{mark=1,iEnd=2} W:3@0 W:3@1 |");
    Cursor(fx, 1, 1);
    ASSERT_TRUE(play_.BuildPlayList(false));
    const auto notes = Notes();
    ASSERT_GE(notes.size(), 3u);
    EXPECT_EQ(notes[0].Notes[0].Length, 2560) << "the tie lengthens the first note";
    EXPECT_EQ(notes[1].Notes[0].Volume, 0) << "the tied note is not struck again";
    EXPECT_GT(notes[2].Notes[0].Volume, 0);
}

TEST_F(PlayBuildTest, SelectedNotesEndAfterTheSelection) {
    TScoreFixture fx(12, 6);
    fx.Row(1, "&G W:3@0 W:3@1 W:3@2 W:3@3 W:3@4 |");
    fx.Score().SelCol0 = 2;
    fx.Score().SelRow0 = 1;
    fx.Score().SelCol1 = 3;
    fx.Score().SelRow1 = 1;
    play_.PlayRule = prSelectedNotes;
    ASSERT_TRUE(play_.BuildPlayList(false));
    std::vector<int> cols;
    for (const TPlayItem& i : Notes())
        cols.push_back(i.Col);
    EXPECT_EQ(cols, (std::vector<int>{1, 2, 3}));
    ASSERT_GE(play_.StartIndex, 0);
    EXPECT_EQ(play_.PlayList[static_cast<size_t>(play_.StartIndex)].Col, 2);
}

TEST_F(PlayBuildTest, StaccatoSoundsAThird) {
    TScoreFixture fx(12, 6);
    fx.Row(1, "&G W:3@0{opt=0x10} W:3@1 |");
    Cursor(fx, 1, 1);
    ASSERT_TRUE(play_.BuildPlayList(false));
    const auto notes = Notes();
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes[0].Notes[0].Length, 426);
    EXPECT_EQ(notes[0].Duration, 426);
    int rest = 0;
    for (const TPlayItem& i : play_.PlayList)
        if (i.Kind == pkRest && i.Col == 1)
            rest = i.Duration;
    EXPECT_EQ(rest, 1280 - 426);
}

} // namespace

namespace {

TEST_F(PlayBuildTest, StaffOnThePagesLastRowEndsThatPagesWalk) {
    // The group search answers "last row of the page" for row 5: the walk turns the
    // page there instead of walking the previous group again, and ends.
    TScoreFixture fx(8, 6, 2);
    fx.Row(2, "&G W:3@0 W:3@1 |");
    fx.Row(5, "&G W:3@4 W:3@5 |");
    fx.Row(1, "&G W:3@2 W:3@3 |", 1);
    Cursor(fx, 1, 2);
    ASSERT_TRUE(play_.BuildPlayList(false));
    std::vector<std::pair<int, int>> pageRow;
    for (const TPlayItem& i : Notes())
        pageRow.push_back({i.Page, i.Row});
    EXPECT_EQ(pageRow, (std::vector<std::pair<int, int>>{{0, 2}, {0, 2}, {1, 1}, {1, 1}}));
    EXPECT_EQ(fx.Score().CurPage, 0);
}

} // namespace
