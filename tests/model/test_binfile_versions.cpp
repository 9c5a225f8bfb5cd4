// Cell records of older format versions, built byte by byte as those versions
// wrote them, decode as the version table says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQBinFile.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;

namespace {

// The stored values of one cell record (fields after column and row).
struct OldRecord {
    int32_t type = 0, note = 32, fontColor = 32, upNote = 32, dot = 0, ul = 0, iEnd = -1, jEnd = -1;
    float size = 1.0f, x = 0, y = 0;
    int32_t mark = 0, shrink = 0;
    uint32_t attr = 0, option = 0;
    std::vector<TCompressNote> small;
    int32_t adj[4] = {0, 0, 0, 0};
    uint8_t aux = 0;
    float stem = 0;
    int32_t playDur = 0, colour = -1;
    uint32_t adv = 0x646464;
    int32_t breakPoint = 0;
    std::string text, font;
    int32_t charset = 0, style = 0;
    std::vector<TWestChord> chord;
};

// Writes the record as version v laid it out.
std::string Build(const OldRecord& r, int v) {
    TBinWriter w;
    w.I32(r.type);
    w.I32(r.note);
    if (v >= 405)
        w.I32(r.fontColor);
    w.I32(r.upNote);
    w.I32(r.dot);
    w.I32(r.ul);
    w.I32(r.iEnd);
    w.I32(r.jEnd);
    w.F32(r.size);
    w.F32(r.x);
    w.F32(r.y);
    w.I32(r.mark);
    w.I32(r.shrink);
    w.U32(r.attr);
    w.U32(r.option);
    w.I32(int32_t(r.small.size()));
    for (const auto& n : r.small) {
        w.I32(n.code);
        w.I32(n.value);
        w.I32(n.octave);
        w.U32(n.option);
        w.U32(n.attr);
    }
    for (int32_t a : r.adj)
        w.I32(a);
    if (v >= 393) {
        w.U8(r.aux);
        if (v >= 413)
            w.F32(r.stem);
        else
            w.U8(uint8_t(int8_t(r.stem)));
    }
    if (v >= 409)
        w.I32(r.playDur);
    else if (v >= 395)
        w.U8(uint8_t(int8_t(r.playDur)));
    if (v >= 400) {
        w.I32(r.colour);
        w.U32(r.adv);
    }
    if (v >= 407)
        w.I32(r.breakPoint);
    if (r.type == ctText || ((r.type == ctJianpu || r.type == ctTextSymbol) && v >= 408)) {
        w.CountedText(r.text);
        w.FixedText(r.font, 50);
        w.I32(r.charset);
        w.I32(r.style);
    } else if (r.type == ctWestern) {
        w.I32(int32_t(r.chord.size()));
        for (const auto& c : r.chord) {
            w.I32(c.interval);
            w.U32(c.attr);
            w.U32(c.option);
            w.I32(99); // reserved, ignored
        }
    }
    return w.data;
}

TCell Decode(const OldRecord& r, int v, const std::string& folder = "/scores/") {
    const std::string bytes = Build(r, v);
    TBinReader in(bytes);
    TCell cell;
    EXPECT_TRUE(ReadCellRecord(in, cell, v, folder)) << "version " << v;
    EXPECT_EQ(in.Remaining(), 0u) << "version " << v;
    return cell;
}

OldRecord PlayedJianpuNote() {
    OldRecord r;
    r.type = ctJianpu;
    r.note = '5';
    r.fontColor = 77;
    r.aux = 9;
    r.stem = -3;
    r.playDur = -7;
    r.colour = 0x00FF00;
    r.adv = 0x503278; // 120 / 50 / 80
    r.breakPoint = 4;
    r.text = "lyric";
    r.font = "EN";
    r.charset = 0;
    return r;
}

} // namespace

