// Standard MIDI File import as the user meets it: a file written here is
// imported onto a new score, the placed cells are looked at, the whole play
// list is built, and the score is exported again and read back with an
// independent reader (Debian's python3-mido).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "platform/core/TQMessage.h"
#include "play/Modmidifile.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiBytes.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQMidoFile.h"
#include "tests/support/TQTestSupport.h"

using tqtest::SmfFile;
using tqtest::TSmfTrack;

namespace {

// A note as heard: onset and length in quarters, and its key.
struct THeard {
    double on = 0, len = 0;
    int key = 0;
};

// The notes and tempo changes of a file as python3-mido reads them: onsets and
// lengths in ticks of the file.
struct TMidoFile {
    int ticksPerBeat = 0;
    std::vector<std::tuple<long, int, long>> notes; // onset, key, length
    std::vector<std::pair<long, long>> tempi;       // tick, microseconds a quarter
    std::vector<int> keys;                          // key signatures met, as sharps
    bool ok = false;
};

// The file as mido reads it, its notes sorted by onset and key; a note no
// note-off ends is left out.
TMidoFile ReadWithMido(const std::string& path) {
    const tqtest::TMidoFile read = tqtest::ReadWithMido(path);
    EXPECT_TRUE(read.ok) << "mido: " << read.text;
    TMidoFile out;
    out.ok = read.ok;
    out.ticksPerBeat = read.ticksPerBeat;
    out.tempi = read.tempi;
    out.keys = read.keys;
    for (const tqtest::TMidoNote& n : read.notes)
        if (n.length >= 0)
            out.notes.push_back({n.on, n.key, n.length});
    std::sort(out.notes.begin(), out.notes.end());
    return out;
}

class MidiWholePathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&boxes_);
        SetMessageByIdHandler(nullptr);
        MIDIImportHooks() = {};
        MIDIExportHooks() = {};
        frmPlay = &play_;
        GroupRows.clear();
    }
    void TearDown() override {
        // The key read by the last play-list build must not spell other tests' notes.
        std::fill(std::begin(KeyAccidentals), std::end(KeyAccidentals), int8_t{0});
        frmPlay = nullptr;
        SetMessageBoxes(nullptr);
        GroupRows.clear();
    }
    bool Import(const std::string& bytes, const std::string& name = "in.mid") {
        path_ = (dir_ / name).string();
        tqtest::WriteBytesFile(path_, bytes);
        TMIDIReader reader;
        return reader.ImportMIDIFile(path_);
    }
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& r : boxes_.shown)
            ids.push_back(r.id);
        return ids;
    }
    // The notes the whole play list sounds: onsets and lengths in seconds.
    std::vector<THeard> Heard() {
        TMainScore& s = fx_.Score();
        s.CurPage = 0;
        s.SelCol0 = s.SelCol1 = s.SelRow0 = s.SelRow1 = 0;
        play_.PlayWest = true;
        play_.PlayRule = prAllStaffs;
        EXPECT_TRUE(play_.BuildPlayList(false));
        std::vector<THeard> out;
        double t = 0;
        for (const TPlayItem& item : play_.PlayList) {
            if (item.Kind == pkHighlight || item.Kind == pkInstrument || item.Kind == pkSilent ||
                item.Kind == pkTimeSig || item.Kind == pkKeyboard)
                continue;
            if (item.Kind != pkRest && item.Duration > 0 && item.Volume > 0)
                for (int k = 0; k < NoteCount(item); ++k) {
                    const TPNote& n = item.Notes[k];
                    if (n.Volume > 0 && n.Length > 0)
                        out.push_back({t / 1280.0, n.Length / 1280.0, n.Octave * 12 + n.Pitch + 60});
                }
            if (item.Duration > 0)
                t += item.Duration;
        }
        std::sort(out.begin(), out.end(),
                  [](const THeard& a, const THeard& b) { return std::tie(a.on, a.key) < std::tie(b.on, b.key); });
        return out;
    }
    // Exports the score and reads the file back with mido.
    TMidoFile Export() {
        const std::string out = (dir_ / "out.mid").string();
        EXPECT_TRUE(SaveMIDIFile(out));
        return ReadWithMido(out);
    }
    // Western notes and rests of layer 0 on every page (chord notes counted).
    int PlacedNotes() {
        int n = 0;
        for (const TPage& page : fx_.Score().PageSets[0])
            for (const TCellRow& row : page)
                for (const TCell& c : row)
                    n += IsWestNoteCell(c, 1) ? 1 + GetChordNoteCount(c) : 0;
        return n;
    }

    TScoreFixture fx_{60, 40};
    TPlayState play_;
    TMessageRecorder boxes_;
    tqtest::TempDir dir_;
    std::string path_;
};

// Seconds of a tick at a steady tempo.
double Seconds(long tick, int ppq, double bpm) { return double(tick) / ppq * 60.0 / bpm; }

