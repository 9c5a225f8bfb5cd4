// Small scores heard through the whole play-list build and the whole MIDI file
// export: every note's onset, length, key and velocity is written down from the
// music, and the exported file is read back by an independent parser (mido).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "model/modTQGroup.h"
#include "platform/core/TQMessage.h"
#include "play/Modmidifile.h"
#include "play/modTQPlayState.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQMidoFile.h"
#include "tests/support/TQTestSupport.h"

namespace {

// One note as a listener hears it: onset and length in play units (a quarter
// is 1280), MIDI key, velocity.
struct Heard {
    int onset;
    int length;
    int key;
    int velocity;
    bool operator==(const Heard&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Heard& h) {
    return os << "{" << h.onset << ", " << h.length << ", " << h.key << ", " << h.velocity << "}";
}

std::string Show(const std::vector<Heard>& notes) {
    std::ostringstream os;
    for (const Heard& h : notes)
        os << h << " ";
    return os.str();
}

void SortHeard(std::vector<Heard>& notes) {
    std::stable_sort(notes.begin(), notes.end(), [](const Heard& a, const Heard& b) {
        return a.onset != b.onset ? a.onset < b.onset : a.key < b.key;
    });
}

// The notes of a play list in time: every step waits its Duration; a note
// sounds from its step for its Length at the item's velocity times its own.
std::vector<Heard> HeardInList(const std::vector<TPlayItem>& list) {
    std::vector<Heard> out;
    int time = 0;
    for (const TPlayItem& item : list) {
        if (item.Kind == pkNotes || item.Kind == pkSilent) {
            if (item.Duration > 0) {
                for (int i = 0; i < NoteCount(item); ++i) {
                    const TPNote& n = item.Notes[i];
                    const int velocity = std::min(
                        static_cast<int>(std::lround(n.Velocity > 0 && n.Volume > 0 ? item.Volume * n.Velocity / 127.0
                                                                                     : item.Volume * n.Volume * 0.01)),
                        127);
                    if (n.Pitch < 0 || n.Pitch > 11 || velocity <= 0 || n.Length <= 0)
                        continue;
                    out.push_back({time, n.Length, 60 + 12 * n.Octave + n.Pitch, velocity});
                }
                time += item.Duration;
            }
        } else if (item.Kind == pkRest && item.Duration > 0) {
            time += item.Duration;
        }
    }
    SortHeard(out);
    return out;
}

// The notes of a Standard MIDI File as mido reads them, in ticks. A note-on
// that no note-off ends by the end of its track (a sequencer would hold it to
// the end) is given the length -1.
std::vector<Heard> HeardInFile(const std::string& path, int& ticksPerQuarter) {
    const tqtest::TMidoFile read = tqtest::ReadWithMido(path);
    EXPECT_TRUE(read.ok) << read.text;
    ticksPerQuarter = read.ticksPerBeat;
    std::vector<Heard> out;
    for (const tqtest::TMidoNote& n : read.notes)
        out.push_back({static_cast<int>(n.on), static_cast<int>(n.length), n.key, n.velocity});
    SortHeard(out);
    return out;
}

struct Case {
    const char* name;
    bool west;
    std::function<void(TScoreFixture&)> score;
    std::vector<Heard> expected;
};

class SoundsAsWrittenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GroupRows.clear();
        frmPlay = &play_;
        SetMessageBoxes(&boxes_);
    }
    void TearDown() override {
        GroupRows.clear();
        SetMessageBoxes(nullptr);
        frmPlay = nullptr;
    }

    // Builds the play list from the top of the score as the play command does.
    std::vector<Heard> Played(TScoreFixture& fx, bool west) {
        play_.PlayWest = west;
        play_.PlayRule = prAllStaffs;
        fx.Score().CurPage = 0;
        fx.Score().SelCol0 = fx.Score().SelCol1 = 0;
        fx.Score().SelRow0 = fx.Score().SelRow1 = 0;
        EXPECT_TRUE(play_.BuildPlayList(false));
        return HeardInList(play_.PlayList);
    }

