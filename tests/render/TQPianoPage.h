#pragma once
// A two-system piano page for the engraving tests: braced grand staves in 4/4
// with quarter, half and dotted notes, a quarter rest, eighths beamed over a
// second, a third and a fourth, a beamed triplet, a sharp right after a stem
// and an mf under the treble staff, at the default cell size (15 x 30 page
// units: a staff space is a quarter of a row, half a column).
#include <string>

#include "tests/render/TQPageImage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/render/TQWestPage.h"

constexpr int kPianoCols = 26;
constexpr int kPianoRows = 8;

inline void BuildPianoPage(TViewFixture& fx) {
    SetDefaultPageGeometry(fx.view);
    const std::string end = WestStaffEnd(kPianoCols);
    const std::string braced = WestBracedStaffEnd(kPianoCols);
    // System 1: the time signature, then quarters (the last two sharing the
    // mf), a quarter rest, dotted notes and a sharp after a stem.
    fx.Row(0, "&G/0" + braced + " ~ ~ ~ T:4/4 W:3@1{opt=1} W:3@-3 W:3@0 W:3@-1 W:63 "
              "W:22 W:3@0. W:4@1{opt=1} W:3@2{opt=1} W:3@0{attr=1} W:63 "
              "W:2@2{opt=1} W:3@6{opt=1} W:3@-1 W:63 W:4@1{opt=3} W:4@0{opt=5} W:2@-2 ~ W:63");
    fx.Row(1, "~ ~ ~ ~ ~ ~ ~{type=11,note=8} ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~");
    fx.Row(2, "&F/0" + end + " ~ ~ ~ T:4/4 W:2@-2 ~ W:2@0 ~ W:63 W:1@1 ~ ~ ~ ~ W:63 "
              "W:2@2{opt=1} W:3@1{opt=1} W:22 W:63 W:1@0 ~ ~ ~ W:63");
    // System 2: eighths beamed over a second, a third and a fourth, and a
    // beamed triplet.
    fx.Row(4, "&G/0" + braced + " ~ ~ ~ W:4@2{opt=3} W:4@1{opt=5} W:4@3{opt=3} W:4@1{opt=5} "
              "W:4@4{opt=3} W:4@1{opt=5} W:3@0 W:63 "
              "W:4@0{mark=86,iEnd=14,opt=2} W:4@1 W:4@2{opt=4} W:3@1{opt=1} W:2@2{opt=1} ~ W:63 "
              "W:1@0 ~ ~ ~ ~ W:63");
    fx.Row(6, "&F/0" + end + " ~ ~ ~ W:1@0 ~ ~ ~ ~ ~ ~ W:63 W:2@1{opt=1} ~ ~ W:2@2{opt=1} ~ ~ W:63 W:1@1 ~ ~ ~ ~ W:63");
}
