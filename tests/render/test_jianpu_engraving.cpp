// The folk song 茉莉花 (1=F, 2/4) as a reader sees it, measured on the drawn
// ink at zoom 1 and 2: duration lines grouped by beat, lyrics under their notes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/render/TQFolkSongPage.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQJianpuPage.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQSamplePage.h"
#include "tests/support/TQTestSupport.h"

namespace {

// The page built by build, drawn with the music fonts at zoom 1 and 2 and
// probed: check(fx, probe, zoom) at each.
template <class Check> void ForEachZoom(int cols, int rows, void (*build)(TViewFixture&), Check check) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    for (int zoom : {1, 2}) {
        TViewFixture fx(cols, rows);
        build(fx);
        FitPaintBox(fx.view, cols, rows, zoom);
        const TInkProbe probe(fx.view);
        check(fx, probe, zoom);
    }
}

bool IsText(const TInkItem& it) {
    return it.what.rfind("text \"", 0) == 0;
}

// The bottom of the row's digits.
int DigitBottom(const TInkProbe& probe, int row) {
    int bottom = 0;
    for (const TInkItem& it : probe.Items())
        if (it.row == row && IsText(it))
            bottom = std::max(bottom, it.box.bottom());
    return bottom;
}

// The duration lines of a row: thin joining bars under its digits, by their
// top edge, in order.
std::map<int, std::vector<QRect>> UnderlinesOf(const TInkProbe& probe, int row) {
    std::map<int, std::vector<QRect>> lines;
    const int under = DigitBottom(probe, row);
    for (const TInkItem& it : probe.Items())
        if (it.row == row && it.what == "FillRect" && it.kind == TInkClass::Joining &&
            it.box.width() > it.box.height() && it.box.top() > under)
            lines[it.box.top()].push_back(it.box);
    for (auto& [y, boxes] : lines)
        std::sort(boxes.begin(), boxes.end(),
                  [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
    return lines;
}

// The runs of touching boxes of one line: how many cells' lines each run
// joins, and the gaps between the runs of neighbouring cells in pixels.
struct TRuns {
    std::vector<int> sizes;
    std::vector<int> gaps;
};

TRuns RunsOf(const std::vector<QRect>& boxes, int cellW) {
    TRuns r;
    if (boxes.empty())
        return r;
    r.sizes.push_back(1);
    for (size_t i = 1; i < boxes.size(); ++i) {
        const int gap = boxes[i].left() - boxes[i - 1].right() - 1;
        if (gap > 0) {
            r.sizes.push_back(1);
            if (gap < cellW / 2)
                r.gaps.push_back(gap);
        } else {
            ++r.sizes.back();
        }
    }
    return r;
}

int DigitWidth(const TInkProbe& probe, int row) {
    int w = 0;
    for (const TInkItem& it : probe.Items())
        if (it.row == row && IsText(it))
            w = std::max(w, it.box.width());
    return w;
}

} // namespace

// 2/4: the lines of each beat join, and two beats' lines keep a gap of about a
// third of a digit. Written from the music: "3 | 3_5_" one group; "6_1'_ |
// 6_5_" two; "5 | 5_6_" one; "6_1'_ | 1'_6_" two; "3__2__1_ | 6,_5,_" two on
// the first line, and the second line under 3__2__ only.
TEST(JianpuEngraving, UnderlinesBreakAtEachBeat) {
    struct TLine {
        int row;
        int line; // 0 the first line under the digits
        std::vector<int> groups;
    };
    const TLine expected[] = {{1, 0, {2, 2, 2, 2}}, {3, 0, {2, 2, 2, 2}}, {5, 0, {2, 2, 3, 2}}, {5, 1, {2}}};
    ForEachZoom(
        kFolkSongCols, kFolkSongRows, BuildFolkSongPage,
        [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
            TPageImage page(fx.view);
            tqtest::SavePngIfWanted(page.image, "folksong_z" + std::to_string(zoom));
            for (const TLine& e : expected) {
                const auto lines = UnderlinesOf(probe, e.row);
                ASSERT_GT(lines.size(), static_cast<size_t>(e.line)) << "zoom " << zoom << " row " << e.row;
                const auto& boxes = std::next(lines.begin(), e.line)->second;
                const TRuns runs = RunsOf(boxes, fx.view.GetCellWidth());
                EXPECT_EQ(runs.sizes, e.groups) << "zoom " << zoom << " row " << e.row << " line " << e.line;
                const int digit = DigitWidth(probe, e.row);
                for (int gap : runs.gaps) {
                    EXPECT_GE(3 * gap, digit * 3 / 4) << "zoom " << zoom << " row " << e.row << ": gap "
                                                      << gap << " px, digit " << digit << " px";
                    EXPECT_LE(3 * gap, digit * 3 / 2) << "zoom " << zoom << " row " << e.row << ": gap "
                                                      << gap << " px, digit " << digit << " px";
                }
            }
        });
}

// Each syllable is centred under its note (within a tenth of a column), keeps
// clear of the syllables beside it and of the notes above and below; a verse
// is no smaller than 0.4 of a digit's height. At the default size the Chinese
// syllables of neighbouring eighths are wider than their columns and English
// ones run into each other.
TEST(JianpuEngraving, LyricsSitUnderTheirNotesAndFitTheirRoom) {
    ForEachZoom(
        kFolkSongCols, kFolkSongRows, BuildFolkSongPage,
        [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
            const int cellW = fx.view.GetCellWidth();
            for (int row : {2, 4, 6}) {
                std::vector<const TInkItem*> syllables;
                int notesBottom = 0, nextTop = 1 << 20, digitH = 0;
                for (const TInkItem& it : probe.Items()) {
                    if (it.row == row - 1)
                        notesBottom = std::max(notesBottom, it.box.bottom());
                    if (it.row == row + 1)
                        nextTop = std::min(nextTop, it.box.top());
                    if (it.row == row - 1 && IsText(it))
                        digitH = std::max(digitH, it.box.height());
                    if (it.row == row && IsText(it))
                        syllables.push_back(&it);
                }
                ASSERT_GE(syllables.size(), 5u) << "zoom " << zoom << " row " << row;
                std::sort(syllables.begin(), syllables.end(),
                          [](const TInkItem* a, const TInkItem* b) { return a->box.left() < b->box.left(); });
                for (size_t i = 0; i < syllables.size(); ++i) {
                    const TInkItem& s = *syllables[i];
                    const std::string where = "zoom " + std::to_string(zoom) + " row " + std::to_string(row) +
                                              " column " + std::to_string(s.col) + " " + s.what;
                    const TInkItem* digit = nullptr;
                    for (const TInkItem& it : probe.Items()) {
                        if (it.row == row - 1 && it.col == s.col && IsText(it))
                            digit = &it;
                    }
                    ASSERT_TRUE(digit) << where;
                    const int centre = s.box.left() + s.box.right(),
                              under = digit->box.left() + digit->box.right();
                    EXPECT_LE(std::abs(centre - under), 2 * std::max(2, cellW / 10))
                        << where << ": centre " << centre / 2 << ", note " << under / 2;
                    if (i > 0) {
                        EXPECT_GE(s.box.left() - syllables[i - 1]->box.right(), 2)
                            << where << " against the one before";
                    }
                    EXPECT_GT(s.box.top(), notesBottom + 1) << where << ": touches the notes above";
                    EXPECT_LT(s.box.bottom(), nextTop - 1) << where << ": touches the row below";
                }
                int tallest = 0;
                for (const TInkItem* s : syllables)
                    tallest = std::max(tallest, s->box.height());
                EXPECT_GE(5 * tallest, 2 * digitH) << "zoom " << zoom << " row " << row << ": syllables "
                                                   << tallest << " px tall, digits " << digitH;
            }
        });
}

namespace {

// The ink of a cell's digit (its text item) and of its other marks.
const TInkItem* DigitOf(const TInkProbe& probe, int col, int row) {
    for (const TInkItem& it : probe.Items())
        if (it.col == col && it.row == row && IsText(it) && it.what.size() == 8)
            return &it;
    return nullptr;
}

std::vector<const TInkItem*> MarksOf(const TInkProbe& probe, int col, int row, const std::string& what = "") {
    const TInkItem* digit = DigitOf(probe, col, row);
    std::vector<const TInkItem*> out;
    for (const TInkItem& it : probe.Items())
        if (it.col == col && it.row == row && &it != digit && (what.empty() || it.what == what))
            out.push_back(&it);
    return out;
}

// The least distance between two items' ink, in pixels along the larger axis
// (0 where they touch).
int InkDistance(const TInkItem& a, const TInkItem& b) {
    int best = 1 << 20;
    for (int y = 0; y < a.box.height(); ++y)
        for (int x = 0; x < a.box.width(); ++x) {
            if (qGray(a.mask.pixel(x, y)) >= 160)
                continue;
            const int ax = a.box.left() + x, ay = a.box.top() + y;
            for (int v = 0; v < b.box.height(); ++v)
                for (int u = 0; u < b.box.width(); ++u)
                    if (qGray(b.mask.pixel(u, v)) < 160)
                        best = std::min(
                            best,
                            std::max(std::abs(b.box.left() + u - ax), std::abs(b.box.top() + v - ay)) - 1);
        }
    return best;
}

} // namespace

// The marks beside a digit belong to it at a glance: the augmentation dot of
// "3. 2_" stands off both digits by at least an eighth of a digit and 2 px (it
// read as a decimal point 1-2 px from them); the flat of 3 in "#4 b3 n2 0" keeps clear of the 4 before it (it
// touched it) and does not stand over it; a low octave dot keeps clear of the
// duration lines over it.
TEST(JianpuEngraving, MarksBesideADigitKeepClearOfTheNext) {
    ForEachZoom(kJianpuCols, kJianpuRows, BuildJianpuPage,
                [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
                    const std::string z = "zoom " + std::to_string(zoom);
                    {
                        const TInkItem* own = DigitOf(probe, 4, 2);
                        const TInkItem* next = DigitOf(probe, 5, 2);
                        const auto dots = MarksOf(probe, 4, 2, "Ellipse");
                        ASSERT_TRUE(own && next && dots.size() == 1) << z;
                        const int before = dots[0]->box.left() - own->box.right() - 1;
                        const int after = next->box.left() - dots[0]->box.right() - 1;
                        const int digit = own->box.width();
                        EXPECT_GE(8 * before, std::max(16, digit))
                            << z << ": the dot " << before << " px after its digit, digit " << digit;
                        EXPECT_GE(8 * after, std::max(16, digit))
                            << z << ": the dot " << after << " px before the next digit";
                        EXPECT_GE(dots[0]->box.width(), 2) << z;
                    }
                    {
                        const TInkItem* prev = DigitOf(probe, 16, 1);
                        const TInkItem* own = DigitOf(probe, 17, 1);
                        const auto marks = MarksOf(probe, 17, 1);
                        ASSERT_TRUE(prev && own && !marks.empty()) << z;
                        int clear = 1 << 20;
                        int signRight = -1;
                        for (const TInkItem* m : marks) {
                            clear = std::min(clear, InkDistance(*m, *prev));
                            signRight = std::max(signRight, m->box.right());
                        }
                        EXPECT_GE(clear, 2) << z << ": the flat of 3 " << clear << " px from the 4 before it";
                        EXPECT_GT(signRight, prev->box.right() + 2)
                            << z << ": the flat of 3 stands over the 4";
                    }
                });
}

// A low octave dot keeps clear of the duration lines over it: "2,,__" of the
// Jianpu page and "6,_ 5,_" of the folk song.
TEST(JianpuEngraving, LowOctaveDotsKeepClearOfTheirLines) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    struct TCase {
        const char* page;
        int cols, rows;
        void (*build)(TViewFixture&);
        int row;
        std::vector<int> notes;
    };
    const TCase cases[] = {{"jianpu", kJianpuCols, kJianpuRows, BuildJianpuPage, 4, {2}},
                           {"folksong", kFolkSongCols, kFolkSongRows, BuildFolkSongPage, 5, {12, 13}}};
    for (const TCase& c : cases)
        for (int zoom : {1, 2}) {
            TViewFixture fx(c.cols, c.rows);
            c.build(fx);
            FitPaintBox(fx.view, c.cols, c.rows, zoom);
            const TInkProbe probe(fx.view);
            const auto lines = UnderlinesOf(probe, c.row);
            for (int col : c.notes) {
                const std::string where =
                    std::string(c.page) + " zoom " + std::to_string(zoom) + " column " + std::to_string(col);
                const TInkItem* digit = DigitOf(probe, col, c.row);
                ASSERT_TRUE(digit && !lines.empty()) << where;
                int bottom = 0;
                for (const auto& [y, boxes] : lines)
                    for (const QRect& b : boxes)
                        if (b.left() <= digit->box.right() && b.right() >= digit->box.left())
                            bottom = std::max(bottom, b.bottom());
                const auto dots = MarksOf(probe, col, c.row, "Ellipse");
                ASSERT_FALSE(dots.empty()) << where;
                for (const TInkItem* dot : dots)
                    EXPECT_GE(dot->box.top() - bottom - 1, std::max(1, zoom))
                        << where << ": a low octave dot";
            }
        }
}

