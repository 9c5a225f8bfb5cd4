// Standard MIDI File import: reading, placement on a new score, damaged files.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "platform/core/TQMessage.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiBytes.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

using tqtest::SmfFile;
using tqtest::TSmfTrack;

namespace {

class MidiImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxes(&boxes_);
        SetMessageByIdHandler(nullptr);
        MIDIImportHooks() = {};
    }
    void TearDown() override { SetMessageBoxes(nullptr); }

    // Imports the bytes; the result of ImportMIDIFile.
    bool Import(const std::string& bytes, TMIDIReader& reader) {
        const std::string path = (dir_ / "in.mid").string();
        tqtest::WriteBytesFile(path, bytes);
        return reader.ImportMIDIFile(path);
    }
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& r : boxes_.shown)
            ids.push_back(r.id);
        return ids;
    }
    // Western notes of layer 0 (chord notes counted), every page.
    int PlacedCells() {
        int n = 0;
        for (const TPage& page : fx_.Score().PageSets[0])
            for (const TCellRow& row : page)
                for (const TCell& c : row)
                    n += IsWestNoteCell(c, 1) ? 1 + GetChordNoteCount(c) : 0;
        return n;
    }

    TScoreFixture fx_{40, 30};
    TMessageRecorder boxes_;
    tqtest::TempDir dir_;
};

TEST_F(MidiImportTest, QuantisesTicksToValuesAndDots) {
    TMIDIReader r;
    r.DivisionHigh = 480 / 256;
    r.DivisionLow = 480 % 256;
    struct Case {
        int ticks, value, dots;
    } cases[] = {{480, 3, 0}, {720, 3, 1}, {840, 3, 2}, {30, 7, 0}, {10, 0, 0}, {1920, 1, 0},
                 {240, 4, 0}, {15, 8, 0}, {0, 0, 0},   {-5, 0, 0}};
    for (const Case& c : cases) {
        int dots = -1;
        EXPECT_EQ(r.QuantizeNoteValue(c.ticks, dots), c.value) << c.ticks;
        EXPECT_EQ(dots, c.dots) << c.ticks;
    }
    EXPECT_EQ(r.NoteValueTicks(3, 0x8), 720);
    EXPECT_EQ(r.NoteValueTicks(3, 0x40), 840);
    EXPECT_EQ(r.RestValueTicks(23, 0), 240);
}

TEST_F(MidiImportTest, PlacesChordsValuesTitleAndTempo) {
    TSmfTrack t;
    t.Ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}).Text(0, 0x06, "T");
    t.Ev(0, {0x90, 60, 90}).Ev(0, {0x90, 64, 90}).Ev(0, {0x90, 67, 90});
    t.Ev(480, {0x80, 60, 0}).Ev(0, {0x80, 64, 0}).Ev(0, {0x90, 67, 0}); // a note-on at velocity 0 ends a note too
    t.Note(0, 62, 720).Note(0, 64, 840).Note(0, 65, 30).Note(0, 67, 10).End();
    TPlayState play;
    frmPlay = &play;
    play.PlayWest = false;
    play.PlayRule = prCurrentStaff;
    TMIDIReader reader;
    ASSERT_TRUE(Import(SmfFile(0, 480, {t}), reader));
    EXPECT_TRUE(Ids().empty());
    EXPECT_TRUE(play.PlayWest) << "the import leaves Western playback of all staffs";
    EXPECT_EQ(play.PlayRule, prAllStaffs);
    frmPlay = nullptr;
    EXPECT_EQ(reader.ScoreTempo, 120);

    // Clef at the system start, first note column 6 on row 6.
    EXPECT_TRUE(IsClefCell(fx_.At(0, 6)));
    EXPECT_EQ(fx_.At(0, 6).Note, -1);
    const TCell& chord = fx_.At(6, 6);
    EXPECT_EQ(chord.Note, 3);
    EXPECT_EQ(chord.yAdj, 6.0f) << "C4 is the lowest note";
    ASSERT_EQ(GetChordNoteCount(chord), 2);
    EXPECT_EQ(chord.westChordArray[0].interval, 2);
    EXPECT_EQ(chord.westChordArray[1].interval, 2);
    EXPECT_TRUE(fx_.At(7, 6).Note == 32) << "the next onset is two columns on";
    EXPECT_EQ(fx_.At(8, 6).Note, 3);
    EXPECT_EQ(fx_.At(8, 6).option & 0x48u, 0x8u) << "dotted";
    EXPECT_EQ(fx_.At(8, 6).yAdj, 5.0f);
    // E4 of 840 ticks from beat 2.5 crosses the bar line: a dotted quarter tied
    // to a 16th; then F4 and G4 of 30 and 10 ticks as 32nds.
    EXPECT_EQ(fx_.At(10, 6).Note, 3);
    EXPECT_EQ(fx_.At(10, 6).option & 0x48u, 0x8u);
    EXPECT_EQ(fx_.At(10, 6).markType, 1);
    EXPECT_EQ(fx_.At(12, 6).Note, 63) << "bar line";
    // A 16th or 32nd takes one column.
    EXPECT_EQ(fx_.At(13, 6).Note, 5);
    EXPECT_EQ(fx_.At(13, 6).yAdj, 4.0f);
    EXPECT_EQ(fx_.At(14, 6).Note, 6);
    EXPECT_EQ(fx_.At(14, 6).yAdj, 3.0f);
    EXPECT_EQ(fx_.At(15, 6).Note, 6);
    EXPECT_EQ(fx_.At(15, 6).yAdj, 2.0f);
    EXPECT_EQ(PlacedCells(), 3 + 2 + 2 + 1);

    const TCell& title = fx_.At(3, 1);
    EXPECT_EQ(title.cellType, ctText);
    EXPECT_EQ(std::string(title.Text), "T");
    EXPECT_FLOAT_EQ(title.fontSizeR, 1.5f);
    const TCell& tempo = fx_.At(3, 4);
    EXPECT_EQ(tempo.cellType, ctTempo);
    EXPECT_EQ(tempo.FontColor, 120);
    EXPECT_EQ(tempo.Note, 2);
}

