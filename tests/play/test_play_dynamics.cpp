// Dynamics to staff velocity, and the settings read above the first staff.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "platform/core/TQCodec.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

class PlayDynamicsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Two staves: rows 2 and 5.
        TGroupData a, b;
        a.row = 2;
        b.row = 5;
        GroupRows = {a, b};
        play_.StaffVolume[0].assign(20, 80);
        play_.StaffVolume[1].assign(20, 80);
    }
    void TearDown() override { GroupRows.clear(); }
    int Dyn(const TCell& c) {
        fx_.At(0, 0) = c;
        return play_.CellDynamic(0, 0, 0, -1);
    }
    TCell Text(const std::string& t, int charset = 0) {
        TCell c = TScoreFixture::Cell("\"x\"");
        c.Text = t;
        c.FontCharset = charset;
        return c;
    }
    TScoreFixture fx_{20, 8};
    TPlayState play_;
};

std::string Gbk(const char* utf8) {
    std::string out;
    Utf8ToCharset(utf8, 134, out);
    return out;
}

TEST_F(PlayDynamicsTest, MarksWordsAndHairpins) {
    const struct {
        std::string text;
        int expected;
    } words[] = {{"ppp", 40},      {" ff ", 110},      {"F", 0},           {"f", 100},  {"crescendo", -2},
                 {"sfz", 0},       {"sf", -3},         {"sfp", -4},        {"dim.", -1}, {"mf", 90},
                 {Gbk("渐强"), -2}, {Gbk("最弱"), 40}, {Gbk("强"), 100},    {Gbk("弱起"), 50}};
    for (const auto& w : words)
        EXPECT_EQ(Dyn(Text(w.text, 134)), w.expected) << w.text;
    EXPECT_EQ(Dyn(TScoreFixture::Cell("~{type=11,note=64}")), 90);
    EXPECT_EQ(Dyn(TScoreFixture::Cell("~{type=11,note=71}")), -4);
    EXPECT_EQ(Dyn(TScoreFixture::Cell("~{mark=7}")), -5);
    EXPECT_EQ(Dyn(TScoreFixture::Cell("~{mark=10}")), -6);
    EXPECT_EQ(DynamicVelocity(99), 0);
    EXPECT_EQ(play_.CellDynamic(0, 8, 0, -1), 0) << "beyond the rows";
}

TEST_F(PlayDynamicsTest, StaffVolumes) {
    fx_.Row(1, "~ ~ ~ \"mf\"");
    fx_.Row(2, "1 1 1 1 1 1{attr=0} 1 1 1 1");
    fx_.Row(5, "1 1 1 1 1 1 1 1 1 1");
    fx_.At(6, 2).AdvPlay[1] = 120; // volume adjustment
    fx_.At(7, 2).AdvPlay[1] = 40;  // below 50: none
    play_.StaffVolume[0].assign(20, 70);
    play_.StaffVolume[1].assign(20, 64);
    play_.StaffVolume[1].back() = 66;
    play_.BuildStaffVolumes();
    const auto& s0 = play_.StaffVolume[0];
    EXPECT_EQ(s0[2], 70) << "carried over from the last column";
    EXPECT_EQ(s0[3], 90);
    EXPECT_EQ(s0[6], 108);
    EXPECT_EQ(s0[7], 90);
    EXPECT_EQ(s0[19], 90);
    EXPECT_EQ(play_.StaffVolume[1][3], 66) << "the second staff keeps its own";
    EXPECT_EQ(play_.StaffVolume[1][19], 66);
}

TEST_F(PlayDynamicsTest, LastStaffPairedWithNoNextStaffCountsAsUnpaired) {
    GroupRows[1].hasSystemMark = true;
    play_.HighlightBelow = 1;
    fx_.Row(2, "1 1 1 1");
    fx_.Row(5, "1 1 1 1");
    fx_.Row(6, "~ \"pp\"");
    fx_.Row(7, "~ ~ \"ff\""); // beyond HighlightBelow: not the last staff's
    play_.BuildStaffVolumes();
    EXPECT_EQ(play_.StaffVolume[1][1], 50);
    EXPECT_EQ(play_.StaffVolume[1][3], 50);
}