TEST(BinScoreVersions, FieldsAddedOverTheVersionsDecodeByTheTable) {
    struct Expect {
        int version;
        int32_t fontColor, playDur, colour, breakPoint;
        std::array<uint8_t, 4> adv;
        uint8_t aux;
        const char* text;
        const char* font;
        int32_t charset;
    };
    const Expect cases[] = {
        // 400: colour and AdvPlay stored but not trusted yet; no second slot,
        // no break point, no text tail on Jianpu cells.
        // Without a text tail the charset follows the code: '5' is in 50..79.
        {400, 32, -7, -1, 0, {100, 100, 100, 0}, 0, "", "NT", 134},
        {404, 32, -7, -1, 0, {100, 100, 100, 0}, 0, "", "NT", 134},
        {405, 77, -7, -1, 0, {100, 100, 100, 0}, 0, "", "NT", 134},
        {408, 77, -7, -1, 4, {100, 100, 100, 0}, 0, "lyric", "EN", 0},
        {412, 77, -7, 0x00FF00, 4, {120, 50, 80, 0}, 9, "lyric", "EN", 0},
        {413, 77, -7, 0x00FF00, 4, {120, 50, 80, 0}, 9, "lyric", "EN", 0},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.version);
        TCell c = Decode(PlayedJianpuNote(), e.version);
        EXPECT_EQ(c.Note, '5');
        EXPECT_EQ(c.FontColor, e.fontColor);
        EXPECT_EQ(c.playDur, e.playDur);
        EXPECT_EQ(c.color, e.colour);
        EXPECT_EQ(c.breakPoint, e.breakPoint);
        EXPECT_EQ(c.AdvPlay, e.adv);
        EXPECT_EQ(c.auxByte, e.aux);
        EXPECT_FLOAT_EQ(c.stemAdj, -3.0f); // one signed byte before 413, a float from 413
        EXPECT_EQ(c.Text, e.text);
        EXPECT_EQ(c.FontName, e.font);
        EXPECT_EQ(c.FontCharset, e.charset);
    }
}

TEST(BinScoreVersions, StemAdjustmentOfVersion412IsOneByteAndFourWhenWrittenAgain) {
    OldRecord r;
    r.type = ctWestern;
    r.note = 3;
    r.stem = -2;
    const std::string v412 = Build(r, 412);
    TCell c = Decode(r, 412);
    EXPECT_FLOAT_EQ(c.stemAdj, -2.0f);
    TBinWriter w;
    WriteCellRecord(w, c, 0, 0, "");
    // tag, column and row, then the same fields with three more stem bytes
    EXPECT_EQ(w.data.size(), 12 + v412.size() + 3);
}