    // Exports the score and reads the file back.
    std::vector<Heard> Exported(bool west, const char* name) {
        play_.PlayWest = west;
        play_.PlayRule = prAllStaffs;
        const std::string path = (dir_ / (std::string(name) + ".mid")).string();
        EXPECT_TRUE(SaveMIDIFile(path));
        int tpq = 0;
        std::vector<Heard> notes = HeardInFile(path, tpq);
        EXPECT_EQ(tpq, 144);
        return notes;
    }

    // Every case through the build and the export; the file's times are the
    // play units at 144 ticks a quarter, within a tick of rounding.
    void Check(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            TScoreFixture fx(20, 8);
            c.score(fx);
            const std::vector<Heard> played = Played(fx, c.west);
            EXPECT_EQ(played, c.expected) << "played: " << Show(played) << "\nwanted: " << Show(c.expected);
            const std::vector<Heard> file = Exported(c.west, c.name);
            bool same = file.size() == c.expected.size();
            for (size_t i = 0; same && i < file.size(); ++i) {
                const Heard& want = c.expected[i];
                const Heard& got = file[i];
                same =
                    std::abs(got.onset - static_cast<int>(std::lround(want.onset * 144 / 1280.0))) <= 1 &&
                    std::abs(got.length - static_cast<int>(std::lround(want.length * 144 / 1280.0))) <= 1 &&
                    got.key == want.key && got.velocity == want.velocity;
            }
            EXPECT_TRUE(same) << "in the file (ticks): " << Show(file)
                              << "\nwanted (units): " << Show(c.expected);
        }
    }

    TPlayState play_;
    TMessageRecorder boxes_;
    tqtest::TempDir dir_;
};

// Keys of the notes used below.
constexpr int C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67, A4 = 69, B4 = 71;

// Velocity of a note in the default loudness (no marks): 80.
constexpr int kPlain = 80;

} // namespace

