// Jianpu to Western: one Jianpu note becomes one Western note.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/convert/TQJ2WFixture.h"

namespace {

struct TNoteCase {
    const char* name;
    int clef;
    int key;
    const char* jianpu; // one cell of the picture language
    float yAdj;
    int attr;
    int value;
};

const TNoteCase kNotes[] = {
    {"C treble", -1, 0, "1", 6.0f, 0, 3},        {"C bass", -2, 0, "1", -6.0f, 0, 3},
    {"C alto", -3, 0, "1", 0.0f, 0, 3},          {"C tenor", -5, 0, "1", -2.0f, 0, 3},
    {"G tonic", -1, 1, "1", 2.0f, 0, 3},         {"A tonic", -1, 3, "1", 8.0f, 0, 3},
    {"G leading note", -1, 1, "7", -4.0f, 1, 3}, {"G sharp 7", -1, 1, "#7", -5.0f, 3, 3},
    {"G-flat flat 1", -1, 11, "b1", 3.0f, 3, 3}, {"D-flat tonic", -1, 10, "1", 5.0f, 2, 3},
    {"F-sharp tonic", -1, 13, "1", 3.0f, 1, 3},  {"C-flat tonic", -1, 12, "1", 6.0f, 2, 3},
    {"eighth", -1, 0, "3_", 4.0f, 0, 4},         {"16th", -1, 0, "3__", 4.0f, 0, 5},
    {"32nd", -1, 0, "3___", 4.0f, 0, 6},         {"octave up", -1, 0, "1'", -1.0f, 0, 3},
    {"octave down", -1, 0, "5,", 9.0f, 0, 3},    {"percussion", -1, 0, "x''_", 0.0f, 0, 4},
};

TEST(J2WNote, MapsDegreeOctaveAndValue) {
    for (const TNoteCase& t : kNotes) {
        SCOPED_TRACE(t.name);
        TJ2WFixture f;
        f.fx.view.CurClef = t.clef;
        f.fx.view.CurKey = t.key;
        f.j2w.TonicStep = f.j2w.TonicStaffStep();
        const TCell in = TScoreFixture::Cell(t.jianpu);
        TCell out = in;
        f.j2w.ConvertJianpuNote(out, in);
        EXPECT_EQ(out.cellType, 8);
        EXPECT_FLOAT_EQ(out.yAdj, t.yAdj);
        EXPECT_EQ(static_cast<int>(out.Attr & 0xF), t.attr);
        EXPECT_EQ(out.Note, t.value);
    }
}

TEST(J2WNote, DottedSourceKeepsItsOptionWord) {
    TJ2WFixture f;
    f.j2w.TonicStep = f.j2w.TonicStaffStep();
    TCell in = TScoreFixture::Cell("5.");
    in.option |= 0x100;
    TCell out;
    out.option = 0x1;
    f.j2w.ConvertJianpuNote(out, in);
    EXPECT_EQ(out.option, in.option);
    EXPECT_TRUE(out.option & 0x8);
}

TEST(J2WNote, StyledAccidentalIsSpelledAndKeepsItsStyle) {
    uint32_t accid = 0x50; // a style nibble, no accidental
    int degree = '7';
    TConvertJ2W::KeyAccidentalJ2W(1, accid, degree); // G major: F sharp
    EXPECT_EQ(accid, 0x51u);
    EXPECT_EQ(degree, '7');
    uint32_t quarterTone = 4;
    degree = '7';
    TConvertJ2W::KeyAccidentalJ2W(1, quarterTone, degree);
    EXPECT_EQ(quarterTone, 4u);
}

TEST(J2WNote, RestCodes) {
    const int values[][2] = {{1, 20}, {2, 21}, {3, 22}, {4, 23},  {5, 24},
                             {6, 25}, {7, 26}, {8, 27}, {81, 19}, {9, 23}};
    for (const auto& v : values)
        EXPECT_EQ(TConvertJ2W::RestCodeOfValue(v[0]), v[1]) << v[0];
}

// The spelling of each key, as a musician reads the key's table: for the degrees
// 1..7 (undotted, treble clef, the tonic in the octave of middle C or the one
// below) under each accidental the Jianpu note carries, the Western letter, the
// sign written (n: an explicit natural, nothing: none) and the octave (4 holds
// middle C).
struct TSpellRow {
    int key;
    uint32_t accid; // Jianpu accidental: 0 none, 3 natural, 1 sharp, 2 flat, 5 double flat, 6 double sharp
    const char* names;
};

// clang-format off
const TSpellRow kSpelling[] = {
    {0, 0, "C4 D4 E4 F4 G4 A4 B4"},
    {0, 3, "Cn4 Dn4 En4 Fn4 Gn4 An4 Bn4"},
    {0, 1, "C#4 D#4 E#4 F#4 G#4 A#4 B#4"},
    {0, 2, "Cb4 Db4 Eb4 Fb4 Gb4 Ab4 Bb4"},
    {0, 5, "Bb3 Cn4 Dn4 Eb4 Fn4 Gn4 An4"},
    {0, 6, "Dn4 En4 F#4 Gn4 An4 Bn4 C#5"},
    {1, 0, "G4 A4 B4 C5 D5 E5 F#5"},
    {1, 3, "Gn4 An4 Bn4 Cn5 Dn5 En5 F#5"},
    {1, 1, "G#4 A#4 B#4 C#5 D#5 E#5 Gn5"},
    {1, 2, "Gb4 Ab4 Bb4 Cb5 Db5 Eb5 Fn5"},
    {1, 5, "Fn4 Gn4 An4 Bb4 Cn5 Dn5 En5"},
    {1, 6, "An4 Bn4 C#5 Dn5 En5 F#5 G#5"},
    {2, 0, "D4 E4 F#4 G4 A4 B4 C#5"},
    {2, 3, "Dn4 En4 F#4 Gn4 An4 Bn4 C#5"},
    {2, 1, "D#4 E#4 Gn4 G#4 A#4 B#4 Dn5"},
    {2, 2, "Db4 Eb4 Fn4 Gb4 Ab4 Bb4 Cn5"},
    {2, 5, "Cn4 Dn4 En4 Fn4 Gn4 An4 Bn4"},
    {2, 6, "En4 F#4 G#4 An4 Bn4 C#5 D#5"},
    {3, 0, "A3 B3 C#4 D4 E4 F#4 G#4"},
    {3, 3, "An3 Bn3 C#4 Dn4 En4 F#4 G#4"},
    {3, 1, "A#3 B#3 Dn4 D#4 E#4 Gn4 An4"},
    {3, 2, "Ab3 Bb3 Cn4 Db4 Eb4 Fn4 Gn4"},
    {3, 5, "Gn3 An3 Bn3 Cn4 Dn4 En4 F#4"},
    {3, 6, "Bn3 C#4 D#4 En4 F#4 G#4 A#4"},
    {4, 0, "E4 F#4 G#4 A4 B4 C#5 D#5"},
    {4, 3, "En4 F#4 G#4 An4 Bn4 C#5 D#5"},
    {4, 1, "E#4 Gn4 An4 A#4 B#4 Dn5 En5"},
    {4, 2, "Eb4 Fn4 Gn4 Ab4 Bb4 Cn5 Dn5"},
    {4, 5, "Dn4 En4 F#4 Gn4 An4 Bn4 C#5"},
    {4, 6, "F#4 G#4 A#4 Bn4 C#5 D#5 E#5"},
    {5, 0, "B3 C#4 D#4 E4 F#4 G#4 A#4"},
    {5, 3, "Bn3 C#4 D#4 En4 F#4 G#4 A#4"},
    {5, 1, "B#3 Dn4 En4 Fn4 Gn4 An4 Bn4"},
    {5, 2, "Bb3 Cn4 Dn4 Eb4 Fn4 Gn4 An4"},
    {5, 5, "An3 Bn3 C#4 Dn4 En4 F#4 G#4"},
    {5, 6, "C#4 D#4 E#4 F#4 G#4 A#4 B#4"},
    {6, 0, "F4 G4 A4 Bb4 C5 D5 E5"},
    {6, 3, "Fn4 Gn4 An4 Bb4 Cn5 Dn5 En5"},
    {6, 1, "F#4 G#4 A#4 Bn4 C#5 D#5 E#5"},
    {6, 2, "Fb4 Gb4 Ab4 An4 Cb5 Db5 Eb5"},
    {6, 5, "Eb4 Fn4 Gn4 Ab4 Bb4 Cn5 Dn5"},
    {6, 6, "Gn4 An4 Bn4 Cn5 Dn5 En5 F#5"},
    {7, 0, "Bb3 C4 D4 Eb4 F4 G4 A4"},
    {7, 3, "Bb3 Cn4 Dn4 Eb4 Fn4 Gn4 An4"},
    {7, 1, "Bn3 C#4 D#4 En4 F#4 G#4 A#4"},
    {7, 2, "An3 Cb4 Db4 Dn4 Fb4 Gb4 Ab4"},
    {7, 5, "Ab3 Bb3 Cn4 Db4 Eb4 Fn4 Gn4"},
    {7, 6, "Cn4 Dn4 En4 Fn4 Gn4 An4 Bn4"},
    {8, 0, "Eb4 Fn4 G4 Ab4 Bb4 Cn5 D5"},
    {8, 3, "Eb4 Fn4 Gn4 Ab4 Bb4 Cn5 Dn5"},
    {8, 1, "En4 F#4 G#4 An4 Bn4 C#5 D#5"},
    {8, 2, "Dn4 En4 F#4 Gn4 An4 Bn4 C#5"},
    {8, 5, "Db4 Eb4 Fn4 Gb4 Ab4 Bb4 Cn5"},
    {8, 6, "Fn4 Gn4 An4 Bb4 Cn5 Dn5 En5"},
    {9, 0, "Ab3 Bb3 C4 Db4 Eb4 Fn4 G4"},
    {9, 3, "Ab3 Bb3 Cn4 Db4 Eb4 Fn4 Gn4"},
    {9, 1, "An3 Bn3 C#4 Dn4 En4 F#4 G#4"},
    {9, 2, "Gn3 An3 Bn3 Cn4 Dn4 En4 F#4"},
    {9, 5, "Gb3 Ab3 Bb3 Cb4 Db4 Eb4 Fn4"},
    {9, 6, "Bb3 Cn4 Dn4 Eb4 Fn4 Gn4 An4"},
    {11, 0, "Gb4 Ab4 Bb4 Cb5 Db5 Eb5 F5"},
    {11, 3, "Gb4 Ab4 Bb4 Cb5 Db5 Eb5 Fn5"},
    {11, 1, "Gn4 An4 Bn4 Cn5 Dn5 En5 F#5"},
    {11, 2, "Fn4 Gn4 An4 Bb4 Cn5 Dn5 Fb5"},
    {11, 5, "Fb4 Gb4 Ab4 An4 Cb5 Db5 Eb5"},
    {11, 6, "Ab4 Bb4 Cn5 Db5 Eb5 Fn5 Gn5"},
    {14, 0, "C#4 D#4 E#4 F#4 G#4 A#4 B#4"},
    {14, 3, "C#4 D#4 E#4 F#4 G#4 A#4 B#4"},
    {14, 1, "Dn4 En4 F#4 Gn4 An4 Bn4 C#5"},
    {14, 2, "Cn4 Dn4 En4 E#4 Gn4 An4 Bn4"},
    {14, 5, "Cb4 Db4 Eb4 Fb4 Gb4 Ab4 Bb4"},
    {14, 6, "Eb4 Fn4 Gn4 Ab4 Bb4 Cn5 Dn5"},
};
// clang-format on

std::string WesternName(const TCell& out) {
    const int steps = 6 - static_cast<int>(out.yAdj); // steps above middle C
    const int letter = ((steps % 7) + 7) % 7;
    const int octave = 4 + (steps - letter) / 7;
    static const char* signs[] = {"", "#", "b", "n"};
    const uint32_t a = out.Attr & 0xF;
    return std::string(1, "CDEFGAB"[letter]) + (a < 4 ? signs[a] : "?") + std::to_string(octave);
}

TEST(J2WNote, EveryKeyOfTheTablesSpellsEachDegreeAndAccidental) {
    TJ2WFixture f;
    f.fx.view.CurClef = -1;
    int entries = 0;
    for (const TSpellRow& row : kSpelling) {
        f.fx.view.CurKey = row.key;
        f.j2w.TonicStep = f.j2w.TonicStaffStep();
        std::istringstream names(row.names);
        for (int d = 0; d < 7; ++d) {
            std::string expected;
            names >> expected;
            TCell in = TScoreFixture::Cell(std::string(1, static_cast<char>('1' + d)));
            in.Attr = row.accid;
            TCell out;
            f.j2w.ConvertJianpuNote(out, in);
            EXPECT_EQ(WesternName(out), expected)
                << "key " << row.key << " degree " << d + 1 << " accidental " << row.accid;
            ++entries;
        }
    }
    EXPECT_EQ(entries, 12 * 6 * 7);
}

// The keys without a table (D flat, C flat, F sharp) still sound the Jianpu
// pitch, octave included.
TEST(J2WNote, KeysWithoutATableSoundTheJianpuPitch) {
    struct TKey {
        int key;
        int tonic; // semitones from middle C of the undotted degree 1
    } const keys[] = {{10, 1}, {12, -1}, {13, 6}};
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    static const int natural[7] = {0, 2, 4, 5, 7, 9, 11};
    struct {
        uint32_t attr;
        int semis;
    } const accids[] = {{0, 0}, {1, 1}, {2, -1}, {3, 0}, {5, -2}, {6, 2}};
    TJ2WFixture f;
    f.fx.view.CurClef = -1;
    for (const TKey& k : keys) {
        f.fx.view.CurKey = k.key;
        f.j2w.TonicStep = f.j2w.TonicStaffStep();
        for (int d = 0; d < 7; ++d)
            for (const auto& a : accids) {
                TCell in = TScoreFixture::Cell(std::string(1, static_cast<char>('1' + d)));
                in.Attr = a.attr;
                TCell out;
                f.j2w.ConvertJianpuNote(out, in);
                const int steps = 6 - static_cast<int>(out.yAdj);
                const int letter = ((steps % 7) + 7) % 7;
                const int octave = (steps - letter) / 7;
                // The signature of D flat (5 flats), C flat (7 flats), F sharp (6 sharps).
                int alter = 0;
                if (k.key == 10)
                    alter =
                        (letter == 6 || letter == 2 || letter == 5 || letter == 1 || letter == 4) ? -1 : 0;
                else if (k.key == 12)
                    alter = -1;
                else
                    alter = letter == 6 ? 0 : 1;
                switch (out.Attr & 0xF) {
                case 1:
                    alter = 1;
                    break;
                case 2:
                    alter = -1;
                    break;
                case 3:
                    alter = 0;
                    break;
                default:
                    break;
                }
                const int west = 12 * octave + natural[letter] + alter;
                EXPECT_EQ(west, k.tonic + major[d] + a.semis)
                    << "key " << k.key << " degree " << d + 1 << " accid " << a.attr;
            }
    }
}

} // namespace
