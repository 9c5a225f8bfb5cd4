// Standard MIDI File export: the bytes written for a play list, and the
// export as a whole (no playable staff, files that cannot be written, a round
// trip through the import).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "model/modTQPredicates.h"
#include "platform/core/TQMessage.h"
#include "play/Modmidifile.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "tests/play/TQMidiBytes.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

TPlayItem NotesItem(std::initializer_list<std::pair<int, int>> notes, int duration, int noteVolume = 100,
                    int length = -1) {
    TPlayItem item;
    item.Kind = pkNotes;
    item.Duration = duration;
    item.Volume = 127;
    for (auto [octave, pitch] : notes) {
        TPNote n;
        n.Octave = static_cast<int8_t>(octave);
        n.Pitch = static_cast<int8_t>(pitch);
        n.Volume = static_cast<uint8_t>(noteVolume);
        n.Length = length < 0 ? duration : length;
        AppendNote(item, n);
    }
    return item;
}

TPlayItem KindItem(int kind, int duration, int volume = 0) {
    TPlayItem item;
    item.Kind = static_cast<int8_t>(kind);
    item.Duration = duration;
    item.Volume = static_cast<uint8_t>(volume);
    return item;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    return out;
}

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int x : b)
        s.push_back(char(x));
    return s;
}

// Walks the events of the one track: every channel event's data bytes are
// below 0x80, and no key sounds at the end-of-track event. Returns the sum of
// the deltas.
long WalkTrack(const std::string& file, bool& cleanEnd) {
    std::size_t p = 22;
    long ticks = 0;
    std::set<int> sounding;
    cleanEnd = false;
    while (p < file.size()) {
        uint32_t d = 0;
        unsigned char b;
        do {
            b = static_cast<unsigned char>(file[p++]);
            d = (d << 7) | (b & 0x7F);
        } while ((b & 0x80) && p < file.size());
        ticks += d;
        const unsigned char status = static_cast<unsigned char>(file[p++]);
        if (status == 0xFF) {
            const unsigned char type = static_cast<unsigned char>(file[p++]);
            const unsigned char len = static_cast<unsigned char>(file[p++]);
            if (type == 0x2F) {
                cleanEnd = sounding.empty() && p == file.size();
                return ticks;
            }
            p += len;
            continue;
        }
        EXPECT_TRUE(status == 0x80 || status == 0x90) << Hex(std::string(1, char(status)));
        const unsigned char key = static_cast<unsigned char>(file[p++]);
        const unsigned char vel = static_cast<unsigned char>(file[p++]);
        EXPECT_LE(key, 0x7F);
        EXPECT_LE(vel, 0x7F);
        if (status == 0x90 && vel > 0)
            sounding.insert(key);
        else
            sounding.erase(key);
    }
    return ticks;
}

class MidiExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frmPlay = &play_;
        SetMessageBoxes(&boxes_);
        SetMessageByIdHandler(nullptr);
    }
    void TearDown() override {
        MIDIExportHooks() = {};
        MIDIImportHooks() = {};
        SetMessageBoxes(nullptr);
        frmPlay = nullptr;
    }
    // Writes the list as SaveMIDIFile does and returns the file's bytes.
    std::string Export(const std::vector<TPlayItem>& list, const std::string& title = "") {
        MIDIExportHooks().BuildPlayList = [this, list](bool) {
            play_.PlayList = list;
            return true;
        };
        (void)title;
        const std::string path = (dir_ / "out.mid").string();
        EXPECT_TRUE(SaveMIDIFile(path));
        return tqtest::ReadBytesFile(path);
    }

    TScoreFixture fx_{20, 10};
    TPlayState play_;
    TMessageRecorder boxes_;
    tqtest::TempDir dir_;
};

TEST_F(MidiExportTest, BytesOfAShortList) {
    const std::string file = Export({KindItem(pkTimeSig, 8, 3), NotesItem({{0, 0}}, 1280),
                                     NotesItem({{0, 2}}, 1280, 50), KindItem(pkRest, 1280),
                                     KindItem(pkTimeSig, 3, 5) /* not a power of two: left out */});
    ASSERT_GE(file.size(), 22u);
    EXPECT_EQ(Hex(file.substr(0, 18)), "4D 54 68 64 00 00 00 06 00 00 00 01 00 90 4D 54 72 6B ");
    const uint32_t length = (uint8_t(file[18]) << 24) | (uint8_t(file[19]) << 16) | (uint8_t(file[20]) << 8) |
                            uint8_t(file[21]);
    EXPECT_EQ(length, file.size() - 22);
    EXPECT_NE(file.find(Bytes({0x00, 0xFF, 0x03, 18}) + kUntitledTrackName), std::string::npos);
    EXPECT_NE(file.find(Bytes({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40})), std::string::npos);
    EXPECT_NE(file.find(Bytes({0xFF, 0x58, 0x04, 0x03, 0x03, 0x18, 0x08})), std::string::npos);
    EXPECT_EQ(file.find(Bytes({0xFF, 0x58, 0x04, 0x05})), std::string::npos);
    // C4 for a quarter: 144 ticks (81 10) to its note-off, then D4 at velocity 64.
    EXPECT_NE(file.find(Bytes({0x00, 0x90, 0x3C, 0x7F, 0x81, 0x10, 0x80, 0x3C, 0x00, 0x00, 0x90, 0x3E, 0x40})),
              std::string::npos)
        << Hex(file);
    bool clean = false;
    EXPECT_EQ(WalkTrack(file, clean), 3 * 144);
    EXPECT_TRUE(clean);
}

