// Tempo words, the tempo map with its ramps, fermatas, accents and the
// Advanced page's predicates.
#include <gtest/gtest.h>

#include "model/modTQGroup.h"
#include "platform/core/TQCodec.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"

namespace {

std::string Gbk(const char* utf8) {
    std::string out;
    EXPECT_TRUE(Utf8ToCharset(utf8, 134, out));
    return out;
}

class PlayTempoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TGroupData g;
        g.row = 1;
        GroupRows = {g};
    }
    void TearDown() override { GroupRows.clear(); }
    int Value(const TCell& cell, int* pocoOut = nullptr) {
        fx_.At(0, 0) = cell;
        int numeric = 0, poco = 0;
        const int v = play_.TempoWordValue(0, 0, numeric, poco);
        if (pocoOut)
            *pocoOut = poco;
        return v;
    }
    TCell Text(const std::string& bytes, int charset = 0) {
        TCell c = TScoreFixture::Cell("\"x\"");
        c.Text = bytes;
        c.FontCharset = charset;
        return c;
    }
    TScoreFixture fx_{40, 4};
    TPlayState play_;
};

TEST_F(PlayTempoTest, WordValues) {
    TCell tempo = TScoreFixture::Cell("~{type=4,note=2,fc=60}");
    EXPECT_EQ(Value(tempo), 99) << "60 quarters a minute";
    tempo.FontColor = 120;
    EXPECT_EQ(Value(tempo), 199);
    tempo.Note = 4;
    EXPECT_EQ(Value(tempo), 99);
    tempo.Note = 7; // counts as 2
    EXPECT_EQ(Value(tempo), 199);
    tempo.FontColor = 9;
    EXPECT_EQ(Value(tempo), 0) << "below 10 bpm";
    struct Case {
        std::string text;
        int charset;
        int expected;
    } cases[] = {
        {"Largo", 0, 74},          {"  ALLEGRETTO ", 0, 183}, {"Allegro", 0, 224},  {"prestissimo", 0, 333},
        {"accelerando", 0, -7},    {"rit.", 0, -1},           {"a tempo", 0, -2},   {"poco", 0, -10},
        {"Piu messo", 0, -4},      {"poco messo", 0, -5},     {"dolce", 0, 0},
        {Gbk("慢板"), 134, 96},    {Gbk("渐慢"), 134, -1},    {Gbk("稍快"), 134, -5}, {Gbk("快"), 134, 266},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Value(Text(c.text, c.charset)), c.expected) << c.text;
    // A double-byte character whose second byte is an ASCII capital is no part of a word.
    EXPECT_EQ(Value(Text("\x81\x52IT", 134)), 0);
    EXPECT_EQ(Value(Text("\x81\x52IT", 0)), -1) << "in CP1252 the same bytes spell RIT";
    int poco = 0;
    Value(Text("Poco rit", 0), &poco);
    EXPECT_EQ(poco, 1);

    TCell sym = TScoreFixture::Cell("~{type=11,note=30}");
    play_.TimeSigDen = 8;
    EXPECT_EQ(Value(sym), 38) << "Largo under 4/8";
    play_.TimeSigDen = 4;
    EXPECT_EQ(Value(sym), 76);
    sym.Note = 101;
    EXPECT_EQ(Value(sym), -8);
}

TEST_F(PlayTempoTest, PocoThenMessoAndReturns) {
    fx_.Row(0, "\"poco\" ~ \"messo\" ~ \"messo\" ~ \"Tempo\"");
    fx_.Row(1, "1 2 3 4 5 6 7 1 2 3");
    fx_.At(6, 0) = TScoreFixture::Cell("~{type=11,note=76}"); // Tempo I
    play_.ColumnTempo.assign(40, 100);
    play_.PlayTempo = 100;
    play_.BuildTempoMap();
    EXPECT_EQ(play_.ColumnTempo[1], 100);
    EXPECT_EQ(play_.ColumnTempo[2], 130) << "poco messo: x 1.3";
    EXPECT_EQ(play_.ColumnTempo[4], 208) << "messo alone: x 1.6";
    EXPECT_EQ(play_.ColumnTempo[6], 130) << "Tempo I: the first tempo met";

    play_.IgnoreSpeed = true;
    play_.ColumnTempo.assign(40, 100);
    play_.BuildTempoMap();
    EXPECT_EQ(play_.ColumnTempo[4], 100) << "tempo signs ignored";
}

