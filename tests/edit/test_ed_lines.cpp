// Lines, pages and columns of the grid editing object.
#include <gtest/gtest.h>

#include "tests/edit/TQEditFixture.h"

namespace {

// Where the cell marked with id sits now: {page, row, col}, or {-1, -1, -1}.
struct TPlace {
    int page, row, col;
    bool operator==(const TPlace&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TPlace& p) {
    return os << "page " << p.page << " row " << p.row << " col " << p.col;
}

TPlace Find(TEditFixture& fx, int id, int layer = 0) {
    const TLayer& pages = fx.win.PageSets[layer];
    for (int p = 0; p < int(pages.size()); ++p)
        for (int r = 0; r < fx.win.Rows && r < int(pages[p].size()); ++r)
            for (int c = 0; c < fx.win.Cols; ++c)
                if (pages[p][r][c].Note == '1' && pages[p][r][c].FontColor == id)
                    return {p, r, c};
    return {-1, -1, -1};
}

// Both layers hold the same pages and cells; the first difference is reported.
::testing::AssertionResult SameScore(const TPageSets& a, const TPageSets& b) {
    for (int l = 0; l < 2; ++l) {
        if (a[l].size() != b[l].size())
            return ::testing::AssertionFailure() << "layer " << l << ": " << a[l].size() << " pages, not " << b[l].size();
        for (std::size_t p = 0; p < a[l].size(); ++p)
            for (std::size_t r = 0; r < a[l][p].size() && r < b[l][p].size(); ++r)
                for (std::size_t c = 0; c < a[l][p][r].size() && c < b[l][p][r].size(); ++c)
                    if (!(a[l][p][r][c] == b[l][p][r][c]))
                        return ::testing::AssertionFailure() << "layer " << l << " page " << p << " row " << r << " col " << c;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(EdLines, InsertLineAppendsAPageAndCarriesLastLinesOver) {
    for (int layerWithLastLine : {0, 1}) {
        SCOPED_TRACE(layerWithLastLine);
        TEditFixture fx(0, 0, 2, 2); // 60 x 40
        ASSERT_EQ(fx.win.Rows, 40);
        fx.Mark(0, 39, 1);                           // page 1 row 39
        fx.Mark(1, 39, 2, 1, layerWithLastLine);     // page 2 row 39: the last line of the score
        fx.Mark(2, 39, 3, 0, 1);                     // layer 1, page 1 row 39
        fx.Mark(3, 4, 4);                            // above the inserted line: stays
        TCell& span = fx.Mark(4, 10, 5);             // a bar mark from row 10 to row 12
        span.markType = 28;
        span.jEnd = 12;
        TCell& across = fx.Mark(5, 2, 6);            // a span from above across the inserted line
        across.markType = 28;
        across.jEnd = 7;
        const TPageSets before = fx.win.PageSets;
        Undo.SaveScoreSnapshot(true); // the command's snapshot

        fx.ed.InsertLine(0, 5);

        EXPECT_EQ(fx.win.PageSets[0].size(), 3u);
        EXPECT_EQ(fx.win.PageSets[1].size(), 3u);
        EXPECT_EQ(Find(fx, 1), (TPlace{1, 0, 0}));
        EXPECT_EQ(Find(fx, 2, layerWithLastLine), (TPlace{2, 0, 1}));
        EXPECT_EQ(Find(fx, 3, 1), (TPlace{1, 0, 2}));
        EXPECT_EQ(Find(fx, 4), (TPlace{0, 4, 3}));
        EXPECT_EQ(Find(fx, 5), (TPlace{0, 11, 4}));
        EXPECT_EQ(fx.At(4, 11).jEnd, 13);
        EXPECT_EQ(fx.At(5, 2).jEnd, 8);
        for (int c = 0; c < fx.win.Cols; ++c)
            EXPECT_EQ(fx.At(c, 5).Note, 32);
        EXPECT_EQ(CurLayer, 0);

        Undo.UndoStep();
        EXPECT_TRUE(SameScore(fx.win.PageSets, before));
    }
}

TEST(EdLines, InsertLineWithAnEmptyLastLineKeepsThePageCount) {
    TEditFixture fx(6, 5, 2);
    fx.Mark(0, 4, 1); // last line of page 1 (not the last page)
    fx.ed.InsertLine(0, 0);
    EXPECT_EQ(fx.win.PageSets[0].size(), 2u);
    EXPECT_EQ(Find(fx, 1), (TPlace{1, 0, 0}));
    EXPECT_TRUE(fx.win.PageSets[1].empty()); // no twin, nothing made
}

TEST(EdLines, InsertLineClampsSpanEndsToTheGrid) {
    TEditFixture fx(6, 5, 1);
    TCell& span = fx.Mark(0, 1, 1);
    span.markType = 28;
    span.jEnd = 4; // reaches the last line
    fx.ed.InsertLine(0, 3);
    EXPECT_EQ(fx.win.PageSets[0].size(), 1u);
    EXPECT_EQ(fx.At(0, 1).jEnd, 4);
}

TEST(EdLines, DeleteLinePullsLaterLinesUpAcrossPages) {
    TEditFixture fx(6, 5, 3, 3);
    fx.Mark(0, 2, 1);    // the deleted line
    fx.Mark(1, 3, 2);    // moves to row 2
    fx.Mark(2, 0, 3, 1); // page 1 row 0 -> page 0 row 4
    fx.Mark(3, 0, 4, 2); // page 2 row 0 -> page 1 row 4
    fx.Mark(4, 4, 5, 2); // page 2 row 4 -> row 3
    fx.Mark(0, 0, 6, 1, 1); // layer 1 moves too
    TCell& span = fx.Mark(5, 0, 7);
    span.markType = 28;
    span.jEnd = 3;
    fx.Select(0, 2, 0, 2);

    fx.ed.DeleteLine();

    EXPECT_EQ(Find(fx, 1), (TPlace{-1, -1, -1}));
    EXPECT_EQ(Find(fx, 2), (TPlace{0, 2, 1}));
    EXPECT_EQ(Find(fx, 3), (TPlace{0, 4, 2}));
    EXPECT_EQ(Find(fx, 4), (TPlace{1, 4, 3}));
    EXPECT_EQ(Find(fx, 5), (TPlace{2, 3, 4}));
    EXPECT_EQ(Find(fx, 6, 1), (TPlace{0, 4, 0}));
    EXPECT_EQ(fx.At(5, 0).jEnd, 2);
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(fx.At(c, 4, 2).Note, 32);
    EXPECT_EQ(CurLayer, 0);
}

TEST(EdLines, InsertPageShiftsBothLayersWithoutLosingAPage) {
    TEditFixture fx(6, 5, 3, 2); // layer 1 shorter than layer 0
    fx.Mark(0, 0, 1, 0);
    fx.Mark(0, 0, 2, 1);
    fx.Mark(0, 0, 3, 2);
    fx.Mark(1, 1, 4, 0, 1);
    fx.Mark(1, 1, 5, 1, 1);
    fx.ed.InsertPage(1);
    EXPECT_EQ(fx.win.PageSets[0].size(), 4u);
    EXPECT_EQ(Find(fx, 1), (TPlace{0, 0, 0}));
    EXPECT_EQ(Find(fx, 2), (TPlace{2, 0, 0}));
    EXPECT_EQ(Find(fx, 3), (TPlace{3, 0, 0}));
    EXPECT_EQ(Find(fx, 4, 1), (TPlace{0, 1, 1}));
    EXPECT_EQ(Find(fx, 5, 1), (TPlace{2, 1, 1}));
    EXPECT_TRUE(fx.win.HasJianpuPageAt(1));
    EXPECT_EQ(fx.win.PageCount, 4);
}

TEST(EdLines, DeletePageAsksWhenModifiedAndKeepsTheOnlyPage) {
    TEditFixture fx(0, 0, 2, 2);
    fx.Mark(0, 0, 1, 0);
    fx.Mark(0, 0, 2, 1);
    fx.Mark(0, 0, 3, 1, 1);
    fx.win.CurPage = 0;
    fx.win.Modified = true;
    fx.messages.Answer(mrNo);
    fx.ed.DeletePage();
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1025);
    EXPECT_EQ(fx.win.PageSets[0].size(), 2u);

    fx.ed.DeletePage(); // answered Yes
    EXPECT_EQ(fx.win.PageSets[0].size(), 1u);
    EXPECT_EQ(fx.win.PageSets[1].size(), 1u);
    EXPECT_EQ(Find(fx, 2), (TPlace{0, 0, 0}));
    EXPECT_EQ(Find(fx, 3, 1), (TPlace{0, 0, 0}));
    EXPECT_EQ(fx.win.CurPage, 0);
    Undo.UndoStep();
    EXPECT_EQ(fx.win.PageSets[0].size(), 2u);
    EXPECT_EQ(Find(fx, 1), (TPlace{0, 0, 0}));

    TEditFixture one(6, 5, 1);
    one.Mark(0, 0, 1);
    one.ed.DeletePage(); // not modified: no question; the only page stays
    EXPECT_TRUE(one.messages.shown.empty());
    EXPECT_EQ(Find(one, 1), (TPlace{0, 0, 0}));
    EXPECT_TRUE(one.win.Modified);
    EXPECT_TRUE(Undo.UndoList.empty());
}

TEST(EdLines, ClearPageAsksAndCanBeUndone) {
    TEditFixture fx(6, 5, 1, 1);
    fx.Mark(0, 0, 1);
    fx.Mark(1, 1, 2, 0, 1);
    fx.win.Modified = true;
    fx.messages.Answer(mrNo);
    fx.ed.ClearPage(true);
    EXPECT_EQ(Find(fx, 1), (TPlace{0, 0, 0}));

    fx.ed.ClearPage(true); // Yes; both layers apply
    EXPECT_EQ(fx.messages.shown.back().id, 1024);
    EXPECT_EQ(Find(fx, 1), (TPlace{-1, -1, -1}));
    EXPECT_EQ(Find(fx, 2, 1), (TPlace{-1, -1, -1}));
    Undo.UndoStep();
    EXPECT_EQ(Find(fx, 1), (TPlace{0, 0, 0}));
    EXPECT_EQ(Find(fx, 2, 1), (TPlace{0, 1, 1}));
}

TEST(EdLines, InsertAndDeleteColumns) {
    TEditFixture fx(6, 3, 1);
    fx.Row(0, "1 2 3 4 5 6");
    TCell& slur = fx.At(1, 1);
    slur = TScoreFixture::Cell("2{mark=1,iEnd=3}");
    TCell& toEnd = fx.At(3, 2);
    toEnd = TScoreFixture::Cell("2{mark=1,iEnd=5}");
    fx.ed.InsertColumns(1, 1);
    EXPECT_EQ(fx.At(1, 0).Note, 32);
    EXPECT_EQ(fx.At(2, 0).Note, '2');
    EXPECT_EQ(fx.At(5, 0).Note, '5'); // '6' went off the line
    EXPECT_EQ(fx.At(2, 1).iEnd, 4);
    EXPECT_EQ(fx.At(4, 2).iEnd, 5); // held at the last column
    fx.ed.InsertColumns(1, -1);
    EXPECT_EQ(fx.At(1, 0).Note, '2');
    EXPECT_EQ(fx.At(5, 0).Note, 32);
    EXPECT_EQ(fx.At(1, 1).iEnd, 3);
    fx.ed.InsertColumns(1, 0);
    EXPECT_EQ(fx.At(1, 0).Note, '2');
}