// The key text and the time signature of the folk song's header, "1 = F 2/4",
// are set in the digits' face, the key text about as tall as the digits and
// level with the fraction's bar (it was Times at two thirds of a digit, the
// fraction's bar 8 px below its middle).
TEST(JianpuEngraving, KeyTextAndTimeSignatureMatchTheDigits) {
    ForEachZoom(kFolkSongCols, kFolkSongRows, BuildFolkSongPage,
                [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
                    const std::string z = "zoom " + std::to_string(zoom);
                    QRect key, digits, bar;
                    for (const TInkItem& it : probe.Items()) {
                        if (it.row == 0 && it.col == 0 && IsText(it))
                            key |= it.box;
                        if (it.row == 1 && IsText(it))
                            digits |= it.box;
                        if (it.row == 0 && it.col == 3 && !IsText(it))
                            bar |= it.box;
                    }
                    ASSERT_FALSE(key.isEmpty() || digits.isEmpty() || bar.isEmpty()) << z;
                    EXPECT_GE(key.height() * 100, digits.height() * 80)
                        << z << ": key text " << key.height() << " px, digits " << digits.height();
                    EXPECT_LE(key.height() * 100, digits.height() * 110)
                        << z << ": key text " << key.height() << " px, digits " << digits.height();
                    const int middle = key.top() + key.bottom(), level = bar.top() + bar.bottom();
                    EXPECT_LE(std::abs(middle - level), 2 * zoom + 1)
                        << z << ": key text's middle " << middle / 2.0 << ", the fraction's bar "
                        << level / 2.0;
                    // the faces, from the drawing calls
                    fx.canvas.Clear();
                    fx.view.OutCanvas = &fx.canvas;
                    fx.view.DrawEngine.DrawCells(0, 0, kFolkSongCols, kFolkSongRows);
                    std::string keyFace, meterFace, digitFace;
                    for (const TCanvasCall* t : fx.canvas.TextOuts()) {
                        if (t->OwnerRow == 0 && t->OwnerCol == 0)
                            keyFace = t->Font.Name;
                        if (t->OwnerRow == 0 && t->OwnerCol == 3)
                            meterFace = t->Font.Name;
                        if (t->OwnerRow == 1 && t->Text == "3")
                            digitFace = t->Font.Name;
                    }
                    EXPECT_FALSE(digitFace.empty()) << z;
                    EXPECT_EQ(keyFace, digitFace) << z;
                    EXPECT_EQ(meterFace, digitFace) << z;
                });
}