namespace {

TEST_F(SoundsAsWrittenTest, TiesHoldOverDashesSpacingAndBarLines) {
    Check({
        // A half note tied over the bar to a quarter: one G held three beats.
        {"jianpu_dash_bar",
         false,
         [](TScoreFixture& fx) {
             fx.Row(0, "\"1=G\" ~{mark=1,iEnd=4}");
             fx.Row(1, "~ 1 - | 1 2 |");
         },
         {{0, 3840, G4, kPlain}, {3840, 1280, A4, kPlain}}},
        // The same over a dash inside the bar.
        {"jianpu_dash",
         false,
         [](TScoreFixture& fx) {
             fx.Row(0, "\"1=C\" ~{mark=1,iEnd=3}");
             fx.Row(1, "~ 1 - 1 2 |");
         },
         {{0, 3840, C4, kPlain}, {3840, 1280, D4, kPlain}}},
        // A half C, an empty spacing cell, the bar line, a quarter C.
        {"west_spacing_bar",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:2@6{mark=1,iEnd=4} ~ | W:3@6 |"); },
         {{0, 3840, C4, kPlain}}},
        // A rest between the two notes ends the tie: the second C is struck again.
        {"west_rest_between",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:2@6{mark=1,iEnd=4} W:23 | W:3@6 |"); },
         {{0, 2560, C4, kPlain}, {3200, 1280, C4, kPlain}}},
    });
}

TEST_F(SoundsAsWrittenTest, DynamicsSoundOnBothNotations) {
    // p, a crescendo hairpin reaching ff by the note before the ff: 60, 76.7,
    // 93.3, 110, 110.
    const auto marks = [](TScoreFixture& fx) {
        fx.Row(0, "~ \"p\" ~ ~ ~ \"ff\"");
        fx.Row(1, "~ ~{mark=7,iEnd=5}");
    };
    const std::vector<Heard> rising{{0, 1280, C4, 60},
                                    {1280, 1280, D4, 77},
                                    {2560, 1280, E4, 93},
                                    {3840, 1280, F4, 110},
                                    {5120, 1280, G4, 110}};
    Check({
        {"jianpu_p_cresc_f", false,
         [&](TScoreFixture& fx) {
             marks(fx);
             fx.At(0, 0) = TScoreFixture::Cell("\"1=C\"");
             fx.Row(2, "~ 1 2 3 4 5 |");
         },
         rising},
        {"west_p_cresc_f", true,
         [&](TScoreFixture& fx) {
             marks(fx);
             fx.Row(2, "&G W:3@6 W:3@5 W:3@4 W:3@3 W:3@2 |");
         },
         rising},
        // p in the row over the second of two lines: that line's mark only.
        {"west_p_over_the_second_line",
         true,
         [](TScoreFixture& fx) {
             fx.Row(1, "&G W:3@6 W:3@5 |");
             fx.Row(3, "~ \"p\"");
             fx.Row(4, "&G W:3@4 W:3@3 |");
         },
         {{0, 1280, C4, kPlain}, {1280, 1280, D4, kPlain}, {2560, 1280, E4, 60}, {3840, 1280, F4, 60}}},
        // No marks: the default loudness on both.
        {"west_plain",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:3@6 W:3@5 |"); },
         {{0, 1280, C4, kPlain}, {1280, 1280, D4, kPlain}}},
    });
}

TEST_F(SoundsAsWrittenTest, EachDynamicMarkPlaysItsVelocity) {
    // One word over C D E F of a Western and of a Jianpu staff: every note at the
    // velocity a player gives the word, ppp's 40 too (between the whole percents
    // of a note's volume: 31 % is 39 and 32 % is 41).
    const std::pair<const char*, int> words[] = {{"ppp", 40}, {"pp", 50}, {"p", 60}, {"mp", 75}, {"mf", 90},
                                                 {"f", 100}, {"ff", 110}, {"fff", 124}};
    std::vector<Case> cases;
    std::deque<std::string> names;
    for (auto [word, velocity] : words) {
        const std::string mark = std::string("~ \"") + word + "\"";
        const std::vector<Heard> heard{
            {0, 1280, C4, velocity}, {1280, 1280, D4, velocity}, {2560, 1280, E4, velocity}, {3840, 1280, F4, velocity}};
        const char* west = names.emplace_back(std::string("west_") + word).c_str();
        const char* jianpu = names.emplace_back(std::string("jianpu_") + word).c_str();
        cases.push_back({jianpu, false,
                         [mark](TScoreFixture& fx) {
                             fx.Row(0, "\"1=C\"");
                             fx.Row(1, mark);
                             fx.Row(2, "~ 1 2 3 4 |");
                         },
                         heard});
        cases.push_back({west, true,
                         [mark](TScoreFixture& fx) {
                             fx.Row(0, mark);
                             fx.Row(1, "&G W:3@6 W:3@5 W:3@4 W:3@3 |");
                         },
                         heard});
    }
    Check(cases);
}

TEST_F(SoundsAsWrittenTest, ExportReleasesEveryNoteTwoStavesShare) {
    // A grand staff whose hands play the same key at once (lower staff at 70 %:
    // velocity 56). One channel has one key C4: a doubled note is struck once,
    // and a note struck again while the other hand holds it sounds on until
    // the longer of the two ends. Every note-on has its note-off.
    struct FileCase {
        const char* name;
        const char* upper;
        const char* lower;
        std::vector<Heard> ticks; // onset, length (ticks, 144 a quarter), key, velocity
    } cases[] = {
        {"doubled", "W:3@6 W:3@5 |", "W:3@-6 W:3@-7 |", {{0, 144, C4, kPlain}, {144, 144, D4, kPlain}}},
        {"struck_again_under_a_half",
         "W:2@6 ~ W:3@5 |",
         "W:3@-6 W:3@-6 W:3@-7 |",
         {{0, 144, C4, kPlain}, {144, 144, C4, 56}, {288, 144, D4, kPlain}}},
        {"half_over_two_quarters_below",
         "W:3@6 W:3@6 W:3@5 |",
         "W:2@-6 ~ W:3@-7 |",
         {{0, 144, C4, kPlain}, {144, 144, C4, kPlain}, {288, 144, D4, kPlain}}},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        TScoreFixture fx(20, 8);
        fx.Row(1, std::string("&G{mark=54191118,jEnd=3} ") + c.upper);
        fx.Row(3, std::string("&F ") + c.lower);
        (void)Played(fx, true);
        const std::vector<Heard> file = Exported(true, c.name);
        EXPECT_EQ(file, c.ticks) << "in the file: " << Show(file) << "\nwanted: " << Show(c.ticks);
    }
}

// A cell given small notes: (code, staff position or underlines) each.
void SmallNotes(TCell& cell, std::initializer_list<std::pair<int, int>> notes) {
    cell.CompressNotes.clear();
    for (auto [code, value] : notes) {
        TCompressNote n;
        n.code = code;
        n.value = value;
        cell.CompressNotes.push_back(n);
    }
}

TEST_F(SoundsAsWrittenTest, SmallNotesOfACellSoundUnderTheDynamics) {
    // p over C; the next cell holds two small eighths (D E), then E F: every
    // note at p.
    const std::vector<Heard> soft{
        {0, 1280, C4, 60}, {1280, 640, D4, 60}, {1920, 640, E4, 60}, {2560, 1280, E4, 60}, {3840, 1280, F4, 60}};
    Check({
        {"jianpu_shrunk_under_p", false,
         [](TScoreFixture& fx) {
             fx.Row(0, "\"1=C\" \"p\"");
             fx.Row(1, "~ 1 2{attr=0xA0} 3 4 |");
             SmallNotes(fx.At(2, 1), {{'2', 1}, {'3', 1}});
         },
         soft},
        {"west_shrunk_under_p", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "~ \"p\"");
             fx.Row(1, "&G W:3@6 W:4@5{attr=0xA0} W:3@4 W:3@3 |");
             SmallNotes(fx.At(2, 1), {{4, 5}, {4, 4}});
         },
         soft},
    });
}

