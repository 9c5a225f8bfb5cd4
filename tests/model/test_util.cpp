// Rounding and geometry, colours and font styles, the token readers of text files,
// the small binary readers, folders, comma lists and tool-window placement.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "model/modTQMainScore.h"
#include "model/modTQUtil.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// A temporary stream holding the bytes, positioned at its start.
FilePtr StreamOf(const std::string& bytes) {
    FilePtr f(std::tmpfile());
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f.get());
        std::rewind(f.get());
    }
    return f;
}

} // namespace

TEST(Numbers, RoundingIsHalfUpAlsoForNegatives) {
    const std::pair<double, int> cases[] = {{2.5, 3},   {-2.5, -2}, {2.49, 2},  {-2.51, -3},
                                            {0.0, 0},   {-0.5, 0},  {1e12, std::numeric_limits<int>::max()},
                                            {-1e12, std::numeric_limits<int>::min()},
                                            {std::nan(""), 0}};
    for (auto [x, expected] : cases) {
        EXPECT_EQ(RoundToInt(x), expected) << x;
        EXPECT_EQ(RoundToNearest(x), expected) << x;
    }
    EXPECT_EQ(SignOf(0.0), 1);
    EXPECT_EQ(SignOf(-0.1), -1);
    EXPECT_TRUE(FloatEqual(1.0, 1.05, 0.1));
    EXPECT_FALSE(FloatEqual(1.0, 1.1, 0.1));
    EXPECT_EQ(AddWithWrap(1, 2, true), 3);
    EXPECT_EQ(AddWithWrap(2, 2, true), 0);
    EXPECT_EQ(AddWithWrap(2, 2, false), 4);
    EXPECT_TRUE(StrEqual("ab", "ab"));
    EXPECT_FALSE(StrEqual("ab", "abc"));
    EXPECT_FALSE(StrEqual("ab", nullptr));
}

TEST(Numbers, LinesAndPoints) {
    EXPECT_EQ(InterpolateInt({0, 10}, {10, 20}, 5), 15);
    EXPECT_EQ(InterpolateInt({0, 0}, {3, 10}, 1), 3);    // 10 / 3 truncated
    EXPECT_EQ(InterpolateInt({0, 0}, {3, -10}, 1), -3);  // toward zero
    EXPECT_EQ(InterpolateInt({4, 3}, {4, 8}, 100), 5);   // equal x: the mean, truncated
    EXPECT_DOUBLE_EQ(InterpolateFloat(0, 1, 2, 3, 1), 2.0);
    EXPECT_DOUBLE_EQ(InterpolateFloat(1, 1, 1, 4, 9), 2.5);

    TPoint out{-7, -7};
    LineIntersection({0, 0}, 1.0f, {0, 10}, -1.0f, out); // y = x and y = 10 - x
    EXPECT_EQ(out, (TPoint{5, 5}));
    out = {-7, -7};
    LineIntersection({0, 0}, 2.0f, {1, 1}, 2.0f, out); // parallel: unchanged
    EXPECT_EQ(out, (TPoint{-7, -7}));
    PointOnLine({1, 1}, 0.5f, 4.9f, out);
    EXPECT_EQ(out, (TPoint{4, 2})); // x 4.9 -> 4; y 1 + 3.9 * 0.5 = 2.95 -> 2

    EXPECT_TRUE(CrossProductPositive({0, 1}, {0, 0}, {1, 0}));
    EXPECT_FALSE(CrossProductPositive({0, -1}, {0, 0}, {1, 0}));
    EXPECT_FALSE(CrossProductPositive({2, 0}, {0, 0}, {1, 0})); // on the line
    EXPECT_TRUE(CrossProductPositiveXY(0, 1, 0, 0, 1, 0));

    EXPECT_DOUBLE_EQ(Distance(0, 0, 3, 4), 5.0);
    EXPECT_DOUBLE_EQ(PointDistance({1, 1}, {4, 5}), 5.0);
    EXPECT_DOUBLE_EQ(PointAngle({1, 1}, {1, 1}), 0.0);
    EXPECT_DOUBLE_EQ(LineAngle(0, 0, 0, 2), M_PI / 2);
    EXPECT_TRUE(SamePoint({1, 2}, {1, 2}));
    EXPECT_FALSE(SamePoint({1, 2}, {2, 1}));
}

