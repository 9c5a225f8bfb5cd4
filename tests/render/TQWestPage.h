#pragma once
// A Western page for the pixel tests and the drawing benchmark: braced grand
// staves with key signatures, beamed eighths and sixteenths, chords,
// accidentals, ledger lines, dots, articulation marks, rests, a beamed group of small
// grace notes tied to its main note, and staves of the other clefs, at the
// default cell size (15 x 30 page units).
#include <string>

#include "model/modTQUtil.h"
#include "notation/modTQNotationApi.h"
#include "notation/modTQWestSlur.h"
#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"

constexpr int kWestCols = 40;
constexpr int kWestRows = 18;

// The cells of one treble row from column 4 on (the header fills 0..3).
inline const char* WestTrebleCells() {
    return "W:3@4{opt=1} W:4@2{opt=3} W:4@0{opt=5} W:63 "
           "W:5@-1{opt=2} W:5@-2 W:5@-3 W:5@-4{opt=4} W:63 "
           "W:2@1{opt=1,attr=1} ~ W:3@-1+2+2 W:3@2+1{opt=1} W:63 "
           "W:4@-8{opt=2} W:5@-7 W:4@-6{opt=4} W:63 "
           "W:3@8{opt=0x11} W:3@-5{opt=0x30} W:1@0 ~ W:63 "
           "~ W:3@-1 W:4@2.{opt=3} W:5@2{opt=5} W:63 "
           "W:2@3{opt=1,attr=2} ~ W:3@-2{attr=3} W:6@0 W:63";
}
inline const char* WestBassCells() {
    return "W:2@0{opt=0} W:23 W:3@3{opt=1} W:63 "
           "W:4@4{opt=3} W:4@3 W:4@2 W:4@1{opt=5} W:63 "
           "W:1@2+2+2 W:21 W:3@-7+2 W:63 "
           "W:5@6{opt=3} W:4@5 W:5@4{opt=5} W:63 "
           "W:3@9{opt=1} W:3@-2{opt=0x4000010} W:2@0+1 ~ W:63 "
           "W:4@2{opt=0x403} W:4@-1{opt=5} W:3@0{opt=0x800} W:4@1{opt=1} W:63 "
           "W:1@3{opt=0x20000} ~ W:24. W:3@0{attr=6} W:63";
}

// The settings of a clef cell whose staff runs to the last of cols columns;
// the braced one starts a grand staff with the staff two rows below.
inline std::string WestStaffEnd(int cols) { return "{iEnd=" + std::to_string(cols - 1) + "}"; }
inline std::string WestBracedStaffEnd(int cols) {
    return "{mark=54191118,iEnd=" + std::to_string(cols - 1) + "}";
}

// A cross-staff group over columns c0..c1 of the treble row t and the bass row
// b, in place of the two rows' own combined-tail groups there.
inline void PutWestCrossStaffGroup(TViewFixture& fx, int c0, int c1, int t, int b) {
    for (int row : {t, b}) {
        for (int c = c0; c <= c1; ++c)
            fx.At(c, row).option &= ~0x7u;
        fx.At(c0, row).option |= 0x100u;
        fx.At(c1, row).option |= 0x200u;
    }
    fx.At(c1, b).dot = t - b;
    fx.At(c1, b).UL = c0 - c1;
}

// A grace cell of three small notes beamed together, at (col, row).
inline void PutWestGraceGroup(TViewFixture& fx, int col, int row) {
    TCell& g = fx.At(col, row);
    g = TScoreFixture::Cell("W:4@0{opt=5,attr=0xC0}");
    g.fontSizeR = 0.7f;
    g.shrinkRate = 0;
    g.CompressNotes = {{4, -2, 0, 0, 0, 0}, {4, -1, 0, 0, 0, 0}, {5, 0, 0, 0, 0, 0}};
}

inline void BuildWestPage(TViewFixture& fx) {
    TMainView& v = fx.view;
    SetDefaultPageGeometry(v);
    const std::string end = WestStaffEnd(kWestCols);
    const std::string braced = WestBracedStaffEnd(kWestCols);
    const char* keys[3] = {"2", "13", "9"};
    for (int s = 0; s < 3; ++s) {
        const int r = 4 * s;
        fx.Row(r, std::string("&G/") + keys[s] + braced + " ~ ~ ~ " + WestTrebleCells());
        fx.Row(r + 2, std::string("&F/") + keys[s] + end + " ~ ~ ~ " + WestBassCells());
        PutWestGraceGroup(fx, 31, r);
    }
    fx.Row(12, "&C/10" + end + " ~ ~ ~ " + WestTrebleCells());
    fx.Row(14, "&T/4" + end + " ~ ~ ~ " + WestBassCells());
    fx.Row(16, "&D/3" + end + " ~ ~ ~ W:3@0 W:3@0 W:4@0{opt=3} W:4@0{opt=5} W:63");
    // Curves: a tie, a chord tie, a three-point slur, a slur to an empty
    // column, a tuplet bracket.
    fx.Row(17, "&G/14{iEnd=34,dur=64} ~ ~ ~ W:4@4{opt=3} W:5@3 W:5@2{opt=0x2000000} W:5@1{opt=5} W:63 "
               "W:3@1{mark=1,iEnd=10} W:3@1 W:3@-1+2+2{mark=1,iEnd=12} W:3@-1+2+2 W:63 "
               "W:4@2{mark=81,iEnd=17,opt=0x2} W:4@1 W:4@0 W:4@-1{opt=0x4} W:63 "
               "W:3@3{mark=81,iEnd=21,opt=0x80000} W:3@2 ~ W:63 "
               "W:4@0{mark=86,iEnd=25,opt=0x2} W:4@1 W:4@2{opt=0x4} W:63");
    // A cross-staff group in the third system; note names over the alto staff.
    PutWestCrossStaffGroup(fx, 8, 11, 8, 10);
    for (int c = 4; c <= 7; ++c)
        fx.At(c, 12).option |= 0x8000u;
}

// Sets the zoom and sizes the paint box to the page.
inline void SetWestZoom(TViewFixture& fx, double zoom) { FitPaintBox(fx.view, kWestCols, kWestRows, zoom); }