TEST_F(SoundsAsWrittenTest, GraceNotesKeepTheBeat) {
    Check({
        // C, a grace sixteenth D, E, F: D takes its time from the end of C.
        {"west_grace_16th",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:3@6 W:5@5{opt=0x10000000} W:3@4 W:3@3 |"); },
         {{0, 960, C4, kPlain}, {960, 320, D4, kPlain}, {1280, 1280, E4, kPlain}, {2560, 1280, F4, kPlain}}},
        // mf over C, p over E: the grace note sounds as loud as E, its main note.
        {"west_grace_under_p",
         true,
         [](TScoreFixture& fx) {
             fx.Row(0, "~ \"mf\" ~ \"p\"");
             fx.Row(1, "&G W:3@6 W:5@5{opt=0x10000000} W:3@4 W:3@3 |");
         },
         {{0, 960, C4, 90}, {960, 320, D4, 60}, {1280, 1280, E4, 60}, {2560, 1280, F4, 60}}},
        // A grace eighth takes at most a quarter of the note before.
        {"west_grace_8th",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:3@6 W:4@5{opt=0x10000000} W:3@4 W:3@3 |"); },
         {{0, 960, C4, kPlain}, {960, 320, D4, kPlain}, {1280, 1280, E4, kPlain}, {2560, 1280, F4, kPlain}}},
        // Two small notes (sixteenths played as 32nds) both before the beat.
        {"west_two_small",
         true,
         [](TScoreFixture& fx) {
             fx.Row(1, "&G W:3@6 W:3@5{attr=0xC0} W:3@3 W:3@2 |");
             SmallNotes(fx.At(2, 1), {{3, 5}, {3, 4}});
         },
         {{0, 960, C4, kPlain},
          {960, 160, D4, kPlain},
          {1120, 160, E4, kPlain},
          {1280, 1280, F4, kPlain},
          {2560, 1280, G4, kPlain}}},
        // A grace note before the first note: the main note gives the time.
        {"west_grace_first",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:5@5{opt=0x10000000} W:3@4 W:3@3 |"); },
         {{0, 320, D4, kPlain}, {320, 960, E4, kPlain}, {1280, 1280, F4, kPlain}}},
        // Jianpu 1 [grace 2] 3 4: the grace eighth sounds 256 units before 3's beat.
        {"jianpu_grace",
         false,
         [](TScoreFixture& fx) {
             fx.Row(0, "\"1=C\"");
             fx.Row(1, "~ 1 2_{attr=0xC0} 3 4 |"); // as the editor groups a grace note
             SmallNotes(fx.At(2, 1), {{'2', 1}});
         },
         {{0, 1024, C4, kPlain}, {1024, 256, D4, kPlain}, {1280, 1280, E4, kPlain}, {2560, 1280, F4, kPlain}}},
        {"jianpu_grace_under_p",
         false,
         [](TScoreFixture& fx) {
             fx.Row(0, "\"1=C\" \"mf\" ~ \"p\"");
             fx.Row(1, "~ 1 2_{attr=0xC0} 3 4 |");
             SmallNotes(fx.At(2, 1), {{'2', 1}});
         },
         {{0, 1024, C4, 90}, {1024, 256, D4, 60}, {1280, 1280, E4, 60}, {2560, 1280, F4, 60}}},
    });
}