TEST_F(MidiImportTest, ClefsAndStavesFromTheTrackStatistics) {
    {
        // Every note low: one bass staff.
        TSmfTrack t;
        for (int key : {40, 45, 48, 50})
            t.Note(0, key, 480);
        TMIDIReader reader;
        ASSERT_TRUE(Import(SmfFile(0, 480, {t.End()}), reader));
        EXPECT_EQ(fx_.At(0, 6).Note, -2);
        EXPECT_EQ(fx_.At(10, 6).yAdj, 1.0f) << "C3 on the bass staff";
        EXPECT_FALSE(IsClefCell(fx_.At(0, 9)));
    }
    {
        // 40..80 with a third below 58: a grand staff, low notes on the lower staff.
        TSmfTrack t;
        for (int key : {40, 50, 60, 70, 80, 72})
            t.Note(0, key, 480);
        TMIDIReader reader;
        ASSERT_TRUE(Import(SmfFile(0, 480, {t.End()}), reader));
        EXPECT_EQ(fx_.At(0, 6).Note, -1);
        EXPECT_EQ(fx_.At(0, 9).Note, -2);
        EXPECT_EQ(fx_.At(0, 6).markType, 54191118);
        EXPECT_EQ(fx_.At(0, 6).jEnd, 9);
        EXPECT_EQ(fx_.At(6, 9).yAdj, 6.0f) << "E2 on the bass staff";
        EXPECT_TRUE(IsWestRestCell(fx_.At(6, 6))) << "the treble staff rests";
        EXPECT_EQ(fx_.At(10, 6).yAdj, 6.0f) << "C4 on the treble staff";
    }
}

TEST_F(MidiImportTest, KeyOfSixFlatsSpellsBAsCFlat) {
    TSmfTrack t;
    t.Ev(0, {0xFF, 0x59, 0x02, 0xFA, 0x00}).Ev(0, {0xFF, 0x58, 0x04, 0x03, 0x03, 0x18, 0x08});
    t.Note(0, 71, 480).Note(0, 70, 480).Note(0, 69, 480).End();
    TMIDIReader reader;
    ASSERT_TRUE(Import(SmfFile(0, 480, {t}), reader));
    EXPECT_EQ(fx_.At(0, 6).Attr, 11u) << "key code of six flats";
    const int c0 = 2 + 6; // trunc(6 / 3 + 6)
    EXPECT_EQ(fx_.At(c0, 6).yAdj, -1.0f) << "C flat sits a step above B";
    EXPECT_EQ(fx_.At(c0, 6).Attr & 0xF, 0u) << "the key holds the flat";
    // In 3/8 the B flat quarter from the third eighth crosses the bar line;
    // the bars of eighths give an eighth one column, two before a sign.
    EXPECT_EQ(fx_.At(c0 + 2, 6).yAdj, 0.0f) << "B flat";
    EXPECT_EQ(fx_.At(c0 + 2, 6).Note, 4);
    EXPECT_EQ(fx_.At(c0 + 3, 6).Note, 63);
    EXPECT_EQ(fx_.At(c0 + 4, 6).yAdj, 0.0f) << "B flat tied on";
    EXPECT_EQ(fx_.At(c0 + 6, 6).yAdj, 1.0f);
    EXPECT_EQ(fx_.At(c0 + 6, 6).Attr & 0xF, 3u) << "A natural against the key's A flat";
    // The time signature 3/8 at column trunc(6 / 2 + 2).
    EXPECT_EQ(fx_.At(5, 6).cellType, ctTimeSig);
    EXPECT_EQ(fx_.At(5, 6).upNote, 3);
    EXPECT_EQ(fx_.At(5, 6).Note, 8);
}