TEST(BinScoreVersions, AttrCodesOfOldVersionsAreUpgraded) {
    struct Case {
        int version;
        int32_t type, note;
        uint32_t attr;
        float size;
        uint32_t wantAttr;
        int32_t wantNote, wantType;
        uint32_t wantOptionBits;
    };
    const Case cases[] = {
        {404, ctJianpu, '3', 8, 1.0f, 0xA0, '3', ctJianpu, 0},       // shrink style
        {405, ctJianpu, '3', 8, 1.0f, 8, '3', ctJianpu, 0},          // current code kept
        {400, ctJianpu, '3', 16, 1.0f, 0, '3', ctJianpu, 0x40},      // double dot
        {400, ctWestern, 3, 16, 1.0f, 0, 3, ctWestern, 0x40},        // double dot on any type
        {400, ctJianpu, '3', 11, 1.0f, 0, '3', ctJianpu, 0x8},       // dot
        {400, ctWestern, 3, 11, 1.0f, 0, 3, ctWestern, 0},           // 11 is no dot on Western cells
        {403, ctWestern, 57, 0, 1.0f, 0, 20, ctWestern, 0},          // old rest code
        {404, 5, '2', 0, 1.0f, 0xC0, '2', ctJianpu, 0},              // old grace cell
        {402, ctJianpu, '2', 0, 0.7f, 0, '2', ctJianpu, 0x10000000}, // small size means grace
        {404, ctText, 32, 1, 1.0f, 0xF0, 32, ctText, 0},             // boxed text
        {405, ctJianpu, 124, 0, 1.0f, 0, 63, ctJianpu, 0},           // old bar line
        {406, ctJianpu, 124, 0, 1.0f, 0, 124, ctJianpu, 0},
        {405, ctWestern, 50, 0, 1.0f, 0, 62, ctWestern, 0},
        {300, ctWestern, -1, 5, 1.0f, 5, -1, ctWestern, 0},          // clef keeps its key
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "version " << k.version << " note " << k.note);
        OldRecord r;
        r.type = k.type;
        r.note = k.note;
        r.attr = k.attr;
        r.size = k.size;
        r.text = "t";
        TBinWriter w;
        w.U32(kPageStartTag);
        w.U32(kCellTag);
        w.I32(1);
        w.I32(1);
        w.data += Build(r, k.version);
        w.U32(kPageEndTag);
        TPage page(5, TCellRow(5));
        TBinReader in(w.data);
        ASSERT_TRUE(ReadPageRecord(in, page, 4, 4, k.version, ""));
        const TCell& c = page[1][1];
        EXPECT_EQ(c.Attr, k.wantAttr);
        EXPECT_EQ(c.Note, k.wantNote);
        EXPECT_EQ(c.cellType, k.wantType);
        EXPECT_EQ(c.option & k.wantOptionBits, k.wantOptionBits);
        if (k.wantOptionBits == 0) {
            EXPECT_EQ(c.option & 0x10000048u, 0u);
        }
    }
}

TEST(BinScoreVersions, WesternClefKeysChordsAndWholeNotes) {
    struct Case {
        int version;
        int32_t note;
        uint32_t attr, wantAttr;
    };
    for (const Case& k : {Case{413, -5, 18, 12}, Case{300, -5, 18, 12}, Case{413, -5, 16, 13},
                          Case{413, -5, 17, 14}, Case{413, -3, 15, 12}, Case{413, -1, 15, 15}}) {
        OldRecord r;
        r.type = ctWestern;
        r.note = k.note;
        r.attr = k.attr;
        EXPECT_EQ(Decode(r, k.version).Attr, k.wantAttr) << k.version << " " << k.note;
    }

    OldRecord chord;
    chord.type = ctWestern;
    chord.note = 3;
    chord.chord = {{2, 65536, 0x2000, 0}, {1, 11, 0, 0}, {1, 16, 0, 0}};
    TCell c = Decode(chord, 350);
    ASSERT_EQ(c.westChordArray.size(), 3u);
    EXPECT_EQ(c.westChordArray[0].attr, 3u);     // old sharp code of chord notes
    EXPECT_EQ(c.westChordArray[0].option, 0u);   // options before 392 were not kept
    EXPECT_EQ(c.westChordArray[1].option, 8u);   // dot
    EXPECT_EQ(c.westChordArray[2].option, 64u);  // double dot
    EXPECT_EQ(c.westChordArray[2].headY, 0);

    OldRecord whole;
    whole.type = ctWestern;
    whole.note = 1;
    whole.option = 0x1 | 0x8;
    EXPECT_EQ(Decode(whole, 413).option, 0x8u);

    OldRecord small;
    small.type = ctWestern;
    small.note = 3;
    small.size = 0.6f;
    small.chord = {{2, 0, 0, 0}};
    EXPECT_TRUE(Decode(small, 413).option & 0x10000000u);
}