// The heard notes against the file's: same keys, onsets and lengths within
// 1 % of the time (the player's own tempo rounding) plus 10 ms.
void ExpectHeard(const std::vector<THeard>& heard, std::vector<std::tuple<double, int, double>> want) {
    std::sort(want.begin(), want.end());
    std::string got;
    for (const THeard& h : heard)
        got += "(" + std::to_string(h.on) + " " + std::to_string(h.key) + " " + std::to_string(h.len) + ") ";
    ASSERT_EQ(heard.size(), want.size()) << got;
    for (std::size_t i = 0; i < want.size(); ++i) {
        const auto [on, key, len] = want[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(heard[i].key, key);
        EXPECT_NEAR(heard[i].on, on, 0.01 * on + 0.01);
        EXPECT_NEAR(heard[i].len, len, 0.01 * len + 0.01);
    }
}

// Three tracks after a tempo track that holds notes too, all in 4/4 at 120:
// every track sounds from the start, together.
TEST_F(MidiWholePathTest, EveryTrackSoundsTogetherAsStavesOfOneSystem) {
    TSmfTrack t0, t1, t2, t3;
    t0.Ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}).Ev(0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    t0.Note(0, 84, 960).Note(0, 83, 960).End();          // C6 half, B5 half
    for (int k : {72, 74, 76, 77})                        // C5 D5 E5 F5 quarters
        t1.Ev(0, {0x91, k, 90}).Ev(480, {0x81, k, 0});
    t1.End();
    t2.Ev(0, {0x92, 64, 80}).Ev(1920, {0x82, 64, 0}).End(); // E4 whole
    t3.Ev(0, {0x93, 36, 80}).Ev(960, {0x83, 36, 0}).Ev(0, {0x93, 43, 80}).Ev(960, {0x83, 43, 0}).End();
    ASSERT_TRUE(Import(SmfFile(1, 480, {t0, t1, t2, t3})));
    EXPECT_TRUE(Ids().empty());
    EXPECT_EQ(PlacedNotes(), 2 + 4 + 1 + 2);

    // One system of four staves, a bracket over all of them, bass clef below.
    for (int r : {6, 9, 12, 15})
        EXPECT_TRUE(IsClefCell(fx_.At(0, r))) << r;
    EXPECT_EQ(fx_.At(0, 6).Note, -1);
    EXPECT_EQ(fx_.At(0, 15).Note, -2);
    EXPECT_EQ(fx_.At(0, 6).jEnd, 15);
    GroupRows.clear();
    ASSERT_GE(GetRowGroup(6, 0), 0);
    EXPECT_EQ(GroupRows.size(), 4u);
    // Stems by staff position: C6 high on the treble staff down, C2 low on the bass staff up.
    EXPECT_EQ(fx_.At(6, 6).yAdj, -8.0f);
    EXPECT_EQ(fx_.At(6, 6).option & 0x1u, 0u);
    EXPECT_EQ(fx_.At(6, 15).yAdj, 8.0f);
    EXPECT_EQ(fx_.At(6, 15).option & 0x1u, 0x1u);

    const double q = Seconds(480, 480, 120);
    ExpectHeard(Heard(), {{0, 84, 2 * q}, {2 * q, 83, 2 * q},  {0, 72, q},         {q, 74, q},
                          {2 * q, 76, q}, {3 * q, 77, q},      {0, 64, 4 * q},     {0, 36, 2 * q},
                          {2 * q, 43, 2 * q}});

    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.tempi.size(), 1u);
    EXPECT_EQ(out.tempi[0], (std::pair<long, long>{0, 500000}));
    const std::vector<std::tuple<long, int, long>> want = {
        {0, 36, 288}, {0, 64, 576}, {0, 72, 144}, {0, 84, 288}, {144, 74, 144},
        {288, 43, 288}, {288, 76, 144}, {288, 83, 288}, {432, 77, 144}};
    EXPECT_EQ(out.notes, want);
}

// A format-0 file that has two tracks: the notes of both are placed.
TEST_F(MidiWholePathTest, FormatZeroWithTwoTracksKeepsBoth) {
    TSmfTrack a, b;
    a.Note(0, 67, 480).Note(0, 69, 480).End();
    b.Note(0, 48, 960).End();
    ASSERT_TRUE(Import(SmfFile(0, 480, {a, b})));
    EXPECT_EQ(PlacedNotes(), 3);
    const double q = 0.5;
    ExpectHeard(Heard(), {{0, 67, q}, {q, 69, q}, {0, 48, 2 * q}});
}

// A status byte that starts no event stands between two notes: the diagnostic
// is shown, and every note of the track is read on. A system common message
// (F1 xx, F2 xx xx, F3 xx) is skipped with its data bytes and told once by string.
TEST_F(MidiWholePathTest, StrayStatusBytesAreToldAndReadPast) {
    const std::vector<std::vector<int>> strays = {{0xF1, 0x31}, {0xF2, 0x10, 0x02}, {0xF3, 0x05}, {0xF6}, {0xF8},
                                                  {0xF9}, {0xFA}, {0xFB}, {0xFC}, {0xFD}, {0xFE}};
    for (const std::vector<int>& stray : strays) {
        SCOPED_TRACE(stray[0]);
        boxes_.Clear();
        TSmfTrack t;
        for (int i = 0; i < 8; ++i) {
            t.Note(0, 60 + i, 240);
            if (i == 3 || i == 5) {
                t.Ev(0, {});
                for (int b : stray)
                    t.bytes.push_back(char(b));
            }
        }
        t.End();
        ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
        EXPECT_EQ(PlacedNotes(), 8);
        ASSERT_EQ(boxes_.shown.size(), 1u) << "told once";
        if (stray[0] <= 0xF3) {
            EXPECT_EQ(boxes_.shown[0].id, 4310);
        } else {
            EXPECT_NE(boxes_.shown[0].text.find("Unsupported"), std::string::npos);
            EXPECT_EQ(boxes_.shown[0].id, 0) << "not the format message";
        }
        // C4 D4 .. every eighth in its place, as the file has them.
        std::vector<std::tuple<double, int, double>> want;
        for (int i = 0; i < 8; ++i)
            want.push_back({0.25 * i, 60 + i, 0.25});
        ExpectHeard(Heard(), want);
    }
}

// A tempo change in the second bar and none at the start: 120 until the
// change, the new tempo after it; both are tempo marks and tempo events.
TEST_F(MidiWholePathTest, TempoChangesAreKeptAndNoTempoMeansOneHundredTwenty) {
    TSmfTrack t;
    for (int i = 0; i < 8; ++i) {
        if (i == 4)
            t.Ev(0, {0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0}); // 600000: 100 bpm
        t.Note(0, 60 + 2 * (i % 4), 480);
    }
    t.End();
    ASSERT_TRUE(Import(SmfFile(1, 480, {t})));
    EXPECT_EQ(fx_.At(3, 4).cellType, ctTempo);
    EXPECT_EQ(fx_.At(3, 4).FontColor, 120);
    int marks100 = 0;
    for (const TCellRow& row : fx_.Score().PageSets[0][0])
        for (const TCell& c : row)
            marks100 += c.cellType == ctTempo && c.FontColor == 100;
    EXPECT_EQ(marks100, 1);

    std::vector<std::tuple<double, int, double>> want;
    for (int i = 0; i < 8; ++i)
        want.push_back({i < 4 ? i * 0.5 : 2.0 + (i - 4) * 0.6, 60 + 2 * (i % 4), i < 4 ? 0.5 : 0.6});
    ExpectHeard(Heard(), want);

    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.tempi, (std::vector<std::pair<long, long>>{{0, 500000}, {576, 600000}}));
    ASSERT_EQ(out.notes.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out.notes[static_cast<std::size_t>(i)], std::make_tuple(144L * i, 60 + 2 * (i % 4), 144L));
}

