// Book runs: running numbers, sheet sides and margins across scores.
#include <gtest/gtest.h>

#include "output/modTQBookPrint.h"

namespace {

std::vector<TMusic> Book(std::initializer_list<int> pages) {
    std::vector<TMusic> m;
    for (int p : pages) {
        TMusic e;
        e.Exists = true;
        e.PageCount = p;
        m.push_back(e);
    }
    return m;
}

} // namespace

TEST(BookRun, SelectedMusicsKeepRunningNumbersAndTwoSidesSwapOnEvenSheets) {
    auto book = Book({3, 2, 4, 1});
    book[1].Selected = book[3].Selected = true;
    TBookPrintOptions o;
    o.Music = bmSelected;
    o.PrinterType = bpTwoSides;
    const auto jobs = PlanBookRun(book, o);
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].Entry, 1);
    EXPECT_EQ(jobs[0].BookPageNo, 4);
    EXPECT_EQ(jobs[0].Sheet, 4);
    EXPECT_EQ(jobs[1].BookPageNo, 5);
    EXPECT_EQ(jobs[2].Entry, 3);
    EXPECT_EQ(jobs[2].BookPageNo, 10);
    for (const auto& j : jobs)
        EXPECT_EQ(j.SwapMargins, j.Sheet % 2 == 0) << j.Sheet;
}

TEST(BookRun, SidesSpecifiedPagesAndMissingScores) {
    auto book = Book({3, 2, 4});
    book[1].Exists = false; // adds no numbers
    TBookPrintOptions o;
    o.PrintSide = bsFront;
    auto jobs = PlanBookRun(book, o);
    std::vector<int> numbers;
    for (const auto& j : jobs) numbers.push_back(j.BookPageNo);
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 5, 7}));

    o.PrintSide = bsBack; // one side: every page's margins swapped
    jobs = PlanBookRun(book, o);
    ASSERT_EQ(jobs.size(), 3u);
    for (const auto& j : jobs) EXPECT_TRUE(j.SwapMargins);

    o.PrintSide = bsBoth;
    o.Music = bmSpecifiedPages;
    o.FromPage = 3;
    o.ToPage = 5;
    jobs = PlanBookRun(book, o);
    numbers.clear();
    for (const auto& j : jobs) numbers.push_back(j.BookPageNo);
    EXPECT_EQ(numbers, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(jobs[1].Entry, 2);
    EXPECT_EQ(jobs[1].Page, 0);

    o.IncludeMusic = false;
    EXPECT_TRUE(PlanBookRun(book, o).empty());
}