// On the Gongche tune the mark of the lower octave stands next to its own
// character: nearer it than the next one, and within a fifth of a character's
// width of it (it stood 18 px from its own and 11 px from the next).
TEST(GongcheEngraving, LowerOctaveMarksStandByTheirOwnCharacter) {
    ForEachZoom(kGongcheTuneCols, kGongcheTuneRows, BuildGongcheTunePage,
                [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
                    TPageImage page(fx.view);
                    tqtest::SavePngIfWanted(page.image, "gongche_tune_z" + std::to_string(zoom));
                    int marks = 0;
                    for (int col = 0; col < kGongcheTuneCols; col += 2) {
                        const TInkItem *own = nullptr, *mark = nullptr, *next = nullptr;
                        for (const TInkItem& it : probe.Items()) {
                            if (it.row != 3 || !IsText(it))
                                continue;
                            const bool isMark = it.box.width() < it.box.height() / 2 ||
                                                it.what.find("U+FF07") != std::string::npos ||
                                                it.what.find("U+3003") != std::string::npos;
                            if (it.col == col && isMark)
                                mark = &it;
                            else if (it.col == col)
                                own = &it;
                            else if (it.col == col + 2 && !isMark)
                                next = &it;
                        }
                        if (!mark)
                            continue;
                        ++marks;
                        ASSERT_TRUE(own) << "zoom " << zoom << " column " << col;
                        const int toOwn = mark->box.left() - own->box.right() - 1;
                        const int toNext = next ? next->box.left() - mark->box.right() - 1 : 1 << 20;
                        const std::string where = "zoom " + std::to_string(zoom) + " column " +
                                                  std::to_string(col) + ": " + std::to_string(toOwn) +
                                                  " px from its own, " + std::to_string(toNext) +
                                                  " px from the next";
                        EXPECT_LT(toOwn, toNext) << where;
                        EXPECT_LE(5 * toOwn, own->box.width()) << where;
                        EXPECT_GE(toOwn, 1) << where;
                    }
                    EXPECT_EQ(marks, 6) << "zoom " << zoom; // 3, 2, 1, 6,, 5,, 1,
                });
}

