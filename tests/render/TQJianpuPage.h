#pragma once
// A Jianpu page for the pixel and print tests: key header and key text, notes
// with octave dots, underlines, dashes, dots, accidentals and marks, bar lines
// and text symbols, on a 32 x 7 grid.
#include "tests/render/TQViewFixture.h"

constexpr int kJianpuCols = 32;
constexpr int kJianpuRows = 7;

inline void BuildJianpuPage(TViewFixture& fx) {
    // a key header (F sharp) and the tempo word, the dynamic
    fx.Row(0, "\"1=C\"{attr=0x90,note=13} ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~{type=11,note=35} ~ ~ ~ ~ ~{type=11,note=8}");
    fx.Row(1, "|: 1 2 3 4 | 5' 6, 7_ 1'_ | 5 - - - | #4 b3 n2 0 | 1 2 3 4 :| ~ ~ ~ ~ ~ 3");
    fx.Row(2, "\"1=bE\" ~ ~ | 3. 2_ 1 2 | 3__ 4__ 5 6 | 0 x X * | 5{attr=0x60} - 6{attr=0x70} - ||");
    fx.Row(3, "~{type=11,note=22} ~ ~ ~ ~{type=11,note=6} ~ ~ ~{type=11,note=15,attr=1} ~ ~ "
              "~{type=11,note=16} ~ ~ ~{type=11,note=52} ~ ~ ~{type=11,note=26}");
    fx.Row(4, "| 1''{attr=0x10} 2,,__ 3{attr=0x80} 4{attr=0xF0} | 5{opt=0x20} 6{opt=0x10} 7{opt=0x4000000} "
              "1{opt=0x800} | 2{attr=0x20} 3{attr=0x30} . 4{attr=0x40} | 5{attr=0x50} 6.. 0 |]");
    fx.Row(5, "\"1=#F\" ~ ~ | 1{attr=4} 2{attr=5} 3{attr=6} 4{attr=7} | 5{attr=8} 6{attr=9} 7' 1 |");
    fx.Row(6, "\"Allegro\"{opt=0x80000} ~ ~ ~ ~ \"中文\"{type=3} ~ ~ \"Andante\"{x=0}");
    TCell& chinese = fx.At(5, 6);
    chinese.Text = "\xD6\xD0\xCE\xC4";
    chinese.FontCharset = 134;
    chinese.FontName = "CN";
    fx.At(8, 6).dot = 300; // turned by 30 degrees
}

