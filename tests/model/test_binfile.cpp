// The binary score file: exact bytes, round trips, records of older versions.
#include <gtest/gtest.h>

#include <string>

#include "model/modTQBinFile.h"
#include "model/modTQMainScore.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;

namespace {

// A Jianpu '1' as the editor makes it.
TCell JianpuOne() {
    TCell c;
    c.cellType = ctJianpu;
    c.Note = '1';
    return c;
}

} // namespace

TEST(BinScoreGolden, EmptyOnePageScoreIs170Bytes) {
    tqtest::TempDir dir;
    NewScore s;
    const std::string path = (dir / "empty.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 170u);
    EXPECT_EQ(WordAt(bytes, 0), kScoreFileTag);
    EXPECT_EQ(WordAt(bytes, 4), 413u);
    EXPECT_EQ(WordAt(bytes, 8), 1u);                  // one page
    EXPECT_EQ(WordAt(bytes, 110), 5200u);             // reserved word
    EXPECT_EQ(WordAt(bytes, 126), uint32_t(-64001));  // fillers
    EXPECT_EQ(WordAt(bytes, 138), 0xD023E9ACu);
    EXPECT_EQ(WordAt(bytes, 158), kPageStartTag);
    EXPECT_EQ(WordAt(bytes, 162), kPageEndTag);
    EXPECT_EQ(WordAt(bytes, 166), 0u);                // no layer 1
}

TEST(BinScoreGolden, OneJianpuNoteIs347BytesAndReopensToTheSameBytes) {
    tqtest::TempDir dir;
    NewScore s;
    s.At(2, 3) = JianpuOne();
    const std::string path = (dir / "one.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 347u);
    EXPECT_EQ(WordAt(bytes, 162), kCellTag);
    EXPECT_EQ(WordAt(bytes, 166), 2u); // column
    EXPECT_EQ(WordAt(bytes, 170), 3u); // row
    EXPECT_EQ(WordAt(bytes, 178), uint32_t('1'));
    EXPECT_EQ(WordAt(bytes, 339), kPageEndTag);

    NewScore t;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.At(2, 3).Note, '1');
    EXPECT_EQ(t.At(2, 3).FontCharset, 0); // the text tail keeps the cell's charset
    const std::string again = (dir / "again.mus").string();
    ASSERT_TRUE(SaveBinaryScore(again, &t.score, true));
    EXPECT_EQ(ReadFile(again), bytes);
}

TEST(BinScoreRoundTrip, EveryKindOfCellAndBothLayersComeBack) {
    tqtest::TempDir dir;
    NewScore s;
    s.score.NoteFontName = "Arial";
    s.score.HintMode = 3;
    s.score.TextSymSize = 10;
    s.score.HintSize = 0.75f;
    s.score.PageNumberStart = 4;
    s.AddPages(0, 1);
    s.AddPages(1, 2);

    TCell text;
    text.cellType = ctText;
    text.Text = "\xD2\xF4\xC0\xD6 title"; // GBK bytes stay bytes
    text.FontName = "CN";
    text.FontCharset = 134;
    text.FontStyle = 3;
    text.dot = 450;
    s.At(0, 0) = text;

    TCell shrink = JianpuOne();
    shrink.Attr = 0xA0;
    shrink.UL = 1;
    shrink.CompressNotes = {{'3', 1, 1, 0x1, 0x8, 0}, {'5', 2, -1, 0x30, 0, 0}};
    shrink.fontSizeR = 0.9f;
    shrink.xAdj = -1.5f;
    shrink.yAdj = 2.25f;
    shrink.AdvPlay = {120, 80, 100, 0};
    shrink.color = 0x0000FF;
    shrink.auxByte = 7;
    shrink.playDur = -3;
    shrink.markType = 87;
    shrink.markHAdj = 3;
    shrink.iEnd = 9;
    shrink.jEnd = 2;
    s.At(5, 1) = shrink;

    TCell west;
    west.cellType = ctWestern;
    west.Note = 3;
    west.yAdj = 4;
    west.option = 0x1;
    west.stemAdj = 1.5f;
    west.breakPoint = 2;
    west.FontCharset = 1; // cells without a text tail read back with charset 1
    west.westChordArray = {{2, 0x1, 0x8, 0}, {3, 0, 0, 0}};
    s.At(7, 2) = west;

    TCell symbol;
    symbol.cellType = ctSymbol;
    symbol.Note = 14;
    symbol.FontColor = 15;
    symbol.FontCharset = 1;
    s.At(1, 39) = symbol;          // last row of the grid
    s.At(59, 0, 1) = JianpuOne();  // last column, page 2
    s.At(3, 3, 1, 1) = JianpuOne(); // layer 1, page 2

    const std::string path = (dir / "all.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));

    NewScore t;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.score.PageCount, 2);
    ASSERT_EQ(t.score.PageSets[0].size(), 2u);
    ASSERT_EQ(t.score.PageSets[1].size(), 2u);
    EXPECT_EQ(FirstDifference(t.score.PageSets[0], s.score.PageSets[0]), "");
    EXPECT_EQ(t.At(3, 3, 1, 1), JianpuOne());
    EXPECT_EQ(t.score.HintMode, 3);
    EXPECT_EQ(t.score.TextSymSize, 10);
    EXPECT_FLOAT_EQ(t.score.HintSize, 0.75f);
    EXPECT_EQ(t.score.PageNumberStart, 4);
    EXPECT_EQ(t.score.NoteFontName, "Arial");
    EXPECT_EQ(t.score.CurPage, 0);
    EXPECT_EQ(CurLayer, 0);
}

TEST(BinScoreRoundTrip, StoredPageIsKeptByTheHelperObject) {
    tqtest::TempDir dir;
    NewScore s;
    s.AddPages(0, 2);
    s.At(0, 0, 2) = JianpuOne();
    s.score.CurPage = 2;
    const std::string path = (dir / "p.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    NewScore t;
    BinScoreFile.StoredPage = -1;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(BinScoreFile.StoredPage, 2);
    EXPECT_EQ(t.score.CurPage, 0);
}

TEST(BinScoreWriter, TrailingEmptyPagesGoOnlyWhenEmptyInBothLayers) {
    struct Case {
        const char* what;
        int layer0Pages, layer1Pages;
        int fullPage0, fullPage1; // page holding a note in layer 0 / 1, -1 none
        bool drop;
        uint32_t n0, n1;
    };
    const Case cases[] = {
        {"last pages empty", 3, 0, 0, -1, true, 1, 0},
        {"wholly empty score", 3, 0, -1, -1, true, 1, 0},
        {"snapshot keeps every page", 3, 0, 0, -1, false, 3, 0},
        {"empty layer 1 is not written", 2, 2, 1, -1, true, 2, 0},
        {"layer-1 note keeps its page", 3, 3, 0, 2, true, 3, 3},
        {"layer 1 shorter than layer 0", 3, 2, 2, 0, true, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tqtest::TempDir dir;
        NewScore s;
        s.AddPages(0, c.layer0Pages - 1);
        s.AddPages(1, c.layer1Pages);
        if (c.fullPage0 >= 0)
            s.At(4, 4, c.fullPage0, 0) = JianpuOne();
        if (c.fullPage1 >= 0)
            s.At(4, 4, c.fullPage1, 1) = JianpuOne();
        const std::string path = (dir / "t.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, c.drop));
        const std::string bytes = ReadFile(path);
        EXPECT_EQ(WordAt(bytes, 8), c.n0);

        NewScore t;
        ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
        EXPECT_EQ(t.score.PageSets[0].size(), c.n0);
        EXPECT_EQ(t.score.PageSets[1].size(), c.n1);
        if (c.fullPage1 >= 0) {
            EXPECT_EQ(t.At(4, 4, c.fullPage1, 1).Note, '1');
        }
    }
}

TEST(BinScoreRoundTrip, StoredPageIsClampedToThePagesRead) {
    struct Case {
        int stored, pages;
        bool quiet;
        int expected;
    };
    const Case cases[] = {{-5, 3, false, 0}, {7, 3, false, 2}, {1, 3, false, 1}, {2, 3, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        tqtest::TempDir dir;
        NewScore s;
        s.AddPages(0, c.pages - 1);
        for (int p = 0; p < c.pages; ++p)
            s.At(1, 1, p) = JianpuOne();
        s.score.CurPage = c.stored;
        const std::string path = (dir / "p.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
        NewScore t;
        ASSERT_TRUE(LoadBinaryScore(path, &t.score, c.quiet));
        EXPECT_EQ(BinScoreFile.StoredPage, c.expected);
    }
}

TEST(BinScoreWriter, LayerOneLongerThanLayerZeroReopensWhole) {
    // One page of layer 0, three of layer 1: the writer must not store a
    // layer-1 count its own reader passes over.
    for (bool userSave : {true, false}) {
        SCOPED_TRACE(userSave ? "user save" : "undo snapshot");
        tqtest::TempDir dir;
        NewScore s;
        s.At(0, 0, 0, 0) = JianpuOne();
        s.AddPages(1, 3);
        for (int p = 0; p < 3; ++p)
            s.At(p + 1, 2, p, 1).Note = '2' + p;
        const std::string path = (dir / "l.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, userSave));
        NewScore t;
        Messages m;
        ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
        ASSERT_EQ(t.score.PageSets[1].size(), 3u);
        EXPECT_GE(t.score.PageSets[0].size(), 2u);
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(t.At(p + 1, 2, p, 1).Note, '2' + p);
        EXPECT_EQ(t.At(0, 0).Note, '1');
        EXPECT_TRUE(m.recorder.shown.empty());
    }
}

TEST(BinScoreWriter, SymbolCellsWithContentOnlyInLaterSlotsAreWritten) {
    tqtest::TempDir dir;
    NewScore s;
    TCell sym;
    sym.cellType = ctSymbol;
    sym.upNote = 120; // Note and FontColor blank: IsEmptyCell calls this empty
    s.At(1, 1) = sym;
    TCell effect;
    effect.cellType = ctSoundEffect;
    effect.FontColor = 5;
    s.At(2, 1) = effect;
    TCell westBlank;
    westBlank.cellType = ctWestern;
    westBlank.upNote = 77; // a run-time value of Western cells: not content
    s.At(3, 1) = westBlank;
    const std::string path = (dir / "s.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    NewScore t;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.At(1, 1).upNote, 120);
    EXPECT_EQ(t.At(2, 1).FontColor, 5);
    EXPECT_EQ(t.At(3, 1), TCell());
}

TEST(BinScoreWriter, OverlongTextIsCutAtACharacterBoundary) {
    tqtest::TempDir dir;
    NewScore s;
    TCell text;
    text.cellType = ctText;
    text.FontCharset = 134;
    text.FontName = "CN";
    // 1197 ASCII bytes, then a two-byte GBK character that would end at byte 1199.
    text.Text = std::string(1197, 'a') + "\xD2\xF4" + "bb";
    s.At(0, 0) = text;
    const std::string path = (dir / "long.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    NewScore t;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.At(0, 0).Text, std::string(1197, 'a'));

    text.Text = std::string(1196, 'a') + "\xD2\xF4" + "bb"; // the character ends at 1198: kept
    s.At(0, 0) = text;
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.At(0, 0).Text, std::string(1196, 'a') + "\xD2\xF4");
}

TEST(BinScoreReader, PaperSizeIsRoundedToHundredthsWithoutFloatNoise) {
    struct Case {
        float width, height, wantWidth, wantHeight;
    };
    const Case cases[] = {
        {8.27f, 11.69f, 8.27f, 11.69f}, // A4 stays A4
        {8.5f, 11.0f, 8.5f, 11.0f},
        {8.271f, 11.694f, 8.28f, 11.69f}, // width up, height to the nearest
        {8.2701f, 11.695f, 8.28f, 11.70f}, // halves go up
    };
    for (const Case& c : cases) {
        tqtest::TempDir dir;
        NewScore s;
        s.score.PaperWidth = c.width;
        s.score.PaperHeight = c.height;
        ASSERT_TRUE(s.score.CalcPageGrid());
        const std::string path = (dir / "paper.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
        NewScore t;
        ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
        EXPECT_EQ(t.score.PaperWidth, c.wantWidth) << c.width;
        EXPECT_EQ(t.score.PaperHeight, c.wantHeight) << c.height;
    }
}

TEST(BinScoreReader, HeaderValuesOutOfRangeTakeTheirDefaults) {
    tqtest::TempDir dir;
    NewScore s;
    s.score.TextSymSize = 16;
    s.score.HintSize = -1.0f;
    s.score.HintMode = 5;
    s.score.NoteFontStyle = 3;
    const std::string path = (dir / "h.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    EXPECT_EQ(WordAt(ReadFile(path), 66), 3u); // the note font style is written ...
    NewScore t;
    t.score.NoteFontStyle = 0;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.score.NoteFontStyle, 0); // ... but not read back
    EXPECT_EQ(t.score.TextSymSize, 8);
    EXPECT_FLOAT_EQ(t.score.HintSize, 0.6f);
    EXPECT_EQ(t.score.HintMode, 5);

    // Version 401 and older knew no hints and no text-symbol size.
    std::string bytes = ReadFile(path);
    PutWord(bytes, 4, 401);
    PutWord(bytes, 118, 12);
    WriteFile(path, bytes);
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_EQ(t.score.HintMode, 0);
    EXPECT_EQ(t.score.TextSymSize, 8);
}

TEST(BinScoreReader, QuietOpenReadsOnlyTheFirstPageOfLayer0) {
    tqtest::TempDir dir;
    NewScore s;
    s.AddPages(0, 2);
    s.AddPages(1, 3);
    for (int p = 0; p < 3; ++p) {
        s.At(1, 1, p, 0) = JianpuOne();
        s.At(1, 1, p, 1) = JianpuOne();
    }
    const std::string path = (dir / "q.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    Messages m;
    NewScore t;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, true));
    EXPECT_EQ(t.score.PageSets[0].size(), 1u);
    EXPECT_TRUE(t.score.PageSets[1].empty());
    EXPECT_EQ(t.At(1, 1).Note, '1');
    EXPECT_TRUE(m.recorder.shown.empty());
}

TEST(BinScoreReader, IsBinaryScoreFileLooksAtTheFirstWord) {
    tqtest::TempDir dir;
    NewScore s;
    const std::string bin = (dir / "a.mus").string();
    ASSERT_TRUE(SaveBinaryScore(bin, &s.score, true));
    EXPECT_TRUE(IsBinaryScoreFile(bin));
    const std::string text = (dir / "b.mus").string();
    WriteFile(text, "Tonquill Version\r\n4.1\r\n");
    EXPECT_FALSE(IsBinaryScoreFile(text));
    EXPECT_FALSE(IsBinaryScoreFile((dir / "none.mus").string()));
}