// The glide and slide marks of a note (the arcs with arrows of its style)
// stand beside or over its digit, a gap from its ink; they were drawn through
// the digit they stand at. And a tuplet's number stands over its slur, not on it.
TEST(JianpuEngraving, GlideMarksAndTupletNumbersKeepOffTheirNotes) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    struct TAt {
        int col, row;
    };
    for (int zoom : {1, 2}) {
        const std::string z = "zoom " + std::to_string(zoom);
        {
            TViewFixture fx(kJianpuCols, kJianpuRows);
            BuildJianpuPage(fx);
            FitPaintBox(fx.view, kJianpuCols, kJianpuRows, zoom);
            const TInkProbe probe(fx.view);
            for (const TAt at : {TAt{19, 2}, TAt{21, 2}, TAt{11, 4}, TAt{12, 4}, TAt{14, 4}, TAt{16, 4}}) {
                const TInkItem* digit = DigitOf(probe, at.col, at.row);
                ASSERT_TRUE(digit) << z << " column " << at.col;
                const auto marks = MarksOf(probe, at.col, at.row);
                ASSERT_FALSE(marks.empty()) << z << " column " << at.col;
                for (const TInkItem* m : marks)
                    EXPECT_GE(InkDistance(*m, *digit), 1) << z << " row " << at.row << " column " << at.col
                                                          << ": " << m->what << " on the digit";
            }
        }
        {
            TViewFixture fx(kSampleCols, kSampleRows);
            BuildSamplePage(fx);
            FitPaintBox(fx.view, kSampleCols, kSampleRows, zoom);
            const TInkProbe probe(fx.view);
            const TInkItem *number = nullptr, *curve = nullptr;
            for (const TInkItem& it : probe.Items()) {
                // the number over the note 3 that starts the triplet
                if (it.row == 7 && it.col == 9 && it.what == "text \"3\"" &&
                    (!number || it.box.top() < number->box.top()))
                    number = &it;
                if (it.row == 7 && it.col == 9 &&
                    (it.what == "Polygon" || it.what == "Polyline" || it.what == "Arc"))
                    curve = &it;
            }
            ASSERT_TRUE(number && curve) << z;
            EXPECT_GE(InkDistance(*number, *curve), 1) << z << ": the tuplet's number on its slur";
        }
    }
}

