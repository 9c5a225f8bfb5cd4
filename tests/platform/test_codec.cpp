// Text in Windows code pages: strict decoding and encoding, cutting at
// character boundaries.
#include <gtest/gtest.h>

#include <random>

#include "platform/core/TQCodec.h"

namespace {

struct TDecodeCase {
    const char* what;
    std::string bytes;
    int charset;
    bool ok;
    std::string utf8;     // when ok
    std::size_t badAt;    // when not ok
};

TEST(Codec, DecodesScoreBytesStrictly) {
    const TDecodeCase cases[] = {
        {"GBK by charset 134", "\xC4\xE3\xBA\xC3", 134, true, "你好", 0},
        {"GBK by default charset", "A\xC4\xE3", 1, true, "A你", 0},
        {"GBK full-width comma", "\xA3\xAC", 134, true, "，", 0},
        {"GBK euro byte", "\x80", 134, true, "€", 0},
        {"GBK undefined byte", "AB\xFF", 134, false, "", 2},
        {"GBK lead byte cut off at the end", "AB\xC4", 134, false, "", 2},
        {"GBK bad trail byte", "x\xC4\x20y", 134, false, "", 1},
        {"CP1252 letters", "caf\xE9", 0, true, "café", 0},
        {"CP1252 euro and quotes", "\x80\x93\x94", 0, true, "€“”", 0},
        {"CP1252 undefined byte is its C1 control", "\x81", 0, true, "\xC2\x81", 0},
        {"symbol bytes as they are", std::string("\x21\xF0\x00", 3), 2, true,
         std::string("\x21\xC3\xB0\x00", 4), 0},
        {"empty", "", 134, true, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = "stale";
        std::size_t bad = 999;
        EXPECT_EQ(CharsetToUtf8(c.bytes, c.charset, out, &bad), c.ok);
        if (c.ok) {
            EXPECT_EQ(out, c.utf8);
            EXPECT_EQ(DecodeForDisplay(c.bytes, c.charset), c.utf8);
        } else {
            EXPECT_EQ(out, "");
            EXPECT_EQ(bad, c.badAt);
            EXPECT_FALSE(DecodeForDisplay(c.bytes, c.charset).has_value());
        }
    }
}

TEST(Codec, EncodesUserInputOrRefuses) {
    const TDecodeCase cases[] = {
        {"Chinese into GBK", "\xC4\xE3\xBA\xC3", 134, true, "你好", 0},
        {"euro into CP1252", "\x80", 0, true, "€", 0},
        {"C1 control into CP1252", "\x9D", 0, true, "\xC2\x9D", 0},
        {"Chinese into CP1252 refused", "", 0, false, "ab你", 2},
        {"emoji into GBK refused", "", 134, false, "a😀", 1},
        {"tag character into GBK refused, not dropped", "", 134, false, "a\xF3\xA0\x80\x81" "b", 1},
        {"above U+00FF into symbol refused", "", 2, false, "xĀ", 1},
        {"broken UTF-8 refused (GBK)", "", 134, false, "a\xC3", 1},
        {"broken UTF-8 refused (CP1252)", "", 0, false, "ab\xE2\x82", 2},
        {"overlong UTF-8 refused", "", 0, false, "\xC0\xAF", 0},
        {"surrogate in UTF-8 refused", "", 2, false, "\xED\xA0\x80", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = "stale";
        std::size_t bad = 999;
        EXPECT_EQ(Utf8ToCharset(c.utf8, c.charset, out, &bad), c.ok);
        if (c.ok) {
            EXPECT_EQ(out, c.bytes);
            EXPECT_EQ(EncodeFromUserInput(c.utf8, c.charset), c.bytes);
        } else {
            EXPECT_EQ(out, "");
            EXPECT_EQ(bad, c.badAt);
            EXPECT_FALSE(EncodeFromUserInput(c.utf8, c.charset).has_value());
        }
    }
}

TEST(Codec, SingleByteCharsetsRoundTripEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (int charset : {0, 2}) {
        SCOPED_TRACE(charset);
        auto utf8 = DecodeForDisplay(all, charset);
        ASSERT_TRUE(utf8.has_value());
        EXPECT_EQ(EncodeFromUserInput(*utf8, charset), all);
    }
}

TEST(Codec, CutsAtCharacterBoundaries) {
    const std::string chinese = "a\xC4\xE3\xBA\xC3"; // a 你 好: 1 + 2 + 2 bytes
    struct TCut {
        std::string bytes;
        int charset;
        std::size_t max;
        std::size_t length;
    } cases[] = {
        {chinese, 134, 5, 5},
        {chinese, 134, 4, 3}, // not between the lead and trail of 好
        {chinese, 134, 2, 1},
        {chinese, 134, 0, 0},
        {chinese, 0, 4, 4},   // single-byte code page: any byte is a boundary
        {chinese, 2, 2, 2},
        {std::string(1197, 'x') + "\xC4\xE3", 134, 1198, 1197},
        {std::string(1196, 'x') + "\xC4\xE3", 134, 1198, 1198},
        {"\x81\x40\x81\x40", 1, 3, 2}, // trail bytes that look like ASCII
        {"ab\xC4", 134, 10, 3},        // text that fits is kept whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes.size()) + " bytes, max " + std::to_string(c.max));
        EXPECT_EQ(CharBoundaryLength(c.bytes, c.charset, c.max), c.length);
        EXPECT_EQ(CutToBytes(c.bytes, c.charset, c.max), c.bytes.substr(0, c.length));
    }
}

TEST(Codec, CutGbkTextStillDecodes) {
    // mixed ASCII and Chinese, cut at every length: the cut never splits a character
    std::mt19937 rng(7);
    std::string utf8;
    const char* pieces[] = {"a", "你", "好", " ", "乐", "谱", "1"};
    for (int i = 0; i < 200; ++i)
        utf8 += pieces[rng() % 7];
    auto bytes = EncodeFromUserInput(utf8, 134);
    ASSERT_TRUE(bytes.has_value());
    for (std::size_t max = 0; max <= bytes->size(); ++max) {
        std::string cut = CutToBytes(*bytes, 134, max);
        ASSERT_LE(cut.size(), max);
        ASSERT_GE(cut.size() + 1, max) << "cut more than one byte short";
        ASSERT_TRUE(DecodeForDisplay(cut, 134).has_value()) << "split at " << max;
    }
}

TEST(Codec, CharsetsMapToCodePages) {
    EXPECT_STREQ(CodePageOfCharset(134), "CP936");
    EXPECT_STREQ(CodePageOfCharset(1), "CP936");
    EXPECT_STREQ(CodePageOfCharset(0), "CP1252");
    EXPECT_EQ(CodePageOfCharset(2), nullptr);
    EXPECT_TRUE(IsDoubleByteCharset(134));
    EXPECT_FALSE(IsDoubleByteCharset(0));
    EXPECT_FALSE(IsDoubleByteCharset(2));
}

} // namespace