// The silence before the first note is kept as rests, and a note that crosses
// a bar line becomes two tied notes that sound once.
TEST_F(MidiWholePathTest, LeadingSilenceAndANoteAcrossTheBarLine) {
    TSmfTrack t;
    t.Ev(0, {0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08}); // 3/4
    t.Note(480, 67, 480).Note(0, 69, 960).Note(0, 71, 480).End();
    ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
    // Bar 1: a quarter rest, G4, then A4 tied over the bar line to A4; B4.
    const TCell& rest = fx_.At(6, 6);
    EXPECT_TRUE(IsWestRestCell(rest));
    EXPECT_EQ(fx_.At(8, 6).Note, 3);
    EXPECT_EQ(fx_.At(8, 6).yAdj, 2.0f) << "G4";
    EXPECT_EQ(fx_.At(10, 6).yAdj, 1.0f) << "A4";
    EXPECT_EQ(fx_.At(10, 6).markType, 1) << "tied";
    EXPECT_EQ(fx_.At(12, 6).Note, 63) << "bar line";
    EXPECT_EQ(fx_.At(10, 6).iEnd, 13);
    EXPECT_EQ(fx_.At(13, 6).yAdj, 1.0f);
    EXPECT_EQ(fx_.At(15, 6).yAdj, 0.0f) << "B4";
    ExpectHeard(Heard(), {{0.5, 67, 0.5}, {1.0, 69, 1.0}, {2.0, 71, 0.5}});

    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.notes, (std::vector<std::tuple<long, int, long>>{{144, 67, 144}, {288, 69, 288}, {576, 71, 144}}));
}

// A delta of 2^28 - 1 ticks: the sums are 64-bit, the second note keeps its
// time; a file whose time is far beyond any score is refused.
TEST_F(MidiWholePathTest, HugeDeltasKeepTheirTimeOrAreRefused) {
    {
        TSmfTrack t;
        t.Note(0, 60, 32767).Note(0x0FFFFFFF, 62, 32767).End();
        ASSERT_TRUE(Import(SmfFile(0, 32767, {t})));
        EXPECT_TRUE(Ids().empty());
        const TMidoFile out = Export();
        ASSERT_TRUE(out.ok);
        ASSERT_EQ(out.notes.size(), 2u);
        // 1 + 0x0FFFFFFF / 32767 quarters = 8193.25 (within a 32nd).
        EXPECT_EQ(std::get<0>(out.notes[1]), 8193L * 144 + 36);
        EXPECT_EQ(std::get<1>(out.notes[1]), 62);
    }
    {
        boxes_.Clear();
        fx_.Row(6, "&G W:3@2");
        TSmfTrack t;
        t.Note(0, 60, 96);
        for (int i = 0; i < 9; ++i)
            t.Ev(0x0FFFFFFF, {0xFF, 0x01, 0x00});
        t.Note(0, 62, 96).End();
        EXPECT_FALSE(Import(SmfFile(0, 96, {t})));
        EXPECT_EQ(Ids(), std::vector<int>{3721});
        EXPECT_EQ(fx_.At(1, 6).Note, 3) << "the score is as it was";
    }
}

// A note's accidental holds for its own staff position in its bar: E4 with
// G#4 above it stays E4; F#4 F5 F4 in one bar needs the natural on F4.
TEST_F(MidiWholePathTest, AccidentalsHoldForTheirOwnPosition) {
    TSmfTrack t;
    t.Ev(0, {0x90, 64, 90}).Ev(0, {0x90, 68, 90}).Ev(240, {0x80, 68, 0}).Ev(240, {0x80, 64, 0});
    t.Note(0, 66, 480).Note(0, 77, 480).Note(0, 65, 480).End();
    ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    std::vector<int> keys;
    for (const auto& n : out.notes)
        keys.push_back(std::get<1>(n));
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<int>{64, 65, 66, 68, 77}));
    EXPECT_EQ(fx_.Score().PageSets[1].size(), 0u) << "no layer-1 pages";
}

// More staves than the page holds (11 on a 40-row page): tracks of one channel
// share a staff; when that is not enough, the user is told first and tracks
// share staves by pitch. Every note sounds at its time either way.
TEST_F(MidiWholePathTest, StavesThePageCannotHold) {
    auto file = [](int channels) {
        std::vector<TSmfTrack> tracks;
        for (int k = 0; k < 14; ++k) {
            TSmfTrack t;
            const int ch = k % channels < 9 ? k % channels : k % channels + 1; // channel 10 is percussion
            t.Ev(0, {0x90 + ch, 60 + k, 90}).Ev(480, {0x80 + ch, 60 + k, 0}).Note(0, 40 + k, 480).End();
            tracks.push_back(t);
        }
        return SmfFile(1, 480, tracks);
    };
    for (int channels : {7, 14}) {
        SCOPED_TRACE(channels);
        boxes_.Clear();
        fx_.Row(6, "&G W:3@2");
        ASSERT_TRUE(Import(file(channels)));
        EXPECT_EQ(Ids(), channels == 7 ? std::vector<int>{} : std::vector<int>{3720});
        EXPECT_EQ(PlacedNotes(), 28);
        int clefs = 0;
        for (int r = 0; r < 40; ++r)
            clefs += IsClefCell(fx_.At(0, r));
        EXPECT_LE(clefs, 11);
        const auto heard = Heard();
        ASSERT_EQ(heard.size(), 28u);
        for (std::size_t i = 0; i < heard.size(); ++i) {
            EXPECT_NEAR(heard[i].on, i < 14 ? 0.0 : 0.5, 0.01) << "every track at the start";
            EXPECT_NEAR(heard[i].len, 0.5, 0.01);
        }
    }
}

// A file with no notes is not called damaged.
TEST_F(MidiWholePathTest, FileWithoutNotes) {
    TSmfTrack t;
    t.Ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}).End(480);
    EXPECT_FALSE(Import(SmfFile(0, 480, {t})));
    EXPECT_EQ(Ids(), std::vector<int>{3722});
}

// A clean two-hand file in D major goes through import and export with the
// same notes, the same tempo and its key signature.
TEST_F(MidiWholePathTest, TwoHandFileRoundTrips) {
    TSmfTrack meta, right, left;
    meta.Ev(0, {0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0}).Ev(0, {0xFF, 0x59, 0x02, 0x02, 0x00});
    meta.Ev(0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}).End();
    const int melody[] = {74, 76, 78, 79, 81, 79, 78, 76, 74, 73, 74, 76};
    const int lengths[] = {240, 240, 480, 240, 240, 480, 480, 480, 240, 240, 480, 960};
    for (int i = 0; i < 12; ++i)
        right.Note(0, melody[i], static_cast<uint32_t>(lengths[i]));
    right.End();
    for (int k : {50, 57, 54, 57, 50, 55, 57, 50})
        left.Ev(0, {0x90, k, 70}).Ev(480, {0x80, k, 0});
    left.End();
    const std::string bytes = SmfFile(1, 480, {meta, right, left});
    ASSERT_TRUE(Import(bytes));
    const TMidoFile in = ReadWithMido(path_);
    const TMidoFile out = Export();
    ASSERT_TRUE(in.ok);
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.notes.size(), in.notes.size());
    for (std::size_t i = 0; i < in.notes.size(); ++i) {
        SCOPED_TRACE(i);
        const auto [on, key, len] = in.notes[i];
        EXPECT_EQ(std::get<1>(out.notes[i]), key);
        EXPECT_NEAR(std::get<0>(out.notes[i]), on * 144.0 / in.ticksPerBeat, 1.0);
        EXPECT_NEAR(std::get<2>(out.notes[i]), len * 144.0 / in.ticksPerBeat, 1.0);
    }
    EXPECT_EQ(out.tempi, (std::vector<std::pair<long, long>>{{0, 600000}}));
    EXPECT_EQ(out.keys, std::vector<int>{2});
}

} // namespace

