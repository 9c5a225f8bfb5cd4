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
