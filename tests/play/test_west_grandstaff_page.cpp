// A real grand staff as the user gets it: a two-hand piano piece in D major,
// one track, imported from a Standard MIDI File onto a Western score, drawn at
// zoom 1 and 2. Both staves carry the key signature; with note names shown, the
// names' accidentals stand beside their letters, clear of the notes below; no
// drawn mark covers another.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/modTQPredicates.h"
#include "platform/core/TQMessage.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiBytes.h"
#include "tests/render/TQInkProbe.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

using tqtest::SmfFile;
using tqtest::TSmfTrack;

namespace {

// Two bars of D major (F sharp and C sharp from the key), then two of F major
// in the same hands, where F and C are natural: quarters, both hands together.
std::string TwoHandPiece() {
    TSmfTrack t;
    t.Ev(0, {0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0});       // 100 a minute
    t.Ev(0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}); // 4/4
    t.Ev(0, {0xFF, 0x59, 0x02, 0x02, 0x00});             // D major
    const int right[] = {74, 76, 78, 79, 81, 79, 78, 73, 77, 81, 84, 81, 77, 84, 81, 84};
    const int left[] = {50, 57, 54, 57, 50, 55, 57, 49, 53, 57, 53, 57, 53, 48, 53, 57};
    for (int i = 0; i < 16; ++i) {
        if (i == 8)
            t.Ev(0, {0xFF, 0x59, 0x02, 0xFF, 0x00}); // F major
        t.Ev(0, {0x90, right[i], 90}).Ev(0, {0x90, left[i], 70});
        t.Ev(480, {0x80, right[i], 0}).Ev(0, {0x80, left[i], 0});
    }
    t.End();
    return SmfFile(0, 480, {t});
}

bool IsSign(const TInkItem& it) {
    return it.what == "text \"#\"" || it.what == "text \"n\"" || it.what == "text \"b\"";
}
bool IsLetter(const TInkItem& it) {
    return it.what.size() == 8 && it.what.rfind("text \"", 0) == 0 && it.what[6] >= 'A' && it.what[6] <= 'G';
}

class WestGrandStaffPage : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxes(&boxes_);
        MIDIImportHooks() = {};
        frmPlay = &play_;
        fx_.view.CellWidth = 15;
        fx_.view.CellHeight = 30;
        fx_.view.DrawUnit = 15;
        const std::string path = (dir_ / "piano.mid").string();
        tqtest::WriteBytesFile(path, TwoHandPiece());
        TMIDIReader reader;
        imported_ = reader.ImportMIDIFile(path);
    }
    void TearDown() override {
        frmPlay = nullptr;
        SetMessageBoxes(nullptr);
    }
    // The rows of layer 0, page 0, that hold a clef at column 0.
    std::vector<int> ClefRows() {
        std::vector<int> rows;
        for (int r = 0; r < fx_.view.Rows; ++r)
            if (IsClefCell(fx_.At(0, r)))
                rows.push_back(r);
        return rows;
    }

    TMusicFonts fonts_{true, true};
    TMessageRecorder boxes_;
    TPlayState play_;
    tqtest::TempDir dir_;
    TViewFixture fx_{40, 20};
    bool imported_ = false;
};

} // namespace

TEST_F(WestGrandStaffPage, BothStavesShowTheKeyAndNoMarkCoversAnother) {
    ASSERT_TRUE(imported_);
    ASSERT_TRUE(fonts_.loaded());
    TMainView& v = fx_.view;
    const std::vector<int> rows = ClefRows();
    ASSERT_GE(rows.size(), 2u);
    ASSERT_EQ(fx_.At(0, rows[0]).Note, -1);
    ASSERT_EQ(fx_.At(0, rows[1]).Note, -2);
    for (bool names : {false, true}) {
        for (int r = 0; r < v.Rows; ++r)
            for (int c = 0; c < v.Cols; ++c)
                if (IsWestNoteCell(fx_.At(c, r), 1))
                    fx_.At(c, r).option = names ? fx_.At(c, r).option | 0x8000u : fx_.At(c, r).option & ~0x8000u;
        for (int zoom : {1, 2}) {
            SCOPED_TRACE(std::string(names ? "note names, " : "") + "zoom " + std::to_string(zoom));
            const std::vector<TCollision> list = Probe(fx_, v.Cols, v.Rows, zoom);
            EXPECT_TRUE(list.empty()) << TInkProbe::Describe(list);
            // The two sharps of D major at the head of every staff.
            const TInkProbe probe(v);
            for (int r : rows) {
                int sharps = 0;
                for (const TInkItem& it : probe.Items())
                    sharps += it.row == r && it.col == 0 && it.what == "text \"#\"" ? 1 : 0;
                EXPECT_EQ(sharps, 2) << "staff of row " << r;
            }
        }
    }
}