namespace {

// Three equal notes filling a beat are a triplet; staccato eighths keep their
// values, the gap after each given to the note.
TEST_F(MidiWholePathTest, TripletsAndArticulationGaps) {
    TSmfTrack t;
    t.Note(0, 60, 480);
    t.Note(0, 62, 150).Note(10, 64, 150).Note(10, 65, 160); // a triplet played a little short
    for (int k : {67, 69, 71, 72})
        t.Note(0, k, 200).Ev(40, {0xFF, 0x01, 0x00}); // eighths held for 200 of 240 ticks
    t.End();
    ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
    // C4 quarter at column 6, then D4 E4 F4 as eighths under a triplet mark.
    EXPECT_EQ(fx_.At(6, 6).Note, 3);
    for (int c : {8, 10, 12})
        EXPECT_EQ(fx_.At(c, 6).Note, 4) << c;
    EXPECT_EQ(fx_.At(8, 6).markType, 86);
    EXPECT_EQ(fx_.At(8, 6).iEnd, 12);
    for (int c : {14, 16, 18, 20}) {
        EXPECT_EQ(fx_.At(c, 6).Note, 4) << c;
        EXPECT_EQ(fx_.At(c, 6).option & 0x48u, 0u) << "no dots";
    }
    EXPECT_EQ(fx_.At(22, 6).Note, 63);
    const double third = 0.5 / 3;
    ExpectHeard(Heard(), {{0, 60, 0.5}, {0.5, 62, third}, {0.5 + third, 64, third}, {0.5 + 2 * third, 65, third},
                          {1.0, 67, 0.25}, {1.25, 69, 0.25}, {1.5, 71, 0.25}, {1.75, 72, 0.25}});
    // A triplet note lasts two thirds of its value: every onset within one tick.
    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    const std::vector<std::tuple<long, int, long>> want = {{0, 60, 144},   {144, 62, 48},  {192, 64, 48},
                                                           {240, 65, 48},  {288, 67, 72},  {360, 69, 72},
                                                           {432, 71, 72},  {504, 72, 72}};
    ASSERT_EQ(out.notes.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::get<1>(out.notes[i]), std::get<1>(want[i]));
        EXPECT_NEAR(std::get<0>(out.notes[i]), std::get<0>(want[i]), 1);
        EXPECT_NEAR(std::get<2>(out.notes[i]), std::get<2>(want[i]), 1);
    }
}

} // namespace

#include "render/modTQMainView.h"

namespace {

// On the main window: the question about the changed score comes before the
// header dialog, and the status bar counts the imported pages.
TEST_F(MidiWholePathTest, OnTheMainWindow) {
    TMainView view;
    view.Cols = 60;
    view.Rows = 40;
    view.AllocatePage(0, 0, true, 0, 0);
    TMainScore* previous = frmMainTQ;
    frmMainTQ = &view;
    view.SetModified(true);
    std::vector<std::string> order;
    MIDIImportHooks().ConfirmHeader = [&](const std::string&, int, int, uint8_t, uint8_t) {
        order.push_back("header after " + std::to_string(boxes_.shown.size()) + " boxes");
        return true;
    };
    TSmfTrack t;
    for (int i = 0; i < 1200; ++i)
        t.Note(0, 60 + i % 12, 240);
    path_ = (dir_ / "long.mid").string();
    tqtest::WriteBytesFile(path_, SmfFile(0, 480, {t.End()}));
    TMIDIReader reader;
    const bool ok = reader.ImportMIDIFile(path_);
    frmMainTQ = previous;
    MIDIImportHooks() = {};
    ASSERT_TRUE(ok);
    ASSERT_GE(Ids().size(), 1u);
    EXPECT_EQ(Ids().front(), 1022) << "the changed score is asked about first";
    EXPECT_EQ(order, std::vector<std::string>{"header after 1 boxes"});
    ASSERT_GT(view.PageSets[0].size(), 1u);
    EXPECT_NE(view.Controls.StatusPage.find(" of " + std::to_string(view.PageSets[0].size())), std::string::npos)
        << view.Controls.StatusPage;
    EXPECT_NE(view.Controls.StatusFile.find("long.mid"), std::string::npos);
}

} // namespace

namespace {

// A time signature that changes after the first bar: the bars follow it, the
// new signature stands before the bar it starts, and the time is kept.
TEST_F(MidiWholePathTest, TimeSignatureChange) {
    TSmfTrack t;
    t.Ev(0, {0xFF, 0x58, 0x04, 0x02, 0x02, 0x18, 0x08}); // 2/4
    t.Note(0, 60, 480).Note(0, 62, 480);
    t.Ev(0, {0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08}); // 3/4
    t.Note(0, 64, 960).Note(0, 65, 480).Note(0, 67, 1440).End();
    ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
    // C4 D4 | 3/4 E4 half, F4 | G4 dotted half |: a half note takes three
    // columns, a quarter two.
    EXPECT_EQ(fx_.At(10, 6).Note, 63);
    EXPECT_EQ(fx_.At(11, 6).cellType, ctTimeSig);
    EXPECT_EQ(fx_.At(11, 6).upNote, 3);
    EXPECT_EQ(fx_.At(11, 6).Note, 4);
    EXPECT_EQ(fx_.At(13, 6).Note, 2);
    EXPECT_EQ(fx_.At(16, 6).Note, 3);
    EXPECT_EQ(fx_.At(18, 6).Note, 63);
    EXPECT_EQ(fx_.At(19, 6).Note, 2);
    EXPECT_EQ(fx_.At(19, 6).option & 0x48u, 0x8u);
    ExpectHeard(Heard(), {{0, 60, 0.5}, {0.5, 62, 0.5}, {1.0, 64, 1.0}, {2.0, 65, 0.5}, {2.5, 67, 1.5}});
    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.notes, (std::vector<std::tuple<long, int, long>>{
                             {0, 60, 144}, {144, 62, 144}, {288, 64, 288}, {576, 65, 144}, {720, 67, 432}}));
}

} // namespace