TEST_F(MidiExportTest, HeldReleasedAndUnplayableNotes) {
    TPlayItem held = NotesItem({{0, 0}, {0, 4}}, 640, 100, 1280);
    held.Hold = 1;
    TPlayItem release = NotesItem({{0, 0}, {0, 4}}, -1);
    TPlayItem odd = NotesItem({{5, 0}, {0, 12}, {-5, 0}}, 640);  // beyond the keys, no pitch class
    TPlayItem silent = NotesItem({{0, 7}}, 640);
    silent.Kind = pkSilent;
    TPlayItem quiet = NotesItem({{0, 9}}, 640, 0);                 // velocity 0: no note-on
    TPlayItem unreleased = NotesItem({{1, 0}}, 640, 100, 5000);   // still sounding at the end
    TPlayItem tied = NotesItem({{0, 11}}, 640);
    tied.Notes[0].Tie = kTieContinues;
    const std::string file = Export({held, KindItem(pkHighlight, 3), release, odd, silent, quiet, unreleased, tied});
    bool clean = false;
    WalkTrack(file, clean);
    EXPECT_TRUE(clean) << Hex(file);
    EXPECT_NE(file.find(Bytes({0x00, 0x90, 0x3C, 0x7F, 0x00, 0x90, 0x40, 0x7F, 0x48, 0x80, 0x3C, 0x00, 0x00, 0x80,
                               0x40, 0x00})),
              std::string::npos)
        << "held through the step, released by the release item: " << Hex(file);
    EXPECT_EQ(file.find(Bytes({0x90, 0x43})), std::string::npos) << "silent steps are left out";
    EXPECT_EQ(file.find(Bytes({0x90, 0x45})), std::string::npos) << "no note-on at velocity 0";
    EXPECT_NE(file.find(Bytes({0x90, 0x48, 0x7F})), std::string::npos);
}

TEST_F(MidiExportTest, EqualShortStepsDoNotDrift) {
    std::vector<TPlayItem> list;
    for (int i = 0; i < 100; ++i)
        list.push_back(NotesItem({{0, 0}}, 212));
    const std::string file = Export(list);
    bool clean = false;
    // Without the carry every step would take 24 ticks (2400); with it the
    // whole run stays within the carry's rounding of the exact 2385.
    EXPECT_NEAR(WalkTrack(file, clean), 100 * 212 * 144 / 1280.0, 5.0);
    std::vector<TPlayItem> quarters(10, NotesItem({{0, 0}}, 1280));
    EXPECT_EQ(WalkTrack(Export(quarters), clean), 1440) << "a quarter is 144 ticks, as the header says";
}

TEST_F(MidiExportTest, NothingPlayableOrNotWritable) {
    int builds = 0;
    MIDIExportHooks().BuildPlayList = [&](bool showMessages) {
        EXPECT_FALSE(showMessages);
        ++builds;
        return false;
    };
    const std::string path = (dir_ / "none.mid").string();
    const bool west = play_.PlayWest;
    EXPECT_FALSE(SaveMIDIFile(path));
    EXPECT_EQ(builds, 2) << "both notations are tried";
    EXPECT_NE(play_.PlayWest, west);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].id, 1054);
    EXPECT_FALSE(std::filesystem::exists(path));

    // A file that cannot be written keeps what it held.
    boxes_.Clear();
    const std::string good = (dir_ / "good.mid").string();
    tqtest::WriteBytesFile(good, "keep");
    std::filesystem::create_directory(dir_ / "sub");
    MIDIExportHooks().BuildPlayList = [this](bool) {
        play_.PlayList = {NotesItem({{0, 0}}, 1280)};
        return true;
    };
    EXPECT_FALSE(SaveMIDIFile((dir_ / "missing" / "x.mid").string()));
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].id, 1043) << "the write error";
    EXPECT_EQ(tqtest::ReadBytesFile(good), "keep");
    EXPECT_TRUE(SaveMIDIFile(good));
    EXPECT_EQ(tqtest::ReadBytesFile(good).substr(0, 4), "MThd");
    EXPECT_FALSE(std::filesystem::exists(good + ".tmp~"));
}