// On the sample page's compound cells the sharp of the small 7 of "5 6 #7" and
// the flat of the small 3 stand at their own digit: their middle right of the
// digit before (they stood over it), their foot clear of their own digit.
TEST(CompoundEngraving, SignsOfSmallNotesStandAtTheirOwnDigit) {
    ForEachZoom(
        kSampleCols, kSampleRows, BuildSamplePage,
        [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
            const std::string z = "zoom " + std::to_string(zoom);
            TPageImage page(fx.view);
            tqtest::SavePngIfWanted(page.image, "compound_z" + std::to_string(zoom));
            struct TSigned {
                int col, part; // the small note with the sign
            };
            for (const TSigned at : {TSigned{4, 3}, TSigned{6, 1}}) {
                const TInkItem *own = nullptr, *before = nullptr;
                std::vector<const TInkItem*> sign;
                for (const TInkItem& it : probe.Items()) {
                    if (it.row != 1 || it.col != at.col)
                        continue;
                    const bool digit =
                        IsText(it) && it.what.size() == 8 && it.what[6] >= '1' && it.what[6] <= '7';
                    if (digit && it.part == at.part && (!own || it.box.height() > own->box.height()))
                        own = &it;
                    else if (digit && it.part == at.part - 1)
                        before = &it;
                    else if (it.part == at.part && !digit && it.what != "FillRect" && it.what != "Ellipse")
                        sign.push_back(&it);
                }
                // the first small note's digit before is the note of the cell before
                if (at.part == 1)
                    before = DigitOf(probe, at.col - 1, 1);
                const std::string where =
                    z + " column " + std::to_string(at.col) + " note " + std::to_string(at.part);
                ASSERT_TRUE(own && before && !sign.empty()) << where;
                QRect box;
                for (const TInkItem* s : sign)
                    box |= s->box;
                EXPECT_GT(box.left() + box.width() / 2, before->box.right())
                    << where << ": over the digit before";
                EXPECT_LE(box.left() + box.width() / 2, own->box.right()) << where << ": past its own digit";
                for (const TInkItem* s : sign)
                    EXPECT_GE(InkDistance(*s, *own), 1) << where << ": " << s->what << " on its own digit";
            }
        });
}

