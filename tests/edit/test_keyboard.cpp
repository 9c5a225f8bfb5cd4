// The on-screen piano: key numbering, hit test, the spelling of a key as a
// Western or Jianpu note, chords, and the release of pressed keys.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "edit/modTQKeyboard.h"
#include "model/modTQPredicates.h"
#include "tests/edit/TQEditFixture.h"

namespace {

// A piano of 52 x 10 pixels wide (w = 10) and 100 high, on a recording canvas,
// whose sounds are recorded.
struct TPiano {
    TRecordingCanvas canvas{TSize{520, 100}};
    TKeyboard kbd{&canvas, 520, 100};
    std::vector<std::pair<int, int>> on, off; // (octave, pitch)
    bool visible = true, toStaff = false, chord = false;
    TPiano() {
        kbd.Hooks.PanelVisible = [this] { return visible; };
        kbd.Hooks.KeyboardToStaff = [this] { return toStaff; };
        kbd.Hooks.ChordModifier = [this] { return chord; };
        kbd.Hooks.NoteOn = [this](int o, int p, int) { on.emplace_back(o, p); };
        kbd.Hooks.NoteOff = [this](int o, int p) { off.emplace_back(o, p); };
    }
    // Centre of a white key, low on the key; upper area of a black key's centre.
    void White(int i) { kbd.MouseDown(i * 10 + 5, 90); }
    void Black(int b) { kbd.MouseDown(b * 10, 20); }
};

} // namespace

TEST(KeyboardPitch, KeysToOctaveAndPitchClass) {
    struct Case {
        int white, black, octave, pitch;
    } cases[] = {
        {0, 0, -4, 9},  // A0
        {0, 1, -4, 10}, // boundary 1: A#0
        {2, 0, -3, 0},  // C1
        {23, 0, 0, 0},  // middle C
        {26, 1, 0, 6},  // F#4
        {29, 0, 0, 11}, // B4
        {51, 0, 4, 0},  // C8
    };
    for (const Case& c : cases) {
        int o = 99, p = 99;
        TKeyboard::KeyToPitch(c.white, c.black, o, p);
        EXPECT_EQ(o, c.octave) << c.white << "/" << c.black;
        EXPECT_EQ(p, c.pitch) << c.white << "/" << c.black;
    }
}

TEST(KeyboardPitch, HitTestFindsBlackKeysOnlyWhereTheyAre) {
    TPiano p; // w = 10, black keys in the upper 65
    struct Case {
        double x, y;
        int key, black;
    } cases[] = {
        {10, 20, 1, 1},    // boundary 1: A#0
        {12.7, 20, 1, 1},  // within 0.28 w
        {13.0, 20, 1, 0},  // beyond it: B0
        {10, 80, 1, 0},    // lower part: the white key under x (B0 starts at 10)
        {22, 20, 2, 0},    // 0.2 w right of the B/C boundary: no black key, white C1
        {18, 20, 1, 0},    // 0.2 w left of it: white B0
        {515, 20, 51, 0},  // C8
    };
    for (const Case& c : cases) {
        int key = -1, black = -1;
        p.kbd.HitTest(c.x, c.y, key, black);
        EXPECT_EQ(black, c.black) << c.x << "," << c.y;
        EXPECT_EQ(key, c.key) << c.x << "," << c.y;
    }
}

