// The folk song 茉莉花 (1=F, 2/4) with its lyrics, turned into Western staves
// by the whole-score command and back into Jianpu: every syllable stays under
// the note it was sung on and is centred under it, and the syllables of a
// verse keep apart, measured on the drawn ink at zoom 1 and 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQMessage.h"
#include "tests/convert/TQJ2WFixture.h"
#include "tests/render/TQFolkSongPage.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/support/TQTestSupport.h"

namespace {

// The syllables of the folk song's verses, each with the note it is sung on,
// from the music: the note rows 1, 3 and 5 and their lyric rows 2, 4 and 6.
struct TSung {
    int row;              // lyric row
    std::string syllable; // UTF-8
    int note;             // the how-manieth sound of the note row above (0 first)
};
const std::vector<TSung>& Song() {
    static const std::vector<TSung> song = {
        // | 3 3_ 5_ | 6_ 1'_ 6_ 5_ | 5 5_ 6_ | 5 - |
        {2, "好", 0}, {2, "一", 1}, {2, "朵", 2}, {2, "美", 3}, {2, "丽", 4}, {2, "的", 5},
        {2, "茉", 7}, {2, "莉", 8}, {2, "花", 10},
        {4, "What", 0}, {4, "a", 1}, {4, "love", 2}, {4, "ly", 3}, {4, "jas", 4}, {4, "mine", 5},
        {4, "flow", 7}, {4, "er", 8}, {4, "there", 10},
        // | 6_ 1'_ 1'_ 6_ | 5 - | 3__ 2__ 1_ 6,_ 5,_ | 1 - ||
        {6, "芬", 0}, {6, "芳", 1}, {6, "美", 2}, {6, "丽", 3}, {6, "满", 4},
        {6, "枝", 5}, {6, "桠", 6}, {6, "又", 7}, {6, "香", 8}, {6, "白", 9}, {6, "夸", 10}};
    return song;
}

// The column of the how-manieth sound of a note row, Jianpu or Western; -1
// when the row has fewer.
int SoundColumn(TConvertFixture& fx, int row, int nth) {
    for (int c = 0; c < fx.view.Cols; ++c) {
        const TCell& cell = fx.At(c, row);
        if ((IsJianpuSound(cell) || IsWestNoteCell(cell)) && nth-- == 0)
            return c;
    }
    return -1;
}

std::string Syllable(const TCell& cell) {
    return DecodeForDisplay(cell.Text, cell.FontCharset).value_or(cell.Text);
}

// The ink of a sound's head or digit: the widest mark of its cell that is
// no beam (a beam reaches to the next note).
const TInkItem* HeadInk(const TInkProbe& probe, int col, int row, int cellW) {
    const TInkItem* best = nullptr;
    for (const TInkItem& it : probe.Items())
        if (it.col == col && it.row == row && it.kind == TInkClass::Mark && it.what != "Polygon" &&
            it.box.width() <= cellW && (!best || it.box.width() > best->box.width()))
            best = &it;
    return best;
}

bool Inked(const TInkItem& it, int x, int y) {
    if (!it.box.contains(x, y))
        return false;
    return qGray(it.mask.pixel(x - it.box.left(), y - it.box.top())) < 160; // the probe's ink
}

// How near (in pixels, along a row, a column or a diagonal) the ink of a
// syllable comes to the ink of a note of the staff above or below it: heads,
// stems, flags, beams and ledger lines; far when nothing is nearer.
int NoteClearance(TConvertFixture& fx, const TInkProbe& probe, const TInkItem& s, int far, std::string& nearest) {
    int best = far;
    for (const TInkItem& n : probe.Items()) {
        if ((n.row != s.row - 1 && n.row != s.row + 1) || n.kind == TInkClass::Under ||
            !IsWestNoteCell(fx.At(n.col, n.row)) || !n.box.intersects(s.box.adjusted(-far, -far, far, far)))
            continue;
        for (int y = s.box.top(); y <= s.box.bottom(); ++y)
            for (int x = s.box.left(); x <= s.box.right(); ++x) {
                if (!Inked(s, x, y))
                    continue;
                for (int d = 0; d < best; ++d)
                    for (int dy = -d; dy <= d; ++dy)
                        for (int dx = -d; dx <= d; ++dx)
                            if ((std::abs(dx) == d || std::abs(dy) == d) && Inked(n, x + dx, y + dy) && d < best) {
                                best = d;
                                nearest = n.what + " of column " + std::to_string(n.col) + " row " + std::to_string(n.row);
                            }
            }
    }
    return best;
}

// Every syllable in the column of its note, its ink centred under the note's
// within a tenth of a column (2 px at least), and two syllables of a verse
// at least 2 px apart.
void ExpectLyricsUnderTheirNotes(TConvertFixture& fx, const std::string& stage) {
    for (const TSung& s : Song()) {
        const int col = SoundColumn(fx, s.row - 1, s.note);
        ASSERT_GE(col, 0) << stage << ": note " << s.note << " of row " << s.row - 1;
        EXPECT_EQ(Syllable(fx.At(col, s.row)), s.syllable)
            << stage << ": under note " << s.note << " of row " << s.row - 1 << " (column " << col << ")";
    }
    for (int zoom : {1, 2}) {
        FitPaintBox(fx.view, kFolkSongCols, kFolkSongRows, zoom);
        const TInkProbe probe(fx.view);
        const int cellW = fx.view.GetCellWidth();
        for (int row : {2, 4, 6}) {
            std::vector<const TInkItem*> verse;
            for (const TInkItem& it : probe.Items())
                if (it.row == row && it.what.rfind("text \"", 0) == 0)
                    verse.push_back(&it);
            std::sort(verse.begin(), verse.end(),
                      [](const TInkItem* a, const TInkItem* b) { return a->box.left() < b->box.left(); });
            for (size_t i = 0; i < verse.size(); ++i) {
                const TInkItem& s = *verse[i];
                const std::string where = stage + " zoom " + std::to_string(zoom) + " row " + std::to_string(row) +
                                          " column " + std::to_string(s.col) + " " + s.what;
                const TInkItem* head = HeadInk(probe, s.col, row - 1, cellW);
                ASSERT_TRUE(head) << where << ": no note above";
                const int centre = s.box.left() + s.box.right(), under = head->box.left() + head->box.right();
                EXPECT_LE(std::abs(centre - under), 2 * std::max(2, cellW / 10))
                    << where << ": centre " << centre / 2 << ", note " << under / 2;
                if (i > 0) {
                    EXPECT_GE(s.box.left() - verse[i - 1]->box.right(), 2) << where << " against the one before";
                }
                // A syllable keeps a white pixel at least from the notes of
                // the staves around it (1 px is a touch, 0 an overlap).
                std::string nearest;
                const int clear = NoteClearance(fx, probe, s, 8, nearest);
                EXPECT_GE(clear, 2) << where << ": " << clear << " px from the " << nearest;
            }
        }
        TPageImage page(fx.view);
        tqtest::SavePngIfWanted(page.image, "lyrics_" + stage + "_z" + std::to_string(zoom));
    }
}

// Message boxes recorded, the undo store empty before and after.
class LyricsAfterConversion : public TJ2WTest {};

} // namespace