TEST(BinScoreVersions, SmallNoteListsOfOldVersions) {
    // An old grace cell (type 5) of small size: the upgrade makes it a Jianpu
    // cell of the grace style, which its small-note list turns into the vertical
    // style with the grace flag.
    OldRecord r;
    r.type = 5;
    r.note = '1';
    r.size = 0.7f;
    TCompressNote first{'2', 0, 0, 0, 0xFFFFFFFFu, 0};
    TCompressNote second{'3', 1, 0, 1, 0x8, 0}; // old Attr code 1: circled
    r.small = {TCompressNote{'2', 0, 0, 0, 0, 0}, second};
    TCell c = Decode(r, 404);
    EXPECT_EQ(c.cellType, ctJianpu);
    EXPECT_EQ(c.Attr, 0xB0u);
    EXPECT_EQ(c.option, 0x10000000u | 0x80006u | 1u);
    ASSERT_EQ(c.CompressNotes.size(), 2u);
    EXPECT_EQ(c.CompressNotes[0].option, 0u);
    EXPECT_EQ(c.CompressNotes[1].attr, 0x10u);
    EXPECT_EQ(c.CompressNotes[1].option, 0x8u);

    // The same cell in a current file keeps what it says.
    r.type = ctJianpu;
    r.attr = 0xC0;
    TCell g = Decode(r, 413);
    EXPECT_EQ(g.Attr, 0xC0u);
    EXPECT_EQ(g.option, 0u);
    EXPECT_EQ(g.CompressNotes[0].option, 0u); // -1 means none on small notes
    EXPECT_EQ(g.CompressNotes[1].attr, 1u);

    // Small notes of a grace cell: the cell gets the group bits.
    OldRecord grace;
    grace.type = ctJianpu;
    grace.note = '1';
    grace.option = 0x10000000u;
    grace.small = {first};
    EXPECT_EQ(Decode(grace, 413).option, 0x10000000u | 0x80006u | 1u);
}

TEST(BinScoreVersions, AdjustmentsBelowMinus999ReadAsZero) {
    OldRecord r;
    r.type = ctSymbol;
    r.note = 14;
    r.adj[0] = -1000;
    r.adj[1] = -999;
    r.adj[2] = -5000;
    r.adj[3] = 12;
    TCell c = Decode(r, 413);
    EXPECT_EQ(c.markHAdj, 0);
    EXPECT_EQ(c.markWAdj, -999);
    EXPECT_EQ(c.MarkY, 0);
    EXPECT_EQ(c.EndYAdj, 12);
}

TEST(BinScoreVersions, TextFontDefaultsAndTempoCells) {
    OldRecord en;
    en.type = ctText;
    en.text = "Allegro";
    en.charset = 0;
    EXPECT_EQ(Decode(en, 413).FontName, "EN");
    en.charset = 134;
    EXPECT_EQ(Decode(en, 413).FontName, "CN");

    OldRecord tempo;
    tempo.type = ctTempo;
    tempo.note = 3;
    tempo.attr = 96;
    TCell t = Decode(tempo, 404);
    EXPECT_EQ(t.FontColor, 96);
    EXPECT_EQ(t.Attr, 0u);
}

TEST(BinScoreVersions, ImageReferenceWithoutFolderTakesTheScoreFolder) {
    OldRecord r;
    r.type = ctImage;
    r.note = 1;
    TBinWriter w;
    w.data = Build(r, 413);
    w.CountedText("pic.jpg");
    TBinReader in(w.data);
    TCell c;
    ASSERT_TRUE(ReadCellRecord(in, c, 413, "/home/u/scores/"));
    EXPECT_EQ(c.Text, "/home/u/scores/pic.jpg");

    TBinWriter w2;
    w2.data = Build(r, 413);
    w2.CountedText("C:\\pics\\pic.jpg");
    TBinReader in2(w2.data);
    ASSERT_TRUE(ReadCellRecord(in2, c, 413, "/home/u/scores/"));
    EXPECT_EQ(c.Text, "C:\\pics\\pic.jpg");
}

TEST(BinScoreVersions, CountedTextLongerThanTheOldBufferIsReadWhole) {
    OldRecord r;
    r.type = ctText;
    r.text = std::string(1500, 'x');
    TCell c = Decode(r, 413); // Decode checks that the record was consumed exactly
    EXPECT_EQ(c.Text.size(), 1500u);
}