TEST(KeyboardSpelling, WesternKeysInKeySignatures) {
    struct Case {
        int white, black, key, clef, position, accidental;
    } cases[] = {
        {23, 0, 0, -1, 6, 0},   // C4 under treble, C major
        {23, 0, 0, -2, -6, 0},  // under bass
        {23, 0, 0, -3, 0, 0},   // under alto
        {26, 1, 1, -1, 3, 0},   // G major: the black F# is F
        {26, 0, 1, -1, 3, 3},   // the white F is F natural
        {23, 1, 1, -1, 6, 1},   // C# keeps its sharp
        {28, 1, 6, -1, 0, 0},   // F major: A# is B (flat by the key)
        {29, 0, 6, -1, 0, 3},   // white B is B natural
        {26, 0, 13, -1, 4, 1},  // F# major: white F is E sharp
        {23, 0, 14, -1, 7, 1},  // C# major: white C is B sharp of the octave below
        {29, 0, 11, -1, -1, 0}, // Gb major: white B is C flat of the next octave
        {25, 0, 12, -1, 3, 0},  // Cb major: white E is F flat
    };
    for (const Case& c : cases) {
        int pos = 99, acc = 99;
        WestNoteFromKey(c.white, c.black, c.key, c.clef, pos, acc);
        EXPECT_EQ(pos, c.position) << c.white << "/" << c.black << " key " << c.key;
        EXPECT_EQ(acc, c.accidental) << c.white << "/" << c.black << " key " << c.key;
    }
}

TEST(KeyboardSpelling, JianpuDegreesInKeys) {
    struct Case {
        int white, black, tonic, degree, octave, accidental;
    } cases[] = {
        {23, 0, -100, 0, 0, 0}, // no key text: C is '1'
        {24, 1, -100, 1, 0, 1}, // D# is #2
        {27, 0, 7, 0, 0, 0},    // 1=G: G4 is '1'
        {26, 1, 7, 6, -1, 0},   // F#4 is '7' below
        {26, 0, 7, 6, -1, 2},   // white F is b7
        {23, 1, 7, 3, -1, 1},   // C#4 is #4 below
        {28, 0, 9, 0, 1, 0},    // 1=A: A4 is '1' an octave up (unmarked octave from A3)
        {21, 0, 9, 0, 0, 0},    // A3 is '1'
        {29, 0, 5, 3, 0, 1},    // 1=F: white B is #4
        {28, 1, 5, 3, 0, 0},    // the black A# is '4'
        {23, 0, 1, 6, -1, 0},   // 1=Db: C4 is '7' below
        {23, 1, 1, 0, 0, 0},    // C#4 is '1'
    };
    for (const Case& c : cases) {
        int d = 99, o = 99, a = 99;
        JianpuNoteFromKey(c.white, c.black, c.tonic, d, o, a);
        EXPECT_EQ(d, c.degree) << c.white << "/" << c.black << " tonic " << c.tonic;
        EXPECT_EQ(o, c.octave) << c.white << "/" << c.black << " tonic " << c.tonic;
        EXPECT_EQ(a, c.accidental) << c.white << "/" << c.black << " tonic " << c.tonic;
    }
}

TEST(KeyboardEntry, JianpuNoteWithoutClefOrKeyText) {
    TEditFixture fx(12, 4);
    fx.win.DefaultNoteKind = 2;
    fx.Select(3, 1, 3, 1);
    TPiano p;
    p.toStaff = true;
    p.White(23);
    const TCell& c = fx.At(3, 1);
    EXPECT_EQ(c.cellType, ctJianpu);
    EXPECT_EQ(c.Note, '1');
    EXPECT_EQ(c.dot, 0);
    EXPECT_EQ(c.UL, 2);
    EXPECT_EQ(fx.win.SelCol0, 4) << "the cursor moves on";
    EXPECT_TRUE(fx.win.Modified);
    ASSERT_EQ(p.on.size(), 1u);
    EXPECT_EQ(p.on[0], std::make_pair(0, 0));
}

TEST(KeyboardEntry, JianpuKeyTextOnAnEarlierRowGoverns) {
    TEditFixture fx(12, 4);
    fx.Row(0, "\"1=G\" 1 2");
    fx.Select(2, 2, 2, 2);
    TPiano p;
    p.toStaff = true;
    p.White(27); // G4
    EXPECT_EQ(fx.At(2, 2).Note, '1');
    EXPECT_EQ(fx.At(2, 2).dot, 0);
}