TEST_F(MidiImportTest, RestMarkersForSilences) {
    TSmfTrack t;
    t.Note(0, 60, 480).Note(480, 62, 480).Note(10, 64, 480).End();
    TMIDIReader reader;
    ASSERT_TRUE(reader.LoadFile((dir_ / "none.mid").string(), true) == false);
    const std::string path = (dir_ / "r.mid").string();
    tqtest::WriteBytesFile(path, SmfFile(0, 480, {t}));
    ASSERT_TRUE(reader.LoadFile(path));
    ASSERT_TRUE(reader.ReadMIDIFile());
    const auto& ev = reader.Tracks[0].events;
    // note, off, rest marker (length 480), its close, note, off, note (no rest: gap 10), off, end.
    ASSERT_EQ(ev.size(), 9u);
    EXPECT_EQ(ev[2].velocity, 1);
    EXPECT_EQ(ev[2].length, 480);
    EXPECT_EQ(ev[4].length, 480);
    EXPECT_EQ(ev[4].octave * 12 + ev[4].pitch, 62);
    EXPECT_EQ(ev[6].octave * 12 + ev[6].pitch, 64);
}

TEST_F(MidiImportTest, UnreadableOrForeignFilesLeaveTheScore) {
    fx_.Row(6, "&G W:3@2");
    TMIDIReader reader;
    EXPECT_FALSE(reader.ImportMIDIFile((dir_ / "missing.mid").string()));
    EXPECT_EQ(Ids(), std::vector<int>{1044});
    EXPECT_EQ(fx_.At(1, 6).Note, 3) << "score untouched";
}