TEST_F(PlayDynamicsTest, Accents) {
    fx_.Row(1, "S:9 ~ S:9");
    fx_.Row(2, "1 1 1 1");
    play_.StaffVolume[0].assign(20, 100);
    play_.StaffVolume[0].back() = 100;
    play_.BuildStaffVolumes();
    EXPECT_EQ(play_.StaffVolume[0][0], 127);
    EXPECT_EQ(play_.StaffVolume[0][1], 100);
    fx_.Row(1, "\"p\" ~ S:9");
    play_.BuildStaffVolumes();
    EXPECT_EQ(play_.StaffVolume[0][2], 90);
    EXPECT_EQ(play_.StaffVolume[0][3], 60) << "only that column";
}

TEST_F(PlayDynamicsTest, CrescendoHairpinWithoutClosingDynamic) {
    std::string notes;
    for (int c = 0; c < 20; ++c)
        notes += "1 ";
    fx_.Row(2, notes);
    fx_.Row(1, "~ ~ ~{mark=7,iEnd=8}");
    play_.StaffVolume[0].assign(20, 60);
    play_.BuildStaffVolumes();
    const auto& v = play_.StaffVolume[0];
    EXPECT_EQ(v[2], 60);
    int end = 2;
    while (end + 1 < 20 && v[static_cast<size_t>(end + 1)] > v[static_cast<size_t>(end)])
        ++end;
    EXPECT_GT(end, 2);
    EXPECT_EQ(v[static_cast<size_t>(end)], 90);
    EXPECT_EQ(v[19], 90) << "held after the ramp";
}

TEST_F(PlayDynamicsTest, HairpinAtTheRowEndIsClosedByTheNextRow) {
    std::string notes;
    for (int c = 0; c < 20; ++c)
        notes += "1 ";
    fx_.Row(2, notes);
    fx_.Row(1, "~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~{mark=7,iEnd=18}");
    fx_.Row(6, "~ \"f\"");
    fx_.Row(7, "1 2 3 4 5 |");
    play_.StaffVolume[0].assign(20, 60);
    play_.BuildStaffVolumes();
    EXPECT_EQ(play_.StaffVolume[0][15], 60);
    EXPECT_EQ(play_.StaffVolume[0][19], 100) << "the f of the next row is the target";
    fx_.Row(6, "~ \"pp\""); // on the wrong side of a crescendo: no target
    play_.StaffVolume[0].assign(20, 60);
    play_.BuildStaffVolumes();
    EXPECT_EQ(play_.StaffVolume[0][18], 81) << "its own target: 60 x 1.5 x 0.9 over three columns";
}

TEST_F(PlayDynamicsTest, HeaderSettings) {
    fx_.Row(2, "1 1 1 1");
    int volume = 0, tempo = 0;
    play_.ScanHeaderSettings(volume, tempo);
    EXPECT_EQ(volume, 80);
    EXPECT_EQ(tempo, 100);
    EXPECT_TRUE(play_.PlayList.empty());

    fx_.Row(0, "~{type=12,note=146,up=40} \"Allegro\" \"f\" ~{type=11,note=43}");
    fx_.Row(1, "~{type=11,note=43}");
    play_.ScanHeaderSettings(volume, tempo);
    EXPECT_EQ(volume, 100);
    EXPECT_EQ(tempo, 224);
    ASSERT_EQ(play_.PlayList.size(), 1u);
    EXPECT_EQ(play_.PlayList[0].Kind, pkInstrument);
    EXPECT_EQ(play_.PlayList[0].Duration, 40);
    EXPECT_EQ(play_.PlayList[0].Notes[0].Channel, -1);
    EXPECT_EQ(play_.TitleSymbol43, 1);
}

} // namespace