TEST(KeyboardEntry, WesternNoteInKeyOfG) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G/1");
    fx.Select(2, 1, 2, 1);
    TPiano p;
    p.toStaff = true;
    p.Black(27); // F#4
    p.kbd.MouseUp();
    p.White(26); // F4
    p.kbd.MouseUp();
    const TCell& sharp = fx.At(2, 1);
    EXPECT_EQ(sharp.cellType, ctWestern);
    EXPECT_EQ(sharp.Note, 3) << "a quarter";
    EXPECT_FLOAT_EQ(sharp.yAdj, 3.0f);
    EXPECT_EQ(sharp.Attr, 0u);
    const TCell& natural = fx.At(3, 1);
    EXPECT_FLOAT_EQ(natural.yAdj, 3.0f);
    EXPECT_EQ(natural.Attr, 3u);
}

TEST(KeyboardEntry, CtrlClicksMakeOneChordAndOneCursorStep) {
    for (const bool west : {true, false}) {
        TEditFixture fx(12, 4);
        if (west)
            fx.Row(1, "&G");
        fx.Select(2, 1, 2, 1);
        TPiano p;
        p.toStaff = true;
        p.chord = true;
        p.White(23); // C4: held, the mouse-up with Ctrl is not passed on
        p.White(25); // E4
        p.chord = false;
        p.kbd.MouseUp(); // the button comes up without Ctrl
        EXPECT_EQ(fx.win.SelCol0, 3) << (west ? "Western" : "Jianpu");
        const TCell& c = fx.At(2, 1);
        if (west) {
            EXPECT_FLOAT_EQ(c.yAdj, 6.0f) << "the lowest note is the main note";
            ASSERT_EQ(c.westChordArray.size(), 1u);
            EXPECT_EQ(c.westChordArray[0].interval, 2);
        } else {
            ASSERT_EQ(c.CompressNotes.size(), 2u);
            EXPECT_EQ(c.CompressNotes[0].code, '1');
            EXPECT_EQ(c.CompressNotes[1].code, '3');
            EXPECT_EQ(c.Attr & 0xF0u, 0xB0u);
        }
        EXPECT_TRUE(IsEmptyCell(fx.At(3, 1)));
        EXPECT_EQ(p.off.size(), 2u);
    }
}

TEST(KeyboardRelease, EveryNoteOnGetsOneNoteOff) {
    TPiano p;
    p.White(23);
    p.Black(27);
    p.kbd.PressAuditionKey(7, 1);  // two notes of a clicked chord
    p.kbd.PressAuditionKey(11, -1);
    ASSERT_EQ(p.kbd.Pressed.size(), 4u);
    EXPECT_EQ(p.kbd.Pressed[2].MidiNote, 79);
    p.kbd.ReleaseAll();
    EXPECT_TRUE(p.kbd.Pressed.empty());
    std::vector<std::pair<int, int>> expected = p.on;
    expected.emplace_back(1, 7);
    expected.emplace_back(-1, 11);
    EXPECT_EQ(p.off, expected);
    p.kbd.ReleaseAll();
    EXPECT_EQ(p.off.size(), 4u) << "nothing is released twice";
}

TEST(KeyboardRelease, HiddenPanelSoundsNothingAndStaffOffWritesNothing) {
    TEditFixture fx(12, 4);
    fx.Select(0, 0, 0, 0);
    TPiano p;
    p.visible = false;
    p.toStaff = true;
    p.White(23);
    EXPECT_TRUE(p.on.empty());
    EXPECT_TRUE(IsEmptyCell(fx.At(0, 0)));
    p.visible = true;
    p.toStaff = false;
    p.White(23);
    EXPECT_EQ(p.on.size(), 1u);
    EXPECT_TRUE(IsEmptyCell(fx.At(0, 0)));
    EXPECT_FALSE(fx.win.Modified);
}