// A trill from `from` over `span` units: 32nds (160 units at tempo 100) from the
// main note, alternating with the note above.
std::vector<Heard> Trill(int from, int span, int main, int upper, int velocity) {
    std::vector<Heard> out;
    for (int k = 0; k < span / 160; ++k)
        out.push_back({from + 160 * k, 160, k % 2 ? upper : main, velocity});
    return out;
}

std::vector<Heard> Join(std::vector<Heard> a, const std::vector<Heard>& b) {
    a.insert(a.end(), b.begin(), b.end());
    SortHeard(a);
    return a;
}

TEST_F(SoundsAsWrittenTest, TrillsFillExactlyTheirNote) {
    Check({
        {"west_trill_quarter", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "~ \"tr\"");
             fx.Row(1, "&G W:3@6 W:3@5 |");
         },
         Join(Trill(0, 1280, C4, D4, kPlain), {{1280, 1280, D4, kPlain}})},
        {"west_trill_half", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "~ \"tr\"");
             fx.Row(1, "&G W:2@6 W:3@5 |");
         },
         Join(Trill(0, 2560, C4, D4, kPlain), {{2560, 1280, D4, kPlain}})},
        {"jianpu_trill_quarter", false,
         [](TScoreFixture& fx) {
             fx.Row(0, "\"1=C\" \"tr\"");
             fx.Row(1, "~ 1 2 3 4 |");
         },
         Join(Trill(0, 1280, C4, D4, kPlain),
              {{1280, 1280, D4, kPlain}, {2560, 1280, E4, kPlain}, {3840, 1280, F4, kPlain}})},
        // A trill in the upper staff over a half note in the lower: the lower
        // note is held through the figure (the lower staff of a grand staff at
        // 70 %: velocity 56).
        {"grand_staff_trill", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "~ \"tr\"");
             fx.Row(1, "&G{mark=54191118,jEnd=3} W:3@6 W:3@5 |");
             fx.Row(3, "&F W:2@-3 ~ |");
         },
         Join(Trill(0, 1280, C4, D4, kPlain), {{1280, 1280, D4, kPlain}, {0, 2560, 55, 56}})},
        // A trill under p: every note of the figure as loud as the main note.
        {"west_trill_p", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "~ \"p\"");
             fx.Row(1, "~ \"tr\"");
             fx.Row(2, "&G W:3@6 W:3@5 |");
         },
         Join(Trill(0, 1280, C4, D4, 60), {{1280, 1280, D4, 60}})},
    });
}