// Damaged files: no crash, one report, no notes made of skipped bytes.
TEST_F(MidiImportTest, DamagedFiles) {
    auto oneNote = [] { return TSmfTrack().Note(0, 60, 480); };
    std::string cutTrack = SmfFile(0, 480, {oneNote().Note(0, 62, 480).End()});
    cutTrack[21] = 0x7F; // the track length far beyond the end of the file
    std::string vlqAtEof = SmfFile(0, 480, {oneNote().Raw({0x81})});
    std::string longText = SmfFile(0, 480, {oneNote().Raw({0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F, 0x41, 0x42})});
    std::string riff = "RIFF" + SmfFile(0, 480, {oneNote().End()}).substr(4);
    std::string divisionZero = SmfFile(0, 0, {oneNote().End()});
    std::string smpte = SmfFile(0, 0xE728, {oneNote().End()});
    std::string manyTracks = SmfFile(1, 480, {TSmfTrack().End(), oneNote().End()}, 65535);
    std::string tempoZero = SmfFile(0, 480, {TSmfTrack().Ev(0, {0xFF, 0x51, 0x03, 0, 0, 0}).Note(0, 60, 480).End()});
    std::string sysex = SmfFile(0, 480, {oneNote().Ev(0, {0xF0, 0x05, 0x90, 0x40, 0x40, 0x7F, 0xF7}).Note(0, 62, 480).End()});
    std::string bend = SmfFile(0, 480, {oneNote().Ev(0, {0x90, 62, 90}).Ev(0, {0xE0, 0x00, 0x40}).Ev(480, {0x80, 62, 0}).End()});
    std::string ddNine = SmfFile(0, 480, {TSmfTrack().Ev(0, {0xFF, 0x58, 0x04, 0x03, 0x09, 0x18, 0x08}).Note(0, 60, 480).End()});
    std::string badStatus = SmfFile(0, 480, {oneNote().Ev(0, {0xF4, 0x3C, 0x40}).Note(0, 62, 480).End()});
    std::string longVlq = SmfFile(0, 480, {oneNote().Raw({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 62, 90}).End()});
    std::string statusAsKey = SmfFile(0, 480, {oneNote().Ev(0, {0x90, 0x90, 0x40}).Note(0, 62, 480).End()});
    std::string noNotes = SmfFile(0, 480, {TSmfTrack().End()});
    std::string headerOnly = SmfFile(0, 480, {});
    headerOnly.resize(12);

    struct Case {
        const char* name;
        const std::string& bytes;
        bool placed;
        std::vector<int> ids;
        int cells;
    } cases[] = {
        {"RIFF header", riff, false, {1045}, 0},
        {"track cut short", cutTrack, true, {1045}, 2},
        {"EOF in a VLQ", vlqAtEof, true, {1045}, 1},
        {"text of length 0x0FFFFFFF", longText, true, {1045}, 1},
        {"division 0", divisionZero, false, {1045}, 0},
        {"SMPTE division", smpte, false, {1045}, 0},
        {"65535 tracks declared", manyTracks, true, {1045}, 1},
        {"tempo 0", tempoZero, true, {}, 1},
        {"sysex between notes", sysex, true, {}, 2},
        {"pitch bend under running note-on", bend, true, {}, 2},
        {"time signature dd 9", ddNine, true, {}, 1},
        // the diagnostic of the stray byte, then its data bytes misread as events
        {"unknown status byte", badStatus, true, {0, 1045}, 1},
        {"a delta of five bytes", longVlq, true, {1045}, 1},
        {"a status byte as the key", statusAsKey, true, {1045}, 1},
        {"no notes", noNotes, false, {3722}, 0},
        {"header cut short", headerOnly, false, {1045}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.Clear();
        fx_.Score().PageSets[0].assign(1, TPage(31, TCellRow(41)));
        TMIDIReader reader;
        EXPECT_EQ(Import(c.bytes, reader), c.placed);
        EXPECT_EQ(Ids(), c.ids);
        EXPECT_EQ(PlacedCells(), c.cells);
    }
    EXPECT_EQ(fx_.At(5, 6).cellType, 0) << "no time signature from dd 9";
}

} // namespace