namespace {

// A note tied over the bar line where the system breaks sounds once.
TEST_F(MidiWholePathTest, TieOverTheSystemBreak) {
    TScoreFixture narrow(17, 30);
    TSmfTrack t;
    t.Note(0, 60, 480).Note(0, 62, 480).Note(0, 64, 1440);
    for (int k : {65, 67, 69, 71})
        t.Note(0, k, 240);
    t.Note(0, 72, 480).End();
    path_ = (dir_ / "narrow.mid").string();
    tqtest::WriteBytesFile(path_, SmfFile(0, 480, {t}));
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path_));
    // Bar 1 fills the first system; E4 goes on in the second.
    EXPECT_EQ(narrow.At(10, 6).yAdj, 4.0f);
    EXPECT_EQ(narrow.At(10, 6).markType, 1);
    EXPECT_EQ(narrow.At(13, 6).Note, 63) << "after the half note's three columns";
    EXPECT_TRUE(IsClefCell(narrow.At(0, 10)));
    EXPECT_EQ(narrow.At(4, 10).yAdj, 4.0f);
    EXPECT_EQ(narrow.At(3, 10).markType, 1) << "the tie goes on before the first note";
    TMainScore& s = narrow.Score();
    s.CurPage = 0;
    s.SelCol0 = s.SelCol1 = s.SelRow0 = s.SelRow1 = 0;
    play_.PlayWest = true;
    play_.PlayRule = prAllStaffs;
    ASSERT_TRUE(play_.BuildPlayList(false));
    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.notes, (std::vector<std::tuple<long, int, long>>{{0, 60, 144},
                                                                  {144, 62, 144},
                                                                  {288, 64, 432},
                                                                  {720, 65, 72},
                                                                  {792, 67, 72},
                                                                  {864, 69, 72},
                                                                  {936, 71, 72},
                                                                  {1008, 72, 144}}));
}

} // namespace

namespace {

// A chord that crosses the bar line is tied note by note and sounds once.
TEST_F(MidiWholePathTest, ChordAcrossTheBarLine) {
    TSmfTrack t;
    t.Note(0, 67, 1440);
    t.Ev(0, {0x90, 60, 90}).Ev(0, {0x90, 64, 90}).Ev(960, {0x80, 60, 0}).Ev(0, {0x80, 64, 0});
    t.Note(0, 65, 1440).End();
    ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
    // G4 dotted half (three columns), the chord tied over the bar line.
    EXPECT_EQ(fx_.At(9, 6).markType, 1) << "the chord's tie";
    EXPECT_EQ(GetChordNoteCount(fx_.At(9, 6)), 1);
    EXPECT_EQ(fx_.At(11, 6).Note, 63);
    EXPECT_EQ(GetChordNoteCount(fx_.At(12, 6)), 1);
    ExpectHeard(Heard(), {{0, 67, 1.5 * 0.5 * 2}, {1.5, 60, 1.0}, {1.5, 64, 1.0}, {2.5, 65, 1.5}});
}

} // namespace

namespace {

// Writes a file with python3-mido from the body of a script that fills the
// MidiFile `m` (480 ticks a quarter; `note(track, channel, key, beat, beats)`
// adds a note on a track).
bool WriteWithMido(const std::filesystem::path& dir, const std::string& out, const std::string& body) {
    const std::string script = (dir / "write_midi.py").string();
    std::ofstream(script) << "import sys, mido\n"
                             "m = mido.MidiFile(ticks_per_beat=480)\n"
                             "events = {}\n"
                             "def track(n):\n"
                             "    while len(m.tracks) <= n:\n"
                             "        m.tracks.append(mido.MidiTrack())\n"
                             "    return events.setdefault(n, [])\n"
                             "def at(n, beat, msg):\n"
                             "    track(n).append((round(beat * 480), msg))\n"
                             "def note(n, ch, key, beat, beats, vel=90):\n"
                             "    at(n, beat, mido.Message('note_on', channel=ch, note=key, velocity=vel))\n"
                             "    at(n, beat + beats, mido.Message('note_off', channel=ch, note=key))\n"
                          << body
                          << "\nfor n, evs in events.items():\n"
                             "    evs.sort(key=lambda e: (e[0], e[1].type == 'note_on'))\n"
                             "    now = 0\n"
                             "    for t, msg in evs:\n"
                             "        m.tracks[n].append(msg.copy(time=t - now))\n"
                             "        now = t\n"
                             "m.save(sys.argv[1])\n";
    const std::string cmd = "/usr/bin/python3 '" + script + "' '" + out + "' 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Onsets of a file's note-ons by key and channel, in beats, as python3-mido
// reads them (a note-on counts whatever follows it).
struct TOnsets {
    std::map<int, std::vector<double>> byKey;
    std::vector<int> channels;
    std::vector<long> tempi; // microseconds a quarter, in order
};
TOnsets ReadOnsets(const std::string& path) {
    const tqtest::TMidoFile read = tqtest::ReadWithMido(path);
    EXPECT_TRUE(read.ok) << "mido: " << read.text;
    TOnsets out;
    for (const auto& [tick, us] : read.tempi)
        out.tempi.push_back(us);
    for (const tqtest::TMidoNote& n : read.notes) {
        out.byKey[n.key].push_back(static_cast<double>(n.on) / read.ticksPerBeat);
        out.channels.push_back(n.channel);
    }
    for (auto& [key, v] : out.byKey) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    }
    return out;
}

// A band as a sequencer writes it, at 666,667 us a quarter (90 a minute): a
// bass line of quarters from the first beat, bent between its notes, a run of 16ths in the second and
// third bars, a tune doubled on two channels that starts a third of a beat
// before bar 2 with a half note across beats (other staves move under it), a
// tempo change in the middle of bar 3, and drums on channel 10.
TEST_F(MidiWholePathTest, ABandFileKeepsEveryStaffInItsBars) {
    path_ = (dir_ / "band.mid").string();
    ASSERT_TRUE(WriteWithMido(dir_.path(), path_, R"(
at(0, 0, mido.MetaMessage('set_tempo', tempo=666667))
at(0, 0, mido.MetaMessage('time_signature', numerator=4, denominator=4))
at(0, 10, mido.MetaMessage('set_tempo', tempo=500000))
for b in range(16):
    note(1, 1, [36, 43, 41, 43][b % 4], b, 1)
for i in range(1, 60):
    at(1, i / 4 + 1 / 16, mido.Message('pitchwheel', channel=1, pitch=(i % 8) * 512))
for i in range(32):
    note(2, 2, [55, 57, 59, 60][i % 4], 4 + i / 4, 0.25)
tune = [(3 + 2 / 3, 72, 1 / 3), (4, 74, 2), (6, 76, 0.5), (6.5, 77, 1.5), (8, 79, 4)]
for ch in (3, 4):
    for beat, key, beats in tune:
        note(3 + ch - 3, ch, key, beat, beats)
for b in range(16):
    note(5, 9, 42, b, 0.5)
    note(5, 9, 35, b, 0.5)
)"));
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path_));
    EXPECT_EQ(Ids(), std::vector<int>{4311}) << "the drums are left out, and the user is told";
    EXPECT_EQ(fx_.At(3, 4).cellType, ctTempo);
    EXPECT_EQ(fx_.At(3, 4).FontColor, 90) << "666,667 us is 89.99996 a minute";

