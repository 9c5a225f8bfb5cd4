// Whole conversion commands both ways on real tunes: the score sounds the same
// before and after (every note's pitch, onset and length from the play list),
// and the same steps give the same cells every time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQJ2WFixture.h"
#include "tests/convert/TQPlayedNotes.h"

namespace {

class RoundTripPlay : public TJ2WTest {};

} // namespace

namespace {

struct TTune {
    const char* name;
    size_t notes;                   // notes a musician counts in the tune (a tied note once)
    std::vector<const char*> rows;  // rows from 0, page 0
    std::vector<const char*> page1; // rows from 0 of a second page, if any
};

// The page pictures of a tune in a fresh fixture.
void Enter(TJ2WFixture& f, const TTune& t) {
    f.fx.view.PageCount = t.page1.empty() ? 1 : 2;
    for (size_t r = 0; r < t.rows.size(); ++r)
        f.fx.Row(static_cast<int>(r), t.rows[r]);
    for (size_t r = 0; r < t.page1.size(); ++r)
        f.fx.Row(static_cast<int>(r), t.page1[r], 0, 1);
}

std::vector<TCellRow> Cells(TJ2WFixture& f) {
    std::vector<TCellRow> out;
    for (const TPage& page : f.fx.view.PageSets[0])
        out.insert(out.end(), page.begin(), page.end());
    return out;
}

// Western tunes: the whole score to Jianpu and back.
const TTune kWestern[] = {
    {"G major grand staff in 3/4, an accidental, eighths in consecutive cells",
     12,
     {"", "",
      "&G/1{mark=54191118,jEnd=4} ~ T:3/4 W:3@-2 W:4@0 W:4@-1 | W:2@-5 W:3@-4 | W:4@4 W:4@5 "
      "W:3@-1{attr=1} W:3@0 |",
      "", "&F/1 ~ T:3/4 W:2@4. ~ ~ | W:22 W:2@1 | W:2@2. ~ ~ ~ |"},
     {}},
    // The lower staff holds one note and no bar line: as Jianpu it is still a
    // staff of the system and is heard.
    {"G major grand staff, a lower staff of one dotted half",
     10,
     {"", "",
      "&G/1{mark=54191118,jEnd=4} ~ T:3/4 W:3@-2 W:4@0 W:4@-1 | W:2@-5 W:3@-4 | W:4@4 W:4@5 "
      "W:3@-1{attr=1} W:3@0 |",
      "", "&F/1 ~ T:3/4 W:2@4."},
     {}},
    {"F major in 4/4, dotted quarter, a natural, half notes before the bar line",
     10,
     {"", "", "&G/6 ~ T:4/4 W:3@0. W:4@-1 W:3@-2 W:3@0 | W:3@1 W:3@0{attr=3} W:2@-1 | W:3@2 W:3@1 W:2@3 |"},
     {}},
    {"D minor on the bass clef in 3/4, a raised leading note, a note tied over the bar",
     7,
     {"", "",
      "&F/6 ~ T:3/4 W:3@0 W:3@-2 W:3@-1 | W:2@-4 W:3@-4{mark=1,iEnd=10} | W:3@-4 W:3@1{attr=1} W:3@0 |"},
     {}},
    {"E-flat major in 2/4 on two pages, G major on the second",
     12,
     {"", "", "&G/8 ~ T:2/4 W:4@4 W:4@3 W:3@2 | W:3@1 W:3@-1{attr=2} | W:2@4 |"},
     {"", "", "&G/1 ~ W:4@2 W:4@1 W:3@0 | W:3@-4 W:3@-3 | W:2@-5 |"}},
};

TEST_F(RoundTripPlay, WesternToJianpuAndBackSoundsTheSame) {
    for (const TTune& t : kWestern) {
        SCOPED_TRACE(t.name);
        std::vector<TCellRow> firstRun;
        for (int run = 0; run < 2; ++run) {
            TJ2WFixture f(28, 8, 0, t.page1.empty() ? 1 : 2);
            Enter(f, t);
            const std::vector<TSoundedNote> before = PlayedNotes(true);
            ASSERT_EQ(before.size(), t.notes) << testing::PrintToString(before);
            EXPECT_EQ(PlayedPageByPage(true), before);
            f.fx.cvt.ConvertW2JAllPages(0, false);
            EXPECT_EQ(PlayedPageByPage(false), before) << "as Jianpu";
            f.j2w.ConvertJ2WAllPages(0, false);
            EXPECT_EQ(PlayedNotes(true), before) << "back as Western";
            EXPECT_EQ(f.dialogs, 0);
            if (run == 0)
                firstRun = Cells(f);
            else
                EXPECT_TRUE(Cells(f) == firstRun) << "the same steps give the same cells";
        }
    }
}

// Jianpu tunes: the whole score to Western and back.
const TTune kJianpu[] = {
    {"D major in 2/4 from the first column, dotted rhythms, a sharp, octave dots",
     13,
     {"", "", "\"1=D\" T:2/4", "5_. 6__ 5_. 6__ | 5 3 | 1' 7_ 6_ | 5 - | #4 5 | 6, 0 |"},
     {}},
    {"F major in 3/4, flats and a natural, a dotted half",
     13,
     {"", "", "\"1=F\"", "1 2 b3 | 4 - 3 | 2_ 1_ 7, 6, | 5, - - | n3 4 5 |"},
     {}},
    {"E-flat major in 4/4, a flattened third and a dotted quarter",
     8,
     {"", "", "\"1=Eb\"", "1 3 5 b3 | 2. 1_ 7, - | 1 - - - |"},
     {}},
};

TEST_F(RoundTripPlay, JianpuToWesternAndBackSoundsTheSame) {
    for (const TTune& t : kJianpu) {
        SCOPED_TRACE(t.name);
        std::vector<TCellRow> firstRun;
        for (int run = 0; run < 2; ++run) {
            TJ2WFixture f(28, 8);
            Enter(f, t);
            const std::vector<TSoundedNote> before = PlayedNotes(false);
            ASSERT_EQ(before.size(), t.notes) << testing::PrintToString(before);
            f.j2w.ConvertJ2WAllPages(0, false);
            EXPECT_EQ(PlayedNotes(true), before) << "as Western";
            EXPECT_EQ(f.dialogs, 0);
            f.fx.cvt.ConvertW2JAllPages(0, false);
            EXPECT_EQ(PlayedNotes(false), before) << "back as Jianpu";
            if (run == 0)
                firstRun = Cells(f);
            else
                EXPECT_TRUE(Cells(f) == firstRun) << "the same steps give the same cells";
        }
    }
}

} // namespace