// The small digits of the sample page's compound cells keep a legible shape:
// at least 0.45 of a plain digit's width for its height (1 2 3 4 in one
// column were squeezed to a quarter of it, the notes of rate -20 to 0.4).
TEST(CompoundEngraving, SmallDigitsKeepALegibleShape) {
    ForEachZoom(kSampleCols, kSampleRows, BuildSamplePage,
                [&]([[maybe_unused]] TViewFixture& fx, const TInkProbe& probe, int zoom) {
                    const std::string z = "zoom " + std::to_string(zoom);
                    const TInkItem* plain = DigitOf(probe, 3, 1); // a plain 2
                    ASSERT_TRUE(plain) << z;
                    const double plainShape = double(plain->box.width()) / plain->box.height();
                    int seen = 0;
                    for (const TInkItem& it : probe.Items()) {
                        if (it.row != 1 || it.part == 0 || !IsText(it) || it.what.size() != 8 ||
                            it.what[6] < '2' || it.what[6] > '7')
                            continue;
                        ++seen;
                        const double shape = double(it.box.width()) / it.box.height();
                        EXPECT_GE(shape, 0.45 * plainShape)
                            << z << " column " << it.col << " note " << it.part << " " << it.what << ": "
                            << it.box.width() << " x " << it.box.height() << " px";
                    }
                    EXPECT_GE(seen, 6) << z;
                });
}