    const std::string exported = (dir_ / "out.mid").string();
    ASSERT_TRUE(SaveMIDIFile(exported));
    const TOnsets out = ReadOnsets(exported);
    ASSERT_FALSE(out.tempi.empty());
    EXPECT_NEAR(out.tempi[0], 666667, 1);
    EXPECT_EQ(std::count(out.channels.begin(), out.channels.end(), 9), 0);
    // Every onset within one tick of the file's, on every staff, in every bar.
    std::map<int, std::vector<double>> want;
    for (int b = 0; b < 16; ++b)
        want[std::vector<int>{36, 43, 41, 43}[static_cast<std::size_t>(b % 4)]].push_back(b);
    for (int i = 0; i < 32; ++i)
        want[std::vector<int>{55, 57, 59, 60}[static_cast<std::size_t>(i % 4)]].push_back(4 + i / 4.0);
    for (auto [beat, key] : std::vector<std::pair<double, int>>{{3 + 2 / 3.0, 72}, {4, 74}, {6, 76}, {6.5, 77}, {8, 79}})
        want[key].push_back(beat);
    std::map<int, std::vector<double>> got = out.byKey;
    EXPECT_EQ(got.count(35) + got.count(42), 0u) << "no drum sounds as a pitch";
    for (auto& [key, beats] : want) {
        SCOPED_TRACE(key);
        std::sort(beats.begin(), beats.end());
        beats.erase(std::unique(beats.begin(), beats.end()), beats.end());
        const std::vector<double>& heard = got[key];
        std::string text;
        for (double h : heard)
            text += std::to_string(h) + " ";
        ASSERT_EQ(heard.size(), beats.size()) << text;
        for (std::size_t i = 0; i < beats.size(); ++i) {
            // The pickup a third of a beat early may stand on the nearest 32nd.
            const double slack = key == 72 ? 1.0 / 8 : 1.0 / 144;
            EXPECT_NEAR(heard[i], beats[i], slack + 1e-9) << "onset " << i;
        }
    }
}

} // namespace