namespace {

// The inputs kept beside the MIDI fuzz target (seeds, and every input that once
// broke the reader) import cleanly: at most one report, and placement stays in the grid.
TEST_F(MidiImportTest, KeptFuzzInputs) {
    const std::filesystem::path dir =
        tqtest::SourceFolder() / "tests" / "fuzz" / "corpus_midi";
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "no corpus beside the sources";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().string());
        boxes_.Clear();
        TMIDIReader reader;
        reader.ImportMIDIFile(entry.path().string());
        EXPECT_LE(boxes_.shown.size(), 1u);
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace

namespace {

TEST_F(MidiImportTest, SeveralTracksStandTogether) {
    TSmfTrack meta;
    meta.Ev(0, {0xFF, 0x58, 0x04, 0x02, 0x02, 0x18, 0x08}).End();
    TSmfTrack upper, lower;
    upper.Note(0, 72, 480).Note(0, 74, 240).Note(0, 76, 240).End();
    lower.Ev(0, {0x91, 48, 80}).Ev(960, {0x81, 48, 0}).End();
    TMIDIReader reader;
    ASSERT_TRUE(Import(SmfFile(1, 480, {meta, upper, lower}), reader));
    EXPECT_TRUE(Ids().empty());
    EXPECT_EQ(fx_.At(0, 6).Note, -1);
    EXPECT_EQ(fx_.At(0, 9).Note, -2) << "the low track's own clef";
    EXPECT_EQ(fx_.At(0, 6).markType, 30) << "the two tracks' staves are one system";
    EXPECT_EQ(fx_.At(0, 6).jEnd, 9);
    EXPECT_EQ(fx_.At(2, 6).cellType, ctTimeSig) << "2/4 in the first system";
    EXPECT_EQ(fx_.At(6, 6).Note, 3);
    EXPECT_EQ(fx_.At(6, 9).Note, 2) << "the half note starts with the upper quarter";
    EXPECT_EQ(fx_.At(6, 9).yAdj, 1.0f);
    // A bar of eighths gives an eighth one column.
    EXPECT_EQ(fx_.At(8, 6).Note, 4);
    EXPECT_EQ(fx_.At(9, 6).Note, 4);
    // The half note holds under the upper eighths; the bar ends both staves.
    EXPECT_EQ(fx_.At(8, 9).Note, 32);
    EXPECT_EQ(fx_.At(10, 6).Note, 63);
    EXPECT_EQ(fx_.At(10, 9).Note, 63);

    // Format 1 with a single track still places it.
    TMIDIReader single;
    ASSERT_TRUE(Import(SmfFile(1, 480, {upper}), single));
    EXPECT_EQ(fx_.At(6, 6).Note, 3);
}

} // namespace

namespace {

// Events the reader does not use are passed over by their own sizes, with no
// report: a wrong size would turn their bytes into notes or lose the notes after.
TEST_F(MidiImportTest, UnusedEventsAreSkippedByTheirSizes) {
    TSmfTrack t;
    t.Note(0, 60, 480);
    t.Ev(0, {0xA0, 0x3C, 0x40})        // key pressure: two data bytes
        .Ev(0, {0xB0, 0x07, 0x64})     // controller: two
        .Ev(0, {0xC0, 0x05})           // program: one
        .Ev(0, {0xD0, 0x30})           // channel pressure: one
        .Ev(0, {0x90, 0x3E, 0x64})     // D4 starts under running 90 ...
        .Ev(0, {0xE0, 0x00, 0x40})     // ... and a pitch bend comes in between: two
        .Ev(480, {0x80, 0x3E, 0x00})
        .Ev(0, {0xFF, 0x59, 0x02, 0xF7, 0x00}) // nine flats: at most seven
        .Ev(0, {0xF7, 0x02, 0x90, 0x45})       // an escaped sysex holding note-on bytes
        .Ev(0, {0x90, 0x40, 0x64}).Raw({0x83, 0x60, 0x40, 0x00}) // E4, ended under running status
        .Text(0, 0x06, std::string(300, 'a'))  // a title longer than any text kept
        .Note(0, 65, 480)
        .End();
    TMIDIReader reader;
    reader.Data.clear();
    const std::string bytes = SmfFile(0, 480, {t});
    reader.Data.assign(bytes.begin(), bytes.end());
    ASSERT_TRUE(reader.ReadMIDIFile(true));
    EXPECT_FALSE(reader.Damaged) << reader.Message;
    ASSERT_EQ(reader.Tracks.size(), 1u);
    std::vector<int> keys;
    for (const TMIDINote& e : reader.Tracks[0].events)
        if ((e.status & 0xF0) == 0x90 && e.velocity > 1)
            keys.push_back(e.octave * 12 + e.pitch);
    EXPECT_EQ(keys, (std::vector<int>{60, 62, 64, 65}));
    EXPECT_EQ(reader.Key, -7);
    EXPECT_EQ(reader.Title.size(), 255u);
    EXPECT_TRUE(Ids().empty());
}

// A header that is refused leaves the score as it was; chunks of other kinds
// between the tracks are passed over.
TEST_F(MidiImportTest, RefusedHeadersLeaveTheScoreAndForeignChunksArePassed) {
    const std::string track = SmfFile(0, 480, {TSmfTrack().Note(0, 60, 480).End()}).substr(14);
    std::string header = SmfFile(0, 480, {}).substr(0, 14);
    header[11] = 1; // one track
    std::string shortHeader = header;
    shortHeader[7] = 5; // a header chunk of 5 bytes
    std::string smpte = header;
    smpte[12] = char(0xE7);
    const std::string foreign = header + "XFIL" + std::string("\x00\x00\x00\x04", 4) + "MTrk" + track;
    struct Case {
        const char* name;
        std::string bytes;
        bool refused;
    } cases[] = {
        {"header length 5", shortHeader + track, true},
        {"SMPTE division", smpte + track, true},
        {"no MThd", "MTrd" + header.substr(4) + track, true},
        {"a foreign chunk first", foreign, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.Clear();
        fx_.Score().PageSets[0].assign(1, TPage(31, TCellRow(41)));
        fx_.Row(20, "&G W:3@2");
        TMIDIReader reader;
        EXPECT_EQ(Import(c.bytes, reader), !c.refused);
        if (c.refused) {
            EXPECT_EQ(Ids(), std::vector<int>{1045});
            ASSERT_EQ(boxes_.shown.size(), 1u);
            EXPECT_NE(boxes_.shown[0].text.find("in.mid"), std::string::npos) << "the file is named";
            EXPECT_EQ(fx_.At(1, 20).Note, 3) << "score untouched";
        } else {
            EXPECT_TRUE(Ids().empty());
            EXPECT_EQ(PlacedCells(), 1);
        }
    }
}

} // namespace