TEST_F(MidiExportTest, FullDiskAndPlantedLinksLeaveEveryFileAsItWas) {
    MIDIExportHooks().BuildPlayList = [this](bool) {
        play_.PlayList = std::vector<TPlayItem>(400, NotesItem({{0, 0}, {0, 4}}, 320));
        return true;
    };
    // A link planted where a temporary beside the target might be made points
    // at a file of the user's: it is never written through, and the target
    // becomes a file of its own.
    const std::string victim = (dir_ / "victim.txt").string();
    tqtest::WriteBytesFile(victim, "precious");
    const std::string out = (dir_ / "out.mid").string();
    for (const char* suffix : {".tmp~", ".tmp", "~"})
        std::filesystem::create_symlink(victim, out + suffix);
    ASSERT_TRUE(SaveMIDIFile(out));
    EXPECT_EQ(tqtest::ReadBytesFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(out));
    EXPECT_EQ(tqtest::ReadBytesFile(out).substr(0, 4), "MThd");

    // A full disk: the export says so and the earlier file stays whole.
    const std::string before = tqtest::ReadBytesFile(out);
    boxes_.Clear();
    bool ok;
    {
        tqtest::FileSizeLimit full(200);
        ok = SaveMIDIFile(out);
    }
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].id, 1043);
    EXPECT_EQ(tqtest::ReadBytesFile(out), before);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.path()))
        ++entries;
    EXPECT_EQ(entries, 5) << "victim, out.mid and the three links: no temporary left";
}

TEST_F(MidiExportTest, RoundTripOfAList) {
    // C4 quarter, chord E4+G4 eighth, D4 dotted quarter, written then read back.
    const std::string file = Export({NotesItem({{0, 0}}, 1280), NotesItem({{0, 4}, {0, 7}}, 640),
                                     NotesItem({{0, 2}}, 1920)});
    const std::string path = (dir_ / "back.mid").string();
    tqtest::WriteBytesFile(path, file);
    TScoreFixture target(40, 30);
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path));
    EXPECT_TRUE(boxes_.shown.empty());
    // First note column 6, the chord two columns on; in a bar of eighths an
    // eighth takes one column.
    EXPECT_EQ(target.At(6, 6).Note, 3);
    EXPECT_EQ(target.At(6, 6).yAdj, 6.0f);
    EXPECT_EQ(target.At(8, 6).Note, 4);
    EXPECT_EQ(target.At(8, 6).yAdj, 4.0f);
    ASSERT_EQ(target.At(8, 6).westChordArray.size(), 1u);
    EXPECT_EQ(target.At(8, 6).westChordArray[0].interval, 2);
    EXPECT_EQ(target.At(9, 6).Note, 3);
    EXPECT_EQ(target.At(9, 6).option & 0x8u, 0x8u);
    EXPECT_EQ(target.At(9, 6).yAdj, 5.0f);
}

} // namespace

namespace {

TEST_F(MidiExportTest, RoundTripOfAScore) {
    // C4 quarter, D4 and E4 eighths, G4 dotted quarter, built by the play list builder.
    fx_.Row(1, "&G W:3@6 W:4@5 W:4@4 W:3@2. |");
    fx_.Score().SelCol0 = fx_.Score().SelCol1 = 1;
    fx_.Score().SelRow0 = fx_.Score().SelRow1 = 1;
    play_.PlayWest = true;
    play_.PlayRule = prAllStaffs;
    const std::string path = (dir_ / "score.mid").string();
    ASSERT_TRUE(SaveMIDIFile(path));
    EXPECT_TRUE(boxes_.shown.empty());

    TScoreFixture target(40, 30);
    TMIDIReader reader;
    ASSERT_TRUE(reader.ImportMIDIFile(path));
    struct Want {
        int col, value, pos;
        uint32_t dots;
    } want[] = {{6, 3, 6, 0}, {8, 4, 5, 0}, {9, 4, 4, 0}, {10, 3, 2, 0x8}}; // a bar of eighths: an eighth one column
    for (const Want& w : want) {
        SCOPED_TRACE(w.col);
        EXPECT_EQ(target.At(w.col, 6).Note, w.value);
        EXPECT_EQ(target.At(w.col, 6).yAdj, float(w.pos));
        EXPECT_EQ(target.At(w.col, 6).option & 0x48u, w.dots);
    }
    EXPECT_EQ(target.At(12, 6).Note, 23) << "an eighth rest fills the 4/4 bar";
    EXPECT_EQ(target.At(13, 6).Note, 63);
}

} // namespace
