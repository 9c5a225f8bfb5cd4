// The out-of-line text and lists of a cell behave as the std::string and
// std::vector they stand for: deep copies, empty equals never set, edits in
// the middle keep the order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/modTQCell.h"

TEST(CompactCell, TextReadsAndWritesLikeAString) {
    TCell a;
    EXPECT_TRUE(a.Text.empty());
    EXPECT_EQ(a.Text, "");
    EXPECT_EQ(a.Text[0], '\0');
    a.Text = std::string("1=bE");
    a.Text += "x";
    a.Text.push_back('y');
    EXPECT_EQ(a.Text, "1=bExy");
    EXPECT_EQ(a.Text.size(), 6u);
    EXPECT_EQ(a.Text.find('='), 1u);
    EXPECT_EQ("<" + a.Text + ">", "<1=bExy>");
    const std::string& asString = a.Text;
    EXPECT_EQ(asString, "1=bExy");

    TCell b = a; // a deep copy
    b.Text[0] = '2';
    EXPECT_EQ(a.Text, "1=bExy");
    EXPECT_EQ(b.Text, "2=bExy");
    EXPECT_FALSE(a == b);
    b.Text = a.Text;
    EXPECT_TRUE(a == b);

    // Cleared, assigned empty or never set: the same cell.
    a.Text.clear();
    b.Text = "";
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == TCell());
    a.FontName = std::string_view("NT");
    TCell moved = std::move(a);
    EXPECT_EQ(moved.FontName, "NT");
}

TEST(CompactCell, ListsEditLikeVectors) {
    TCell c;
    EXPECT_TRUE(c.CompressNotes.empty());
    EXPECT_EQ(c.CompressNotes.begin(), c.CompressNotes.end());
    for (TCompressNote& n : c.CompressNotes) // an empty list iterates nothing
        n.code = 0;
    c.CompressNotes = {{'1', 0, 0, 0, 0, 0}, {'3', 0, 0, 0, 0, 0}};
    c.CompressNotes.insert(c.CompressNotes.begin() + 1, TCompressNote{'2', 0, 0, 0, 0, 0});
    c.CompressNotes.push_back({'4', 0, 0, 0, 0, 0});
    auto codes = [&]() {
        std::string s;
        for (const TCompressNote& n : c.CompressNotes)
            s += char(n.code);
        return s;
    };
    EXPECT_EQ(codes(), "1234");
    auto next = c.CompressNotes.erase(c.CompressNotes.begin());
    EXPECT_EQ(next->code, '2');
    std::reverse(c.CompressNotes.begin(), c.CompressNotes.end());
    EXPECT_EQ(codes(), "432");
    c.CompressNotes.resize(1);
    EXPECT_EQ(codes(), "4");

    TCell copy = c;
    copy.CompressNotes[0].code = '9';
    EXPECT_EQ(codes(), "4");
    const std::vector<TCompressNote>& asVector = copy.CompressNotes;
    EXPECT_EQ(asVector.size(), 1u);

    c.CompressNotes.erase(c.CompressNotes.begin());
    c.westChordArray.push_back({2, 0, 0, 0});
    c.westChordArray.clear();
    EXPECT_TRUE(c == TCell());
}

// The font tags every note cell carries are one shared copy each; an edit of
// one cell's tag must never show in another cell.
TEST(CompactCell, SharedFontTagsAreCopiedBeforeAWrite) {
    TCell a, b;
    a.FontName = "NT";
    b.FontName = std::string("NT");
    EXPECT_TRUE(a.FontName.SharesStorage());
    EXPECT_EQ(a.FontName.data(), b.FontName.data());
    TCell c = a;
    TCell d;
    d = a;
    EXPECT_TRUE(c.FontName.SharesStorage());
    EXPECT_TRUE(d.FontName.SharesStorage());

    struct Edit {
        const char* name;
        void (*apply)(TCellText&);
        const char* expected;
    };
    const Edit edits[] = {
        {"index", [](TCellText& t) { t[0] = 'E'; }, "ET"},
        {"push_back", [](TCellText& t) { t.push_back('x'); }, "NTx"},
        {"append", [](TCellText& t) { t += "yz"; }, "NTyz"},
        {"insert", [](TCellText& t) { t.insert(0, "a"); }, "aNT"},
        {"pop_back", [](TCellText& t) { t.pop_back(); }, "N"},
        {"erase", [](TCellText& t) { t.erase(0, 1); }, "T"},
        {"erase all", [](TCellText& t) { t.erase(0, 2); }, ""},
        {"resize", [](TCellText& t) { t.resize(3, 'q'); }, "NTq"},
        {"assign other", [](TCellText& t) { t = "Arial"; }, "Arial"},
        {"assign other tag", [](TCellText& t) { t = "CN"; }, "CN"},
        {"move in", [](TCellText& t) { t = std::string("Song Ti"); }, "Song Ti"},
        {"clear", [](TCellText& t) { t.clear(); }, ""},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name);
        TCell e1 = a;
        e.apply(e1.FontName);
        EXPECT_EQ(e1.FontName, e.expected);
        EXPECT_EQ(a.FontName, "NT");
        EXPECT_EQ(b.FontName, "NT");
        EXPECT_EQ(c.FontName, "NT");
    }
    // An owned text that becomes a tag gives its own copy up, and back.
    TCell e;
    e.Text = "long text of a cell";
    e.Text = "EN";
    EXPECT_TRUE(e.Text.SharesStorage());
    e.Text = TCell(a).FontName;
    EXPECT_EQ(e.Text, "NT");
    e.Text += "!";
    EXPECT_FALSE(e.Text.SharesStorage());
    EXPECT_EQ(e.Text, "NT!");
    EXPECT_TRUE(a == c);
}
