#pragma once
// A small score built from a text picture of its cells, for tests.
//
//   TScoreFixture fx(12, 4);             // 12 columns x 4 rows, one page, current
//   fx.Row(0, "&G/1 W:3@2 W:4@-1. |");   // a Western staff row in layer 0
//   fx.Row(1, "\"1=C\" 1 2' 3_ 0 - . |"); // a Jianpu row
//   TCell& c = fx.At(1, 0);              // the cell itself, to read or adjust
//
// The fixture owns a TMainScore, makes it the current score (frmMainTQ, CurLayer 0,
// page 0) and restores the previous current score when it goes. Pages of both
// layers get the grid shape with every cell empty.
//
// A picture is a list of tokens separated by blanks; token i fills column i.
// Too many tokens, or a token it cannot read, throws std::invalid_argument, so a
// mistyped picture fails the test loudly.
//
// Jianpu cells (cellType 0):
//   1..7, 0, x, X, *   the note character, with any of these after it:
//                        '  one octave dot up (repeatable)   ,  one dot down
//                        _  one underline (repeatable)       .  dotted flag (option 0x8)
//                        .. double-dotted flag (option 0x40)
//                      and # b n (sharp, flat, natural: Attr low nibble 1, 2, 3) before it.
//   .   augmentation dot cell (Note -73)      -   extension dash cell (Note -106)
//   |   bar line (63)   ||  double bar (62)   |:  start repeat (58)
//   :|  end repeat (59) |]  final bar (61)    ?   the code 63 as typed
//   N:<n>               any Note code n in a Jianpu cell
// Western cells (cellType 8):
//   W:<code>[@<pos>][.|..][+<i>...]   note or rest code, staff position (yAdj,
//                      steps down from the middle line), dotted flags, and chord
//                      items with their intervals: W:3@4+2+2 is a three-note chord.
//   &G &F &C &T &D &X &7 &N  clef cells: treble -1, bass -2, alto -3, tenor -5,
//                      percussion -4, tablature -6, -7, no-key header -15;
//                      an optional /<key> gives the key code (Attr): &G/2 is D major.
// Other kinds:
//   "text"             text cell (cellType 3); the quotes may hold blanks
//   S:<a>[/<b>[/<c>]]  special symbol (cellType 1) with slots Note, FontColor, upNote
//   T:<num>/<den>      time signature (cellType 9: Note den, upNote num)
//   ~                  an empty cell
// Any token may end with {key=value,...} to set further fields:
//   type, note, mark (markType), iEnd, jEnd, ul, dot, opt, attr (decimal or 0x..),
//   dur (playDur), color, x (xAdj), y (yAdj), size (fontSizeR), shrink, fc
//   (FontColor), up (upNote), hadj (markHAdj).
//   Example: ~{mark=54191118,jEnd=3}  is an empty cell carrying a brace to row 3.
#include <initializer_list>
#include <string>
#include <string_view>

#include "model/modTQCell.h"
#include "model/modTQMainScore.h"

class TScoreFixture {
public:
    // cols x rows grid, pages pages in layer 0 and layer1Pages pages in layer 1.
    explicit TScoreFixture(int cols = 16, int rows = 8, int pages = 1, int layer1Pages = 0);
    ~TScoreFixture();
    TScoreFixture(const TScoreFixture&) = delete;
    TScoreFixture& operator=(const TScoreFixture&) = delete;

    TMainScore& Score() { return score_; }

    // Fills row `row` of a page and layer from column 0 with the picture's cells.
    TScoreFixture& Row(int row, std::string_view picture, int page = 0, int layer = 0);
    // Fills rows 0, 1, ... with one picture each.
    TScoreFixture& Page(std::initializer_list<std::string_view> rows, int page = 0, int layer = 0);

    // The cell itself (throws std::out_of_range outside the allocated page).
    TCell& At(int col, int row, int page = 0, int layer = 0);

    // One cell from one token, as above (an empty cell for "~").
    static TCell Cell(std::string_view token);

private:
    TMainScore score_;
    TMainScore* previous_ = nullptr;
    int previousLayer_ = 0;
};