// Jianpu to Western: the staff header and the time signature push the notes
// three columns right, and the lyrics go with them; back to Jianpu they stay
// with their digits.
TEST_F(LyricsAfterConversion, SyllablesStayCentredUnderTheirNotes) {
    TMusicFonts fonts(true, true);
    ASSERT_TRUE(fonts.loaded());
    TLayer song;
    {
        TViewFixture page(kFolkSongCols, kFolkSongRows);
        BuildFolkSongPage(page);
        song = page.view.PageSets[0];
    }
    TJ2WFixture f(kFolkSongCols, kFolkSongRows);
    TConvertFixture& fx = f.fx;
    fx.view.PageSets[0] = song;
    ExpectLyricsUnderTheirNotes(fx, "jianpu");

    f.j2w.ConvertJ2WAllPages(0, false);
    ASSERT_TRUE(IsClefCell(fx.At(0, 1)));
    ASSERT_TRUE(IsClefCell(fx.At(0, 5)));
    EXPECT_TRUE(rec.shown.empty());
    ExpectLyricsUnderTheirNotes(fx, "western");

    fx.cvt.ConvertW2JAllPages(0, false);
    ASSERT_GE(SoundColumn(fx, 1, 0), 0);
    EXPECT_TRUE(IsJianpuSound(fx.At(SoundColumn(fx, 1, 0), 1)));
    ExpectLyricsUnderTheirNotes(fx, "jianpu_again");
}
