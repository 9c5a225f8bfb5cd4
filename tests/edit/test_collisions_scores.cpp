// Real scores made by the commands keep their marks apart: every mark the
// command writes is probed (TInkProbe) on the page it lands on, at zoom 1 and 2.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <string>
#include <vector>

#include "edit/frmTQMeasureCount.h"
#include "edit/frmTQShiftStaff.h"
#include "edit/modTQMeasureCount.h"
#include "model/modTQPredicates.h"
#include "tests/edit/TQEditFixture.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/support/TQTestSupport.h"

namespace {

// The collisions of a page in which one side is a cell the test names.
template <class Pick>
std::vector<TCollision> CollisionsOf(TMainView& v, int cols, int rows, int zoom, Pick pick) {
    FitPaintBox(v, cols, rows, zoom);
    const TInkProbe probe(v);
    std::vector<TCollision> out;
    for (const TCollision& c :
         probe.Collisions([&](const TInkItem& a, const TInkItem& b) { return IntendedTouch(v, a, b); }))
        if (pick(c.colA, c.rowA) || pick(c.colB, c.rowB))
            out.push_back(c);
    return out;
}

} // namespace

// "Add Measure Numbers", every measure, over a treble staff whose row above
// already holds a tempo word, a dynamic and a "cresc." under a title: a number
// goes into the first of its places (over the bar, one column right, two rows
// up) that no text reaches over, and is left out when all three are taken.
TEST(ScoreCollisions, MeasureNumbersKeepOffTheTextsAboveTheStaff) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    constexpr int kCols = 28, kRows = 5;
    TEditFixture fx(kCols, kRows);
    fx.win.CellWidth = 15;
    fx.win.CellHeight = 30;
    fx.win.DrawUnit = 15;
    fx.Row(0, "~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ \"Trio\"");
    fx.Row(1, "~ ~ ~ ~ \"Allegro\" ~ ~ ~ ~ ~ ~ \"mf\" ~ ~ ~ ~ ~ \"cresc.\"");
    // Bars at columns 6, 9, 12, 17, 20 and 23 open measures 2 to 7.
    fx.Row(2, "&G{iEnd=27} ~ ~ ~ W:3@0 W:3@1 W:63 W:3@2 W:3@0 W:63 W:3@0 W:3@-1 W:63 W:4@0 W:4@1 W:4@2 W:4@0 "
              "W:63 W:3@0 W:3@1 W:63 W:3@2 W:3@0 W:63 W:2@0 ~ ~ W:61");
    const std::vector<TCell> texts = {fx.At(17, 0), fx.At(4, 1), fx.At(11, 1), fx.At(17, 1)};

    ASSERT_TRUE(mitAddMeasureCountClick(nullptr, [](QDialog& d) {
        auto& dialog = static_cast<TfrmMeasureCount&>(d);
        dialog.FormShow();
        dialog.spnMeasureInc->setValue(1);
        dialog.btnOk->click();
        return dialog.result();
    }));

    struct Where {
        int col, row;
        std::string number;
    };
    const std::vector<Where> expected = {
        {0, 1, "1"},  // over the clef
        {6, 0, "2"},  // "Allegro" reaches over columns 6 and 7 of its row
        {9, 1, "3"},  // clear of "Allegro"
        {13, 1, "4"}, // "mf" reaches over the bar's column
        {21, 1, "6"}, // "cresc." reaches into the bar's column
        {23, 1, "7"}, // 5: "Trio" and "cresc." take all its places
    };
    std::vector<Where> found;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            if (IsMeasureNumberCell(fx.At(c, r)))
                found.push_back({c, r, fx.At(c, r).Text.str()});
    std::sort(found.begin(), found.end(), [](const Where& a, const Where& b) { return std::stoi(a.number) < std::stoi(b.number); });
    std::string shown;
    for (const Where& w : found)
        shown += w.number + "@(" + std::to_string(w.col) + "," + std::to_string(w.row) + ") ";
    SCOPED_TRACE(shown);
    ASSERT_EQ(found.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(found[i].col, expected[i].col) << expected[i].number;
        EXPECT_EQ(found[i].row, expected[i].row) << expected[i].number;
        EXPECT_EQ(found[i].number, expected[i].number);
    }
    EXPECT_EQ(fx.At(17, 0), texts[0]);
    EXPECT_EQ(fx.At(4, 1), texts[1]);
    EXPECT_EQ(fx.At(11, 1), texts[2]);
    EXPECT_EQ(fx.At(17, 1), texts[3]);

    for (int zoom : {1, 2}) {
        const auto list = CollisionsOf(fx.win, kCols, kRows, zoom,
                                       [&](int c, int r) { return r >= 0 && IsMeasureNumberCell(fx.At(c, r)); });
        EXPECT_TRUE(list.empty()) << "zoom " << zoom << ":\n" << TInkProbe::Describe(list);
        TPageImage page(fx.win);
        tqtest::SavePngIfWanted(page.image, "measure_numbers_z" + std::to_string(zoom));
    }
}