// The accidental of a note name is the name's own size and stands on the
// name's line, just before its letter: "♮F" and "♮C" once the hands are in F.
TEST_F(WestGrandStaffPage, NoteNameAccidentalsStandBesideTheirLetters) {
    ASSERT_TRUE(imported_);
    TMainView& v = fx_.view;
    auto signsOf = [&](bool names, int zoom) {
        for (int r = 0; r < v.Rows; ++r)
            for (int c = 0; c < v.Cols; ++c)
                if (IsWestNoteCell(fx_.At(c, r), 1))
                    fx_.At(c, r).option = names ? fx_.At(c, r).option | 0x8000u : fx_.At(c, r).option & ~0x8000u;
        FitPaintBox(v, v.Cols, v.Rows, zoom);
        return TInkProbe(v);
    };
    for (int zoom : {1, 2}) {
        SCOPED_TRACE("zoom " + std::to_string(zoom));
        const TInkProbe plain = signsOf(false, zoom);
        const TInkProbe named = signsOf(true, zoom);
        // The signs that come with the names: those the plain page lacks.
        int found = 0;
        for (const TInkItem& s : named.Items()) {
            if (!IsSign(s))
                continue;
            bool onNote = false;
            for (const TInkItem& p : plain.Items())
                onNote = onNote || (p.col == s.col && p.row == s.row && p.what == s.what && p.box == s.box);
            if (onNote)
                continue;
            ++found;
            // Its letter: the name in the same cell whose line the sign's middle is on.
            const float mid = (s.box.top() + s.box.bottom()) / 2.0f;
            const TInkItem* letter = nullptr;
            for (const TInkItem& l : named.Items())
                if (IsLetter(l) && l.col == s.col && l.row == s.row && mid >= l.box.top() - 1 && mid <= l.box.bottom() + 1)
                    letter = &l;
            ASSERT_TRUE(letter) << s.what << " at " << s.box.left() << "," << s.box.top() << " of cell (" << s.col
                                << "," << s.row << ") stands on no name's line";
            const float letterMid = (letter->box.top() + letter->box.bottom()) / 2.0f;
            EXPECT_LE(std::abs(mid - letterMid), 0.25f * letter->box.height()) << s.what;
            EXPECT_LE(s.box.height(), 1.6f * letter->box.height()) << s.what << " is larger than a name's sign";
            EXPECT_LT(s.box.right(), letter->box.left()) << s.what << " runs into its letter";
            EXPECT_GE(s.box.left(), letter->box.left() - 2 * letter->box.width()) << s.what << " stands off its letter";
        }
        // F and C natural in the F major bars, in both hands.
        EXPECT_GE(found, 4);
    }
}

namespace {

// A page of 40 x 20 cells with the music fonts, on which a file is imported.
class WestImportedPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fonts_.loaded());
        SetMessageBoxes(&boxes_);
        MIDIImportHooks() = {};
        fx_.view.CellWidth = 15;
        fx_.view.CellHeight = 30;
        fx_.view.DrawUnit = 15;
    }
    void TearDown() override { SetMessageBoxes(nullptr); }
    // Imports the file's bytes onto the page.
    bool Import(const std::string& bytes) {
        const std::string path = (dir_ / "import.mid").string();
        tqtest::WriteBytesFile(path, bytes);
        TMIDIReader reader;
        return reader.ImportMIDIFile(path);
    }
    // At the zoom, no mark of the page covers another; the page is written as
    // <name>_z<zoom>.png when pictures are asked for.
    void ExpectClear(int zoom, const std::string& name) {
        TMainView& v = fx_.view;
        const std::vector<TCollision> list = Probe(fx_, v.Cols, v.Rows, zoom);
        EXPECT_TRUE(list.empty()) << TInkProbe::Describe(list);
        FitPaintBox(v, v.Cols, v.Rows, zoom);
        TPageImage page(v);
        tqtest::SavePngIfWanted(page.image, name + "_z" + std::to_string(zoom));
    }
    TMusicFonts fonts_{true, true};
    TMessageRecorder boxes_;
    tqtest::TempDir dir_;
    TViewFixture fx_{40, 20};
};