// An upper mordent (symbol 107) and a turn (symbol 88) over C in the upper staff
// of a grand staff, a half note G in the lower: the figure sounds, the lower
// note is held from the beat and not struck again (lower staff at 70 %).
TEST_F(SoundsAsWrittenTest, OrnamentsOnAGrandStaffHoldTheOtherStaff) {
    auto score = [](const char* symbol) {
        return [symbol](TScoreFixture& fx) {
            fx.Row(0, std::string("~ ") + symbol);
            fx.Row(1, "&G{mark=54191118,jEnd=3} W:3@6 W:3@5 |");
            fx.Row(3, "&F W:2@-3 ~ |");
        };
    };
    Check({
        {"grand_staff_mordent",
         true,
         score("S:107"),
         {{0, 2560, 55, 56},
          {0, 160, C4, kPlain},
          {160, 160, D4, kPlain},
          {320, 960, C4, kPlain},
          {1280, 1280, D4, kPlain}}},
        {"grand_staff_turn",
         true,
         score("S:88"),
         {{0, 2560, 55, 56},
          {0, 150, D4, kPlain},
          {150, 150, C4, kPlain},
          {300, 150, 59, kPlain},
          {450, 830, C4, kPlain},
          {1280, 1280, D4, kPlain}}},
    });
}

TEST_F(SoundsAsWrittenTest, ArpeggiosDropNothing) {
    Check({
        // C-E-G rolled upwards 200 units apart, each held to the chord's end, then B on the beat.
        {"west_chord_then_note",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:3@6+2+2{mark=25} W:3@0 |"); },
         {{0, 1280, C4, kPlain}, {200, 1080, E4, kPlain}, {400, 880, G4, kPlain}, {1280, 1280, B4, kPlain}}},
        // One note with the mark plays as written, and so do the notes after it.
        {"west_single_note",
         true,
         [](TScoreFixture& fx) { fx.Row(1, "&G W:3@6{mark=25} W:3@5 W:3@4 |"); },
         {{0, 1280, C4, kPlain}, {1280, 1280, D4, kPlain}, {2560, 1280, E4, kPlain}}},
    });
}

TEST_F(SoundsAsWrittenTest, ThreeAgainstTwoSharesTheBeat) {
    // 2/4 grand staff: a triplet of eighths E F G over the eighths C B, then A
    // over G. Triplet at 0, 427, 853; pair at 0, 640; the next beat at 1280. The
    // lower staff of a grand staff plays at 70 %: percent 44, velocity 56.
    const std::vector<Heard> expected{{0, 640, C4, 56},        {0, 427, E4, kPlain},   {427, 426, F4, kPlain},
                                      {640, 640, 59, 56},      {853, 427, G4, kPlain}, {1280, 1280, 55, 56},
                                      {1280, 1280, A4, kPlain}};
    Check({
        {"pair_under_third", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "T:2/4");
             fx.Row(1, "&G{mark=54191118,jEnd=3} W:4@4{mark=56,iEnd=3} W:4@3 W:4@2 W:3@1 |");
             fx.Row(3, "&F W:4@-6 ~ W:4@-5 W:3@-3 |");
         },
         expected},
        {"pair_under_second", true,
         [](TScoreFixture& fx) {
             fx.Row(0, "T:2/4");
             fx.Row(1, "&G{mark=54191118,jEnd=3} W:4@4{mark=56,iEnd=3} W:4@3 W:4@2 W:3@1 |");
             fx.Row(3, "&F W:4@-6 W:4@-5 ~ W:3@-3 |");
         },
         expected},
    });
}

} // namespace
