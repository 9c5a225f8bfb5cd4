// Jianpu to Western: one Jianpu note becomes one Western note.
#include <gtest/gtest.h>

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

// Every key, degree and accidental: the Western note sounds the Jianpu pitch.
// Sharps and flats of each key code's signature, written out as a musician
// counts them (F C G D A E B / B E A D G C F).
int SignatureOf(int key, int letter /* 0 C .. 6 B */) {
    static const int sharps[15] = {0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 6, 7};
    static const int flats[15] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 0, 0};
    static const int sharpOrder[7] = {3, 0, 4, 1, 5, 2, 6}; // F C G D A E B
    static const int flatOrder[7] = {6, 2, 5, 1, 4, 0, 3};  // B E A D G C F
    for (int i = 0; i < sharps[key]; ++i)
        if (sharpOrder[i] == letter)
            return 1;
    for (int i = 0; i < flats[key]; ++i)
        if (flatOrder[i] == letter)
            return -1;
    return 0;
}

TEST(J2WNote, EveryKeyDegreeAndAccidentalSoundsTheJianpuPitch) {
    static const int tonicPc[15] = {0, 7, 2, 9, 4, 11, 5, 10, 3, 8, 1, 6, 11, 6, 1};
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    static const int natural[7] = {0, 2, 4, 5, 7, 9, 11};
    struct {
        uint32_t attr;
        int semis;
    } const accids[] = {{0, 0}, {1, 1}, {2, -1}, {3, 0}, {5, -2}, {6, 2}};
    TJ2WFixture f;
    f.fx.view.CurClef = -1;
    for (int key = 0; key < 15; ++key) {
        f.fx.view.CurKey = key;
        f.j2w.TonicStep = f.j2w.TonicStaffStep();
        for (int d = 0; d < 7; ++d)
            for (const auto& a : accids) {
                TCell in = TScoreFixture::Cell(std::string(1, static_cast<char>('1' + d)));
                in.Attr = a.attr;
                TCell out;
                f.j2w.ConvertJianpuNote(out, in);
                const int steps = 6 - static_cast<int>(out.yAdj); // steps above middle C
                const int letter = ((steps % 7) + 7) % 7;
                const int octave = (steps - letter) / 7;
                int alter = SignatureOf(key, letter);
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
                const int jianpu = tonicPc[key] + major[d] + a.semis;
                EXPECT_EQ(((west - jianpu) % 12 + 12) % 12, 0)
                    << "key " << key << " degree " << d + 1 << " accid " << a.attr;
            }
    }
}

} // namespace