namespace {

// A Jianpu note as written: accidental, degree, octave dots ("b3", "7,", "1'").
std::string Written(const TCell& c) {
    std::string s;
    const int a = c.Attr == kNoAttr ? 0 : int(c.Attr & 0xF);
    s += a == 1 ? "#" : a == 2 ? "b" : a == 3 ? "n" : "";
    s += char(c.Note);
    for (int i = 0; i < c.dot; ++i)
        s += '\'';
    for (int i = 0; i > c.dot; --i)
        s += ',';
    return s;
}

} // namespace

// "Change Tone" over a Jianpu score in C that changes to D in its row: the
// key text at the start and the one of the change both move by the interval,
// and every degree moves the other way, so that the music sounds as before on
// both sides of the change. (The key in force at the start is the one over
// the row's first measure, not the change further right.)
TEST(ScoreCollisions, ChangeToneMovesAKeyChangeInsideTheRowToo) {
    struct Case {
        int scope; // 0 whole score, 1 selected rows, 2 to the end of the page
        int halfTones, dir;
        const char* start;
        const char* change;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases = {
        // C -> #C and D -> bE: each degree a half tone down (a natural
        // undoes the flat earlier in its bar).
        {0, 1, 0, "1 = #C", "1 = bE", {"7,", "b3", "b5", "3", "4", "b5", "7,", "b3", "b5", "b7", "n7"}},
        // C -> bB and D -> C: each degree a whole tone up.
        {1, 2, 1, "1 = bB", "1 = C", {"2", "#4", "6", "5", "#5", "6", "2", "#4", "6", "#1'", "2'"}},
        {2, 2, 0, "1 = D", "1 = E", {"b7,", "2", "4", "b3", "n3", "4", "b7,", "2", "4", "6", "b7"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.scope);
        TEditFixture fx(20, 5);
        fx.Row(1, "\"1=C\" ~ ~ ~ ~ ~ ~ ~ ~ \"1=D\"");
        fx.Row(2, "| 1 3 5 | 4 #4 5 | 1 3 5 | 7 1' |]");
        fx.Select(0, 2, 19, 2);
        ShiftStaffExec() = [&](TfrmShiftStaff& f) {
            f.SetStepIndex(k.halfTones - 1);
            f.SetDirIndex(k.dir);
            f.rgpShiftDirClick();
            return mrOk;
        };
        ShiftStaffs(k.scope, false);
        ShiftStaffExec() = nullptr;
        EXPECT_EQ(fx.At(0, 1).Text, k.start);
        EXPECT_EQ(fx.At(9, 1).Text, k.change);
        std::vector<std::string> notes;
        for (int c = 0; c < 20; ++c)
            if (IsJianpuNoteDigit(fx.At(c, 2).Note))
                notes.push_back(Written(fx.At(c, 2)));
        EXPECT_EQ(notes, k.notes);
    }
}