// An imported bar of eighths and 16ths on both hands: the notes of each beat
// hang from one beam, drawn as a filled bar, and no mark covers another.
TEST_F(WestImportedPage, BeamsAreDrawnByTheBeatWithoutCollisions) {
    TViewFixture& fx = fx_;
    TSmfTrack right, left;
    const int tune[] = {72, 74, 76, 77, 79, 77, 76, 74, 72, 71, 72, 74};
    const int lengths[] = {240, 240, 120, 120, 240, 240, 240, 120, 120, 120, 120, 480};
    for (int i = 0; i < 12; ++i)
        right.Note(0, tune[i], static_cast<uint32_t>(lengths[i]));
    for (int k : {48, 55, 52, 55, 48, 55, 52, 55})
        left.Ev(0, {0x91, k, 80}).Ev(240, {0x81, k, 0});
    ASSERT_TRUE(Import(SmfFile(1, 480, {right.End(), left.End()})));
    TMainView& v = fx.view;
    for (int zoom : {1, 2}) {
        SCOPED_TRACE(zoom);
        ExpectClear(zoom, "imported_beams");
        // A beam is a filled polygon: one a beat group on the right hand (two
        // with 16ths) and one a beat on the left.
        const TInkProbe probe(v);
        int beams = 0;
        for (const TInkItem& it : probe.Items())
            beams += it.what == "Polygon";
        EXPECT_GE(beams, 4 + 4);
    }
}

// Imported bars are spaced by their shortest value: in a bar of eighths an
// eighth takes one column, as a 16th does, except before a sharp and after a
// chord of a second whose head stands aside to the right; in a bar with 16ths
// an eighth keeps two. No sign or head runs into its neighbour.
TEST_F(WestImportedPage, BarsOfEighthsAreSetTightWhereNoSignNeedsRoom) {
    TViewFixture& fx = fx_;
    TSmfTrack t;
    // Bar 1, eighths: C D E F#, the second G4 A4 (stem up) and F4, D C.
    for (int k : {72, 74, 76, 78})
        t.Note(0, k, 240);
    t.Ev(0, {0x90, 67, 100}).Ev(0, {0x90, 69, 100}).Ev(240, {0x80, 67, 0}).Ev(0, {0x80, 69, 0});
    t.Note(0, 65, 240).Note(0, 74, 240).Note(0, 72, 240);
    // Bar 2: two 16ths, an eighth, three quarters.
    t.Note(0, 72, 120).Note(0, 74, 120).Note(0, 76, 240).Note(0, 77, 480).Note(0, 76, 480).Note(0, 74, 480);
    ASSERT_TRUE(Import(SmfFile(0, 480, {t.End()})));
    TMainView& v = fx.view;
    // The columns of the notes and bar lines of the staff, left to right.
    int row = -1;
    for (int r = 0; r < v.Rows && row < 0; ++r)
        if (v.PageSets[0][0][static_cast<size_t>(r)][0].cellType == ctWestern)
            row = r;
    ASSERT_GE(row, 0);
    std::vector<int> notes, bars;
    for (int c = 1; c < v.Cols; ++c) {
        const TCell& cell = v.PageSets[0][0][static_cast<size_t>(row)][static_cast<size_t>(c)];
        if (cell.cellType == ctWestern && cell.Note >= 1 && cell.Note <= 6)
            notes.push_back(c);
        else if (cell.Note == 63)
            bars.push_back(c);
    }
    ASSERT_EQ(notes.size(), 14u);
    ASSERT_GE(bars.size(), 2u);
    std::vector<int> gaps;
    for (std::size_t k = 0; k + 1 < notes.size(); ++k)
        gaps.push_back(notes[k + 1] - notes[k]);
    // Bar 1: C D | E (room for the sharp) F# | the second (room for its head) F | D C,
    // the bar line after C; bar 2: 16th 16th eighth quarter quarter (quarter).
    const std::vector<int> want = {1, 1, 2, 1, 2, 1, 1, 2, 1, 1, 2, 2, 2};
    EXPECT_EQ(gaps, want);
    EXPECT_EQ(bars[0], notes[7] + 1);
    for (int zoom : {1, 2}) {
        SCOPED_TRACE(zoom);
        ExpectClear(zoom, "imported_spacing");
    }
}

} // namespace