TEST_F(PlayTempoTest, RitardandoSlowsToTheBarAndReturns) {
    std::string notes;
    for (int c = 0; c < 40; ++c)
        notes += c == 30 ? "|| " : "1 ";
    fx_.Row(1, notes);
    fx_.At(10, 0) = TScoreFixture::Cell("\"rit.\"");
    play_.ColumnTempo.assign(40, 100);
    play_.BuildTempoMap();
    EXPECT_EQ(play_.ColumnTempo[8], 100);
    EXPECT_EQ(play_.ColumnTempo[9], 97);
    EXPECT_EQ(play_.ColumnTempo[29], 50) << "0.6 x (1 - 100/600)";
    EXPECT_EQ(play_.ColumnTempo[30], 100) << "back at the bar line";
    EXPECT_EQ(play_.ColumnTempo[39], 100);
    EXPECT_EQ(play_.RampStartCol, -1);
}

TEST_F(PlayTempoTest, ChainedRitardandiNeverReachZero) {
    fx_.Row(1, "1 1 1 1 1 1 1 1 1 1 1 1");
    play_.ColumnTempo.assign(40, 100);
    play_.RampRate = 500;
    for (int i = 0; i < 20; ++i) {
        play_.RampStartCol = 5;
        play_.RampRate = 500;
        play_.RampTempo(5, 10, 0, true);
        for (int16_t t : play_.ColumnTempo)
            ASSERT_GE(t, 1) << "ramp " << i;
    }
    EXPECT_EQ(play_.ColumnTempo[10], 1);
    play_.PlayTempo = 30000;
    play_.ColumnTempo.assign(40, 30000);
    fx_.Row(0, "\"messo\" \"messo\"");
    play_.BuildTempoMap();
    EXPECT_EQ(play_.ColumnTempo[1], 32767) << "kept within 16 bits";
}

TEST_F(PlayTempoTest, AccentsAndAdvancedPagePredicates) {
    fx_.Row(0, "S:9 ~ \"cresc.\" \"rit\" ~{mark=25}");
    fx_.Row(1, "W:3@0 W:3@0{opt=0x20}");
    EXPECT_TRUE(play_.IsAccentedNote(0, 1, 0));
    EXPECT_TRUE(play_.IsAccentedNote(1, 1, 0));
    EXPECT_FALSE(play_.IsAccentedNote(2, 1, 0));
    play_.PlayList.resize(1);
    play_.PlayList[0].Volume = 100;
    play_.AccentLastItem(fx_.At(0, 0));
    EXPECT_EQ(play_.PlayList[0].Volume, 127);
    play_.PlayList[0].Volume = 60;
    play_.AccentLastItem(fx_.At(0, 0));
    EXPECT_EQ(play_.PlayList[0].Volume, 90);
    EXPECT_EQ(ScaleVelocity(2, 1.5), 5);
    EXPECT_TRUE(play_.IsDynamicRampCell(2, 0));
    EXPECT_FALSE(play_.IsDynamicRampCell(3, 0));
    EXPECT_TRUE(play_.IsTempoRampCell(3, 0));
    EXPECT_TRUE(play_.IsArpRateMarkNear(4, 1));
    EXPECT_TRUE(play_.IsArpRateMarkNear(5, 0));
    EXPECT_FALSE(play_.IsArpRateMarkNear(6, 0));
}

} // namespace