namespace {

// The two hands of a piano on two tracks of one program, in either order, the
// left hand's chords reaching above middle C and the right hand dipping below
// it: one grand staff, right hand above, every chord whole on its own staff.
TEST_F(MidiWholePathTest, TwoHandsCrossingMiddleCMakeOneGrandStaff) {
    for (const bool leftFirst : {false, true}) {
        SCOPED_TRACE(leftFirst);
        boxes_.Clear();
        const std::string right = leftFirst ? "2" : "1", left = leftFirst ? "1" : "2";
        path_ = (dir_ / "hands.mid").string();
        ASSERT_TRUE(WriteWithMido(dir_.path(), path_, R"(
R, L = )" + right + ", " + left + R"(
for n, ch in ((R, 0), (L, 1)):
    at(n, 0, mido.Message('program_change', channel=ch, program=0))
for i, key in enumerate([72, 71, 69, 67, 64, 62, 60, 57]):
    note(R, 0, key, i * 0.5, 0.5)
for bar, chord in enumerate([(48, 55, 64), (43, 55, 62)]):
    for key in chord:
        note(L, 1, key, bar * 2, 2)
)"));
        TMIDIReader reader;
        ASSERT_TRUE(reader.ImportMIDIFile(path_));
        EXPECT_TRUE(Ids().empty());
        // Treble over bass, braced; no third staff.
        EXPECT_EQ(fx_.At(0, 6).Note, -1);
        EXPECT_EQ(fx_.At(0, 9).Note, -2);
        EXPECT_EQ(fx_.At(0, 6).markType, 54191118);
        EXPECT_FALSE(IsClefCell(fx_.At(0, 12)));
        // The first column: C5 alone above, the chord C3 G3 E4 whole below.
        EXPECT_EQ(GetChordNoteCount(fx_.At(6, 6)), 0);
        EXPECT_EQ(fx_.At(6, 6).yAdj, -1.0f) << "C5";
        EXPECT_EQ(GetChordNoteCount(fx_.At(6, 9)), 2) << "three notes in one chord";
        // A3 at the end of the right hand stays on the treble staff.
        EXPECT_EQ(PlacedNotes(), 8 + 6);
        ExpectHeard(Heard(), {{0, 72, 0.25}, {0.25, 71, 0.25}, {0.5, 69, 0.25}, {0.75, 67, 0.25},
                              {1.0, 64, 0.25}, {1.25, 62, 0.25}, {1.5, 60, 0.25}, {1.75, 57, 0.25},
                              {0, 48, 1.0}, {0, 55, 1.0}, {0, 64, 1.0}, {1.0, 43, 1.0}, {1.0, 55, 1.0},
                              {1.0, 62, 1.0}});
    }
}

} // namespace

namespace {

// Eighths and 16ths of an imported bar are beamed by the beat of its time
// signature: in 4/4 a beam to each quarter, in 6/8 a beam to each dotted
// quarter; a rest inside a beat does not break the beam, a quarter stands alone.
TEST_F(MidiWholePathTest, ImportedShortNotesAreBeamedByTheBeat) {
    struct TCase {
        int num, den;
        std::vector<double> lengths; // quarters; a negative length is a rest
        std::string beams;           // per note or rest column: [ starts, ] ends, - inside, . alone
    };
    const std::vector<TCase> cases = {
        {4, 4, {0.5, 0.5, 0.25, 0.25, 0.5, 1, 0.5, 0.5}, "[][-].[]"},
        {6, 8, {0.5, 0.5, 0.5, 0.5, -0.5, 0.5}, "[-][-]"},
        {3, 4, {0.75, 0.25, 1, 0.5, 0.5}, "[].[]"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.beams);
        TSmfTrack t;
        t.Ev(0, {0xFF, 0x58, 0x04, c.num, c.den == 8 ? 3 : 2, 0x18, 0x08});
        uint32_t wait = 0;
        for (double len : c.lengths) {
            const uint32_t ticks = static_cast<uint32_t>(std::abs(len) * 480);
            if (len < 0) {
                wait += ticks;
                continue;
            }
            t.Note(wait, 67, ticks);
            wait = 0;
        }
        t.End();
        ASSERT_TRUE(Import(SmfFile(0, 480, {t})));
        std::string beams;
        for (int col = 6; col < 60 && !IsBarLineCell(fx_.At(col, 6)); ++col) {
            const TCell& cell = fx_.At(col, 6);
            if (!IsWestNoteOrRest(cell, 1))
                continue;
            if (IsWestRestCell(cell)) {
                beams += '-';
                continue;
            }
            ASSERT_TRUE(IsWestNoteCell(cell, 1)) << col;
            beams += (cell.option & 0x2u) ? '[' : (cell.option & 0x4u) ? ']' : IsFlaggedWestNoteCode(cell.Note) ? '-' : '.';
        }
        EXPECT_EQ(beams, c.beams);
    }
}

} // namespace

namespace {

// Runs of dotted eighths and 16ths at fast and slow tempi: after 32 beats every
// onset is where the file has it, within one tick of the export.
TEST_F(MidiWholePathTest, RunsOfShortValuesKeepTheBeatAtAnyTempo) {
    for (const int micros : {392157, 666667, 451128}) {
        SCOPED_TRACE(micros);
        path_ = (dir_ / "run.mid").string();
        ASSERT_TRUE(WriteWithMido(dir_.path(), path_, "at(0, 0, mido.MetaMessage('set_tempo', tempo=" +
                                                          std::to_string(micros) + R"())
for b in range(32):
    note(0, 0, 67, b, 0.75)
    note(0, 0, 69, b + 0.75, 0.25)
)"));
        TMIDIReader reader;
        ASSERT_TRUE(reader.ImportMIDIFile(path_));
        const std::string exported = (dir_ / "out.mid").string();
        ASSERT_TRUE(SaveMIDIFile(exported));
        const TOnsets out = ReadOnsets(exported);
        ASSERT_EQ(out.byKey.at(67).size(), 32u);
        ASSERT_EQ(out.byKey.at(69).size(), 32u);
        for (int b = 0; b < 32; ++b) {
            EXPECT_NEAR(out.byKey.at(67)[static_cast<std::size_t>(b)], b, 1.0 / 144 + 1e-9) << b;
            EXPECT_NEAR(out.byKey.at(69)[static_cast<std::size_t>(b)], b + 0.75, 1.0 / 144 + 1e-9) << b;
        }
    }
}

} // namespace

namespace {

// A quick repeat of one key 1/32 of a beat after the first strike and a grace
// note 0.04 s before its main note: the grid puts them on one onset, yet every
// strike sounds, each within 1/8 beat of its time.
TEST_F(MidiWholePathTest, NoNoteIsLostToTheGrid) {
    path_ = (dir_ / "quick.mid").string();
    ASSERT_TRUE(WriteWithMido(dir_.path(), path_, R"(
note(0, 0, 64, 0, 1)
note(0, 0, 67, 1, 1 / 32)
note(0, 0, 67, 1 + 1 / 32, 0.9)
note(0, 0, 71, 2.92, 0.08)
note(0, 0, 72, 3, 1)
)"));
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path_));
    const std::string exported = (dir_ / "out.mid").string();
    ASSERT_TRUE(SaveMIDIFile(exported));
    const TOnsets out = ReadOnsets(exported);
    const std::map<int, std::vector<double>> want = {{64, {0}}, {67, {1, 1 + 1 / 32.0}}, {71, {2.92}}, {72, {3}}};
    for (const auto& [key, beats] : want) {
        SCOPED_TRACE(key);
        ASSERT_EQ(out.byKey.count(key), 1u);
        const std::vector<double>& heard = out.byKey.at(key);
        ASSERT_EQ(heard.size(), beats.size());
        for (std::size_t i = 0; i < beats.size(); ++i)
            EXPECT_NEAR(heard[i], beats[i], 1.0 / 8 + 1e-9);
    }
}

} // namespace

namespace {

// A piano file at 120 a minute, the right hand: six triplet 16ths, an eighth
// and three triplet 16ths, three triplet eighths, a quarter; then two beats of
// swung eighths (two thirds and one third of a beat), four plain 16ths with a
// grace note of 0.04 s at their end, and a quarter. The left hand swings with
// it in bar 2. Every figure of thirds is a triplet group of equal notes (a
// longer note tied within it), and sounds at its exact thirds.
TEST_F(MidiWholePathTest, TripletSixteenthsAndSwungEighthsAreWrittenAsTriplets) {
    path_ = (dir_ / "thirds.mid").string();
    ASSERT_TRUE(WriteWithMido(dir_.path(), path_, R"(
for n, ch in ((0, 0), (1, 1)):
    at(n, 0, mido.Message('program_change', channel=ch, program=0))
for i, key in enumerate([60, 62, 64, 65, 67, 69]):
    note(0, 0, key, i / 6, 1 / 6)
note(0, 0, 72, 1, 0.5)
for i, key in enumerate([71, 69, 67]):
    note(0, 0, key, 1.5 + i / 6, 1 / 6)
for i, key in enumerate([65, 64, 62]):
    note(0, 0, key, 2 + i / 3, 1 / 3)
note(0, 0, 60, 3, 1)
for b, (long, short) in enumerate([(67, 69), (71, 72)]):
    note(0, 0, long, 4 + b, 2 / 3)
    note(0, 0, short, 4 + b + 2 / 3, 1 / 3)
for i, key in enumerate([74, 72, 71, 69]):
    note(0, 0, key, 6 + i / 4, 0.25)
note(0, 0, 66, 6.92, 0.08)
note(0, 0, 67, 7, 1)
note(1, 1, 48, 0, 2)
note(1, 1, 43, 2, 2)
for b in range(2):
    note(1, 1, 48, 4 + b, 2 / 3)
    note(1, 1, 55, 4 + b + 2 / 3, 1 / 3)
note(1, 1, 48, 6, 2)
)"));
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path_));
    // The right hand on row 6, the left on row 9: each note or rest cell by
    // value (3 quarter, 4 eighth, 5 16th, 6 32nd), "t" under a triplet group,
    // "~" tied on; "|" a bar line; and the notes counted by each group's mark.
    auto written = [&](int row, std::vector<int>& groups) {
        std::string out;
        int groupEnd = -1;
        for (int col = 6; col < 60; ++col) {
            const TCell& cell = fx_.At(col, row);
            if (IsBarLineCell(cell)) {
                out += "| ";
                continue;
            }
            if (!IsWestNoteOrRest(cell, 1))
                continue;
            if (IsTupletMarkCell(cell)) {
                EXPECT_EQ(cell.markType, 86) << "a tuplet bracket, col " << col;
                groups.push_back(CountNotesInSpan(col, row, cell.iEnd, 0));
                groupEnd = cell.iEnd;
            }
            const bool tied = IsSlurMarkCell(cell) || IsSlurMarkCell(fx_.At(col, row - 1));
            out += std::to_string(IsWestRestCell(cell) ? RestCodeToValue(cell.Note) : cell.Note) +
                   (col <= groupEnd ? "t" : "") + (tied ? "~" : "") + " ";
        }
        return out;
    };
    std::vector<int> rightGroups, leftGroups;
    EXPECT_EQ(written(6, rightGroups), "5t 5t 5t 5t 5t 5t 4 5t 5t 5t 4t 4t 4t 3 | "
                                       "4t~ 4t 4t 4t~ 4t 4t 5 5 5 6 6 3 | ");
    EXPECT_EQ(rightGroups, (std::vector<int>{3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(written(9, leftGroups), "2 2 | 4t~ 4t 4t 4t~ 4t 4t 2 | ");
    EXPECT_EQ(leftGroups, (std::vector<int>{3, 3}));

    // What the file plays, in beats: every note, the grace note too.
    std::vector<std::tuple<double, int, double>> file;
    const int right[6] = {60, 62, 64, 65, 67, 69};
    for (int i = 0; i < 6; ++i)
        file.push_back({i / 6.0, right[i], 1 / 6.0});
    file.push_back({1, 72, 0.5});
    for (int i = 0; i < 3; ++i) {
        file.push_back({1.5 + i / 6.0, std::vector<int>{71, 69, 67}[static_cast<std::size_t>(i)], 1 / 6.0});
        file.push_back({2 + i / 3.0, std::vector<int>{65, 64, 62}[static_cast<std::size_t>(i)], 1 / 3.0});
    }
    file.push_back({3, 60, 1});
    for (int b = 0; b < 2; ++b) {
        file.push_back({4 + b, b ? 71 : 67, 2 / 3.0});
        file.push_back({4 + b + 2 / 3.0, b ? 72 : 69, 1 / 3.0});
        file.push_back({4 + b, 48, 2 / 3.0});
        file.push_back({4 + b + 2 / 3.0, 55, 1 / 3.0});
    }
    for (int i = 0; i < 4; ++i)
        file.push_back({6 + i / 4.0, std::vector<int>{74, 72, 71, 69}[static_cast<std::size_t>(i)], 0.25});
    file.push_back({6.92, 66, 0.08});
    file.push_back({7, 67, 1});
    file.push_back({0, 48, 2});
    file.push_back({2, 43, 2});
    file.push_back({6, 48, 2});
    std::sort(file.begin(), file.end(),
              [](const auto& a, const auto& b) { return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b)); });
    // The grace note and the 16th before it stand on 32nds; every other note
    // sounds at its time and for its length, the tied ones whole.
    auto exact = [](double beat) { return !(beat > 6.7 && beat < 7); };

    const std::vector<THeard> heard = Heard();
    ASSERT_EQ(heard.size(), file.size());
    for (std::size_t i = 0; i < file.size(); ++i) {
        const auto [beat, key, beats] = file[i];
        SCOPED_TRACE(std::to_string(beat) + " key " + std::to_string(key));
        EXPECT_EQ(heard[i].key, key);
        // Seconds at 120 a minute, half a second a beat, within the player's
        // own tempo rounding (half a percent) and 3 ms.
        EXPECT_NEAR(heard[i].on, beat / 2, exact(beat) ? 0.005 * beat / 2 + 0.003 : 1.0 / 16);
        if (exact(beat)) {
            EXPECT_NEAR(heard[i].len, beats / 2, 0.005 * beats / 2 + 0.003);
        }
    }
    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.notes.size(), file.size());
    std::vector<std::tuple<long, int, long>> got = out.notes;
    std::sort(got.begin(), got.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    const double tpq = out.ticksPerBeat;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const auto [beat, key, beats] = file[i];
        SCOPED_TRACE(std::to_string(beat) + " key " + std::to_string(key));
        EXPECT_EQ(std::get<1>(got[i]), key);
        EXPECT_NEAR(std::get<0>(got[i]) / tpq, beat, exact(beat) ? 1.0 / 96 : 1.0 / 8);
        if (exact(beat)) {
            EXPECT_NEAR(std::get<2>(got[i]) / tpq, beats, 1.0 / 96);
        }
    }
}

} // namespace