TEST(Numbers, GridSpansFollowTheCurrentCellSizeInPixels) {
    TScoreFixture fx(4, 4);
    fx.Score().Zoom = 2.0;
    fx.Score().CellWidth = 15;
    fx.Score().CellHeight = 30;
    EXPECT_EQ(ColsToPixels(3), 90);
    EXPECT_EQ(ColSpanToPixels(1, 2), 90);
    EXPECT_EQ(RowsToPixels(2), 120);
    EXPECT_EQ(RowSpanToPixels(-1, 3), 120);
    fx.Score().DrawSizeFactor = 0.7f;
    EXPECT_EQ(RowsToPixels(1), 42);
}

TEST(Colours, SplitLightenAndFontStyles) {
    int r, g, b;
    SplitRGB(0x00336699, r, g, b);
    EXPECT_EQ(r, 0x99);
    EXPECT_EQ(g, 0x66);
    EXPECT_EQ(b, 0x33);
    EXPECT_EQ(LightenColor(0), RGBColor(170, 170, 170));
    EXPECT_EQ(LightenColor(0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(LightenColor(RGBColor(255, 0, 30)), RGBColor(255, 170, 180));
    EXPECT_EQ(ByteToInt(200), 200);

    for (int byte = 0; byte < 16; ++byte)
        EXPECT_EQ(FontStylesToByte(ByteToFontStyles(static_cast<uint8_t>(byte))), byte);
    EXPECT_EQ(ByteToFontStyles(0xF3), fsBold | fsItalic);
    EXPECT_EQ(FontStylesToByte(fsUnderline | fsStrikeOut), 12);

    const std::pair<const char*, int> kinds[] = {{"", 0}, {"CN", 1}, {"EN", 2}, {"NT", 3}, {"cn", 4}, {"XX", 4}};
    for (auto [code, kind] : kinds)
        EXPECT_EQ(GetFontKind(code), kind) << code;
}

TEST(TextReaders, LinesEndAtLineFeedsAndCrLfReadsAsLf) {
    FilePtr f = StreamOf("first\r\nsecond\rstill\n\nlong line here\nlast");
    ASSERT_TRUE(f);
    std::string line;
    ASSERT_TRUE(ReadTextLine(f.get(), &line));
    EXPECT_EQ(line, "first");
    ASSERT_TRUE(ReadTextLine(f.get(), &line));
    EXPECT_EQ(line, "second\rstill"); // a lone CR is kept
    ASSERT_TRUE(ReadTextLine(f.get(), &line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(ReadTextLine(f.get(), &line, 4));
    EXPECT_EQ(line, "long"); // the rest of the line is dropped
    ASSERT_TRUE(ReadTextLine(f.get(), nullptr));
    EXPECT_FALSE(ReadTextLine(f.get(), &line));
    EXPECT_FALSE(ReadTextLine(f.get(), &line));

    f = StreamOf("ab\xFF" "cd\n");
    ASSERT_TRUE(ReadTextLine(f.get(), &line));
    EXPECT_EQ(line, "ab"); // 0xFF ends the line as the end of the file does
    ASSERT_TRUE(ReadTextLine(f.get(), &line));
    EXPECT_EQ(line, "cd");
    f = StreamOf("\xFF");
    EXPECT_FALSE(ReadTextLine(f.get(), &line));
    EXPECT_FALSE(ReadTextLine(nullptr, &line));
}

TEST(TextReaders, WordsQuotedPlainAndLimited) {
    std::string word;
    FilePtr f = StreamOf("  \"a b\"x");
    EXPECT_EQ(ReadWord(f.get(), word, 99), '"');
    EXPECT_EQ(word, "a b");
    EXPECT_EQ(ReadWord(f.get(), word, 99), 0); // x, then the end of the file
    EXPECT_EQ(word, "x");
    EXPECT_EQ(ReadWord(f.get(), word, 99), -1);
    EXPECT_EQ(word, "");

    f = StreamOf("word\xB0next");
    EXPECT_EQ(ReadWord(f.get(), word, 99), static_cast<signed char>(0xB0));
    EXPECT_EQ(word, "word");
    EXPECT_EQ(ReadWord(f.get(), word, 99), 0);
    EXPECT_EQ(word, "next"); // the 0xB0 byte is gone

    // Skipped before a word: blanks, control bytes, '}', '~' and high bytes.
    f = StreamOf("}~\x01\x80\xC8 \r\n12\r\n34");
    EXPECT_EQ(ReadWord(f.get(), word, 99), '\n');
    EXPECT_EQ(word, "12");
    EXPECT_EQ(ReadWord(f.get(), word, 99), 0);
    EXPECT_EQ(word, "34");

    // 0xFA is stored as a double quote; a quoted word may hold high bytes and blanks.
    f = StreamOf("a\xFA" "b \"\xD2\xF4 \xC0\xD6\" c");
    EXPECT_EQ(ReadWord(f.get(), word, 99), ' ');
    EXPECT_EQ(word, "a\"b");
    EXPECT_EQ(ReadWord(f.get(), word, 99), '"');
    EXPECT_EQ(word, "\xD2\xF4 \xC0\xD6");

    // A word longer than the limit ends there; the rest is the next word.
    f = StreamOf("abcdef gh");
    EXPECT_EQ(ReadWord(f.get(), word, 4), 'd');
    EXPECT_EQ(word, "abcd");
    EXPECT_EQ(ReadWord(f.get(), word, 4), ' ');
    EXPECT_EQ(word, "ef");

    f = StreamOf("ab\xFF" "cd");
    EXPECT_EQ(ReadWord(f.get(), word, 99), 0);
    EXPECT_EQ(word, "ab");
    EXPECT_EQ(ReadWord(nullptr, word, 99), -1);
}

TEST(TextReaders, NumbersReadTheLeadingDigitsWithDotDecimals) {
    FilePtr f = StreamOf("42 -7 12abc x 99999999999 \"3\" 2.75 -0.5e1 abc");
    int status = 99;
    EXPECT_EQ(ReadInt(f.get(), &status), 42);
    EXPECT_EQ(status, ' ');
    EXPECT_EQ(ReadInt(f.get()), -7);
    EXPECT_EQ(ReadInt(f.get()), 12);
    EXPECT_EQ(ReadInt(f.get()), 0);
    EXPECT_EQ(ReadInt(f.get()), std::numeric_limits<int>::max());
    EXPECT_EQ(ReadInt(f.get(), &status), 3);
    EXPECT_EQ(status, '"');
    EXPECT_DOUBLE_EQ(ReadFloat(f.get()), 2.75);
    EXPECT_DOUBLE_EQ(ReadFloat(f.get()), -5.0);
    EXPECT_DOUBLE_EQ(ReadFloat(f.get()), 0.0);
    EXPECT_EQ(ReadInt(f.get(), &status), 0);
    EXPECT_EQ(status, -1);
}

TEST(BinaryReaders, BytesLittleEndianWordsAndCheckedFloats) {
    std::string bytes = "\x7F\xFE";
    bytes += std::string("\x78\x56\x34\x12", 4);
    auto addFloat = [&bytes](float v) {
        char b[4];
        std::memcpy(b, &v, 4);
        bytes.append(b, 4);
    };
    addFloat(2.5f);
    addFloat(-1000000.0f);
    addFloat(1000001.0f);
    addFloat(std::numeric_limits<float>::quiet_NaN());
    addFloat(std::numeric_limits<float>::infinity());
    bytes += "\x01\x02";
    FilePtr f = StreamOf(bytes);
    EXPECT_EQ(ReadByte(f.get()), 0x7F);
    EXPECT_EQ(ReadByte(f.get()), 0xFE);
    bool ok = false;
    EXPECT_EQ(ReadInt32(f.get(), &ok), 0x12345678);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadFloatChecked(f.get(), 7.0f), 2.5f);
    EXPECT_EQ(ReadFloatChecked(f.get(), 7.0f), -1000000.0f);
    EXPECT_EQ(ReadFloatChecked(f.get(), 7.0f), 7.0f);
    EXPECT_EQ(ReadFloatChecked(f.get(), 7.0f), 7.0f);
    EXPECT_EQ(ReadFloatChecked(f.get(), 7.0f), 7.0f);
    EXPECT_EQ(ReadInt32(f.get(), &ok), 0); // two bytes left
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFloatChecked(f.get(), 3.0f, &ok), 3.0f);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadByte(f.get()), -1);
    EXPECT_EQ(ReadByte(nullptr), -1);
}

TEST(Folders, DeleteFilesSubFoldersAndTheFolder) {
    tqtest::TempDir dir;
    namespace fs = std::filesystem;
    const fs::path root = dir / "undo";
    fs::create_directories(root / "sub" / "deeper");
    std::ofstream(root / "a.tmp") << "x";
    std::ofstream(root / "b.mus") << "x";
    std::ofstream(root / "sub" / "deeper" / "c.tmp") << "x";
    fs::permissions(root / "b.mus", fs::perms::owner_read);

    DeleteFolderFiles(root.string(), "*.tmp");
    EXPECT_FALSE(fs::exists(root / "a.tmp"));
    EXPECT_TRUE(fs::exists(root / "b.mus"));
    EXPECT_TRUE(fs::exists(root / "sub"));

    DeleteFolderFiles(AddTrailingBackslash(root.string()), "*.*");
    EXPECT_TRUE(fs::exists(root));
    EXPECT_TRUE(fs::is_empty(root));

    std::ofstream(root / "d") << "x";
    DeleteFolder(root.string(), "*");
    EXPECT_FALSE(fs::exists(root));
    DeleteFolder(root.string(), "*"); // a missing folder is no error

    EXPECT_EQ(AddTrailingBackslash("/tmp/a"), "/tmp/a/");
    EXPECT_EQ(AddTrailingBackslash("/tmp/a/"), "/tmp/a/");
    EXPECT_EQ(AddTrailingBackslash("C:\\Music\\"), "C:\\Music\\");
}

TEST(CommaLists, NumbersAndNames) {
    const std::string fw = "\xA3\xAC"; // the full-width comma
    struct Case {
        std::string text;
        bool ok;
        std::vector<int> values;
    };
    const std::vector<Case> cases = {
        {"1,3,5", true, {1, 3, 5}},
        {"1,0,5", false, {1}},
        {"1, 2 ,3,", true, {1, 2, 3}},
        {"", true, {}},
        {",1", false, {}},
        {"1" + fw + "3" + fw + "5", true, {1, 3, 5}},
        {"1" + fw + "3,4", true, {1, 3}},                // with the full-width comma only it separates
        {"1\xA3\xA1" "2,3", true, {1, 3}},               // A3 with another trail byte is no comma
        {"\xB0\xA3\xAC" "2,3", false, {}},               // the A3 AC inside two characters is none either
        {"12x,-4", true, {12, -4}},
    };
    for (const Case& k : cases) {
        std::vector<int> values{99};
        EXPECT_EQ(ParseIntList(k.text, values), k.ok) << k.text;
        std::vector<int> expected{99};
        expected.insert(expected.end(), k.values.begin(), k.values.end());
        EXPECT_EQ(values, expected) << k.text;
    }

    std::vector<std::string> names;
    EXPECT_TRUE(SplitToStrings(" Violin , , Flute ", names));
    EXPECT_EQ(names, (std::vector<std::string>{"Violin", "", "Flute"}));
    names.clear();
    EXPECT_TRUE(SplitToStrings("\xD2\xF4" + fw + " \xC0\xD6 " + fw, names));
    EXPECT_EQ(names, (std::vector<std::string>{"\xD2\xF4", "\xC0\xD6"}));
}

TEST(ToolWindows, KeepOnScreenLeavesA22PixelMargin) {
    struct Case {
        int left, top, width, height;
        int expLeft, expTop;
    };
    const Case cases[] = {
        {100, 100, 200, 100, 100, 100}, {900, 700, 200, 100, 778, 678}, {5, -40, 200, 100, 22, 22},
        {979, 10, 0, 0, 978, 22},
    };
    for (const Case& k : cases) {
        int left = k.left, top = k.top;
        KeepOnScreen(left, top, k.width, k.height, 1000, 800);
        EXPECT_EQ(left, k.expLeft) << k.left << "," << k.top;
        EXPECT_EQ(top, k.expTop) << k.left << "," << k.top;
    }
}