namespace {

// Triplet eighths C D E in the right hand over a half note in the left: every
// note the export sounds is switched off after its own length.
TEST_F(MidiWholePathTest, TripletOverALongerNoteEndsEveryNote) {
    path_ = (dir_ / "held.mid").string();
    ASSERT_TRUE(WriteWithMido(dir_.path(), path_, R"(
for n, ch in ((0, 0), (1, 1)):
    at(n, 0, mido.Message('program_change', channel=ch, program=0))
for i, key in enumerate([72, 74, 76]):
    note(0, 0, key, i / 3, 1 / 3)
note(0, 0, 77, 1, 1)
note(0, 0, 79, 2, 2)
note(1, 1, 48, 0, 2)
note(1, 1, 43, 2, 2)
)"));
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path_));
    const TMidoFile out = Export();
    ASSERT_TRUE(out.ok);
    const double tpq = out.ticksPerBeat;
    std::string got;
    for (const auto& [on, key, len] : out.notes)
        got += "(" + std::to_string(on / tpq) + " " + std::to_string(key) + " " + std::to_string(len / tpq) + ") ";
    const std::vector<std::tuple<double, int, double>> want = {
        {0, 48, 2}, {0, 72, 1 / 3.0}, {1 / 3.0, 74, 1 / 3.0}, {2 / 3.0, 76, 1 / 3.0},
        {1, 77, 1}, {2, 43, 2}, {2, 79, 2}};
    ASSERT_EQ(out.notes.size(), want.size()) << got;
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(got);
        EXPECT_NEAR(std::get<0>(out.notes[i]) / tpq, std::get<0>(want[i]), 1.0 / 96);
        EXPECT_EQ(std::get<1>(out.notes[i]), std::get<1>(want[i]));
        EXPECT_NEAR(std::get<2>(out.notes[i]) / tpq, std::get<2>(want[i]), 1.0 / 24);
    }
}

} // namespace
